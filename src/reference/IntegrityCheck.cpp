#include "reference/IntegrityCheck.h"

#include <QFile>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>
#include <sqlite3.h>

IntegrityCheck::IntegrityCheck(QObject *parent)
    : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcherBase::resultReadyAt, this, [this](int i) {
        const QPair<QString, QString> found = m_watcher.resultAt(i);
        emit damaged(found.first, found.second);
    });
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        if (!m_watcher.isCanceled())
            emit finished();
    });
}

IntegrityCheck::~IntegrityCheck()
{
    // The check under way ends at SQLite's next progress call.
    *m_stop = true;
    m_watcher.cancel();
}

void IntegrityCheck::start(const QStringList &paths)
{
    if (m_started)
        return;
    m_started = true;
    m_watcher.setFuture(QtConcurrent::run(
        [paths, stop = m_stop](QPromise<QPair<QString, QString>> &promise) {
            for (const QString &path : paths) {
                const QString problem = problemOf(path, stop.get());
                if (*stop || promise.isCanceled())
                    return;
                if (!problem.isEmpty())
                    promise.addResult(qMakePair(path, problem));
            }
        }));
}

QString IntegrityCheck::problemOf(const QString &path, const std::atomic_bool *stop)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return why;
    }
    if (stop)
        sqlite3_progress_handler(
            db, 1000, [](void *flag) { return static_cast<const std::atomic_bool *>(flag)->load() ? 1 : 0; },
            const_cast<std::atomic_bool *>(stop));
    QString problem;
    sqlite3_stmt *stmt = nullptr;
    // The quick check reads every page and record but skips matching index
    // entries to rows: damage shows, at a fraction of the full check's time.
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            const QString found = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
            if (found != QLatin1String("ok"))
                problem = found;
        } else if (rc != SQLITE_DONE && rc != SQLITE_INTERRUPT) {
            problem = QString::fromUtf8(sqlite3_errmsg(db));
        }
    } else {
        problem = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    // SQLite heads its findings with the database's name; the file is named anyway.
    problem.remove(QLatin1String("*** in database main ***\n"));
    return problem.trimmed();
}
