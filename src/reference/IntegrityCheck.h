#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <atomic>
#include <memory>

// Checks reference database files for damage on a worker, so that the
// window never waits for it; each damaged file is named as it is found.
class IntegrityCheck : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IntegrityCheck)

public:
    explicit IntegrityCheck(QObject *parent = nullptr);
    // Ends a check under way early.
    ~IntegrityCheck() override;

    // Checks the files one after the other; once only.
    void start(const QStringList &paths);

    // The check of one file, on the calling thread: empty when the file is
    // sound, else what SQLite found first. A set stop ends it early, empty.
    static QString problemOf(const QString &path, const std::atomic_bool *stop = nullptr);

signals:
    void damaged(const QString &path, const QString &problem);
    void finished();

private:
    // Shared with the worker, which may outlive this object by a moment.
    std::shared_ptr<std::atomic_bool> m_stop = std::make_shared<std::atomic_bool>(false);
    QFutureWatcher<QPair<QString, QString>> m_watcher; // path and problem of each damaged file
    bool m_started = false;
};
