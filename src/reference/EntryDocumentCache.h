#pragma once

#include <QFont>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <optional>

class QTextDocument;

// Builds the documents that a reference view shows, one per record, and
// keeps those it is told to: entries asked for ahead of time, and entries
// too long to build within a frame, are read and built as futures on a
// pool of one thread of its own, so that showing them costs only a
// document swap. Work the user has moved on from is cancelled.
class EntryDocumentCache : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryDocumentCache)

public:
    // An entry to show: its text (RTF formatted, any other text plain), and
    // a note set apart below it, such as why the text ends early.
    struct Entry {
        Entry(QString text = {}, QString note = {}) // NOLINT: any text is an entry
            : text(std::move(text))
            , note(std::move(note))
        {
        }
        QString text;
        QString note;
    };
    // Gives the entry to build, or nothing when it cannot be read.
    using EntrySource = std::function<std::optional<Entry>()>;

    // font: the view's default font. documentOwner: the parent given to
    // every document handed out (the view, so that a document outlives
    // nothing that shows it). maxCharacters: how much entry text to keep.
    EntryDocumentCache(const QFont &font, QObject *documentOwner, qsizetype maxCharacters,
                       QObject *parent = nullptr);
    ~EntryDocumentCache() override;

    // The document kept for record id, or nullptr.
    QTextDocument *kept(qint64 id);

    // The document for record id: kept, or the worker's when it is done,
    // or built now from entry, read on the calling thread (a build of it
    // still under way is cancelled rather than waited for).
    QTextDocument *document(qint64 id, const Entry &entry);

    // Builds the document for record id on the worker (entry is called
    // there) unless it is kept or on its way. Newer requests go first, and
    // beyond MaxQueued of them the oldest are cancelled: the user has
    // moved on. An urgent request goes before all, is never cancelled that
    // way, and prepared(id) tells when the worker is done with it.
    void prefetch(qint64 id, EntrySource entry, bool urgent = false);

    // Lets go of every kept document and waiting request but those of these
    // records and the document shown; what is built for other records from
    // now on is dropped too, until the next call.
    void keepOnly(const QSet<qint64> &ids);

    // The document now shown: never dropped while it is.
    void setShown(QTextDocument *doc) { m_shown = doc; }

    bool contains(qint64 id) const;
    // Nothing asked for that the worker has not finished.
    bool isIdle() const;
    qsizetype keptCharacters() const { return m_keptCharacters; }

    static std::unique_ptr<QTextDocument> build(const Entry &entry, const QFont &font);

    // Requests beyond this many wait no longer: the user has moved on.
    static constexpr int MaxQueued = 4;

signals:
    // The worker is done with the urgent request for record id: its
    // document is kept, or it could not be read.
    void prepared(qint64 id);

private:
    // A document from the worker, deleted with the last copy unless taken.
    using Built = std::shared_ptr<std::unique_ptr<QTextDocument>>;
    struct Pending {
        QFuture<Built> future;
        bool urgent = false;
        int order = 0; // newer requests have higher numbers
    };
    struct Kept {
        QPointer<QTextDocument> doc;
        qsizetype characters = 0;
    };

    // Takes in what the worker finished for id, if anything.
    void adopt(qint64 id);
    void cancelStale();
    void keep(qint64 id, std::unique_ptr<QTextDocument> doc);
    void evict();
    // Forgets the kept document at m_recent[i] and deletes it.
    void dropAt(qsizetype i);
    bool wanted(qint64 id) const { return !m_wanted || m_wanted->contains(id); }

    const QFont m_font;
    QPointer<QObject> m_owner;
    const qsizetype m_maxCharacters;
    QPointer<QTextDocument> m_shown;

    QHash<qint64, Kept> m_kept;
    QList<qint64> m_recent; // least recently used first
    qsizetype m_keptCharacters = 0;
    std::optional<QSet<qint64>> m_wanted;

    QHash<qint64, Pending> m_pending;
    int m_order = 0;
    QThreadPool m_pool;
};
