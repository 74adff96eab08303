// Long content in the rich text control: whole documents built off the GUI
// thread, long writes and formats in slices, and what the layout cannot
// hold refused before it goes in.

#include "editor/RichTextBox.h"

#include "editor/BusyScope.h"
#include "editor/LayoutBudget.h"
#include "editor/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <memory>

namespace {

// Content longer than this is read or built on a worker thread.
constexpr qsizetype WorkerCharacters = 1 << 20;
// A slice of work aims at about this many milliseconds, its layout included.
constexpr qint64 SliceMs = 150;
constexpr int LargestSlice = 1 << 24;
// Wrap width assumed while the control has never been shown.
constexpr qreal AssumedTextWidth = 320;
// Writes that add less than this estimated height skip the whole-document
// check: far less than what separates the limit from the hazard.
constexpr qreal SmallHeight = 10'000;

// Where a slice of text may end: never inside a CR LF or a surrogate pair.
qsizetype sliceEnd(QStringView text, qsizetype from, qsizetype length)
{
    qsizetype end = qMin(text.size(), from + length);
    if (end < text.size() && end > from
        && (text[end].isLowSurrogate() || (text[end] == u'\n' && text[end - 1] == u'\r')))
        ++end;
    return end;
}

// Sizes slices of work from the time they take. A slice costs a part that
// grows with its size and a part that does not: Qt's layout walks every
// paragraph below a change. Slices aim at SliceMs, or at twice the fixed
// part when that alone is more, so that most of each slice is work.
class SliceSizer {
public:
    int chars() const { return m_chars; }
    void took(qint64 ms)
    {
        double next = m_chars;
        double fixed = 0;
        if (m_lastChars > 0 && m_lastChars != m_chars) {
            const double perChar = qMax(1e-7, double(ms - m_lastMs) / (m_chars - m_lastChars));
            fixed = qBound(0.0, ms - perChar * m_chars, double(ms));
            next = (qMax(double(SliceMs), 2 * fixed) - fixed) / perChar;
        } else if (ms < SliceMs) {
            next = m_chars * 2.0;
        }
        // A slice that took too long, mostly in work that grows with its
        // size, is followed by a smaller one whatever the estimate says.
        if (ms > 2 * SliceMs && fixed < ms / 2.0)
            next = qMin(next, m_chars / 2.0);
        // Measurements are noisy: grow by a factor of two at most.
        next = qBound(m_chars / 4.0, next, m_chars * 2.0);
        m_lastChars = m_chars;
        m_lastMs = ms;
        m_chars = int(qBound(1024.0, next, double(LargestSlice)));
    }

private:
    int m_chars = RichTextBox::SliceCharacters;
    int m_lastChars = 0;
    qint64 m_lastMs = 0;
};

// Sets a flag for as long as it lives.
class FlagScope {
    Q_DISABLE_COPY_MOVE(FlagScope)
public:
    explicit FlagScope(bool &flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~FlagScope() { m_flag = false; }

private:
    bool &m_flag;
};

// While long work runs: the document layout's own timer is held back (it
// would lay out below the slice just written, only for the next slice to
// move or redo it), and the view does not paint (painting where it stands
// would lay out everything above that point in one go). The progress
// dialog shows meanwhile.
class QuietLayout : public QObject {
    Q_DISABLE_COPY_MOVE(QuietLayout)
public:
    QuietLayout(QObject *layout, QWidget *viewport)
        : m_layout(layout)
        , m_viewport(viewport)
    {
        m_layout->installEventFilter(this);
        m_viewport->setUpdatesEnabled(false);
    }
    ~QuietLayout() override
    {
        if (m_layout)
            m_layout->removeEventFilter(this);
        if (m_viewport)
            m_viewport->setUpdatesEnabled(true);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return watched == m_layout && event->type() == QEvent::Timer;
    }

private:
    QPointer<QObject> m_layout;
    QPointer<QWidget> m_viewport;
};

} // namespace

bool RichTextBox::loadDocument(const QString &content, bool rtf, QString *reason)
{
    if (m_busy) {
        if (reason)
            *reason = QStringLiteral("The editor is still busy with the previous command.");
        return false;
    }
    const FlagScope busyFlag(m_busy);
    const QTextDocument *current = document();
    const qreal width = estimateWidth();
    const qreal dpi = estimateDpi();
    const QFont font = current->defaultFont();
    const qreal margin = current->documentMargin();
    const QTextCharFormat format = m_defaultFormat;
    QThread *const home = thread();

    // Built apart from the view, with no layout and no undo history, then
    // shown in one swap: the view lays it out from the top, a screenful
    // first and the rest between events.
    std::unique_ptr<QTextDocument> built;
    qreal height = 0;
    bool longWords = false;
    const auto build = [&](std::atomic<int> &permille) {
        LayoutBudget budget(width, dpi);
        if (rtf)
            RtfReader::measure(content, budget);
        else
            budget.addText(content, format.fontPointSize());
        height = budget.height();
        longWords = budget.longestWord() > LayoutBudget::LongestWord;
        if (height > LayoutBudget::MaxHeight)
            return;
        auto doc = std::make_unique<QTextDocument>();
        doc->setUndoRedoEnabled(false);
        doc->setDefaultFont(font);
        doc->setDocumentMargin(margin);
        {
            QTextCursor cursor(doc.get());
            cursor.setBlockCharFormat(format);
            cursor.setCharFormat(format);
            const qsizetype total = qMax<qsizetype>(1, content.size());
            if (rtf) {
                RtfReader reader(cursor, content);
                while (reader.step(SliceCharacters))
                    permille = int(reader.position() * 1000 / total);
                reader.finish();
            } else {
                for (qsizetype done = 0; done < content.size();) {
                    const qsizetype end = sliceEnd(content, done, SliceCharacters);
                    cursor.insertText(content.mid(done, end - done), format);
                    done = end;
                    permille = int(done * 1000 / total);
                }
            }
        }
        doc->setUndoRedoEnabled(true);
        doc->setModified(false);
        doc->moveToThread(home);
        built = std::move(doc);
    };
    if (content.size() > WorkerCharacters) {
        BusyScope busy(this, QStringLiteral("Loading the document\u2026"));
        busy.runOnWorker(build);
    } else {
        std::atomic<int> permille{0};
        build(permille);
    }
    if (!built) {
        if (reason)
            *reason = LayoutBudget::tooLongMessage(height);
        return false;
    }

    QTextDocument *doc = built.release();
    doc->setParent(this);
    // A control never shown lays nothing out; the new document neither.
    doc->setPageSize(current->pageSize());
    QTextDocument *old = document();
    const bool ownOld = old->parent() == this;
    setDocument(doc); // raises Change once; the view deletes its own first document
    if (ownOld)
        old->deleteLater();
    setWrapAnywhere(longWords, nullptr);
    watchLayout();
    keepPageHeight();
    // The view's caret keeps the previous document's typing format across
    // setDocument; a fresh one types in the format of the text it stands at.
    setTextCursor(QTextCursor(document()));
    if (document()->isEmpty())
        setCurrentCharFormat(m_defaultFormat);
    return true;
}

qreal RichTextBox::estimateWidth() const
{
    const QTextDocument *doc = document();
    const qreal width = doc->pageSize().width() - 2 * doc->documentMargin();
    return width > 0 ? width : AssumedTextWidth;
}

qreal RichTextBox::estimateDpi() const
{
    return logicalDpiY();
}

qreal RichTextBox::measure(BusyScope &busy, int from, int to, std::optional<LayoutBudget::SizeOverride> override)
{
    if (to <= from)
        return 0;
    return LayoutBudget::ofDocument(*document(), estimateWidth(), estimateDpi(), from, to, override,
                                    [&busy](qreal fraction) { busy.progress(fraction); });
}

qreal RichTextBox::currentHeight(BusyScope &busy)
{
    QTextDocument *doc = document();
    const qreal width = estimateWidth();
    if (m_heightDocument != doc || m_heightRevision != doc->revision() || m_heightWidth != width) {
        m_height = measure(busy, 0, std::numeric_limits<int>::max());
        m_heightDocument = doc;
        m_heightRevision = doc->revision();
        m_heightWidth = width;
    }
    return m_height;
}

bool RichTextBox::fitsReplacing(BusyScope &busy, int from, int to, qreal added)
{
    if (added < SmallHeight)
        return true;
    const qreal kept = (from == 0 && to >= document()->characterCount() - 1)
        ? 0
        : currentHeight(busy) - measure(busy, from, to);
    return fits(busy, kept + added);
}

bool RichTextBox::fits(BusyScope &busy, qreal height)
{
    if (height <= LayoutBudget::MaxHeight)
        return true;
    busy.closeDialog();
    emit Refused(LayoutBudget::tooLongMessage(height));
    return false;
}

bool RichTextBox::makesLongWord(const QTextCursor &cursor, const LayoutBudget &added) const
{
    if (wordWrapMode() == QTextOption::WrapAnywhere)
        return false;
    if (added.longestWord() > LayoutBudget::LongestWord)
        return true;
    // The text may also lengthen the words it lands between.
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    const QString firstText = first.text();
    const QString lastText = last.text();
    const qsizetype before =
        LayoutBudget::trailingWord(QStringView(firstText).first(cursor.selectionStart() - first.position()));
    const qsizetype after =
        LayoutBudget::leadingWord(QStringView(lastText).sliced(cursor.selectionEnd() - last.position()));
    if (!added.hasBreak())
        return before + added.longestWord() + after > LayoutBudget::LongestWord;
    return before + added.leadingWord() > LayoutBudget::LongestWord
        || added.trailingWord() + after > LayoutBudget::LongestWord;
}

void RichTextBox::setWrapAnywhere(bool anywhere, BusyScope *busy)
{
    // Qt's line breaking looks for the end of the word on every line, so a
    // word of a hundred thousand letters takes seconds to lay out; broken
    // anywhere it takes milliseconds. Only a document that holds a word
    // longer than a line can ever hold wraps anywhere.
    const QTextOption::WrapMode mode = anywhere ? QTextOption::WrapAnywhere : m_normalWrap;
    if (wordWrapMode() == mode)
        return;
    if (!busy) {
        setWordWrapMode(mode);
        return;
    }
    // The layout starts again from the top: up to the caret it is done in
    // slices, unseen.
    const QuietLayout quiet(document()->documentLayout(), viewport());
    setWordWrapMode(mode);
    layOutPaced(*busy, textCursor().position());
}

void RichTextBox::layOutPaced(BusyScope &busy, int target)
{
    QTextDocument *doc = document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    SliceSizer sizer;
    for (int position = 0; position < target;) {
        QElapsedTimer clock;
        clock.start();
        position = qMin(target, position + sizer.chars());
        // Asking for a paragraph's place lays the document out down to it.
        layout->blockBoundingRect(doc->findBlock(position));
        sizer.took(clock.elapsed());
        busy.progress(qreal(position) / target);
    }
}

void RichTextBox::keepPageHeight()
{
    QTextDocument *doc = document();
    QSizeF size = doc->pageSize();
    // A control never shown has no page and lays nothing out.
    if (size.width() <= 0 || size.height() == LayoutPageHeight)
        return;
    size.setHeight(LayoutPageHeight);
    doc->setPageSize(size);
}

void RichTextBox::resizeEvent(QResizeEvent *event)
{
    // The view sets pages of unbounded height whenever its width changes,
    // and whenever its scroll bar comes or goes (see watchLayout()).
    QTextEdit::resizeEvent(event);
    keepPageHeight();
}

QVariant RichTextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // Input methods ask after every change, slices included, for the caret's
    // place and the selected text: with the caret at the end of a long
    // selection, that would lay the document out down to it and copy the
    // selection each time. They learn nothing until the work is done.
    if (m_busy)
        return {};
    return QTextEdit::inputMethodQuery(query);
}

