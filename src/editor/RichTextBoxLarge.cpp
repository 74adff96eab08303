// Long content in the rich text control: whole documents built on a
// worker, long writes and formats in slices between events, each as an
// EditorJob, and what the layout cannot hold refused before it goes in.

#include "editor/RichTextBox.h"

#include "editor/EditorJob.h"
#include "editor/FreeMemory.h"
#include "editor/LayoutBudget.h"
#include "editor/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QPromise>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>

namespace {

// Wrap width assumed while the control has never been shown.
constexpr qreal AssumedTextWidth = 320;
// Where a slice of text may end: never inside a CR LF or a surrogate pair.
qsizetype sliceEnd(QStringView text, qsizetype from, qsizetype length)
{
    qsizetype end = qMin(text.size(), from + length);
    if (end < text.size() && end > from
        && (text[end].isLowSurrogate() || (text[end] == u'\n' && text[end - 1] == u'\r')))
        ++end;
    return end;
}

// What a whole document is built with, taken from the control on the GUI thread.
struct BuildSettings {
    qreal width = 0;
    qreal dpi = 96;
    QFont font;
    qreal margin = 4;
    QTextCharFormat format;
};

// A document built apart from the view, or the estimated height that
// made it too long to build. The document goes with the last copy of
// this unless it is taken out.
struct Built {
    std::shared_ptr<std::unique_ptr<QTextDocument>> doc;
    qreal height = 0;
    bool longWords = false;
    bool leftOut = false; // rich text nested too deeply was left out
};

// Builds a whole document with no layout and no undo history. progress
// gets thousandths done and answers whether to go on.
Built buildDocument(const BuildSettings &settings, const QString &content, bool rtf,
                    const std::function<bool(int)> &progress)
{
    Built built;
    LayoutBudget budget(settings.width, settings.dpi);
    if (rtf)
        RtfReader::measure(content, budget);
    else
        budget.addText(content, settings.format.fontPointSize());
    built.height = budget.height();
    built.longWords = budget.longestWord() > LayoutBudget::LongestWord;
    if (built.height > LayoutBudget::MaxHeight)
        return built;
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);
    // No page, no layout: a cursor lays out the paragraph it writes in
    // after every insertion otherwise, and a paragraph of a million
    // letters would be laid out again and again.
    doc->setPageSize(QSizeF(0, 0));
    doc->setDefaultFont(settings.font);
    doc->setDocumentMargin(settings.margin);
    QTextCursor cursor(doc.get());
    // Outside an edit block every insertion looks up the caret's line, and
    // that lays its whole paragraph out again: a paragraph of many runs
    // would take the square of its length.
    cursor.beginEditBlock();
    cursor.setBlockCharFormat(settings.format);
    cursor.setCharFormat(settings.format);
    const qsizetype total = qMax<qsizetype>(1, content.size());
    if (rtf) {
        RtfReader reader(cursor, content);
        while (reader.step(RichTextBox::SliceCharacters)) {
            if (!progress(int(reader.position() * 1000 / total)))
                return {};
        }
        reader.finish();
        built.leftOut = reader.leftOut();
    } else {
        for (qsizetype done = 0; done < content.size();) {
            const qsizetype end = sliceEnd(content, done, RichTextBox::SliceCharacters);
            cursor.insertText(content.mid(done, end - done), settings.format);
            done = end;
            if (!progress(int(done * 1000 / total)))
                return {};
        }
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    built.doc = std::make_shared<std::unique_ptr<QTextDocument>>(std::move(doc));
    return built;
}

} // namespace

