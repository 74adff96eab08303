#pragma once

#include "editor/DocumentFile.h"
#include "editor/RtfWriter.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLockFile;

// Keeps the unsaved document safe from a crash or a power cut. While the
// document has unsaved changes its content is written to this program's
// recovery file, atomically and on a worker thread, a little after the user
// stops typing and at least every so often while they type on. A lock file
// marks the program as running: a recovery file whose lock was left by a
// dead process is what a crash leaves behind, and two programs running at
// once never take each other's files.
class DocumentRecovery : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentRecovery)

public:
    // What one write keeps: captured on the GUI thread, written on the worker.
    struct Snapshot {
        RtfContent content;
        QString fileName; // "" while the document is untitled
        bool changed = true;
        bool richText = false; // the format of fileName
        QDateTime time;
    };
    // What a recovery file gives back.
    struct Contents {
        QString rtf;
        QString fileName;
        bool changed = true;
        bool richText = false;
        QDateTime time;
    };

    // A recovery file whose program has ended without removing it. Its lock
    // is held (so no other program offers it at the same time) until one of
    // the three ends below, or the object's destruction, which releases it.
    class Orphan {
    public:
        Orphan(QString path, std::unique_ptr<QLockFile> lock);
        Orphan(Orphan &&) noexcept;
        Orphan &operator=(Orphan &&) noexcept;
        ~Orphan();

        QString path;
        std::optional<Contents> contents; // nullopt: damaged, see problem
        QString problem;
        QDateTime time; // when it was written

        // The user declined it: the file is deleted.
        bool remove(QString *reason);
        // It is damaged: renamed so that it is neither lost nor offered again.
        bool setAside(QString *newPath, QString *reason);
        // Left for the next start.
        void release();

    private:
        std::unique_ptr<QLockFile> m_lock;
    };

    explicit DocumentRecovery(QObject *parent = nullptr);
    ~DocumentRecovery() override;

    // The recovery folder inside the per-user data folder.
    static QString defaultFolder();

    // Takes this program's lock in folder (created if need be). False with
    // a reason when the folder cannot be used; nothing is written then.
    bool start(const QString &folder, QString *reason);
    bool isActive() const { return m_lock != nullptr; }
    QString folder() const { return m_folder; }
    // This program's recovery file (it exists only while there is unsaved work).
    QString filePath() const { return m_path; }

    // Gives the document's state; called on the GUI thread for each write.
    void setSource(std::function<Snapshot()> source) { m_source = std::move(source); }
    // idle: after the last edit; longest: at most this long after the first
    // edit not yet written.
    void setDelays(std::chrono::milliseconds idle, std::chrono::milliseconds longest);

    // While paused (the editor busy with a long command) nothing is
    // captured: a write due meanwhile is made when it resumes, so that no
    // half-written document is ever kept.
    void setPaused(bool paused);
    // The document was edited and has unsaved changes.
    void noteEdit();
    // Captures the document and queues its write at once.
    void writeNow();
    // The document has no unsaved changes any more: the file goes.
    void discard();
    // Waits until every queued write or removal is done.
    void waitForWorker();

    // Recovery files left by programs that have ended, newest first; each
    // is locked for this program until it is dealt with.
    std::vector<Orphan> takeOrphans();
    // Removes the orphan once the writes queued so far are on disk, so that
    // recovered work always has a file; kept when that write failed.
    void removeAfterWrites(Orphan orphan);

    // The file format, public for tests.
    static QByteArray encode(const Snapshot &snapshot);
    static QByteArray encode(const Contents &contents);
    static std::optional<Contents> decode(const QByteArray &bytes, QString *problem);

    // Larger files are refused as damaged, unread: a recovery file holds
    // the document as RTF, which the editor reads up to MaxRtfBytes, and a
    // short header (its longest part the document's name).
    static constexpr qint64 MaxFileBytes = DocumentFile::MaxRtfBytes + 64 * 1024;

signals:
    void written(const QString &path);
    void writeFailed(const QString &reason);

private:
    struct WorkerState;

    QString m_folder;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    std::function<Snapshot()> m_source;
    QTimer m_idle;
    QTimer m_longest;
    bool m_fileQueued = false; // a write was queued since the last removal
    bool m_paused = false;
    bool m_writeWhenResumed = false;
    std::shared_ptr<WorkerState> m_state;
    QThreadPool m_worker;
};
