#include "scripture/LiveReferences.h"

#include "scripture/BibleText.h"

#include <QAbstractTextDocumentLayout>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolTip>

namespace {

// The tooltip's width in pixels: some 60 characters a line.
constexpr int TooltipWidth = 360;

QPoint scrolled(const QTextEdit *edit)
{
    return {edit->horizontalScrollBar()->value(), edit->verticalScrollBar()->value()};
}

} // namespace

LiveReferences::LiveReferences(QTextEdit *document, const BibleText *bible,
                               std::function<void(const BibleReference &)> show, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_bible(bible)
    , m_show(std::move(show))
{
    m_mark.setUnderlineStyle(QTextCharFormat::DotLine);
    // Moves without a button pressed tell where the pointer is.
    document->viewport()->setMouseTracking(true);
    document->viewport()->installEventFilter(this);
    document->installEventFilter(this);
}

QList<QTextLayout::FormatRange> LiveReferences::referenceMarks(const QTextBlock &block) const
{
    const QString text = block.text();
    qsizetype from = 0;
    qsizetype to = text.size();
    if (text.size() > LongBlock) {
        // Only the lines on show, and a little around them for a list.
        const QTextLayout *layout = block.layout();
        if (!m_document || !layout)
            return {};
        const qreal top = m_document->verticalScrollBar()->value() - layout->position().y();
        const qreal bottom = top + m_document->viewport()->height();
        from = to;
        to = 0;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            if (line.y() + line.height() < top || line.y() > bottom)
                continue;
            from = qMin(from, qsizetype(line.textStart()));
            to = qMax(to, qsizetype(line.textStart() + line.textLength()));
        }
        if (from >= to)
            return {};
        from = qMax<qsizetype>(0, from - ScanBefore);
        to = qMin(text.size(), to + ScanAfter);
    }
    QList<QTextLayout::FormatRange> marks;
    for (const BibleReference::Found &f : BibleReference::findIn(QStringView(text).mid(from, to - from)))
        if (m_bible->exists(f.reference))
            marks.append({int(from + f.start), int(f.length), m_mark});
    return marks;
}

std::optional<BibleReference::Found> LiveReferences::referenceAt(const QPoint &point, QRect *area) const
{
    if (!m_document)
        return std::nullopt;
    QTextDocument *document = m_document->document();
    const QPointF at = QPointF(point + scrolled(m_document));
    const int position = document->documentLayout()->hitTest(at, Qt::FuzzyHit);
    const QTextBlock block = document->findBlock(qMax(0, position));
    const QTextLayout *layout = block.layout();
    if (position < 0 || !layout)
        return std::nullopt;
    // The character under the point, not the caret position nearest to it.
    const QPointF inBlock = at - layout->position();
    QTextLine line;
    for (int i = 0; i < layout->lineCount() && !line.isValid(); ++i) {
        const QTextLine l = layout->lineAt(i);
        if (inBlock.y() >= l.y() && inBlock.y() < l.y() + l.height())
            line = l;
    }
    if (!line.isValid() || inBlock.x() < line.x() || inBlock.x() >= line.x() + line.naturalTextWidth())
        return std::nullopt;
    const int character = line.xToCursor(inBlock.x(), QTextLine::CursorOnCharacter);
    const int from = qMax(0, character - ScanBefore);
    const QString text = block.text().mid(from, ScanBefore + ScanAfter);
    for (BibleReference::Found f : BibleReference::findIn(text)) {
        if (character - from < f.start || character - from >= f.start + f.length || !m_bible->exists(f.reference))
            continue;
        f.start += from;
        f.listStart += from;
        if (area) {
            const int lineStart = line.textStart();
            const int lineEnd = lineStart + line.textLength();
            const qreal left = line.cursorToX(qBound(lineStart, int(f.start), lineEnd));
            const qreal right = line.cursorToX(qBound(lineStart, int(f.start + f.length), lineEnd));
            *area = QRectF(left, line.y(), right - left, line.height())
                        .translated(layout->position() - QPointF(scrolled(m_document)))
                        .toAlignedRect();
        }
        return f;
    }
    return std::nullopt;
}

QString LiveReferences::tooltipFor(const BibleReference &ref) const
{
    return m_bible->preview(ref);
}

void LiveReferences::updatePointer(const QPoint &at, bool control)
{
    const bool pointing = control && referenceAt(at).has_value();
    if (pointing == m_pointing || !m_document)
        return;
    m_pointing = pointing;
    m_document->viewport()->setCursor(pointing ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

bool LiveReferences::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_document)
        return false;
    if (watched == m_document) {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Control && !key->isAutoRepeat())
                updatePointer(m_document->viewport()->mapFromGlobal(QCursor::pos()), event->type() == QEvent::KeyPress);
        }
        return false;
    }
    if (watched != m_document->viewport())
        return false;
    switch (event->type()) {
    case QEvent::ToolTip: {
        const auto *help = static_cast<QHelpEvent *>(event);
        QRect area;
        const std::optional<BibleReference::Found> found = referenceAt(help->pos(), &area);
        const QString tip = found ? tooltipFor(found->reference) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else // as rich text, so that it wraps, and a little wider than Qt's quarter of the screen
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                                   .arg(TooltipWidth)
                                   .arg(tip.toHtmlEscaped()),
                               m_document->viewport(), area);
        return true;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        updatePointer(mouse->position().toPoint(), mouse->modifiers() & Qt::ControlModifier);
        return false;
    }
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_swallowRelease = false;
        if (mouse->button() != Qt::LeftButton || !(mouse->modifiers() & Qt::ControlModifier))
            return false;
        const std::optional<BibleReference::Found> found = referenceAt(mouse->position().toPoint());
        if (!found)
            return false;
        // The caret stays where it was: the click was for the Bible panel.
        m_swallowRelease = true;
        QToolTip::hideText();
        if (m_show)
            m_show(found->reference);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!m_swallowRelease)
            return false;
        m_swallowRelease = false;
        return true;
    case QEvent::Leave:
        updatePointer({-1, -1}, false);
        return false;
    default:
        return false;
    }
}