// Builds a whole document on a worker and shows it in place of the current one.
class RichTextBox::LoadJob : public EditorJob {
public:
    LoadJob(RichTextBox *box, QString content, bool rtf, Loaded done)
        : EditorJob(box, QStringLiteral("Opening the document\u2026"), true)
        , m_content(std::move(content))
        , m_rtf(rtf)
        , m_done(std::move(done))
    {
        connect(this, &EditorJob::finished, this, [this](Outcome outcome, const QString &message) {
            if (m_done)
                m_done(outcome == Outcome::Done, message);
        });
    }

protected:
    void begin() override
    {
        RichTextBox *const b = box();
        BuildSettings settings;
        settings.width = b->estimateWidth();
        settings.dpi = b->estimateDpi();
        settings.font = b->document()->defaultFont();
        settings.margin = b->document()->documentMargin();
        settings.format = b->m_defaultFormat;
        QThread *const home = b->thread();
        // The worker has its own copy of the text: the job may go first.
        QFuture<Built> future = QtConcurrent::run(
            [settings, home](QPromise<Built> &promise, const QString &content, bool rtf) {
                promise.setProgressRange(0, 1000);
                Built built = buildDocument(settings, content, rtf, [&promise](int permille) {
                    promise.setProgressValue(permille);
                    return !promise.isCanceled();
                });
                if (promise.isCanceled())
                    return; // dropped here, on its own thread
                if (built.doc)
                    (*built.doc)->moveToThread(home);
                promise.addResult(std::move(built));
            },
            m_content, m_rtf);
        m_content.clear();
        // Building takes about as long as laying out afterwards.
        setProgressSpan(0, 0.5);
        await<Built>(future, [this](QFuture<Built> f) {
            if (f.isCanceled() || f.resultCount() == 0) {
                finish(Outcome::Cancelled);
                return;
            }
            const Built built = f.result();
            if (!built.doc) {
                finish(Outcome::Refused, LayoutBudget::tooLongMessage(built.height));
                return;
            }
            box()->swapInDocument(built.doc->release(), built.longWords);
            if (built.leftOut)
                box()->noteLeftOut();
            noteChanged();
            setCancellable(false); // the document is in: no going back
            setProgressSpan(0.5, 1);
            layOutToTheEnd([this] { finish(Outcome::Done); });
        });
    }

private:
    QString m_content;
    bool m_rtf;
    Loaded m_done;
};

// Lays a document whose layout Qt began afresh out to its end, the
// document held read only meanwhile (see settleLayout()).
class RichTextBox::LayoutJob : public EditorJob {
public:
    explicit LayoutJob(RichTextBox *box)
        : EditorJob(box, QStringLiteral("Laying out the document\u2026"), false)
    {
    }

protected:
    void begin() override
    {
        layOutToTheEnd([this] { finish(Outcome::Done); });
    }
};

// Writes or formats a long stretch of the document in slices, as one undo
// step: first what it adds is measured (on a worker when long) and checked
// against what the editor can hold, then the slices go in, then the layout
// is done down to the caret, a slice at a time too.
class RichTextBox::WriteJob : public EditorJob {
public:
    using Plan = WritePlan;

    WriteJob(RichTextBox *box, Plan plan)
        : EditorJob(box, plan.label, false)
        , m_plan(std::move(plan))
        , m_from(m_plan.cursor.selectionStart())
        , m_to(m_plan.cursor.selectionEnd())
    {
    }

protected:
    void begin() override
    {
        if (!m_plan.added) {
            measureFormat();
            return;
        }
        if (!m_plan.measureOnWorker) {
            checkAdded(m_plan.added());
            return;
        }
        await<LayoutBudget>(QtConcurrent::run(m_plan.added), [this](QFuture<LayoutBudget> f) {
            checkAdded(f.result());
        });
    }

private:
    // A write: whether the document holds it, with the text it replaces gone.
    void checkAdded(const LayoutBudget &added)
    {
        RichTextBox *const b = box();
        // A whole new text wraps as it needs; a part may only need more.
        m_wrapAnywhere = m_plan.wholeDocument ? added.longestWord() > LayoutBudget::LongestWord
                                              : b->wordWrapMode() == QTextOption::WrapAnywhere
                                                    || b->makesLongWord(m_plan.cursor, added);
        if (m_plan.wholeDocument) {
            if (box()->fits(added.height()))
                write();
            else
                finish(Outcome::Refused);
            return;
        }
        if (added.height() < SmallHeight) {
            write();
            return;
        }
        measureKept(added.height());
    }

    // The whole document's height less that of [from, to), then the check.
    void measureKept(qreal added)
    {
        measureRange(std::nullopt, [this, added](qreal replaced) {
            wholeHeight([this, added, replaced](qreal whole) {
                if (box()->fits(whole - replaced + added))
                    write();
                else
                    finish(Outcome::Refused);
            });
        });
    }

    // A format: only a larger size can make the document too long.
    void measureFormat()
    {
        if (!m_plan.larger) {
            write();
            return;
        }
        measureRange(std::nullopt, [this](qreal before) {
            measureRange(m_plan.larger, [this, before](qreal after) {
                if (after - before < SmallHeight) {
                    write();
                    return;
                }
                wholeHeight([this, before, after](qreal whole) {
                    if (box()->fits(whole - before + after))
                        write();
                    else
                        finish(Outcome::Refused);
                });
            });
        });
    }

