#include "reference/DataSource.h"

#include "reference/FindTables.h"

#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <QStringDecoder>
#include <filesystem>
#include <limits>
#include <sqlite3.h>

namespace {

QString quoted(QStringView identifier)
{
    QString s = identifier.toString();
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString fromView(std::string_view v)
{
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

// One prepared statement, finalised when it goes out of scope.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_rc == SQLITE_OK && m_stmt; }
    void bind(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindInteger(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
    void reset() { sqlite3_reset(m_stmt); }
    int step() { return sqlite3_step(m_stmt); }
    // True while a row is available. An error ends the rows too: failed()
    // tells it from their end.
    bool next()
    {
        const int rc = ok() ? step() : m_rc;
        m_failed = rc != SQLITE_ROW && rc != SQLITE_DONE;
        return rc == SQLITE_ROW;
    }
    bool failed() const { return m_failed; }
    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    QString text(int column) const
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, column)) : QString();
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_ERROR;
    bool m_failed = false;
};

// What stands at path when it is not a regular file, in words for the user.
QString notAFile(const QString &path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    switch (fs::status(fs::path(path.toStdU16String()), error).type()) {
    case fs::file_type::directory:
        return DataSource::tr("it is a folder, not a database file");
    case fs::file_type::fifo:
        return DataSource::tr("it is a named pipe (FIFO), not a database file");
    case fs::file_type::socket:
        return DataSource::tr("it is a socket, not a database file");
    case fs::file_type::block:
    case fs::file_type::character:
        return DataSource::tr("it is a device, not a database file");
    default:
        return DataSource::tr("it is not an ordinary file");
    }
}

// Stored text to a string; an incomplete character at the end (where a
// read stopped) is left out.
QString decoded(const QByteArray &bytes, const QString &encoding)
{
    QStringDecoder::Encoding e = QStringDecoder::Utf8;
    if (encoding.compare(QLatin1String("UTF-16le"), Qt::CaseInsensitive) == 0)
        e = QStringDecoder::Utf16LE;
    else if (encoding.compare(QLatin1String("UTF-16be"), Qt::CaseInsensitive) == 0)
        e = QStringDecoder::Utf16BE;
    QStringDecoder decoder(e);
    QString text = decoder.decode(bytes);
    // The decoder gives out the first half of a pair cut in two.
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

} // namespace

DataSource::DataSource(QObject *parent)
    : QObject(parent)
{
}

DataSource::~DataSource()
{
    close();
}

void DataSource::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
    m_index.clear();
    m_ordering.reset();
    m_noMatch = false;
    m_indexedRows.reset();
    m_hasChapterList.reset();
    m_currentProblem.clear();
    setCurrent(std::nullopt);
}

QString DataSource::sqliteError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

bool DataSource::fail(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
    close();
    return false;
}

bool DataSource::open(const QString &path, const ReferenceSchema::Table &schema, QString *problem)
{
    close();
    const QFileInfo info(path);
    if (!info.exists())
        return fail(problem, tr("the file is missing"));
    if (!info.isFile())
        return fail(problem, notAFile(path));
    if (!info.isReadable())
        return fail(problem, tr("the file cannot be read: you are not allowed to read it"));
    // SQLite takes an empty file for an empty database, which lacks everything.
    if (info.size() == 0)
        return fail(problem, tr("the file is empty (0 bytes), not a database"));

    // Read-only at the engine level: nothing the program does can write the file.
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = m_db ? sqliteError() : QString::fromUtf8(sqlite3_errstr(rc));
        return fail(problem, tr("the file cannot be opened (%1)").arg(why));
    }
    sqlite3_extended_result_codes(m_db, 1);

