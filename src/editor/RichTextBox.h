#pragma once

#include <QRgb>
#include <QTextEdit>
#include <optional>

class QMimeData;
class QPrinter;

// The rich text control used for the sermon document and the reference
// views: a QTextEdit with the selection-oriented operations the window code
// relies on. Positions count characters from 0; a line break counts as one.
class RichTextBox : public QTextEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RichTextBox)

public:
    // A character attribute over the selection: on, off, or mixed.
    enum class Tri { Off, On, Mixed };

    // defaultFamily: the font of the initial single space (8.5 pt).
    explicit RichTextBox(const QString &defaultFamily, QWidget *parent = nullptr);

    QString Text() const;             // whole content as plain text, "\n" between paragraphs
    void SetText(const QString &text); // replaces everything (undoable); "" empties

    // The program's own replacement of the whole document (initial content,
    // New, Open, recovery): the content starts in the control's default
    // character format with left-aligned paragraphs and a fresh undo history,
    // so nothing of the previous document can come back. Raises Change once.
    // LoadRtf takes an RTF document and keeps its formatting.
    void LoadText(const QString &text);
    void LoadRtf(const QString &rtf);
    // The character format of the initial content (design font, 8.5 pt).
    QTextCharFormat defaultCharFormat() const { return m_defaultFormat; }

    int SelStart() const;
    int SelLength() const;
    QString SelText() const;
    void SetSelText(const QString &text);

    // The selection as a complete RTF document; writing replaces the
    // selection (non-RTF text goes in as plain text, "" deletes it).
    QString SelRTF() const;
    void SetSelRTF(const QString &rtf);

    // The selection for the clipboard or a drag: its plain text and, unless
    // the control is read-only, its RTF document (SelRTF) under the RTF
    // types, so that it pastes back formatted here and in word processors.
    // A read-only view's passages go into the document as plain text.
    QMimeData *SelMimeData() const;
    // What pasting `source` writes to SelRTF: its RTF flavour when that holds
    // an RTF document, otherwise its plain text (read as RTF when it is an
    // RTF document). Nothing when it holds neither, say an image only.
    static std::optional<QString> pasteText(const QMimeData *source);

    Tri SelBold() const;
    Tri SelItalic() const;
    Tri SelUnderline() const;
    void SetSelBold(bool on);
    void SetSelItalic(bool on);
    void SetSelUnderline(bool on);
    void SetSelStrikeThru(bool on);
    void SetSelFontName(const QString &family);
    void SetSelFontSize(float points);
    void SetSelColor(QRgb rgb);
    // 0 left, 1 right, 2 centre; other values are ignored.
    void SetSelAlignment(int alignment);

    // Search by Find's matching rule (TextMatch: case and the style of
    // apostrophes and quotation marks ignored), no whole-word rule. Without a start: inside the
    // selection, or the whole text when nothing is selected. With a start:
    // from there to the end. A match is selected and its position returned;
    // otherwise -1 and the selection stays.
    int Find(const QString &text, std::optional<int> start = std::nullopt);

    void SetFocus();
    // Prints the selection, or everything when nothing is selected.
    void SelPrint(QPrinter *printer) const;

    // Selects [start, start + length), clamped to the text.
    void setSelection(int start, int length);

signals:
    // Raised synchronously for every content change, programmatic writes included.
    void Change();

protected:
    // Every way text enters the control (context menu, Shift+Insert, the
    // X11 selection, drag and drop) follows the rule of pasteText.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    // Empties the document into its initial formats and returns a cursor
    // inside one edit block, ready for the new content.
    QTextCursor beginReplacement();
    void endReplacement(QTextCursor &cursor);

    QTextCharFormat m_defaultFormat;
    Tri readAttribute(bool (*test)(const QTextCharFormat &)) const;
    void mergeSelectionFormat(const QTextCharFormat &format);
};