    void measureRange(std::optional<LayoutBudget::SizeOverride> override, std::function<void(qreal)> then)
    {
        if (m_to <= m_from) {
            then(0);
            return;
        }
        RichTextBox *const b = box();
        measureInSlices(std::make_shared<LayoutBudget::OfDocument>(*b->document(), b->estimateWidth(),
                                                                   b->estimateDpi(), m_from, m_to, override),
                        std::move(then));
    }

    // Runs the measure a slice per turn of the event loop, then tells its height.
    void measureInSlices(std::shared_ptr<LayoutBudget::OfDocument> measure, std::function<void(qreal)> then)
    {
        auto sizer = std::make_shared<SliceSizer>(SliceCharacters * 8);
        repeat(
            [this, measure, sizer] {
                QElapsedTimer clock;
                clock.start();
                const bool more = measure->step(sizer->size());
                sizer->took(clock.elapsed());
                setProgress(measure->fraction());
                return more;
            },
            [measure, then = std::move(then)] { then(measure->height()); });
    }

    // The whole document's height, kept for as long as it is unchanged.
    void wholeHeight(std::function<void(qreal)> then)
    {
        RichTextBox *const b = box();
        QTextDocument *doc = b->document();
        const qreal width = b->estimateWidth();
        if (const std::optional<qreal> known = b->knownHeight()) {
            then(*known);
            return;
        }
        measureInSlices(std::make_shared<LayoutBudget::OfDocument>(*doc, width, b->estimateDpi()),
                        [this, doc, width, then = std::move(then)](qreal height) {
                            box()->keepHeight(doc, width, height);
                            then(height);
                        });
    }

    void write()
    {
        RichTextBox *const b = box();
        QTextDocument *doc = b->document();
        if (!m_plan.added) // formats keep the wrapping
            m_wrapAnywhere = b->wordWrapMode() == QTextOption::WrapAnywhere;
        const bool wrapChanges = m_wrapAnywhere != (b->wordWrapMode() == QTextOption::WrapAnywhere);
        // Below the change the layout would be walked at every slice; a
        // change of wrapping lays everything out anew anyway.
        if (wrapChanges || doc->characterCount() - m_from > InViewBelow)
            m_detached = b->detachDocument();
        m_doc = doc;
        connect(doc, &QTextDocument::contentsChanged, this, [this] { noteChanged(); });
        m_stepsBefore = doc->availableUndoSteps();
        m_sizer = std::make_unique<SliceSizer>(SliceCharacters);
        repeat([this] { return writeSlice(); }, [this] { written(); });
    }

    bool writeSlice()
    {
        if (!m_doc) {
            finish(Outcome::Refused);
            return false;
        }
        QElapsedTimer clock;
        clock.start();
        QTextCursor &cursor = m_plan.cursor;
        // The first slice that changes something opens the undo step that
        // the others join.
        if (m_joined)
            cursor.joinPreviousEditBlock();
        else
            cursor.beginEditBlock();
        qreal fraction = 0;
        const bool more = m_plan.slice(cursor, m_sizer->size(), fraction);
        cursor.endEditBlock();
        m_joined = m_joined || m_doc->availableUndoSteps() > m_stepsBefore;
        m_sizer->took(clock.elapsed());
        setProgress(fraction);
        return more;
    }

    void written()
    {
        RichTextBox *const b = box();
        if (!m_doc) {
            finish(Outcome::Refused);
            return;
        }
        disconnect(m_doc, nullptr, this, nullptr);
        const bool wrapChanges = m_wrapAnywhere != (b->wordWrapMode() == QTextOption::WrapAnywhere);
        if (m_detached)
            b->attachDocument(m_doc, m_wrapAnywhere);
        else if (wrapChanges)
            b->setWrapping(m_doc, m_wrapAnywhere);
        const auto done = [this] {
            QTextCursor shown = m_plan.cursor;
            if (m_plan.keepSelection) {
                shown.setPosition(m_from);
                shown.setPosition(qMin(m_to, m_doc->characterCount() - 1), QTextCursor::KeepAnchor);
            }
            box()->setTextCursor(shown);
            finish(Outcome::Done);
        };
        // Laid out afresh: to the end. Otherwise only down to the caret,
        // where the view goes next: in slices, not in one go when it
        // scrolls there.
        if (m_detached || wrapChanges)
            layOutToTheEnd(done);
        else
            layOutTo(m_plan.cursor.position(), done);
    }

