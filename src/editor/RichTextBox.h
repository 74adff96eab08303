#pragma once

#include "editor/EditorJob.h"
#include "editor/LayoutBudget.h"

#include <QPointer>
#include <QRgb>
#include <QTextCursor>
#include <QTextEdit>
#include <functional>
#include <optional>

class QMimeData;
struct RtfContent;

// The rich text control used for the sermon document and the reference
// views: a QTextEdit with the selection-oriented operations the window code
// relies on. Positions count characters from 0; a line break counts as one.
//
// Long content stays workable: a write, format or load of more than
// SliceCharacters runs as an EditorJob, which keeps the control busy (read
// only, every write refused) until it ends, builds whole documents off the
// GUI thread and writes the rest in slices between events, with one undo
// step and one Change all the same. Content the layout could not hold is
// refused before it goes in (see LayoutBudget), with Refused raised for
// writes.
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
    // Writes and formats of more characters than this run as a job, in slices.
    static constexpr int SliceCharacters = 1 << 16;
    // Content longer than this is read, measured or built on a worker.
    static constexpr qsizetype WorkerCharacters = 1 << 20;
    // A long write or format with more than this below its start is done
    // on the document out of view: Qt's layout walks every paragraph below
    // a change, so in view each slice would cost as much as the text below.
    static constexpr int InViewBelow = 1 << 20;

    // Tells whether a whole-document load went in; reason says why not.
    using Loaded = std::function<void(bool loaded, const QString &reason)>;

    // defaultFamily: the font of the initial single space (8.5 pt).
    explicit RichTextBox(const QString &defaultFamily, QWidget *parent = nullptr);

    QString Text() const;             // whole content as plain text, "\n" between paragraphs
    void SetText(const QString &text); // replaces everything (undoable); "" empties

    // The program's own replacement of the whole document (initial content,
    // New, Open, recovery): the content starts in the control's default
    // character format with left-aligned paragraphs and a fresh undo history,
    // so nothing of the previous document can come back. Raises Change once.
    // LoadRtf takes an RTF document and keeps its formatting. Short content
    // is in place before these return; long content is built on a worker as
    // a job that can be cancelled, leaving the document as it was. done is
    // called once either way, at once when the control is busy or the
    // content cannot be held (the document then stays as it was).
    void LoadText(const QString &text, const Loaded &done = {});
    void LoadRtf(const QString &rtf, const Loaded &done = {});
    // The character format of the initial content (design font, 8.5 pt).
    QTextCharFormat defaultCharFormat() const { return m_defaultFormat; }

    int SelStart() const;
    int SelLength() const;
    QString SelText() const;
    void SetSelText(const QString &text);

    // Replaces the text of each run of the selection by map(text) in the
    // run's own format (case changes keep bold words bold); the caret ends
    // after it. Long selections change as a job.
    void mapSelectionText(const std::function<QString(const QString &)> &map);

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
    // A colour without alpha takes the colour away: the text then shows in
    // the control's text colour.
    void SetSelColor(QRgb rgb);
    // The character format the selection begins with; with nothing
    // selected, that of the text typed next.
    QTextCharFormat SelStartFormat() const;
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
    // The selection, or everything when nothing is selected, with its
    // formatting, as a document of its own for printing: paper printing and
    // PDF (see PrintJob) lay it out for their page.
    RtfContent printContent() const;

    // Selects [start, start + length), clamped to the text.
    void setSelection(int start, int length);

    // A long command is under way (see EditorJob): the document is read
    // only and every write is refused until it ends.
    bool isBusy() const { return m_job != nullptr; }
    EditorJob *job() const { return m_job; }

    using QTextEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // Raised synchronously for every content change, programmatic writes included.
    void Change();
    // A write or format was refused because the document could not hold
    // its result; the document is unchanged. message is for the user.
    void Refused(const QString &message);
    // Rich text went in without a part the reader could not take (nested
    // too deeply). Raised once per write or load, from the event loop once
    // it is done; message is for the user.
    void LeftOut(const QString &message);
    void busyChanged(bool busy);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Every way text enters the control (context menu, Shift+Insert, the
    // X11 selection, drag and drop) follows the rule of pasteText.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    friend class EditorJob;
    class LoadJob;
    class LayoutJob;
    class WriteJob;

    // Documents up to this many characters are laid out at once when Qt
    // begins their layout afresh; longer ones as a job.
    static constexpr int LayoutAtOnce = 1 << 18;

    // Writes that add less than this estimated height skip the whole-document
    // check: far less than what separates the limit from the hazard.
    static constexpr qreal SmallHeight = 10'000;

    // A long write or format, done as a job in slices.
    struct WritePlan {
        QString label;
        QTextCursor cursor; // its selection is what is replaced or formatted
        // Measures what a write adds (none for formats); it must not touch
        // the document, as it may run on a worker.
        std::function<LayoutBudget()> added;
        bool measureOnWorker = false;
        bool wholeDocument = false;
        // Formats that make the selection's text larger: its size after.
        std::optional<LayoutBudget::SizeOverride> larger;
        // Writes about the given number of characters more at the cursor and
        // sets the fraction done; false once done.
        std::function<bool(QTextCursor &cursor, int characters, qreal &fraction)> slice;
        // Formats keep the selection; writes leave the caret after them.
        bool keepSelection = false;
    };
    void startWrite(WritePlan plan);

    // Long content (RichTextBoxLarge.cpp).
    void loadDocument(const QString &content, bool rtf, const Loaded &done);
    // Shows doc in place of the current document (which goes), wrapping
    // anywhere when it holds longer words than a line can.
    void swapInDocument(QTextDocument *doc, bool wrapAnywhere);
    // Wraps the view and a document about to be shown anywhere or as usual.
    void setWrapping(QTextDocument *doc, bool wrapAnywhere);
    // After Qt began laying the document out afresh (a new document, other
    // wrapping): lays it out to the end before anything may change it. An
    // edit while Qt's layout is under way ends that layout where it stands,
    // and the rest of the document could then never be shown.
    void settleLayout();
    // Replaces the cursor's selection by plain text; long text as a job.
    // True when done at once; false when refused or left to a job.
    bool insertPlain(QTextCursor &cursor, const QString &text, bool wholeDocument);
    // Merge a format into the selection; long selections as a job.
    void applyCharFormat(const QTextCharFormat &format);
    void applyBlockFormat(const QTextBlockFormat &format);
    void mergeSelection(const QTextCursor &selection, std::optional<LayoutBudget::SizeOverride> larger,
                        const std::function<void(QTextCursor &)> &merge);

    qreal estimateWidth() const;
    qreal estimateDpi() const;
    // The whole document's estimated height, kept for as long as the
    // document, its revision and the width stay the same.
    std::optional<qreal> knownHeight() const;
    void keepHeight(QTextDocument *doc, qreal width, qreal height);
    qreal documentHeight();
    // Whether content of this estimated height fits; raises Refused when not.
    bool fits(qreal height);
    // Whether writing this content at the cursor makes a word longer than
    // a line can ever hold.
    bool makesLongWord(const QTextCursor &cursor, const LayoutBudget &added) const;
    // Keeps the layout's pages bounded (LayoutPageHeight).
    void keepPageHeight();
    void watchLayout();

    // Rich text just written or loaded lacks a part: LeftOut follows once
    // the command is done.
    void noteLeftOut();

    // The job's side of the busy state.
    void beginJob(EditorJob *job);
    // changed: the job changed the document, which then raises Change once.
    void endJob(bool changed);
    // Takes the document out of the view for the job (the view keeps its
    // last picture) and puts it back, laid out anew.
    QTextDocument *detachDocument();
    void attachDocument(QTextDocument *doc, bool wrapAnywhere);

    QTextCharFormat m_defaultFormat;
    QTextOption::WrapMode m_normalWrap = QTextOption::WrapAtWordBoundaryOrAnywhere;
    QTextCharFormat *m_group = nullptr; // collecting a FormatGroup's writes
    QPointer<EditorJob> m_job;
    bool m_wasReadOnly = false;
    bool m_leftOutPending = false; // noted during a job, said at its end
    QPointer<QTextDocument> m_heightDocument;
    int m_heightRevision = -1;
    qreal m_heightWidth = 0;
    qreal m_height = 0;

    Tri readAttribute(bool (*test)(const QTextCharFormat &)) const;
    void mergeSelectionFormat(const QTextCharFormat &format);
};
