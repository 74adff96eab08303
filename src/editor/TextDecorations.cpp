#include "editor/TextDecorations.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

#include <utility>

namespace {

// A change over more paragraphs than this marks them all for decorating
// afresh rather than one by one (a long paste, an undo of one).
constexpr int NotedParagraphs = 64;
// While the view does not paint (long editor work holds it back) or the
// layout is still at work, look again after this long.
constexpr int RetryMs = 100;
// A layout that has not worked on its own for this long has stopped.
constexpr qint64 LayoutIdleMs = 250;

// What a paragraph was last decorated with, kept with the paragraph so that
// it goes when the paragraph goes.
class Marks : public QTextBlockUserData {
public:
    quint64 epoch = 0;             // 0: the text changed since
    QList<quint64> generations;    // per source; 0: ask again
    QList<QList<QTextLayout::FormatRange>> ranges; // per source
};

Marks *marksOf(const QTextBlock &block)
{
    return dynamic_cast<Marks *>(block.userData());
}

} // namespace

TextDecorations::TextDecorations(QTextEdit *view)
    : QObject(view)
    , m_view(view)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &TextDecorations::decorateVisible);
    // textChanged also follows the view when it is given another document.
    connect(view, &QTextEdit::textChanged, this, &TextDecorations::schedule);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &TextDecorations::schedule);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TextDecorations::schedule);
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this); // keys, before they edit
    followDocument();
}

TextDecorations::~TextDecorations() = default;

int TextDecorations::addSource(Source source)
{
    m_sources.append(std::move(source));
    m_generations.append(++m_nextGeneration);
    schedule();
    return int(m_sources.size() - 1);
}

void TextDecorations::refresh(int source)
{
    for (qsizetype i = 0; i < m_generations.size(); ++i) {
        if (source < 0 || i == source)
            m_generations[i] = ++m_nextGeneration;
    }
    schedule();
}

void TextDecorations::refreshBlock(const QTextBlock &block, int source)
{
    Marks *marks = marksOf(block);
    if (!marks)
        return; // never decorated: it will be when it is seen
    if (source < 0)
        marks->epoch = 0;
    else if (source < marks->generations.size())
        marks->generations[source] = 0;
    schedule();
}

bool TextDecorations::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_layout && event->type() == QEvent::Timer)
        m_layoutActive.restart();
    else if (m_view && watched == m_view->viewport()
        && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        schedule();
    else if (m_view && watched == m_view && (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod))
        settleWidenedAwayFrom(m_view->textCursor().position());
    return QObject::eventFilter(watched, event);
}

void TextDecorations::settleWidenedAwayFrom(int position)
{
    // The edit about to be made at position would be laid out together with
    // the stretch marked since the last one: far away (marks set after a
    // scroll), everything between them would be laid out again too.
    if (!m_changeWidened || !m_document
        || (position >= m_widenedFrom - WidenedNear && position <= m_widenedEnd + WidenedNear) || !layoutSettled())
        return;
    m_document->markContentsDirty(m_widenedFrom, qMin(m_widenedEnd, m_document->characterCount()) - m_widenedFrom);
    m_changeWidened = false;
}

void TextDecorations::schedule()
{
    followDocument();
    if (!m_timer.isActive() || m_timer.interval() != 0)
        m_timer.start(0);
}

void TextDecorations::followDocument()
{
    QTextDocument *document = m_view ? m_view->document() : nullptr;
    if (document == m_document)
        return;
    for (const QMetaObject::Connection &c : std::as_const(m_documentConnections))
        disconnect(c);
    m_documentConnections.clear();
    m_document = document;
    m_changeWidened = false;
    ++m_epoch;
    if (m_layout)
        m_layout->removeEventFilter(this);
    m_layout = document ? document->documentLayout() : nullptr;
    m_layoutActive.start();
    if (!document)
        return;
    m_layout->installEventFilter(this);
    m_documentConnections.append(
        connect(document, &QTextDocument::contentsChange, this, &TextDecorations::contentsChange));
    m_documentConnections.append(connect(document, &QTextDocument::documentLayoutChanged, this, [this] {
        if (m_layout)
            m_layout->removeEventFilter(this);
        m_layout = m_document->documentLayout();
        m_layout->installEventFilter(this);
    }));
}

