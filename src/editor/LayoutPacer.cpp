#include "editor/LayoutPacer.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QTextBlock>

LayoutPacer::LayoutPacer(QTextDocument *doc, int target)
    : m_doc(doc)
    , m_target(target)
{
}

bool LayoutPacer::step(qint64 budgetMs)
{
    if (!m_doc)
        return false;
    const int target = qMin(m_target, m_doc->characterCount() - 1);
    QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
    QElapsedTimer clock;
    clock.start();
    while (m_position <= target) {
        // Asking for a paragraph's place lays the document out down to it.
        const QTextBlock block = m_doc->findBlock(m_position);
        if (!block.isValid())
            return false;
        layout->blockBoundingRect(block);
        m_position = block.position() + block.length();
        if (clock.elapsed() >= budgetMs)
            break;
    }
    return m_position <= target;
}

qreal LayoutPacer::fraction() const
{
    if (!m_doc)
        return 1;
    return qBound<qreal>(0, qreal(m_position) / qMax(1, qMin(m_target, m_doc->characterCount())), 1);
}
