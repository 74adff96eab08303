#include "reference/EntryDocumentCache.h"

#include "editor/RtfReader.h"

#include <QCoreApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

EntryDocumentCache::EntryDocumentCache(const QFont &font, QObject *documentOwner, qsizetype maxCharacters,
                                       QObject *parent)
    : QObject(parent)
    , m_font(font)
    , m_owner(documentOwner)
    , m_maxCharacters(maxCharacters)
{
}

EntryDocumentCache::~EntryDocumentCache()
{
    if (m_thread) {
        {
            QMutexLocker lock(&m_mutex);
            m_stop = true;
            m_wake.wakeAll();
        }
        m_thread->wait();
    }
    qDeleteAll(m_finished);
    // Kept documents belong to their owner; drop those it does not show.
    for (const Kept &k : std::as_const(m_kept))
        if (k.doc && k.doc != m_shown)
            delete k.doc.data();
}

std::unique_ptr<QTextDocument> EntryDocumentCache::build(const QString &text, const QFont &font)
{
    auto doc = std::make_unique<QTextDocument>();
    // Reference entries are never edited: no undo history to keep.
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font);
    if (RtfReader::isRtf(text)) {
        QTextCursor cursor(doc.get());
        RtfReader::insert(cursor, text);
    } else {
        doc->setPlainText(text);
    }
    return doc;
}

bool EntryDocumentCache::contains(qint64 id) const
{
    const auto it = m_kept.constFind(id);
    return it != m_kept.constEnd() && it->doc;
}

bool EntryDocumentCache::isIdle()
{
    QMutexLocker lock(&m_mutex);
    return m_queue.isEmpty() && !m_building;
}

QTextDocument *EntryDocumentCache::document(qint64 id, const TextSource &text)
{
    adoptFinished();
    if (contains(id)) {
        m_recent.removeOne(id);
        m_recent.append(id);
        return m_kept.value(id).doc;
    }

    std::unique_ptr<QTextDocument> doc;
    {
        QMutexLocker lock(&m_mutex);
        m_queue.removeIf([id](const Job &j) { return j.id == id; });
        while (m_building == id)
            m_built.wait(&m_mutex);
        doc.reset(m_finished.take(id));
    }
    if (!doc)
        doc = build(text(), m_font);
    QTextDocument *result = doc.get();
    keep(id, std::move(doc));
    return result;
}

void EntryDocumentCache::prefetch(qint64 id, const TextSource &text)
{
    adoptFinished();
    if (contains(id))
        return;
    {
        QMutexLocker lock(&m_mutex);
        if (m_building == id || m_finished.contains(id))
            return;
        const auto queued = std::find_if(m_queue.begin(), m_queue.end(), [id](const Job &j) { return j.id == id; });
        if (queued != m_queue.end()) {
            Job again = std::move(*queued);
            m_queue.erase(queued);
            m_queue.prepend(std::move(again));
            return;
        }
    }
    Job job{id, text()};
    QMutexLocker lock(&m_mutex);
    m_queue.prepend(std::move(job));
    while (m_queue.size() > MaxQueued)
        m_queue.removeLast();
    if (!m_thread) {
        m_thread.reset(QThread::create([this] { workerLoop(); }));
        m_thread->start(QThread::LowPriority);
    }
    m_wake.wakeAll();
}

void EntryDocumentCache::workerLoop()
{
    QThread *const target = thread();
    QMutexLocker lock(&m_mutex);
    for (;;) {
        while (!m_stop && m_queue.isEmpty())
            m_wake.wait(&m_mutex);
        if (m_stop)
            return;
        Job job = m_queue.takeFirst();
        m_building = job.id;
        lock.unlock();

        std::unique_ptr<QTextDocument> doc = build(job.text, m_font);
        doc->moveToThread(target);

        lock.relock();
        m_building.reset();
        m_finished.insert(job.id, doc.release());
        m_built.wakeAll();
        QMetaObject::invokeMethod(this, &EntryDocumentCache::adoptFinished, Qt::QueuedConnection);
    }
}

void EntryDocumentCache::adoptFinished()
{
    QHash<qint64, QTextDocument *> finished;
    {
        QMutexLocker lock(&m_mutex);
        finished.swap(m_finished);
    }
    for (auto it = finished.begin(); it != finished.end(); ++it) {
        std::unique_ptr<QTextDocument> doc(it.value());
        if (!contains(it.key()))
            keep(it.key(), std::move(doc));
    }
}

void EntryDocumentCache::keep(qint64 id, std::unique_ptr<QTextDocument> doc)
{
    const qsizetype characters = doc->characterCount();
    doc->setParent(m_owner);
    QTextDocument *kept = doc.release();
    if (!m_owner) // nothing to own it: the cache does
        kept->setParent(this);
    if (const auto old = m_kept.constFind(id); old != m_kept.constEnd())
        m_keptCharacters -= old->characters; // its document went with its owner
    m_kept.insert(id, Kept{kept, characters});
    m_recent.removeOne(id);
    m_recent.append(id);
    m_keptCharacters += characters;
    evict();
}

void EntryDocumentCache::evict()
{
    for (qsizetype i = 0; i < m_recent.size() && m_keptCharacters > m_maxCharacters && m_recent.size() > 1;) {
        const qint64 id = m_recent.at(i);
        const Kept k = m_kept.value(id);
        // The newest document is the one being handed out; the shown one stays too.
        if ((k.doc && k.doc == m_shown) || i == m_recent.size() - 1) {
            ++i;
            continue;
        }
        m_recent.removeAt(i);
        m_kept.remove(id);
        m_keptCharacters -= k.characters;
        delete k.doc.data();
    }
}