    Plan m_plan;
    int m_from;
    int m_to;
    bool m_wrapAnywhere = false;
    bool m_detached = false;
    bool m_joined = false;
    int m_stepsBefore = 0;
    QPointer<QTextDocument> m_doc;
    std::unique_ptr<SliceSizer> m_sizer;
};

void RichTextBox::loadDocument(const QString &content, bool rtf, const Loaded &done)
{
    const auto refuse = [&done](const QString &reason) {
        if (done)
            done(false, reason);
    };
    if (isBusy()) {
        refuse(QStringLiteral("The editor is still busy with the previous command."));
        return;
    }
    if (content.size() > WorkerCharacters) {
        (new LoadJob(this, content, rtf, done))->start();
        return;
    }
    BuildSettings settings;
    settings.width = estimateWidth();
    settings.dpi = estimateDpi();
    settings.font = document()->defaultFont();
    settings.margin = document()->documentMargin();
    settings.format = m_defaultFormat;
    const Built built = buildDocument(settings, content, rtf, [](int) { return true; });
    if (!built.doc) {
        refuse(LayoutBudget::tooLongMessage(built.height));
        return;
    }
    swapInDocument(built.doc->release(), built.longWords);
    settleLayout();
    if (built.leftOut)
        noteLeftOut();
    if (done)
        done(true, QString());
}

void RichTextBox::settleLayout()
{
    if (isBusy())
        return; // the job lays it out
    if (document()->characterCount() <= LayoutAtOnce) {
        document()->documentLayout()->documentSize();
        return;
    }
    (new LayoutJob(this))->start();
}

void RichTextBox::setWrapping(QTextDocument *doc, bool wrapAnywhere)
{
    // Chosen before the document is shown, and before it has a page: the
    // view lays out its first screen as it takes the document, and a word
    // of a million letters takes minutes to lay out unless it may break
    // anywhere.
    const QTextOption::WrapMode mode = wrapAnywhere ? QTextOption::WrapAnywhere : m_normalWrap;
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(mode);
    doc->setDefaultTextOption(option);
    setWordWrapMode(mode);
}

void RichTextBox::swapInDocument(QTextDocument *doc, bool wrapAnywhere)
{
    doc->setParent(this);
    // Built without a page, it is laid out only once the view gives it one.
    setWrapping(doc, wrapAnywhere);
    QTextDocument *old = document();
    const bool ownOld = old->parent() == this;
    setDocument(doc); // raises Change once; the view deletes its own first document
    if (ownOld) {
        old->setDocumentLayout(nullptr); // no more layout work on it
        // Its memory is freed after destroyed() is raised: given back then.
        if (old->characterCount() > LayoutAtOnce)
            connect(old, &QObject::destroyed, this, [] { QTimer::singleShot(0, &giveFreeMemoryBack); });
        old->deleteLater();
    }
    watchLayout();
    keepPageHeight();
    // The view's caret keeps the previous document's typing format across
    // setDocument; a fresh one types in the format of the text it stands at.
    setTextCursor(QTextCursor(document()));
    if (document()->isEmpty())
        setCurrentCharFormat(m_defaultFormat);
}

QTextDocument *RichTextBox::detachDocument()
{
    QTextDocument *doc = document();
    // The view keeps its last picture meanwhile.
    setUpdatesEnabled(false);
    doc->setParent(m_job); // the view deletes a document of its own when it lets go
    auto *placeholder = new QTextDocument(this);
    placeholder->setDefaultFont(doc->defaultFont());
    setDocument(placeholder);
    // Out of view, changes cost no layout: its layout goes, and the one a
    // cursor would make afresh has no page to lay out on.
    doc->setDocumentLayout(nullptr);
    doc->setPageSize(QSizeF(0, 0));
    return doc;
}

void RichTextBox::attachDocument(QTextDocument *doc, bool wrapAnywhere)
{
    QTextDocument *placeholder = document();
    doc->setParent(this);
    setWrapping(doc, wrapAnywhere);
    setDocument(doc); // the placeholder, ours, goes
    if (placeholder != doc && placeholder->parent() == this)
        delete placeholder;
    watchLayout();
    keepPageHeight();
    setUpdatesEnabled(true);
}