void RichTextBox::watchLayout()
{
    // Connected after the view's own handler, which may have just set
    // unbounded pages again.
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &RichTextBox::keepPageHeight, Qt::UniqueConnection);
}

bool RichTextBox::runSliced(BusyScope &busy, QTextCursor &cursor, int from,
                            const std::function<bool(QTextCursor &, int, qreal &)> &step)
{
    const FlagScope busyFlag(m_busy);
    const FlagScope holdChange(m_holdChange);
    m_changeHeld = false;
    QTextDocument *doc = document();
    const QuietLayout quiet(doc->documentLayout(), viewport());

    // Laid out down to where the writing starts, in slices.
    layOutPaced(busy, from);

    const int stepsBefore = doc->availableUndoSteps();
    bool joined = false;
    SliceSizer sizer;
    for (bool more = true; more;) {
        QElapsedTimer clock;
        clock.start();
        // The first slice that changes something opens the undo step that
        // the others join.
        if (joined)
            cursor.joinPreviousEditBlock();
        else
            cursor.beginEditBlock();
        qreal fraction = 0;
        more = step(cursor, sizer.chars(), fraction);
        cursor.endEditBlock(); // the slice is laid out here
        joined = joined || doc->availableUndoSteps() > stepsBefore;
        sizer.took(clock.elapsed());
        if (more)
            busy.progress(fraction);
    }
    // Down to the caret, where the view goes next: in slices, not in one
    // go when it scrolls there.
    layOutPaced(busy, cursor.position());
    const bool changed = m_changeHeld;
    m_changeHeld = false;
    return changed;
}

