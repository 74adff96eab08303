#include "reference/LayoutPacer.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

LayoutPacer::LayoutPacer(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &LayoutPacer::step);
}

LayoutPacer::~LayoutPacer()
{
    stop();
}

void LayoutPacer::start(QTextDocument *doc)
{
    stop();
    if (!doc)
        return;
    m_doc = doc;
    m_layout = doc->documentLayout();
    m_position = 0;
    m_longestStep = 0;
    m_layout->installEventFilter(this);
    m_timer.start();
}

void LayoutPacer::stop()
{
    m_timer.stop();
    if (m_layout)
        m_layout->removeEventFilter(this);
    m_layout = nullptr;
    m_doc = nullptr;
}

bool LayoutPacer::eventFilter(QObject *watched, QEvent *event)
{
    // Only the layout's timers are held back, and only while this runs.
    return watched == m_layout && event->type() == QEvent::Timer;
}

void LayoutPacer::step()
{
    if (!m_doc || !m_layout || m_doc->documentLayout() != m_layout) {
        stop();
        return;
    }
    QElapsedTimer slice;
    slice.start();
    // Asking for a block's rectangle lays the document out up to that block,
    // in steps whose size the layout chooses: a slice ends before a step
    // as long as the longest seen so far would take it past its time.
    QTextBlock block = m_doc->findBlock(m_position);
    qint64 elapsed = 0;
    while (block.isValid() && (elapsed == 0 || elapsed + m_longestStep < SliceNanoseconds)) {
        m_layout->blockBoundingRect(block);
        m_position = block.position() + block.length();
        block = block.next();
        const qint64 now = slice.nsecsElapsed();
        m_longestStep = std::max(m_longestStep, now - elapsed);
        elapsed = now;
    }
    if (!block.isValid()) {
        // Done: let the layout's pending size report reach the view.
        stop();
        emit finished();
    }
}
