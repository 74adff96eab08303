// Checks the four reference databases the build produced: every subject of
// the lists finds its own record, the Bible is whole and clean, each file
// names its sources, and the importer gives the same files twice.

#include "SwordSource.h"
#include "reference/BibleReference.h"
#include "reference/DataSource.h"
#include "reference/TextMatch.h"
#include "reference/ReferenceSchema.h"
#include "reference/SubjectLists.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

#include <memory>

namespace {

QString fromView(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString dataPath(const ReferenceSchema::Table &table)
{
    return QDir(QStringLiteral(VELLUMOR_LIBRARY_DATA)).filePath(fromView(table.file));
}

// A read-only connection with a small query helper.
class Database {
public:
    explicit Database(const QString &path)
    {
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
            m_db.reset(db);
        else
            sqlite3_close(db);
    }
    bool isOpen() const { return bool(m_db); }

    // Rows of the query, each a list of its columns as text.
    QVector<QStringList> rows(const QString &sql, const QStringList &arguments = {}) const
    {
        QVector<QStringList> result;
        sqlite3_stmt *statement = nullptr;
        if (!m_db || sqlite3_prepare_v2(m_db.get(), sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
            qWarning("query failed: %s", m_db ? sqlite3_errmsg(m_db.get()) : "no database");
            return result;
        }
        QList<QByteArray> bound;
        for (int i = 0; i < arguments.size(); ++i) {
            bound.append(arguments.at(i).toUtf8());
            sqlite3_bind_text(statement, i + 1, bound.constLast().constData(), int(bound.constLast().size()),
                              SQLITE_STATIC);
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList columns;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
                columns.append(QString::fromUtf8(text, sqlite3_column_bytes(statement, c)));
            }
            result.append(columns);
        }
        sqlite3_finalize(statement);
        return result;
    }

private:
    struct Closer {
        void operator()(sqlite3 *db) const { sqlite3_close(db); }
    };
    std::unique_ptr<sqlite3, Closer> m_db;
};

// The record a lookup of the key shows: the first in the named index's order.
QString seek(const Database &db, const ReferenceSchema::Table &table, const QString &key)
{
    const QString sql = QStringLiteral("SELECT %1 FROM %2 INDEXED BY %3 WHERE %4 = ? ORDER BY %4, id LIMIT 1")
                            .arg(fromView(table.entryField), fromView(table.table), fromView(table.index),
                                 fromView(table.keyColumn));
    const QVector<QStringList> rows = db.rows(sql, {key});
    return rows.isEmpty() ? QString() : rows.constFirst().constFirst();
}

// Every Bible record's text, in record order.
QStringList bibleRecords()
{
    const Database db(dataPath(ReferenceSchema::Bible));
    QStringList texts;
    const auto rows = db.rows(QStringLiteral("SELECT text FROM Contacts ORDER BY id"));
    for (const QStringList &row : rows)
        texts.append(row.constFirst());
    return texts;
}

} // namespace

class TestLibrary : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    // All four databases.
    void everySubjectFindsItsOwnRecord_data();
    void everySubjectFindsItsOwnRecord();
    void sourcesAreRecorded_data();
    void sourcesAreRecorded();

    // bible.db
    void bibleHoldsEveryVerseOnceInOrder();
    void bibleTextIsClean();
    void bibleReadsAsAReaderExpects();

    // The tables that let Find reach a whole panel.
    void bookNamesAndChaptersAreTheKjvs();
    void findIndexHoldsEveryEntry_data();
    void findIndexHoldsEveryEntry();

    // The Bible's words, beside the databases.
    void wordListHoldsTheBiblesWords_data();
    void wordListHoldsTheBiblesWords();

    // The importer itself.
    void importerIsRepeatable();
    void importerNamesAMissingModule();

    // Checks of the dictionary, quotation and sermon content follow here.
};

void TestLibrary::initTestCase()
{
    for (const ReferenceSchema::Table &table : ReferenceSchema::All)
        QVERIFY2(QFile::exists(dataPath(table)), qPrintable(dataPath(table) + QStringLiteral(" was not built")));
}

void TestLibrary::everySubjectFindsItsOwnRecord_data()
{
    QTest::addColumn<int>("which");
    for (int i = 0; i < int(ReferenceSchema::All.size()); ++i)
        QTest::newRow(ReferenceSchema::All[size_t(i)].file.data()) << i;
}