void RichTextBox::beginJob(EditorJob *job)
{
    m_job = job;
    m_wasReadOnly = isReadOnly();
    setReadOnly(true);
    emit busyChanged(true);
}

void RichTextBox::endJob(bool changed)
{
    m_job = nullptr;
    setReadOnly(m_wasReadOnly);
    if (!updatesEnabled())
        setUpdatesEnabled(true);
    if (changed)
        emit Change();
    emit busyChanged(false);
    // Noted only once the content is in, so said whatever the job did after.
    if (std::exchange(m_leftOutPending, false))
        noteLeftOut();
}

void RichTextBox::noteLeftOut()
{
    if (isBusy()) {
        m_leftOutPending = true;
        return;
    }
    QMetaObject::invokeMethod(this, [this] { emit LeftOut(RtfReader::leftOutMessage()); }, Qt::QueuedConnection);
}

std::optional<qreal> RichTextBox::knownHeight() const
{
    const QTextDocument *doc = document();
    if (m_heightDocument == doc && m_heightRevision == doc->revision() && m_heightWidth == estimateWidth())
        return m_height;
    return std::nullopt;
}

void RichTextBox::keepHeight(QTextDocument *doc, qreal width, qreal height)
{
    m_heightDocument = doc;
    m_heightRevision = doc->revision();
    m_heightWidth = width;
    m_height = height;
}

