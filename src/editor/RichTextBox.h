#pragma once

#include "editor/LayoutBudget.h"

#include <QPointer>
#include <QRgb>
#include <QTextEdit>
#include <functional>
#include <optional>

class BusyScope;
class QMimeData;
class QPagedPaintDevice;

// The rich text control used for the sermon document and the reference
// views: a QTextEdit with the selection-oriented operations the window code
// relies on. Positions count characters from 0; a line break counts as one.
//
// Long content stays workable: whole documents are built off the GUI
// thread and swapped in, long writes and formats go in slices with the
// window answering in between (one undo step and one Change all the same),
// and content the layout could not hold is refused before it goes in (see
// LayoutBudget), with Refused raised for writes.
class RichTextBox : public QTextEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RichTextBox)

public:
    // A character attribute over the selection: on, off, or mixed.
    enum class Tri { Off, On, Mixed };

    // Largest font size a write sets, in points (as in the RTF reader).
    static constexpr float MaxFontSize = 1638;
    // The layout's page height in pixels: Qt's layout never finishes a
    // document that crosses a page boundary when pages are unbounded
    // (about 8.4 million pixels), so the editor's pages are bounded. A line
    // crossing a boundary moves down by a few pixels, nothing more.
    static constexpr qreal LayoutPageHeight = 1'000'000;
    // Writes and formats of more characters than this go in slices.
    static constexpr int SliceCharacters = 1 << 16;

    // defaultFamily: the font of the initial single space (8.5 pt).
    explicit RichTextBox(const QString &defaultFamily, QWidget *parent = nullptr);

    QString Text() const;             // whole content as plain text, "\n" between paragraphs
    void SetText(const QString &text); // replaces everything (undoable); "" empties

    // The program's own replacement of the whole document (initial content,
    // New, Open, recovery): the content starts in the control's default
    // character format with left-aligned paragraphs and a fresh undo history,
    // so nothing of the previous document can come back. Raises Change once.
    // LoadRtf takes an RTF document and keeps its formatting. The content is
    // complete on return; long content is built with the window answering
    // and a progress dialog. Content the editor cannot hold is refused:
    // false, *reason says why and the document stays as it was.
    bool LoadText(const QString &text, QString *reason = nullptr);
    bool LoadRtf(const QString &rtf, QString *reason = nullptr);
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
    // Sizes above MaxFontSize are taken as MaxFontSize.
    void SetSelFontSize(float points);
    void SetSelColor(QRgb rgb);
    // 0 left, 1 right, 2 centre; other values are ignored.
    void SetSelAlignment(int alignment);

    // Makes the character-format writes done while it lives (the Font
    // command's name, size, colour and effects) one change: one undo step,
    // one pass over the selection, one check of what the document can hold.
    // The writes must not be wrapped in an edit block of the caller's: the
    // work between slices needs the document complete.
    class FormatGroup {
        Q_DISABLE_COPY_MOVE(FormatGroup)
    public:
        explicit FormatGroup(RichTextBox &box);
        ~FormatGroup();

    private:
        RichTextBox &m_box;
        QTextCharFormat m_format;
    };

    // Search by Find's matching rule (TextMatch: case and the style of
    // apostrophes and quotation marks ignored), no whole-word rule. Without a start: inside the
    // selection, or the whole text when nothing is selected. With a start:
    // from there to the end. A match is selected and its position returned;
    // otherwise -1 and the selection stays.
    int Find(const QString &text, std::optional<int> start = std::nullopt);

    void SetFocus();
    // Prints the selection, or everything when nothing is selected.
    void SelPrint(QPagedPaintDevice *printer) const;

    // Selects [start, start + length), clamped to the text.
    void setSelection(int start, int length);

    using QTextEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // Raised synchronously for every content change, programmatic writes included.
    void Change();
    // A write or format was refused because the document could not hold
    // its result; the document is unchanged. message is for the user.
    void Refused(const QString &message);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Every way text enters the control (context menu, Shift+Insert, the
    // X11 selection, drag and drop) follows the rule of pasteText.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    // Long content (RichTextBoxLarge.cpp).
    // Builds a whole document off the view and shows it in place of the
    // current one.
    bool loadDocument(const QString &content, bool rtf, QString *reason);
    // Replaces the cursor's selection by plain text, in slices when long.
    bool insertPlain(QTextCursor &cursor, const QString &text, bool wholeDocument, const QString &label);
    // Merge a format into the selection, in slices when long.
    void applyCharFormat(const QTextCharFormat &format);
    void applyBlockFormat(const QTextBlockFormat &format);
    // Applies merge to the selection: at once when short, in slices when long.
    void mergeSelection(BusyScope &busy, const QTextCursor &selection,
                        const std::function<void(QTextCursor &)> &merge);
    // Runs step until it returns false, each call in an edit block of its
    // own joined into one undo step, letting events through between calls.
    // step gets the number of characters to work on and sets the fraction
    // done. from: where the writing starts. Change is held back meanwhile;
    // returns whether the document reported one, for the caller to raise
    // once.
    bool runSliced(BusyScope &busy, QTextCursor &cursor, int from,
                   const std::function<bool(QTextCursor &, int, qreal &)> &step);
    // Lays the document out down to target, in slices.
    void layOutPaced(BusyScope &busy, int target);

    // Estimated laid-out height of [from, to), measured between events.
    qreal measure(BusyScope &busy, int from, int to,
                  std::optional<LayoutBudget::SizeOverride> override = std::nullopt);
    // The whole document's, kept for as long as the document is unchanged.
    qreal currentHeight(BusyScope &busy);
    qreal estimateWidth() const;
    qreal estimateDpi() const;
    // Whether the document still fits with [from, to) replaced by content
    // of the given estimated height; raises Refused when not.
    bool fitsReplacing(BusyScope &busy, int from, int to, qreal added);
    bool fits(BusyScope &busy, qreal height);
    // Whether writing this content at the cursor makes a word longer than
    // a line can ever hold.
    bool makesLongWord(const QTextCursor &cursor, const LayoutBudget &added) const;
    // Wraps anywhere or as usual; with busy, lays out down to the caret
    // in slices afterwards.
    void setWrapAnywhere(bool anywhere, BusyScope *busy);
    // Keeps the layout's pages bounded (LayoutPageHeight).
    void keepPageHeight();
    void watchLayout();

    QTextCharFormat m_defaultFormat;
    QTextOption::WrapMode m_normalWrap = QTextOption::WrapAtWordBoundaryOrAnywhere;
    QTextCharFormat *m_group = nullptr; // collecting a FormatGroup's writes
    bool m_busy = false;                // inside long work
    bool m_holdChange = false;
    bool m_changeHeld = false;
    // currentHeight(), valid for one document, revision and width.
    QPointer<QTextDocument> m_heightDocument;
    int m_heightRevision = -1;
    qreal m_heightWidth = 0;
    qreal m_height = 0;

    Tri readAttribute(bool (*test)(const QTextCharFormat &)) const;
    void mergeSelectionFormat(const QTextCharFormat &format);
};