bool RichTextBox::insertPlain(QTextCursor &cursor, const QString &text, bool wholeDocument, const QString &label)
{
    if (m_busy)
        return false;
    if (text.isEmpty() && !cursor.hasSelection() && !wholeDocument)
        return true;
    const qreal ownPoints = cursor.charFormat().fontPointSize();
    const qreal points = ownPoints > 0 ? ownPoints : document()->defaultFont().pointSizeF();
    LayoutBudget added(estimateWidth(), estimateDpi());
    added.addText(text, points);
    BusyScope busy(this, label);
    if (wholeDocument) {
        if (!fits(busy, added.height()))
            return false;
        setWrapAnywhere(added.longestWord() > LayoutBudget::LongestWord, nullptr);
    } else {
        if (!fitsReplacing(busy, cursor.selectionStart(), cursor.selectionEnd(), added.height()))
            return false;
        if (makesLongWord(cursor, added))
            setWrapAnywhere(true, &busy);
    }

    if (text.size() <= SliceCharacters) {
        cursor.beginEditBlock();
        cursor.insertText(text);
        cursor.endEditBlock();
        return true;
    }
    qsizetype done = 0;
    const bool changed =
        runSliced(busy, cursor, cursor.selectionStart(), [&](QTextCursor &c, int chars, qreal &fraction) {
            const qsizetype end = sliceEnd(text, done, chars);
            c.insertText(text.mid(done, end - done)); // the first slice replaces the selection
            done = end;
            fraction = qreal(done) / text.size();
            return done < text.size();
        });
    if (changed)
        emit Change();
    return true;
}

