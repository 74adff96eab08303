// Writing a reference database file: schema, order of equal keys, sources,
// repeatable output and never leaving a half-written file behind.

#include "DbWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

// Runs a query and returns its rows, each row's columns joined with '|'.
QStringList query(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QStringList rows;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("cannot open")};
    }
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        rows.append(QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db)));
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                columns.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, i))));
            rows.append(columns.join(QLatin1Char('|')));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

const QVector<SourceInfo> Sources{
    {QStringLiteral("Test text"), QStringLiteral("pkg-a"), QStringLiteral("Public domain"), QString()},
    {QStringLiteral("Other text"), QStringLiteral("pkg-b"), QStringLiteral("Free to copy"), QStringLiteral("note")}};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDbWriter : public QObject {
    Q_OBJECT

private slots:
    void writesTheSchemaTheProgramReads();
    void firstInsertedWinsAmongEqualKeys();
    void outputIsRepeatable();
    void failureLeavesTheOldFile();
};

void TestDbWriter::writesTheSchemaTheProgramReads()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("joke.db"));
    const QVector<LibraryEntry> entries{{QStringLiteral("WordUsage E- G"), QStringLiteral("éclat, “quoted”\nline")},
                                        {QStringLiteral("TopicalTextBook  TITLES"), QStringLiteral("titles")}};
    QString error;
    QVERIFY2(DbWriter::write(path, ReferenceSchema::Joke, entries, Sources, &error), qPrintable(error));

    QCOMPARE(query(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name")),
             (QStringList{QStringLiteral("Sources"), QStringLiteral("VMJoke")}));
    QCOMPARE(query(path, QStringLiteral("SELECT name FROM pragma_index_info('JokeSubject') ORDER BY seqno")),
             (QStringList{QStringLiteral("subject"), QStringLiteral("id")}));
    // Keys keep their blanks; text keeps its characters and line breaks.
    QCOMPARE(query(path, QStringLiteral("SELECT Joketext FROM VMJoke WHERE subject = 'WordUsage E- G'")),
             QStringList{QStringLiteral("éclat, “quoted”\nline")});
    QCOMPARE(query(path, QStringLiteral("SELECT count(*) FROM VMJoke WHERE subject = 'TopicalTextBook TITLES'")),
             QStringList{QStringLiteral("0")});
    QCOMPARE(query(path, QStringLiteral("SELECT name, package, licence, note FROM Sources ORDER BY rowid")),
             (QStringList{QStringLiteral("Test text|pkg-a|Public domain|"),
                          QStringLiteral("Other text|pkg-b|Free to copy|note")}));
    QVERIFY(!QFile::exists(path + QStringLiteral(".partial")));
}

void TestDbWriter::firstInsertedWinsAmongEqualKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bible.db"));
    // "Zeta" and "Alpha" first in insertion order, but not in key order.
    const QVector<LibraryEntry> entries{{QStringLiteral("Zeta"), QStringLiteral("first zeta")},
                                        {QStringLiteral("Alpha"), QStringLiteral("first alpha")},
                                        {QStringLiteral("Zeta"), QStringLiteral("second zeta")},
                                        {QStringLiteral("Alpha"), QStringLiteral("second alpha")}};
    QString error;
    QVERIFY2(DbWriter::write(path, ReferenceSchema::Bible, entries, Sources, &error), qPrintable(error));
    QCOMPARE(query(path, QStringLiteral("SELECT text FROM Contacts INDEXED BY books WHERE subject = 'Zeta' LIMIT 1")),
             QStringList{QStringLiteral("first zeta")});
    QCOMPARE(query(path, QStringLiteral("SELECT text FROM Contacts INDEXED BY books ORDER BY subject, id")),
             (QStringList{QStringLiteral("first alpha"), QStringLiteral("second alpha"), QStringLiteral("first zeta"),
                          QStringLiteral("second zeta")}));
}

void TestDbWriter::outputIsRepeatable()
{
    QTemporaryDir dir;
    QVector<LibraryEntry> entries;
    for (int i = 0; i < 500; ++i)
        entries.append({QStringLiteral("Key %1").arg(i % 37), QString(i * 7, QLatin1Char(char('a' + i % 26)))});
    const QString first = dir.filePath(QStringLiteral("one.db"));
    const QString second = dir.filePath(QStringLiteral("two.db"));
    QString error;
    QVERIFY2(DbWriter::write(first, ReferenceSchema::Quote, entries, Sources, &error), qPrintable(error));
    QVERIFY2(DbWriter::write(second, ReferenceSchema::Quote, entries, Sources, &error), qPrintable(error));
    QVERIFY(!contents(first).isEmpty());
    QCOMPARE(contents(first), contents(second));

    // Writing over an existing file replaces it whole.
    QVERIFY2(DbWriter::write(second, ReferenceSchema::Quote, entries.mid(0, 3), Sources, &error), qPrintable(error));
    QCOMPARE(query(second, QStringLiteral("SELECT count(*) FROM VMQuote")), QStringList{QStringLiteral("3")});
}

void TestDbWriter::failureLeavesTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sermon.db"));
    const QVector<LibraryEntry> good{{QStringLiteral("Title, The"), QStringLiteral("old")}};
    QString error;
    QVERIFY2(DbWriter::write(path, ReferenceSchema::Sermon, good, Sources, &error), qPrintable(error));
    const QByteArray before = contents(path);

    const QVector<LibraryEntry> keyless{{QStringLiteral("Title, The"), QStringLiteral("new")},
                                        {QString(), QStringLiteral("orphan")}};
    QVERIFY(!DbWriter::write(path, ReferenceSchema::Sermon, keyless, Sources, &error));
    QVERIFY2(error.contains(QStringLiteral("no subject key")), qPrintable(error));
    QVERIFY(!DbWriter::write(path, ReferenceSchema::Sermon, good, {}, &error));
    QVERIFY2(error.contains(QStringLiteral("no source")), qPrintable(error));

    QCOMPARE(contents(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("sermon.db")});

    QVERIFY(!DbWriter::write(dir.filePath(QStringLiteral("missing/sermon.db")), ReferenceSchema::Sermon, good, Sources,
                             &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestDbWriter)
#include "tst_dbwriter.moc"
