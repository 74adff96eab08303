#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QWaitCondition>
#include <functional>
#include <memory>
#include <optional>

class QTextDocument;
class QThread;

// Builds the documents that a reference view shows, one per record, and
// keeps the recent ones: entries asked for ahead of time are built on a
// worker thread, so that showing them costs only a document swap.
class EntryDocumentCache : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryDocumentCache)

public:
    using TextSource = std::function<QString()>;

    // font: the view's default font. documentOwner: the parent given to
    // every document handed out (the view, so that a document outlives
    // nothing that shows it). maxCharacters: how much entry text to keep.
    EntryDocumentCache(const QFont &font, QObject *documentOwner, qsizetype maxCharacters,
                       QObject *parent = nullptr);
    ~EntryDocumentCache() override;

    // The document for record id, built now from text() unless it is kept
    // or on its way; the worker's copy is waited for rather than duplicated.
    QTextDocument *document(qint64 id, const TextSource &text);

    // Builds the document for record id on the worker thread unless it is
    // kept or queued already. Newer requests go first; old ones are dropped
    // when the user has moved on.
    void prefetch(qint64 id, const TextSource &text);

    // The document now shown: never dropped while it is.
    void setShown(QTextDocument *doc) { m_shown = doc; }

    bool contains(qint64 id) const;
    // Nothing queued or being built.
    bool isIdle();
    qsizetype keptCharacters() const { return m_keptCharacters; }

    // An entry's document: RTF text formatted, any other text plain.
    static std::unique_ptr<QTextDocument> build(const QString &text, const QFont &font);

    // Requests beyond this many wait no longer: the user has moved on.
    static constexpr int MaxQueued = 4;

private:
    struct Job {
        qint64 id;
        QString text;
    };
    struct Kept {
        QPointer<QTextDocument> doc;
        qsizetype characters = 0;
    };

    void workerLoop();
    void adoptFinished();
    void keep(qint64 id, std::unique_ptr<QTextDocument> doc);
    void evict();

    const QFont m_font;
    QPointer<QObject> m_owner;
    const qsizetype m_maxCharacters;
    QPointer<QTextDocument> m_shown;

    QHash<qint64, Kept> m_kept;
    QList<qint64> m_recent; // least recently used first
    qsizetype m_keptCharacters = 0;

    // Shared with the worker thread, under m_mutex.
    QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_built;
    QList<Job> m_queue; // newest first
    std::optional<qint64> m_building;
    QHash<qint64, QTextDocument *> m_finished; // built, not yet adopted
    bool m_stop = false;

    std::unique_ptr<QThread> m_thread;
};
