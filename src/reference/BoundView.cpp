#include "reference/BoundView.h"

#include "reference/DataSource.h"
#include "reference/EntryDocumentCache.h"
#include "reference/LayoutPacer.h"

#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

BoundView::BoundView(DataSource *source, QTextEdit *view, QObject *parent)
    : QObject(parent)
    , m_source(source)
    , m_view(view)
    , m_cache(new EntryDocumentCache(view->document()->defaultFont(), view, MaxKeptCharacters, this))
    , m_pacer(new LayoutPacer(this))
{
    m_prefetchTimer.setSingleShot(true);
    m_prefetchTimer.setInterval(0);
    connect(&m_prefetchTimer, &QTimer::timeout, this, &BoundView::prefetchNow);
    m_warmUpTimer.setInterval(WarmUpInterval);
    connect(&m_warmUpTimer, &QTimer::timeout, this, &BoundView::warmUpStep);
    connect(source, &DataSource::currentChanged, this, &BoundView::showCurrent);
    showCurrent();
}

BoundView::~BoundView()
{
    m_pacer->stop();
}

DataSource *BoundView::source() const
{
    return m_source;
}

QTextEdit *BoundView::view() const
{
    return m_view;
}

void BoundView::showCurrent()
{
    if (!m_source || !m_view)
        return;
    const std::optional<qint64> row = m_source->currentRowId();
    if (!row || row == m_shownRow)
        return;
    DataSource *source = m_source;
    const qint64 id = *row;
    QTextDocument *doc = m_cache->document(id, [source, id] { return source->entryAt(id); });

    m_pacer->stop();
    // The view's own first document dies in the swap; ours stay with the cache.
    QTextDocument *previous = m_view->document();
    const bool previousKept = previous && previous != doc && previous->parent() == m_view;
    m_cache->setShown(doc);
    m_view->setDocument(doc);
    m_shownRow = row;
    // A document out of view keeps only its text: its layout is rebuilt for
    // the view anyway, and an unfinished one would go on working unseen.
    if (previousKept)
        previous->setDocumentLayout(nullptr);
    m_view->verticalScrollBar()->setValue(0);
    m_view->horizontalScrollBar()->setValue(0);
    m_pacer->start(doc);
}

void BoundView::prefetch(const QString &index, const QStringList &keys)
{
    m_prefetchIndex = index;
    m_prefetchKeys = keys;
    m_prefetchTimer.start();
}

void BoundView::prefetchNow()
{
    if (!m_source)
        return;
    DataSource *source = m_source;
    for (const QString &key : std::as_const(m_prefetchKeys)) {
        const std::optional<qint64> row = m_source->peek(m_prefetchIndex, key);
        if (!row || row == m_shownRow)
            continue;
        const qint64 id = *row;
        m_cache->prefetch(id, [source, id] { return source->entryAt(id); });
    }
}

void BoundView::warmUp(const QString &index, const QStringList &keys)
{
    m_warmUpIndex = index;
    m_warmUpKeys = keys;
    m_warmUpKeys.removeDuplicates();
    m_warmUpTimer.start();
}

void BoundView::warmUpStep()
{
    if (!m_source || !m_source->isOpen()) {
        m_warmUpTimer.stop();
        return;
    }
    // The user's own moves come first.
    if (m_prefetchTimer.isActive() || !m_cache->isIdle())
        return;
    while (!m_warmUpKeys.isEmpty()) {
        const std::optional<qint64> row = m_source->peek(m_warmUpIndex, m_warmUpKeys.takeFirst());
        if (!row || m_cache->contains(*row))
            continue;
        const QString text = m_source->entryAt(*row);
        if (m_cache->keptCharacters() + text.size() > MaxKeptCharacters * 4 / 5)
            break;
        m_cache->prefetch(*row, [text] { return text; });
        return;
    }
    m_warmUpKeys.clear();
    m_warmUpTimer.stop();
}
