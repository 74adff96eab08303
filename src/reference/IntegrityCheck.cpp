#include "reference/IntegrityCheck.h"

#include <QFile>
#include <QThread>
#include <sqlite3.h>

IntegrityCheck::IntegrityCheck(QObject *parent)
    : QObject(parent)
{
}

IntegrityCheck::~IntegrityCheck()
{
    m_stop = true;
    if (m_thread)
        m_thread->wait();
}

void IntegrityCheck::start(const QStringList &paths)
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this, paths] {
        for (const QString &path : paths) {
            const QString problem = problemOf(path, &m_stop);
            if (m_stop)
                return;
            if (!problem.isEmpty())
                QMetaObject::invokeMethod(this, [this, path, problem] { emit damaged(path, problem); },
                                          Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(this, &IntegrityCheck::finished, Qt::QueuedConnection);
    }));
    // Behind everything the user does.
    m_thread->start(QThread::LowestPriority);
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
