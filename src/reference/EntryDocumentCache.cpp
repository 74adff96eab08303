#include "reference/EntryDocumentCache.h"

#include "editor/RtfReader.h"

#include <QFutureWatcher>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QtConcurrent/qtconcurrenttask.h>

#include <algorithm>
#include <limits>

EntryDocumentCache::EntryDocumentCache(const QFont &font, QObject *documentOwner, qsizetype maxCharacters,
                                       QObject *parent)
    : QObject(parent)
    , m_font(font)
    , m_owner(documentOwner)
    , m_maxCharacters(maxCharacters)
{
    // One worker: builds come one after another, the most wanted first.
    m_pool.setMaxThreadCount(1);
}

EntryDocumentCache::~EntryDocumentCache()
{
    // Waiting builds are skipped, the one under way finishes into nothing.
    for (Pending &p : m_pending)
        p.future.cancel();
    m_pool.waitForDone();
    // Kept documents belong to their owner; drop those it does not show.
    for (const Kept &k : std::as_const(m_kept))
        if (k.doc && k.doc != m_shown)
            delete k.doc.data();
}

namespace {

// Letters that only come out right when shaped: other scripts than Latin,
// Greek and Cyrillic (Hebrew in the dictionary), and combining marks.
bool needsShaping(QChar c)
{
    if (c.isMark())
        return true;
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Inherited:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
        return false;
    default:
        return !c.isSpace() && !c.isPunct();
    }
}

// Documents whose default font prefers no shaping: the words that need it
// get it back.
void keepShapingWhereNeeded(QTextDocument &doc)
{
    if (!(doc.defaultFont().styleStrategy() & QFont::PreferNoShaping))
        return;
    const QString text = doc.toRawText();
    QTextCharFormat shaped;
    shaped.setFontStyleStrategy(QFont::StyleStrategy(doc.defaultFont().styleStrategy() & ~QFont::PreferNoShaping));
    QTextCursor cursor(&doc);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!needsShaping(text.at(i)))
            continue;
        // The whole word: a mark is shaped with the letter it sits on.
        qsizetype start = i;
        while (start > 0 && !text.at(start - 1).isSpace())
            --start;
        qsizetype end = i;
        while (end < text.size() && !text.at(end).isSpace())
            ++end;
        cursor.setPosition(int(start));
        cursor.setPosition(int(end), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(shaped);
        i = end;
    }
}

} // namespace

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
    keepShapingWhereNeeded(*doc);
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

bool EntryDocumentCache::isIdle() const
{
    return std::all_of(m_pending.cbegin(), m_pending.cend(), [](const Pending &p) { return p.future.isFinished(); });
}

QTextDocument *EntryDocumentCache::kept(qint64 id)
{
    adopt(id);
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
    // Still waiting or under way: built here instead of waited for.
    bool urgent = false;
    if (const auto it = m_pending.find(id); it != m_pending.end()) {
        it->future.cancel();
        urgent = it->urgent;
        m_pending.erase(it);
    }
    std::unique_ptr<QTextDocument> doc = build(entry, m_font);
    QTextDocument *result = doc.get();
    keep(id, std::move(doc));
    // Whoever waits for it is told once it is kept, and after this call:
    // told from inside it, they would read and build the entry again.
    if (urgent)
        QMetaObject::invokeMethod(this, [this, id] { emit prepared(id); }, Qt::QueuedConnection);
    return result;
}

void EntryDocumentCache::prefetch(qint64 id, EntrySource entry, bool urgent)
{
    adopt(id);
    if (contains(id)) {
        if (urgent)
            QMetaObject::invokeMethod(this, [this, id] { emit prepared(id); }, Qt::QueuedConnection);
        return;
    }
    if (m_wanted)
        m_wanted->insert(id);
    if (const auto it = m_pending.find(id); it != m_pending.end()) {
        it->urgent = it->urgent || urgent;
        return; // on its way
    }
    // Urgent requests before all, then the newest first.
    const int order = ++m_order;
    QThread *const home = thread();
    QFuture<Built> future = QtConcurrent::task([entry = std::move(entry), font = m_font, home]() -> Built {
                                const std::optional<Entry> read = entry();
                                if (!read)
                                    return {};
                                std::unique_ptr<QTextDocument> doc = build(*read, font);
                                doc->moveToThread(home);
                                return std::make_shared<std::unique_ptr<QTextDocument>>(std::move(doc));
                            })
                                .onThreadPool(m_pool)
                                .withPriority(urgent ? std::numeric_limits<int>::max() : order)
                                .spawn();
    m_pending.insert(id, Pending{future, urgent, order});
    auto *watcher = new QFutureWatcher<Built>(this);
    connect(watcher, &QFutureWatcher<Built>::finished, this, [this, watcher, id, order] {
        watcher->deleteLater();
        const auto it = m_pending.constFind(id);
        if (it != m_pending.constEnd() && it->order == order)
            adopt(id);
    });
    watcher->setFuture(future);
    cancelStale();
}

void EntryDocumentCache::cancelStale()
{
    // Holding a key down asks for entry after entry: only the newest stay.
    QList<qint64> waiting;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        if (!it->urgent)
            waiting.append(it.key());
    if (waiting.size() <= MaxQueued)
        return;
    std::sort(waiting.begin(), waiting.end(),
              [this](qint64 a, qint64 b) { return m_pending.value(a).order < m_pending.value(b).order; });
    for (qsizetype i = 0; i < waiting.size() - MaxQueued; ++i)
        m_pending.take(waiting.at(i)).future.cancel();
}

void EntryDocumentCache::keepOnly(const QSet<qint64> &ids)
{
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
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->urgent || ids.contains(it.key())) {
            ++it;
            continue;
        }
        it->future.cancel();
        it = m_pending.erase(it);
    }
}

void EntryDocumentCache::adopt(qint64 id)
{
    const auto it = m_pending.find(id);
    if (it == m_pending.end() || !it->future.isFinished())
        return;
    const Pending done = *it;
    m_pending.erase(it);
    if (!done.future.isCanceled() && done.future.resultCount() > 0) {
        const Built built = done.future.result();
        if (built && *built && !contains(id) && (wanted(id) || done.urgent))
            keep(id, std::move(*built));
    }
    // Told later: this may run inside a caller's kept() or prefetch().
    if (done.urgent)
        QMetaObject::invokeMethod(this, [this, id] { emit prepared(id); }, Qt::QueuedConnection);
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