void RichTextBox::applyCharFormat(const QTextCharFormat &format)
{
    if (m_busy)
        return;
    QTextCursor c = textCursor();
    const int from = c.selectionStart();
    const int to = c.selectionEnd();
    BusyScope busy(this, QStringLiteral("Formatting\u2026"));
    if (format.hasProperty(QTextFormat::FontPointSize)) {
        // Only a larger size can make the document too long.
        const qreal before = measure(busy, from, to);
        const qreal after = measure(busy, from, to, LayoutBudget::SizeOverride{from, to, format.fontPointSize()});
        if (after - before >= SmallHeight && !fitsReplacing(busy, from, to, after))
            return;
    }
    mergeSelection(busy, c, [&format](QTextCursor &w) { w.mergeCharFormat(format); });
}

void RichTextBox::applyBlockFormat(const QTextBlockFormat &format)
{
    if (m_busy)
        return;
    BusyScope busy(this, QStringLiteral("Formatting\u2026"));
    QTextCursor c = textCursor();
    mergeSelection(busy, c, [&format](QTextCursor &w) { w.mergeBlockFormat(format); });
}

void RichTextBox::mergeSelection(BusyScope &busy, const QTextCursor &selection,
                                 const std::function<void(QTextCursor &)> &merge)
{
    const int from = selection.selectionStart();
    const int to = selection.selectionEnd();
    if (to - from <= SliceCharacters) {
        QTextCursor c = selection;
        c.beginEditBlock();
        merge(c);
        c.endEditBlock();
        setTextCursor(selection);
        return;
    }
    QTextCursor work(document());
    int position = from;
    const bool changed = runSliced(busy, work, from, [&](QTextCursor &w, int chars, qreal &fraction) {
        const int end = qMin(to, position + chars);
        w.setPosition(position);
        w.setPosition(end, QTextCursor::KeepAnchor);
        merge(w);
        position = end;
        fraction = qreal(position - from) / (to - from);
        return position < to;
    });
    if (changed)
        emit Change();
    setTextCursor(selection);
}

RichTextBox::FormatGroup::FormatGroup(RichTextBox &box)
    : m_box(box)
{
    if (!m_box.m_group)
        m_box.m_group = &m_format;
}

RichTextBox::FormatGroup::~FormatGroup()
{
    if (m_box.m_group != &m_format)
        return; // an outer group collects
    m_box.m_group = nullptr;
    if (!m_format.properties().isEmpty())
        m_box.applyCharFormat(m_format);
}
