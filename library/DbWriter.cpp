#include "DbWriter.h"

#include <QFile>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

struct DatabaseCloser {
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

QString lastError(sqlite3 *db, const QString &path)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
}

bool execute(sqlite3 *db, const std::string &sql, const QString &path, QString *error)
{
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    *error = lastError(db, path);
    return false;
}

Statement prepare(sqlite3 *db, const std::string &sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return Statement(statement);
}

bool bindText(sqlite3_stmt *statement, int column, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text(statement, column, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

bool bindValue(sqlite3_stmt *statement, int column, const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return bindText(statement, column, value.toString());
    return sqlite3_bind_int64(statement, column, value.toLongLong()) == SQLITE_OK;
}

bool fillExtra(sqlite3 *db, const ExtraTable &extra, const QString &path, QString *error)
{
    if (!execute(db, extra.ddl, path, error))
        return false;
    Statement statement = prepare(db, extra.insert);
    if (!statement) {
        *error = lastError(db, path);
        return false;
    }
    for (const QVariantList &row : extra.rows) {
        sqlite3_reset(statement.get());
        for (int i = 0; i < int(row.size()); ++i) {
            if (!bindValue(statement.get(), i + 1, row.at(i))) {
                *error = lastError(db, path);
                return false;
            }
        }
        if (sqlite3_step(statement.get()) != SQLITE_DONE) {
            *error = lastError(db, path);
            return false;
        }
    }
    return extra.finish.empty() || execute(db, extra.finish, path, error);
}

bool fill(sqlite3 *db, const ReferenceSchema::Table &table, const QVector<LibraryEntry> &entries,
          const QVector<SourceInfo> &sources, const QVector<ExtraTable> &extra, const QString &path,
          QString *error)
{
    // The file is a scratch copy until it is renamed: no journal needed.
    if (!execute(db, "PRAGMA page_size = 4096; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", path, error)
        || !execute(db, "BEGIN", path, error)
        || !execute(db, ReferenceSchema::entryTableDdl(table), path, error)
        || !execute(db, std::string(ReferenceSchema::SourcesDdl), path, error))
        return false;

    std::string insert = "INSERT INTO ";
    insert += table.table;
    insert += " (id, ";
    insert += table.keyColumn;
    insert += ", ";
    insert += table.entryField;
    insert += ") VALUES (?, ?, ?)";
    Statement statement = prepare(db, insert);
    if (!statement) {
        *error = lastError(db, path);
        return false;
    }
    qint64 id = 0;
    for (const LibraryEntry &entry : entries) {
        if (entry.key.isEmpty()) {
            *error = QStringLiteral("%1: an entry has no subject key").arg(path);
            return false;
        }
        sqlite3_reset(statement.get());
        if (sqlite3_bind_int64(statement.get(), 1, ++id) != SQLITE_OK || !bindText(statement.get(), 2, entry.key)
            || !bindText(statement.get(), 3, entry.text) || sqlite3_step(statement.get()) != SQLITE_DONE) {
            *error = lastError(db, path);
            return false;
        }
    }

    std::string insertSource = "INSERT INTO ";
    insertSource += ReferenceSchema::SourcesTable;
    insertSource += " (name, package, licence, note) VALUES (?, ?, ?, ?)";
    Statement sourceStatement = prepare(db, insertSource);
    if (!sourceStatement) {
        *error = lastError(db, path);
        return false;
    }
    for (const SourceInfo &source : sources) {
        sqlite3_reset(sourceStatement.get());
        if (!bindText(sourceStatement.get(), 1, source.name) || !bindText(sourceStatement.get(), 2, source.package)
            || !bindText(sourceStatement.get(), 3, source.licence) || !bindText(sourceStatement.get(), 4, source.note)
            || sqlite3_step(sourceStatement.get()) != SQLITE_DONE) {
            *error = lastError(db, path);
            return false;
        }
    }
    statement.reset();
    sourceStatement.reset();
    for (const ExtraTable &more : extra)
        if (!fillExtra(db, more, path, error))
            return false;
    return execute(db, ReferenceSchema::indexDdl(table), path, error) && execute(db, "COMMIT", path, error);
}

} // namespace

bool DbWriter::write(const QString &path, const ReferenceSchema::Table &table, const QVector<LibraryEntry> &entries,
                     const QVector<SourceInfo> &sources, QString *error, const QVector<ExtraTable> &extra)
{
    if (sources.isEmpty()) {
        *error = QStringLiteral("%1: no source is named for its content").arg(path);
        return false;
    }
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        sqlite3 *handle = nullptr;
        const int opened = sqlite3_open_v2(QFile::encodeName(partial).constData(), &handle,
                                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Database db(handle);
        if (opened != SQLITE_OK) {
            *error = handle ? lastError(handle, partial) : QStringLiteral("%1: cannot create the file").arg(partial);
            db.reset();
            QFile::remove(partial);
            return false;
        }
        if (!fill(db.get(), table, entries, sources, extra, partial, error)) {
            db.reset();
            QFile::remove(partial);
            return false;
        }
        sqlite3 *raw = db.release();
        if (sqlite3_close(raw) != SQLITE_OK) {
            sqlite3_close_v2(raw);
            *error = QStringLiteral("%1: cannot close the file").arg(partial);
            QFile::remove(partial);
            return false;
        }
    }
    // rename() replaces the old file in one step, so a reader never sees half a database.
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        *error = QStringLiteral("%1: cannot replace the file").arg(path);
        QFile::remove(partial);
        return false;
    }
    return true;
}