void TestLibrary::everySubjectFindsItsOwnRecord()
{
    QFETCH(int, which);
    const ReferenceSchema::Table &table = ReferenceSchema::All[size_t(which)];
    const Database db(dataPath(table));
    QVERIFY(db.isOpen());

    // The index the program selects by name leads with the key column.
    const auto indexColumns =
        db.rows(QStringLiteral("SELECT name FROM pragma_index_info('%1') ORDER BY seqno").arg(fromView(table.index)));
    QVERIFY(!indexColumns.isEmpty());
    QCOMPARE(indexColumns.constFirst().constFirst(), fromView(table.keyColumn));

    const QStringList subjects = SubjectLists::load(fromView(table.subjectList));
    QVERIFY(!subjects.isEmpty());
    for (const QString &subject : subjects) {
        const QString text = seek(db, table, subject);
        QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("no record for \"%1\"").arg(subject)));
        QVERIFY2(text.size() >= 500,
                 qPrintable(QStringLiteral("\"%1\" holds only %2 characters").arg(subject).arg(text.size())));
    }

    // No record, even one no list item reaches, is a stub.
    const auto shortRecords = db.rows(QStringLiteral("SELECT %1 FROM %2 WHERE length(%3) < 500")
                                          .arg(fromView(table.keyColumn), fromView(table.table),
                                               fromView(table.entryField)));
    QVERIFY2(shortRecords.isEmpty(),
             qPrintable(shortRecords.isEmpty() ? QString() : shortRecords.constFirst().constFirst()));
}

void TestLibrary::sourcesAreRecorded_data()
{
    everySubjectFindsItsOwnRecord_data();
}

void TestLibrary::sourcesAreRecorded()
{
    QFETCH(int, which);
    const ReferenceSchema::Table &table = ReferenceSchema::All[size_t(which)];
    const Database db(dataPath(table));
    const auto sources = db.rows(QStringLiteral("SELECT name, package, licence FROM Sources"));
    QVERIFY(!sources.isEmpty());
    for (const QStringList &source : sources) {
        for (const QString &column : source)
            QVERIFY2(!column.trimmed().isEmpty(), qPrintable(source.join(QLatin1Char('|'))));
    }
}

void TestLibrary::bibleHoldsEveryVerseOnceInOrder()
{
    static const QRegularExpression verseLine(QStringLiteral("^(.+) (\\d+):(\\d+) \\S"));
    const QStringList &books = SwordSource::bookNames();
    QSet<QString> references;
    QSet<QString> chapters;
    int verses = 0;
    int lastBook = 0;
    int lastChapter = 0;
    int lastVerse = 0;
    for (const QString &record : bibleRecords()) {
        const QStringList lines = record.split(QLatin1Char('\n'));
        for (qsizetype i = 1; i < lines.size(); ++i) { // the first line names the section
            const QString &line = lines.at(i);
            if (line.isEmpty())
                continue;
            const QRegularExpressionMatch m = verseLine.match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            const int book = int(books.indexOf(m.captured(1)));
            const int chapter = m.captured(2).toInt();
            const int verse = m.captured(3).toInt();
            QVERIFY2(book >= 0, qPrintable(line));
            const bool inOrder = book > lastBook || (book == lastBook && chapter > lastChapter)
                || (book == lastBook && chapter == lastChapter && verse > lastVerse);
            QVERIFY2(verses == 0 || inOrder, qPrintable(QStringLiteral("out of order: ") + line.left(40)));
            lastBook = book;
            lastChapter = chapter;
            lastVerse = verse;
            ++verses;
            references.insert(QStringLiteral("%1 %2:%3").arg(book).arg(chapter).arg(verse));
            chapters.insert(QStringLiteral("%1 %2").arg(book).arg(chapter));
        }
    }
    QCOMPARE(verses, 31102);
    QCOMPARE(references.size(), 31102);
    QCOMPARE(chapters.size(), 1189);
    QCOMPARE(lastBook, 65);
}

void TestLibrary::bibleTextIsClean()
{
    static const QRegularExpression strongs(QStringLiteral("\\b[HG]\\d{2,5}\\b"));
    for (const QString &record : bibleRecords()) {
        for (const QString &mark : {QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("&lt;"),
                                    QStringLiteral("&amp;"), QStringLiteral("\\"), QStringLiteral("\u00b6"),
                                    QStringLiteral("  ")}) {
            QVERIFY2(!record.contains(mark), qPrintable(QStringLiteral("\"%1\" in %2").arg(mark, record.left(30))));
        }
        const QRegularExpressionMatch m = strongs.match(record);
        QVERIFY2(!m.hasMatch(), qPrintable(m.captured()));
    }
}