bool TextDecorations::layoutSettled() const
{
    // Qt lays a long document out in steps after it is shown. A paragraph
    // laid out again before the steps reach the end ends them there: the
    // rest of the document never gets a place and cannot be scrolled to.
    // So marks wait until the last paragraph has its lines, or until the
    // layout has stopped working on its own (the user's typing can end the
    // steps just the same).
    const QTextLayout *last = m_document->lastBlock().layout();
    return (last && last->lineCount() > 0) || m_layoutActive.elapsed() >= LayoutIdleMs;
}

void TextDecorations::contentsChange(int from, int removed, int added)
{
    QTextDocument *document = m_document;
    if (!document)
        return;
    const QTextBlock first = document->findBlock(from);
    QTextBlock last = document->findBlock(from + added);
    if (!last.isValid())
        last = document->lastBlock();
    if (!first.isValid())
        return;

    shiftMarks(from, removed, added, first != last);
    m_changeWidened = false;

    if (last.blockNumber() - first.blockNumber() > NotedParagraphs) {
        ++m_epoch;
    } else {
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (Marks *marks = marksOf(block))
                marks->epoch = 0;
            if (block == last)
                break;
        }
    }
    schedule();
}

void TextDecorations::shiftMarks(int from, int removed, int added, bool split)
{
    // The marks of the paragraph where the edit is follow its text at once,
    // so that none is drawn out of place until the paragraph is decorated
    // again. A split leaves the old marks with the first part; the
    // paragraphs after it are new.
    if (m_changeWidened) {
        // Marks set since the last change are folded into this one by the
        // document (see relineInPlace()), which then reports the whole span.
        // Typing, the usual edit, happens at the caret, which has moved past
        // what was typed.
        const QTextCursor caret = m_view ? m_view->textCursor() : QTextCursor();
        const int delta = added - removed;
        // An edit elsewhere (a suggestion taken, a drop, an undo) leaves
        // the caret outside the span: nothing to follow then.
        if (caret.isNull() || caret.document() != m_document || caret.hasSelection() || delta == 0
            || caret.position() < from || caret.position() > from + added)
            return;
        from = caret.position() - qMax(delta, 0);
        removed = qMax(-delta, 0);
        added = qMax(delta, 0);
        split = m_document->findBlock(from) != caret.block();
    }
    const QTextBlock block = m_document->findBlock(from);
    QTextLayout *layout = block.isValid() ? block.layout() : nullptr;
    if (!layout || removed == added || layout->formats().isEmpty())
        return;
    const int at = from - block.position();
    QList<QTextLayout::FormatRange> kept;
    for (QTextLayout::FormatRange range : layout->formats()) {
        const int end = range.start + range.length;
        if (end <= at) {
            kept.append(range);
        } else if (!split && range.start >= at + removed) {
            range.start += added - removed;
            kept.append(range);
        }
    }
    // Inside the document's own change: laid out with it.
    layout->setFormats(kept);
}

void TextDecorations::decorateVisible()
{
    followDocument();
    if (!m_view || !m_document || m_sources.isEmpty())
        return;
    QWidget *viewport = m_view->viewport();
    if (!viewport->isVisible())
        return; // shown later: the Show event comes back here
    if (!viewport->updatesEnabled()) {
        m_timer.start(RetryMs);
        return;
    }

    QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    const qreal around = viewport->height() * Around;
    // Points inside the margin: above the first line, a layout still at
    // work answers with where its work has got to.
    const qreal margin = m_document->documentMargin() + 1;
    const qreal x = m_view->horizontalScrollBar()->value() + margin;
    const qreal y = m_view->verticalScrollBar()->value();
    const int top = layout->hitTest(QPointF(x, qMax(margin, y - around)), Qt::FuzzyHit);
    const int bottom = layout->hitTest(QPointF(x, y + viewport->height() + around), Qt::FuzzyHit);
    QTextBlock block = m_document->findBlock(qMax(0, qMin(top, bottom)));
    const QTextBlock end = m_document->findBlock(qMax(top, bottom));

    QElapsedTimer clock;
    clock.start();
    bool waiting = false;
    for (; block.isValid(); block = block.next()) {
        if (block.isVisible()) {
            // The layout has not got this far: nothing below is on screen.
            if (block.layout()->lineCount() == 0)
                break;
            waiting = !decorate(block) || waiting;
        }
        if (block == end)
            break;
        if (clock.elapsed() >= PassMs) {
            m_timer.start(0);
            return;
        }
    }
    if (waiting)
        m_timer.start(RetryMs);
}

