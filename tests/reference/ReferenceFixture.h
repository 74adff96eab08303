#pragma once

#include "reference/FindTables.h"
#include "reference/ReferenceSchema.h"
#include "reference/TextMatch.h"

#include <QFile>
#include <QList>
#include <QString>
#include <sqlite3.h>

// Writes small reference databases with the program's own schema, or with
// whatever SQL a broken-file case needs.
namespace ReferenceFixture {

struct Row {
    QString key;
    QString entry;
};

// Runs the statements (separated by ';') in a new database file.
inline bool writeSql(const QString &path, const QString &sql)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The entry table and its index as the program expects them, rows in order.
inline bool write(const QString &path, const ReferenceSchema::Table &t, const QList<Row> &rows)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_exec(db, ReferenceSchema::entryTableDdl(t).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_exec(db, ReferenceSchema::indexDdl(t).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    const std::string insert = "INSERT INTO " + std::string(t.table) + " (" + std::string(t.keyColumn) + ", "
        + std::string(t.entryField) + ") VALUES (?1, ?2)";
    sqlite3_stmt *stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
    for (const Row &r : rows) {
        if (!ok)
            break;
        const QByteArray key = r.key.toUtf8();
        const QByteArray entry = r.entry.toUtf8();
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, entry.constData(), int(entry.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Every reference file, small but sound, in the folder: a window can
// start without a message about its data.
inline bool writeAllSmall(const QString &folder)
{
    for (const ReferenceSchema::Table &t : ReferenceSchema::All) {
        const QString file = folder + QLatin1Char('/') + QString::fromLatin1(t.file.data(), qsizetype(t.file.size()));
        if (!write(file, t, {{QStringLiteral("subject"), QStringLiteral("entry")}}))
            return false;
    }
    return true;
}

struct ChapterRow {
    QString book;
    int chapter;
    int verses;
    QString subject;
};

// Adds the tables the importer writes for Find: the trigram index of every
// plain entry's folded text, and the chapter list when one is given.
inline bool addFindTables(const QString &path, const ReferenceSchema::Table &t, const QList<ChapterRow> &chapters)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_exec(db, std::string(FindTables::FindTextDdl).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    QList<QPair<qint64, QString>> entries;
    sqlite3_stmt *stmt = nullptr;
    const std::string select = "SELECT id, " + std::string(t.entryField) + " FROM " + std::string(t.table);
    ok = ok && sqlite3_prepare_v2(db, select.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(stmt) == SQLITE_ROW)
        entries.append({sqlite3_column_int64(stmt, 0),
                        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1)))});
    sqlite3_finalize(stmt);
    stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "INSERT INTO FindText (rowid, folded) VALUES (?1, ?2)", -1, &stmt, nullptr) == SQLITE_OK;
    for (const auto &[id, text] : entries) {
        if (!ok || text.startsWith(QLatin1String("{\\rtf")))
            continue;
        const QByteArray folded = TextMatch::folded(text).toUtf8();
        sqlite3_bind_int64(stmt, 1, id);
        sqlite3_bind_text(stmt, 2, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
        ok = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    if (!chapters.isEmpty()) {
        ok = ok && sqlite3_exec(db, std::string(FindTables::BibleChaptersDdl).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        stmt = nullptr;
        ok = ok && sqlite3_prepare_v2(db, "INSERT INTO BibleChapters VALUES (?1, ?2, ?3, ?4)", -1, &stmt, nullptr) == SQLITE_OK;
        for (const ChapterRow &c : chapters) {
            if (!ok)
                break;
            const QByteArray book = c.book.toUtf8();
            const QByteArray subject = c.subject.toUtf8();
            sqlite3_bind_text(stmt, 1, book.constData(), int(book.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(stmt, 2, c.chapter);
            sqlite3_bind_int(stmt, 3, c.verses);
            sqlite3_bind_text(stmt, 4, subject.constData(), int(subject.size()), SQLITE_TRANSIENT);
            ok = sqlite3_step(stmt) == SQLITE_DONE;
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Verse-like lines up to the given size, numbered so that every one differs.
inline QString versesOfSize(qsizetype bytes, const QString &book = QStringLiteral("Book"))
{
    QString s;
    s.reserve(bytes + 200);
    for (int v = 0; s.size() < bytes; ++v)
        s += QStringLiteral("%1 %2:%3 And God said, Let there be light: and there was light. "
                            "And God saw the light, that it was good.\n")
                 .arg(book)
                 .arg(v / 30 + 1)
                 .arg(v % 30 + 1);
    return s;
}

} // namespace ReferenceFixture