void TestLibrary::bibleReadsAsAReaderExpects()
{
    const Database db(dataPath(ReferenceSchema::Bible));
    const QStringList genesis = seek(db, ReferenceSchema::Bible, QStringLiteral("Genesis 1-16")).split(QLatin1Char('\n'));
    QVERIFY(genesis.contains(QStringLiteral("Genesis 1:1 In the beginning God created the heaven and the earth.")));
    const QString john = seek(db, ReferenceSchema::Bible, QStringLiteral("John 1-10"));
    QVERIFY(john.contains(QStringLiteral("\nJohn 3:16 For God so loved the world, that he gave his only begotten Son, "
                                         "that whosoever believeth in him should not perish, but have everlasting life.\n")));
    QVERIFY(seek(db, ReferenceSchema::Bible, QStringLiteral("1 Sam 1-11")).contains(QStringLiteral("\n1 Samuel 3:10 ")));
    QVERIFY(seek(db, ReferenceSchema::Bible, QStringLiteral("Song")).contains(QStringLiteral("\nSong of Solomon 2:1 ")));
    QVERIFY(seek(db, ReferenceSchema::Bible, QStringLiteral("Revelation 12-22")).contains(QStringLiteral("\nRevelation 22:21 ")));
    QVERIFY(seek(db, ReferenceSchema::Bible, QStringLiteral("Joshua 11-21")).contains(QStringLiteral("\nJoshua 24:15 ")));
    QVERIFY(seek(db, ReferenceSchema::Bible, QStringLiteral("Psalms 136-50")).contains(QStringLiteral("\nPsalms 150:6 ")));
    // The divine name as the KJV prints it, and a psalm's superscription before its first verse.
    const QString psalms = seek(db, ReferenceSchema::Bible, QStringLiteral("Psalms 1-33"));
    QVERIFY(psalms.contains(QStringLiteral("\nPsalms 23:1 [A Psalm of David.] The LORD is my shepherd; I shall not want.\n")));
}

void TestLibrary::bookNamesAndChaptersAreTheKjvs()
{
    QCOMPARE(BibleReference::bookNames(), SwordSource::bookNames());
    const Database db(dataPath(ReferenceSchema::Bible));
    QMap<QString, QString> sections;
    for (const QStringList &row : db.rows(QStringLiteral("SELECT subject, text FROM Contacts")))
        sections.insert(row.at(0), row.at(1));

    const auto chapters = db.rows(QStringLiteral("SELECT book, chapter, verses, subject FROM BibleChapters"));
    QCOMPARE(chapters.size(), 1189);
    QMap<QString, int> chaptersPerBook;
    int verses = 0;
    for (const QStringList &row : chapters) {
        const QString &book = row.at(0);
        const int chapter = row.at(1).toInt();
        const int count = row.at(2).toInt();
        ++chaptersPerBook[book];
        verses += count;
        // The section named holds the chapter, first verse to last, and no verse beyond.
        const QString text = QLatin1Char('\n') + sections.value(row.at(3));
        const auto line = [&](int verse) { return QStringLiteral("\n%1 %2:%3 ").arg(book).arg(chapter).arg(verse); };
        QVERIFY2(text.contains(line(1)) && text.contains(line(count)) && !text.contains(line(count + 1)),
                 qPrintable(row.join(QLatin1Char('|'))));
        // And a reference to it comes back as the same chapter.
        const std::optional<BibleReference> ref = BibleReference::parse(QStringLiteral("%1 %2:1").arg(book).arg(chapter));
        QVERIFY2(ref && ref->book == book && ref->chapter == chapter, qPrintable(row.join(QLatin1Char('|'))));
    }
    QCOMPARE(verses, 31102);
    QCOMPARE(chaptersPerBook.size(), 66);
    // A lone number after a book of one chapter is a verse; after any other, a chapter.
    for (auto it = chaptersPerBook.cbegin(); it != chaptersPerBook.cend(); ++it) {
        const std::optional<BibleReference> ref = BibleReference::parse(it.key() + QStringLiteral(" 2"));
        QVERIFY2(ref && ref->chapter == (it.value() == 1 ? 1 : 2), qPrintable(it.key()));
    }
}

void TestLibrary::findIndexHoldsEveryEntry_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("bible.db") << 0;
    QTest::newRow("joke.db") << 1;
}

