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

std::unique_ptr<QTextDocument> EntryDocumentCache::build(const Entry &entry, const QFont &font)
{
    auto doc = std::make_unique<QTextDocument>();
    // Reference entries are never edited: no undo history to keep.
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font);
    if (RtfReader::isRtf(entry.text)) {
        QTextCursor cursor(doc.get());
        RtfReader::insert(cursor, entry.text);
    } else {
        doc->setPlainText(entry.text);
    }
    if (!entry.note.isEmpty()) {
        QTextCursor cursor(doc.get());
        cursor.movePosition(QTextCursor::End);
        QTextCharFormat italic;
        italic.setFontItalic(true);
        if (!entry.text.isEmpty()) { // set apart from the entry by a blank line
            cursor.insertBlock(QTextBlockFormat(), italic);
            cursor.insertBlock(QTextBlockFormat(), italic);
        }
        cursor.insertText(entry.note, italic);
    }
    return doc;
}

bool EntryDocumentCache::contains(qint64 id) const
{
    const auto it = m_kept.constFind(id);
    return it != m_kept.constEnd() && it->doc;
}

bool EntryDocumentCache::isPending(qint64 id)
{
    QMutexLocker lock(&m_mutex);
    return m_building == id || m_finished.contains(id)
        || std::any_of(m_queue.cbegin(), m_queue.cend(), [id](const Job &j) { return j.id == id; });
}

bool EntryDocumentCache::isIdle()
{
    QMutexLocker lock(&m_mutex);
    return m_queue.isEmpty() && !m_building;
}

QTextDocument *EntryDocumentCache::kept(qint64 id)
{
    adoptFinished();
    if (!contains(id))
        return nullptr;
    m_recent.removeOne(id);
    m_recent.append(id);
    return m_kept.value(id).doc;
}

QTextDocument *EntryDocumentCache::document(qint64 id, const Entry &entry)
{
    if (QTextDocument *doc = kept(id))
        return doc;
    if (m_wanted)
        m_wanted->insert(id);
    std::unique_ptr<QTextDocument> doc;
    {
        m_urgent.remove(id);
        QMutexLocker lock(&m_mutex);
        m_queue.removeIf([id](const Job &j) { return j.id == id; });
        // The worker's copy is waited for rather than built twice.
        while (m_building == id)
            m_built.wait(&m_mutex);
        doc.reset(m_finished.take(id));
    }
    if (!doc)
        doc = build(entry, m_font);
    QTextDocument *result = doc.get();
    keep(id, std::move(doc));
    return result;
}

void EntryDocumentCache::prefetch(qint64 id, EntrySource entry, bool urgent)
{
    adoptFinished();
    if (urgent)
        m_urgent.insert(id);
    if (contains(id)) {
        if (m_urgent.remove(id))
            QMetaObject::invokeMethod(this, [this, id] { emit prepared(id); }, Qt::QueuedConnection);
        return;
    }
    if (m_wanted)
        m_wanted->insert(id);
    QMutexLocker lock(&m_mutex);
    if (m_building == id || m_finished.contains(id))
        return;
    const auto queued = std::find_if(m_queue.begin(), m_queue.end(), [id](const Job &j) { return j.id == id; });
    if (queued != m_queue.end()) {
        Job again = std::move(*queued);
        m_queue.erase(queued);
        again.urgent = again.urgent || urgent;
        queue(std::move(again));
        return;
    }
    queue(Job{id, std::move(entry), urgent});
}

void EntryDocumentCache::queue(Job job)
{
    // Urgent requests first, then the newest.
    const auto firstOrdinary = std::find_if(m_queue.begin(), m_queue.end(), [](const Job &j) { return !j.urgent; });
    m_queue.insert(job.urgent ? m_queue.begin() : firstOrdinary, std::move(job));
    for (qsizetype i = m_queue.size() - 1; i >= 0 && m_queue.size() > MaxQueued; --i)
        if (!m_queue.at(i).urgent)
            m_queue.removeAt(i);
    if (!m_thread) {
        m_thread.reset(QThread::create([this] { workerLoop(); }));
        m_thread->start(QThread::LowPriority);
    }
    m_wake.wakeAll();
}

void EntryDocumentCache::keepOnly(const QSet<qint64> &ids)
{
    adoptFinished();
    m_wanted = ids;
    for (qsizetype i = 0; i < m_recent.size();) {
        const qint64 id = m_recent.at(i);
        const Kept k = m_kept.value(id);
        if (ids.contains(id) || (k.doc && k.doc == m_shown)) {
            ++i;
            continue;
        }
        dropAt(i);
    }
    QMutexLocker lock(&m_mutex);
    m_queue.removeIf([&ids](const Job &j) { return !j.urgent && !ids.contains(j.id); });
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

        std::unique_ptr<QTextDocument> doc;
        if (const std::optional<Entry> entry = job.entry()) {
            doc = build(*entry, m_font);
            doc->moveToThread(target);
        }
        job.entry = {}; // lets go of what it read with

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
        const qint64 id = it.key();
        const bool urgent = m_urgent.remove(id);
        if (doc && !contains(id) && (wanted(id) || urgent))
            keep(id, std::move(doc));
        // Told later: this may run inside a caller's kept() or prefetch().
        if (urgent)
            QMetaObject::invokeMethod(this, [this, id] { emit prepared(id); }, Qt::QueuedConnection);
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

void EntryDocumentCache::dropAt(qsizetype i)
{
    const qint64 id = m_recent.takeAt(i);
    const Kept k = m_kept.take(id);
    m_keptCharacters -= k.characters;
    delete k.doc.data();
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
        dropAt(i);
    }
}