qreal RichTextBox::documentHeight()
{
    if (const std::optional<qreal> known = knownHeight())
        return *known;
    const qreal height = LayoutBudget::ofDocument(*document(), estimateWidth(), estimateDpi());
    keepHeight(document(), estimateWidth(), height);
    return height;
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

bool RichTextBox::fits(qreal height)
{
    if (height <= LayoutBudget::MaxHeight)
        return true;
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
    if (isBusy())
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

bool RichTextBox::insertPlain(QTextCursor &cursor, const QString &text, bool wholeDocument)
{
    if (isBusy())
        return false;
    if (text.isEmpty() && !cursor.hasSelection() && !wholeDocument)
        return true;
    const qreal ownPoints = cursor.charFormat().fontPointSize();
    const qreal points = ownPoints > 0 ? ownPoints : document()->defaultFont().pointSizeF();
    const qreal width = estimateWidth();
    const qreal dpi = estimateDpi();
    const auto measure = [text, points, width, dpi] {
        LayoutBudget added(width, dpi);
        added.addText(text, points);
        return added;
    };
    if (text.size() > SliceCharacters) {
        WritePlan plan;
        plan.label = wholeDocument ? QStringLiteral("Replacing the text\u2026") : QStringLiteral("Pasting\u2026");
        plan.cursor = cursor;
        plan.added = measure;
        plan.measureOnWorker = text.size() > WorkerCharacters;
        plan.wholeDocument = wholeDocument;
        auto done = std::make_shared<qsizetype>(0);
        plan.slice = [text, done](QTextCursor &c, int chars, qreal &fraction) {
            const qsizetype end = sliceEnd(text, *done, chars);
            c.insertText(text.mid(*done, end - *done)); // the first slice replaces the selection
            *done = end;
            fraction = qreal(*done) / text.size();
            return *done < text.size();
        };
        startWrite(std::move(plan));
        return false;
    }
    const LayoutBudget added = measure();
    const bool wasAnywhere = wordWrapMode() == QTextOption::WrapAnywhere;
    bool anywhere = wasAnywhere;
    if (wholeDocument) {
        if (!fits(added.height()))
            return false;
        anywhere = added.longestWord() > LayoutBudget::LongestWord;
    } else if (makesLongWord(cursor, added)) {
        anywhere = true;
    }
    if (anywhere != wasAnywhere)
        setWrapping(document(), anywhere);
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
    if (anywhere != wasAnywhere)
        settleLayout();
    return true;
}

void RichTextBox::applyCharFormat(const QTextCharFormat &format)
{
    if (isBusy())
        return;
    const QTextCursor c = textCursor();
    std::optional<LayoutBudget::SizeOverride> larger;
    if (format.hasProperty(QTextFormat::FontPointSize))
        larger = LayoutBudget::SizeOverride{c.selectionStart(), c.selectionEnd(), format.fontPointSize()};
    mergeSelection(c, larger, [format](QTextCursor &w) { w.mergeCharFormat(format); });
}

void RichTextBox::applyBlockFormat(const QTextBlockFormat &format)
{
    if (isBusy())
        return;
    mergeSelection(textCursor(), std::nullopt, [format](QTextCursor &w) { w.mergeBlockFormat(format); });
}

void RichTextBox::mergeSelection(const QTextCursor &selection, std::optional<LayoutBudget::SizeOverride> larger,
                                 const std::function<void(QTextCursor &)> &merge)
{
    const int from = selection.selectionStart();
    const int to = selection.selectionEnd();
    if (to - from <= SliceCharacters) {
        if (larger) {
            const qreal before = LayoutBudget::ofDocument(*document(), estimateWidth(), estimateDpi(), from, to);
            const qreal after =
                LayoutBudget::ofDocument(*document(), estimateWidth(), estimateDpi(), from, to, larger);
            if (after - before >= SmallHeight && !fits(documentHeight() - before + after))
                return;
        }
        QTextCursor c = selection;
        c.beginEditBlock();
        merge(c);
        c.endEditBlock();
        setTextCursor(selection);
        return;
    }
    WritePlan plan;
    plan.label = QStringLiteral("Formatting\u2026");
    plan.cursor = QTextCursor(document());
    plan.cursor.setPosition(from);
    plan.cursor.setPosition(to, QTextCursor::KeepAnchor);
    plan.larger = larger;
    plan.keepSelection = true;
    auto position = std::make_shared<int>(from);
    plan.slice = [merge, position, from, to](QTextCursor &w, int chars, qreal &fraction) {
        const int end = qMin(to, *position + chars);
        w.setPosition(*position);
        w.setPosition(end, QTextCursor::KeepAnchor);
        merge(w);
        *position = end;
        fraction = qreal(*position - from) / (to - from);
        return *position < to;
    };
    startWrite(std::move(plan));
}

namespace {

// Maps the runs of [*position, *end) in about the given number of
// characters; *end follows the length of what the map returns. False once
// past the end.
bool mapRuns(QTextCursor &cursor, int *position, int *end, int characters,
             const std::function<QString(const QString &)> &map)
{
    QTextDocument *doc = cursor.document();
    const int stop = qMin(*end, *position + characters);
    while (*position < stop) {
        const QTextBlock block = doc->findBlock(*position);
        if (!block.isValid())
            break;
        int next = block.position() + block.length(); // past the paragraph mark
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int a = qMax(*position, fragment.position());
            const int b = qMin(*end, fragment.position() + fragment.length());
            if (b <= a)
                continue;
            cursor.setPosition(a);
            cursor.setPosition(b, QTextCursor::KeepAnchor);
            const QString text = cursor.selectedText();
            const QString mapped = map(text);
            if (mapped != text) {
                cursor.insertText(mapped, fragment.charFormat());
                *end += int(mapped.size() - text.size());
            }
            next = a + int(mapped.size());
            break; // fragments after a replacement are found afresh
        }
        *position = qMax(*position + 1, qMin(next, *end));
    }
    return *position < *end;
}

} // namespace

void RichTextBox::mapSelectionText(const std::function<QString(const QString &)> &map)
{
    QTextCursor selection = textCursor();
    if (isBusy() || !selection.hasSelection())
        return;
    auto position = std::make_shared<int>(selection.selectionStart());
    auto end = std::make_shared<int>(selection.selectionEnd());
    const int from = *position;
    const int total = *end - from;
    if (total <= SliceCharacters) {
        QTextCursor work(document());
        work.beginEditBlock();
        while (mapRuns(work, position.get(), end.get(), total, map)) {
        }
        work.endEditBlock();
        work.setPosition(*end);
        setTextCursor(work);
        return;
    }
    WritePlan plan;
    plan.label = QStringLiteral("Changing the case\u2026");
    plan.cursor = QTextCursor(document());
    plan.cursor.setPosition(from);
    plan.cursor.setPosition(*end, QTextCursor::KeepAnchor);
    plan.slice = [map, position, end, from](QTextCursor &c, int chars, qreal &fraction) {
        const bool more = mapRuns(c, position.get(), end.get(), chars, map);
        fraction = qreal(*position - from) / qMax(1, *end - from);
        if (!more)
            c.setPosition(*end);
        return more;
    };
    startWrite(std::move(plan));
}

void RichTextBox::startWrite(WritePlan plan)
{
    (new WriteJob(this, std::move(plan)))->start();
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