void TestLibrary::findIndexHoldsEveryEntry()
{
    QFETCH(int, which);
    const ReferenceSchema::Table &table = ReferenceSchema::All[size_t(which)];
    DataSource source;
    QVERIFY(source.open(dataPath(table), table));
    const Database db(dataPath(table));
    const auto entries = db.rows(QStringLiteral("SELECT id, %1 FROM %2").arg(fromView(table.entryField), fromView(table.table)));
    QCOMPARE(db.rows(QStringLiteral("SELECT count(*) FROM FindText")).value(0).value(0).toInt(), entries.size());
    // Passages of every entry, typed in another case: the index never rules out their entry.
    for (const QStringList &entry : entries) {
        const qint64 id = entry.at(0).toLongLong();
        const QString &text = entry.at(1);
        for (int part = 1; part < 4; ++part) {
            const QString passage = text.mid(text.size() * part / 4, 24).toUpper();
            QVERIFY2(!source.rowsWithout(TextMatch::folded(passage)).contains(id), qPrintable(passage));
        }
    }
    // A rare name rules out almost every entry.
    QVERIFY(source.rowsWithout(TextMatch::folded(QStringLiteral("Melchisedec"))).size() > entries.size() / 2);
}

void TestLibrary::wordListHoldsTheBiblesWords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("listed");
    QTest::newRow("name") << "Melchizedek" << true;
    QTest::newRow("hyphenated name") << "Maher-shalal-hash-baz" << true;
    QTest::newRow("as one word") << "Mahershalalhashbaz" << true;
    QTest::newRow("archaic verb") << "begat" << true;
    QTest::newRow("archaic pronoun") << "thee" << true;
    QTest::newRow("a topic of the index") << "condescension" << true;
    QTest::newRow("misspelling") << "recieve" << false;
}

void TestLibrary::wordListHoldsTheBiblesWords()
{
    QFETCH(QString, word);
    QFETCH(bool, listed);
    QFile file(QDir(QStringLiteral(VELLUMOR_LIBRARY_DATA)).filePath(fromView(ReferenceSchema::KjvWordsFile)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList words = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QVERIFY(words.size() > 10000);
    QCOMPARE(words.contains(word), listed);
}

void TestLibrary::importerIsRepeatable()
{
    QTemporaryDir dir;
    QProcess importer;
    importer.start(QStringLiteral(VELLUMOR_LIBRARY_IMPORTER), {QStringLiteral("--out"), dir.path()});
    QVERIFY(importer.waitForFinished(240000));
    QVERIFY2(importer.exitCode() == 0, importer.readAllStandardError().constData());
    for (const ReferenceSchema::Table &table : ReferenceSchema::All) {
        QFile built(dataPath(table));
        QFile again(dir.filePath(fromView(table.file)));
        QVERIFY(built.open(QIODevice::ReadOnly));
        QVERIFY(again.open(QIODevice::ReadOnly));
        QVERIFY2(built.readAll() == again.readAll(), table.file.data());
    }
    QFile builtWords(QDir(QStringLiteral(VELLUMOR_LIBRARY_DATA)).filePath(fromView(ReferenceSchema::KjvWordsFile)));
    QFile wordsAgain(dir.filePath(fromView(ReferenceSchema::KjvWordsFile)));
    QVERIFY(builtWords.open(QIODevice::ReadOnly));
    QVERIFY(wordsAgain.open(QIODevice::ReadOnly));
    QVERIFY(builtWords.readAll() == wordsAgain.readAll());
}

void TestLibrary::importerNamesAMissingModule()
{
    // SWORD_PATH points libsword at a module library without any module.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sword/mods.d")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SWORD_PATH"), dir.filePath(QStringLiteral("sword")));
    environment.insert(QStringLiteral("HOME"), dir.path());
    QProcess importer;
    importer.setProcessEnvironment(environment);
    importer.start(QStringLiteral(VELLUMOR_LIBRARY_IMPORTER), {QStringLiteral("--out"), dir.filePath(QStringLiteral("out"))});
    QVERIFY(importer.waitForFinished(60000));
    QCOMPARE(importer.exitStatus(), QProcess::NormalExit);
    QVERIFY(importer.exitCode() != 0);
    const QString message = QString::fromUtf8(importer.readAllStandardError());
    for (const char *name : {"engKJV2006eb", "sword-text-kjv", "Nave", "sword-dict-naves", "StrongsHebrew",
                             "sword-dict-strongs-hebrew", "StrongsGreek", "sword-dict-strongs-greek"})
        QVERIFY2(message.contains(QLatin1String(name)), qPrintable(message));
    QVERIFY(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files).isEmpty());
}

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