    m_path = path;
    m_tableName = fromView(schema.table);
    m_layout.tableName = m_tableName;
    m_table = quoted(m_tableName);
    {
        // The first read reveals a file that is not a database at all.
        Statement s(m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
        if (!s.ok())
            return fail(problem, tr("the file is not a readable database (%1)").arg(sqliteError()));
        s.bind(1, m_tableName);
        if (!s.next()) {
            if (s.failed())
                return fail(problem, tr("the file is not a readable database (%1)").arg(sqliteError()));
            return fail(problem, tr("it has no table \"%1\"").arg(m_tableName));
        }
    }
    {
        Statement s(m_db, QStringLiteral("PRAGMA encoding"));
        m_layout.encoding = s.next() ? s.text(0) : QStringLiteral("UTF-8");
    }

    const QString field = fromView(schema.entryField);
    bool hasField = false;
    {
        Statement s(m_db, QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
        s.bind(1, m_tableName);
        while (s.next())
            hasField = hasField || s.text(0).compare(field, Qt::CaseInsensitive) == 0;
        if (s.failed())
            return fail(problem, tr("table \"%1\" cannot be read (%2)").arg(m_tableName, sqliteError()));
    }
    if (!hasField)
        return fail(problem, tr("table \"%1\" has no field \"%2\"").arg(m_tableName, field));
    m_layout.field = field;
    m_entryColumn = quoted(field);

    QString indexProblem;
    if (!orderingOf(fromView(schema.index), &indexProblem))
        return fail(problem, indexProblem);

    Statement s(m_db, QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid LIMIT 1").arg(m_table));
    const int stepped = s.ok() ? s.step() : SQLITE_ERROR;
    if (stepped == SQLITE_DONE)
        return fail(problem, tr("table \"%1\" holds no entries").arg(m_tableName));
    if (stepped != SQLITE_ROW)
        return fail(problem, tr("table \"%1\" cannot be read (%2)").arg(m_tableName, sqliteError()));
    const std::optional<qint64> first = s.integer(0);
    setCurrent(first);
    return true;
}

std::optional<DataSource::Ordering> DataSource::orderingOf(const QString &index, QString *problem) const
{
    const auto error = [&](const QString &text) -> std::optional<Ordering> {
        if (problem)
            *problem = text;
        return std::nullopt;
    };
    if (!m_db)
        return error(tr("the database is not open"));
    {
        Statement s(m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' "
                                         "AND name = ?1 COLLATE NOCASE AND tbl_name = ?2 COLLATE NOCASE"));
        s.bind(1, index);
        s.bind(2, m_tableName);
        if (!s.next()) {
            if (s.failed()) {
                reportReadFailure();
                return error(tr("the index \"%1\" cannot be read (%2)").arg(index, sqliteError()));
            }
            return error(tr("table \"%1\" has no index \"%2\"").arg(m_tableName, index));
        }
    }

    Ordering ordering;
    QStringList terms;
    Statement s(m_db, QStringLiteral("SELECT cid, name, \"desc\", coll FROM pragma_index_xinfo(?1) "
                                     "WHERE \"key\" = 1 ORDER BY seqno"));
    s.bind(1, index);
    while (s.next()) {
        if (s.integer(0) < 0)
            return error(tr("index \"%1\" orders by an expression, not by a field").arg(index));
        const QString column = quoted(s.text(1));
        if (ordering.keyColumn.isEmpty())
            ordering.keyColumn = column;
        QString term = column + QStringLiteral(" COLLATE ") + quoted(s.text(3));
        if (s.integer(2))
            term += QStringLiteral(" DESC");
        terms << term;
    }
    if (s.failed()) {
        reportReadFailure();
        return error(tr("the index \"%1\" cannot be read (%2)").arg(index, sqliteError()));
    }
    if (ordering.keyColumn.isEmpty())
        return error(tr("index \"%1\" has no key field").arg(index));
    // An index ends in the row id: equal keys keep their row order.
    terms << QStringLiteral("rowid");
    ordering.orderBy = terms.join(QStringLiteral(", "));
    return ordering;
}

bool DataSource::selectIndex(const QString &name, QString *problem)
{
    std::optional<Ordering> ordering = orderingOf(name, problem);
    if (!ordering)
        return false;
    m_index = name;
    m_ordering = std::move(ordering);
    return true;
}

void DataSource::reportReadFailure() const
{
    emit readFailed(sqliteError());
}

std::optional<qint64> DataSource::firstRowId(const QString &orderBy, bool *failed) const
{
    return rowIdOf(QStringLiteral("SELECT rowid FROM %1 ORDER BY %2 LIMIT 1").arg(m_table, orderBy), nullptr, failed);
}

std::optional<qint64> DataSource::findRowId(const Ordering &ordering, const QString &key, bool *failed) const
{
    // BINARY: the key must match exactly, whatever collation the index uses.
    return rowIdOf(QStringLiteral("SELECT rowid FROM %1 WHERE %2 = ?1 COLLATE BINARY ORDER BY %3 LIMIT 1")
                       .arg(m_table, ordering.keyColumn, ordering.orderBy),
                   &key, failed);
}

std::optional<qint64> DataSource::rowIdOf(const QString &sql, const QString *key, bool *failed) const
{
    Statement s(m_db, sql);
    if (key)
        s.bind(1, *key);
    if (s.next())
        return s.integer(0);
    if (s.failed()) {
        reportReadFailure();
        if (failed)
            *failed = true;
    }
    return std::nullopt;
}

QString DataSource::entryAt(qint64 rowId) const
{
    return readEntry(rowId, std::numeric_limits<qint64>::max()).text;
}

DataSource::EntryText DataSource::readEntry(qint64 rowId, qint64 maxBytes) const
{
    if (!m_db)
        return {};
    EntryText entry = readEntryFrom(m_db, m_layout, rowId, maxBytes);
    if (!entry.problem.isEmpty())
        reportReadFailure();
    return entry;
}

DataSource::EntryText DataSource::readEntryFrom(sqlite3 *db, const EntryLayout &layout, qint64 rowId,
                                                qint64 maxBytes)
{
    EntryText entry;
    // Read as stored, and no more than asked: a huge entry is never loaded whole.
    sqlite3_blob *blob = nullptr;
    if (sqlite3_blob_open(db, "main", layout.tableName.toUtf8().constData(), layout.field.toUtf8().constData(),
                          rowId, 0, &blob)
        == SQLITE_OK) {
        entry.storedBytes = sqlite3_blob_bytes(blob);
        const int wanted = int(std::min<qint64>(entry.storedBytes, std::max<qint64>(maxBytes, 0)));
        QByteArray bytes(wanted, Qt::Uninitialized);
        const int rc = sqlite3_blob_read(blob, bytes.data(), wanted, 0);
        sqlite3_blob_close(blob);
        if (rc == SQLITE_OK) {
            entry.text = decoded(bytes, layout.encoding);
            entry.truncated = wanted < entry.storedBytes;
            return entry;
        }
    }
    // No text there (an empty field, a number, no such row), or damage:
    // the query tells which.
    Statement s(db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                        .arg(quoted(layout.field), quoted(layout.tableName)));
    s.bindInteger(1, rowId);
    if (s.next()) {
        entry.text = s.text(0);
        entry.storedBytes = entry.text.toUtf8().size();
        if (entry.storedBytes > maxBytes) {
            entry.text = decoded(entry.text.toUtf8().left(qsizetype(maxBytes)), QStringLiteral("UTF-8"));
            entry.truncated = true;
        }
    } else if (s.failed()) {
        entry.problem = QString::fromUtf8(sqlite3_errmsg(db));
    }
    return entry;
}

DataSource::EntryReader DataSource::entryReader() const
{
    if (!m_db)
        return {};
    // One connection per reader: SQLite connections are not shared between threads.
    struct Connection {
        std::mutex mutex;
        QString path;
        EntryLayout layout;
        sqlite3 *db = nullptr;
        ~Connection() { sqlite3_close_v2(db); }
    };
    auto connection = std::make_shared<Connection>();
    connection->path = m_path;
    connection->layout = m_layout;
    return [connection](qint64 rowId, qint64 maxBytes) {
        const std::lock_guard lock(connection->mutex);
        if (!connection->db) {
            const int rc = sqlite3_open_v2(QFile::encodeName(connection->path).constData(), &connection->db,
                                           SQLITE_OPEN_READONLY, nullptr);
            if (rc != SQLITE_OK) {
                EntryText failed;
                failed.problem = QString::fromUtf8(sqlite3_errmsg(connection->db));
                sqlite3_close_v2(connection->db);
                connection->db = nullptr;
                return failed;
            }
            // Entries are read once, then kept as documents: little to cache.
            sqlite3_exec(connection->db, "PRAGMA cache_size = -256", nullptr, nullptr, nullptr);
        }
        return readEntryFrom(connection->db, connection->layout, rowId, maxBytes);
    };
}

void DataSource::setUnreadable()
{
    m_currentProblem = sqliteError();
    if (m_current) {
        m_current.reset();
        emit currentChanged();
    }
}

void DataSource::seek(const QString &key)
{
    if (!m_db || !m_ordering) {
        m_noMatch = true;
        return;
    }
    bool failed = false;
    const std::optional<qint64> found = findRowId(*m_ordering, key, &failed);
    m_noMatch = !found && !failed;
    if (failed)
        setUnreadable();
    else if (found)
        setCurrent(found);
}

void DataSource::moveFirst()
{
    if (!m_db)
        return;
    bool failed = false;
    const std::optional<qint64> first
        = firstRowId(m_ordering ? m_ordering->orderBy : QStringLiteral("rowid"), &failed);
    if (failed)
        setUnreadable();
    else if (first)
        setCurrent(first);
}

QString DataSource::entry() const
{
    return m_current ? entryAt(*m_current) : QString();
}

std::optional<qint64> DataSource::peek(const QString &index, const QString &key) const
{
    const std::optional<Ordering> ordering = index == m_index ? m_ordering : orderingOf(index, nullptr);
    if (!m_db || !ordering)
        return std::nullopt;
    const std::optional<qint64> row = findRowId(*ordering, key);
    return row ? row : firstRowId(ordering->orderBy);
}

void DataSource::setCurrent(std::optional<qint64> rowId)
{
    m_currentProblem.clear();
    if (rowId == m_current)
        return;
    m_current = rowId;
    emit currentChanged();
}

QSet<qint64> DataSource::rowsWithout(const QString &foldedText) const
{
    if (!m_db)
        return {};
    const QList<uint> characters = foldedText.toUcs4();
    if (characters.size() < 3)
        return {};
    if (!m_indexedRows) {
        m_indexedRows.emplace();
        // A file without the index (or an engine without FTS5) fails here.
        Statement s(m_db, QStringLiteral("SELECT rowid FROM %1").arg(fromView(FindTables::FindText)));
        while (s.next())
            m_indexedRows->insert(s.integer(0));
    }
    if (m_indexedRows->isEmpty())
        return {};

    // Every trigram of the text must be in an entry that holds it; each is a
    // quoted string, so that no character is read as query syntax.
    QStringList terms;
    for (qsizetype i = 0; i + 3 <= characters.size(); ++i) {
        QString term = QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData() + i), 3);
        term.replace(QLatin1Char('"'), QLatin1String("\"\""));
        terms << QLatin1Char('"') + term + QLatin1Char('"');
    }
    terms.removeDuplicates();
    QSet<qint64> without = *m_indexedRows;
    Statement s(m_db, QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH ?1").arg(fromView(FindTables::FindText)));
    if (!s.ok())
        return {};
    s.bind(1, terms.join(QStringLiteral(" AND ")));
    int rc = SQLITE_ROW;
    while ((rc = s.step()) == SQLITE_ROW)
        without.remove(s.integer(0));
    // A query that failed half-way proves nothing.
    return rc == SQLITE_DONE ? without : QSet<qint64>();
}

std::optional<qint64> DataSource::firstEntryWhere(const QList<qint64> &rowIds,
                                                  const std::function<bool(qint64, const QString &)> &test) const
{
    if (!m_db || rowIds.isEmpty())
        return std::nullopt;
    // One statement for all the records.
    Statement s(m_db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(m_entryColumn, m_table));
    for (qint64 id : rowIds) {
        if (!s.ok())
            break;
        s.reset();
        s.bindInteger(1, id);
        if (s.step() == SQLITE_ROW && test(id, s.text(0)))
            return id;
    }
    return std::nullopt;
}

bool DataSource::hasChapterList() const
{
    if (!m_db)
        return false;
    // Asked for every reference shown in the document: the file is read
    // only, so once is enough.
    if (!m_hasChapterList) {
        Statement s(m_db, QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(fromView(FindTables::BibleChapters)));
        m_hasChapterList = s.next();
    }
    return *m_hasChapterList;
}

std::optional<DataSource::Chapter> DataSource::chapter(const QString &book, int number) const
{
    if (!m_db)
        return std::nullopt;
    Statement s(m_db, QStringLiteral("SELECT subject, verses FROM %1 WHERE book = ?1 AND chapter = %2")
                          .arg(fromView(FindTables::BibleChapters))
                          .arg(number));
    s.bind(1, book);
    if (!s.next())
        return std::nullopt;
    return Chapter{s.text(0), int(s.integer(1))};
}

int DataSource::chapterCount(const QString &book) const
{
    if (!m_db)
        return 0;
    Statement s(m_db, QStringLiteral("SELECT count(*) FROM %1 WHERE book = ?1").arg(fromView(FindTables::BibleChapters)));
    s.bind(1, book);
    return s.next() ? int(s.integer(0)) : 0;
}