bool TextDecorations::decorate(const QTextBlock &block)
{
    Marks *marks = marksOf(block);
    if (!marks) {
        marks = new Marks;
        QTextBlock(block).setUserData(marks); // the block owns it
    }
    const qsizetype count = m_sources.size();
    if (marks->epoch != m_epoch) {
        marks->epoch = m_epoch;
        marks->generations.fill(0);
    }
    marks->generations.resize(count, 0);
    marks->ranges.resize(count);

    bool asked = false;
    for (qsizetype i = 0; i < count; ++i) {
        if (marks->generations.at(i) == m_generations.at(i))
            continue;
        marks->ranges[i] = m_sources.at(i)(block);
        marks->generations[i] = m_generations.at(i);
        asked = true;
    }
    if (!asked)
        return true;

    QTextLayout *layout = block.layout();
    // Text being composed by an input method shows its own formats there.
    if (!layout || !layout->preeditAreaText().isEmpty())
        return true;
    QList<QTextLayout::FormatRange> merged;
    for (const QList<QTextLayout::FormatRange> &ranges : std::as_const(marks->ranges))
        merged.append(ranges);
    if (layout->formats() == merged)
        return true;
    if (relineInPlace(block, merged))
        return true;
    if (layoutSettled()) {
        layout->setFormats(merged);
        m_document->markContentsDirty(block.position(), block.length());
        m_changeWidened = false;
        return true;
    }
    marks->epoch = 0; // once the layout has settled
    return false;
}

bool TextDecorations::relineInPlace(const QTextBlock &block, const QList<QTextLayout::FormatRange> &formats)
{
    // Setting a layout's formats drops its lines. Laying the paragraph out
    // again through the document (markContentsDirty) moves every paragraph
    // below it too: a keystroke's worth of work, tens of milliseconds in a
    // long document. Marks that leave the text's size alone (underlines,
    // colours) break the lines where they broke before, so the lines are
    // made again here, at the places the document gave them.
    QTextLayout *layout = block.layout();
    struct Line {
        qreal width;
        QPointF position;
        int start;
        int length;
        qreal height;
        bool leadingIncluded;
    };
    QList<Line> lines;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine l = layout->lineAt(i);
        lines.append({l.width(), l.position(), l.textStart(), l.textLength(), l.height(), l.leadingIncluded()});
    }
    const auto relayOut = [&](const QList<QTextLayout::FormatRange> &with) {
        layout->setFormats(with);
        if (lines.isEmpty())
            return true; // not laid out yet: the document lays it out with them
        bool same = true;
        layout->beginLayout();
        for (const Line &old : std::as_const(lines)) {
            QTextLine l = layout->createLine();
            if (!l.isValid()) {
                same = false;
                break;
            }
            l.setLeadingIncluded(old.leadingIncluded);
            l.setLineWidth(old.width);
            l.setPosition(old.position);
            same = same && l.textStart() == old.start && l.textLength() == old.length && l.height() == old.height;
        }
        layout->endLayout();
        return same && layout->lineCount() == lines.size();
    };
    // The layout notes the paragraph as changed with the document, which
    // lays it out again with the next edit, wherever that is, and with it
    // everything between it and the other paragraphs noted so far: marks
    // set at the top and then, after a scroll, at the end would make the
    // next keystroke lay the whole document out. A far paragraph first has
    // the stretch noted so far laid out, a screenful's work.
    const int from = block.position();
    const int end = from + block.length();
    if (m_changeWidened && (from > m_widenedEnd + WidenedNear || end < m_widenedFrom - WidenedNear)) {
        settleWidenedAwayFrom(from);
        if (m_changeWidened)
            return false; // the layout is still under way
    }
    const QList<QTextLayout::FormatRange> before = layout->formats();
    const bool widened = std::exchange(m_changeWidened, true);
    m_widenedFrom = widened ? qMin(m_widenedFrom, from) : from;
    m_widenedEnd = widened ? qMax(m_widenedEnd, end) : end;
    if (!relayOut(formats)) {
        relayOut(before);
        return false;
    }
    const QRectF rect = layout->boundingRect().translated(layout->position());
    // The layout's own repaint request, as its own changes make it: the view
    // maps it onto the viewport.
    emit m_document->documentLayout()->update(rect.adjusted(-1, -1, 1, 1));
    return true;
}
