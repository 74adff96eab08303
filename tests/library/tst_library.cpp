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

// Every record's text of a database, by subject.
QMap<QString, QString> recordsOf(const ReferenceSchema::Table &table)
{
    const Database db(dataPath(table));
    QMap<QString, QString> records;
    const auto rows = db.rows(QStringLiteral("SELECT %1, %2 FROM %3")
                                  .arg(fromView(table.keyColumn), fromView(table.entryField), fromView(table.table)));
    for (const QStringList &row : rows)
        records.insert(row.at(0), row.at(1));
    return records;
}

// The articles of the records whose subject starts with prefix: each
// unindented line (but a record's opening line) and the lines indented under it.
QMap<QString, QStringList> articlesOf(const QMap<QString, QString> &records, const QString &prefix)
{
    QMap<QString, QStringList> articles;
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        if (!it.key().startsWith(prefix))
            continue;
        const QStringList lines = it.value().split(QLatin1Char('\n'));
        QString heading;
        for (qsizetype i = 2; i < lines.size(); ++i) { // the first two lines say what the record holds
            if (!lines.at(i).isEmpty() && !lines.at(i).startsWith(QLatin1Char(' ')))
                heading = lines.at(i);
            else if (!heading.isEmpty() && !lines.at(i).isEmpty())
                articles[heading] << lines.at(i);
        }
    }
    return articles;
}

// A name's or a verse's words as names are compared: upper case, without
// possessives or hyphens ("Beth-el's" -> "BETHEL").
QStringList nameWords(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("\\p{L}+(?:[-'\\x{2019}]\\p{L}+)*"));
    static const QRegularExpression possessive(QStringLiteral("['\\x{2019}]S?$"));
    QStringList words;
    for (auto it = word.globalMatch(text.toUpper()); it.hasNext();)
        words << it.next().captured().remove(possessive).remove(QLatin1Char('-'));
    return words;
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

    // Checks of the dictionary, quotation and sermon content.
    void referenceContentStatesOnlyTrueThings_data();
    void referenceContentStatesOnlyTrueThings();
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

void TestLibrary::referenceContentStatesOnlyTrueThings_data()
{
    QTest::addColumn<QString>("rule");
    for (const char *rule : {"word counts are Word Usage's", "names are spelt as the KJV prints them",
                             "every See leads to a topic", "every reference names a verse",
                             "verse quotations start where their sentence starts", "credits close their quotation marks"})
        QTest::newRow(rule) << QString::fromLatin1(rule);
}

void TestLibrary::referenceContentStatesOnlyTrueThings()
{
    QFETCH(QString, rule);
    const QMap<QString, QString> dictionary = recordsOf(ReferenceSchema::Joke);
    static const QRegularExpression verseLine(QStringLiteral("^(.+ \\d+:\\d+) (.*)$"));
    QHash<QString, QString> verses;
    for (const QString &record : bibleRecords())
        for (const QString &line : record.split(QLatin1Char('\n')))
            if (const QRegularExpressionMatch m = verseLine.match(line); m.hasMatch())
                verses.insert(m.captured(1), m.captured(2));
    QStringList faults;

    if (rule == QLatin1String("word counts are Word Usage's")) {
        // "beginning\n    6 times; first at Genesis 1:1" against "BEGINNING\n    Used 6 times; first at ..."
        static const QRegularExpression usage(QStringLiteral("^    (once|\\d+ times); first at (.+)$"));
        static const QRegularExpression used(QStringLiteral("^    Used (once|\\d+ times); first at (.+)$"));
        QHash<QString, QString> wordUsage;
        for (auto [word, lines] : articlesOf(dictionary, QStringLiteral("WordUsage")).asKeyValueRange())
            if (const QRegularExpressionMatch m = usage.match(lines.value(0)); m.hasMatch())
                wordUsage.insert(word.toUpper(), m.captured(1) + QStringLiteral("; ") + m.captured(2));
        QVERIFY(wordUsage.size() > 12000);
        const QMap<QString, QStringList> words = articlesOf(dictionary, QStringLiteral("BibleDict"));
        QVERIFY(words.size() > 8000);
        for (auto [word, lines] : words.asKeyValueRange()) {
            const QRegularExpressionMatch m = used.match(lines.value(0));
            if (!m.hasMatch() || m.captured(1) + QStringLiteral("; ") + m.captured(2) != wordUsage.value(word))
                faults << word + QStringLiteral(": ") + lines.value(0) + QStringLiteral(" / ") + wordUsage.value(word);
        }
    } else if (rule == QLatin1String("names are spelt as the KJV prints them")) {
        QSet<QString> kjvWords;
        for (const QString &text : std::as_const(verses))
            for (const QString &word : nameWords(text))
                kjvWords.insert(word);
        static const QRegularExpression use(QStringLiteral(": used (?:once|\\d+ times), first at (.+)$"));
        const QMap<QString, QStringList> names = articlesOf(dictionary, QStringLiteral("BibleNames"));
        QVERIFY(names.size() > 2900);
        for (auto [name, lines] : names.asKeyValueRange()) {
            const QStringList spelling = nameWords(name);
            for (const QString &word : spelling)
                if (!kjvWords.contains(word))
                    faults << name + QStringLiteral(" is not in the KJV");
            for (const QString &line : lines) {
                const QRegularExpressionMatch m = use.match(line);
                const auto padded = [](const QStringList &words) { return QLatin1Char(' ') + words.join(QLatin1Char(' ')) + QLatin1Char(' '); };
                if (m.hasMatch() && !padded(nameWords(verses.value(m.captured(1)))).contains(padded(spelling)))
                    faults << name + QStringLiteral(" is not in ") + m.captured(1);
            }
        }
    } else if (rule == QLatin1String("every See leads to a topic")) {
        const QMap<QString, QStringList> topics = articlesOf(dictionary, QStringLiteral("TopicalText"));
        QVERIFY(topics.size() > 5000);
        // After "See": a heading, "SUB, under HEADING", or a pointer within the topic.
        static const QRegularExpression see(QStringLiteral("\\b[Ss]ee (?:also )?(?=\\p{Lu}\\p{Lu})"));
        static const QRegularExpression pointer(QStringLiteral("^[^a-z;]*?(?:,? (?:above|below)\\b| under (?!the topic)[a-z])"));
        static const QRegularExpression more(QStringLiteral("^(?:,? ?\\p{Lu}{2}|[(\\p{Lu}])"));
        const auto headingAt = [&topics](const QString &text) {
            QString longest;
            for (auto it = topics.keyBegin(); it != topics.keyEnd(); ++it)
                if (it->size() > longest.size() && text.startsWith(*it)
                    && (text.size() == it->size() || !text.at(it->size()).isLetter()))
                    longest = *it;
            return longest;
        };
        for (auto [topic, lines] : topics.asKeyValueRange()) {
            for (const QString &line : lines) {
                for (auto it = see.globalMatch(line); it.hasNext();) {
                    QString text = line.mid(it.next().capturedEnd());
                    // Each target of a list "See A; B" in turn.
                    for (QString heading = headingAt(text); !heading.isEmpty() && !more.match(text.mid(heading.size())).hasMatch();
                         heading = headingAt(text))
                        text = text.mid(heading.size()).startsWith(QLatin1String("; ")) ? text.mid(heading.size() + 2) : QString();
                    const qsizetype under = text.indexOf(QLatin1String(", under "));
                    if (!text.isEmpty() && !pointer.match(text).hasMatch()
                        && (under < 0 || headingAt(text.mid(under + 8)).isEmpty() || text.left(under).contains(QLatin1Char(';'))))
                        faults << topic + QStringLiteral(": ") + line.trimmed();
                }
            }
        }
    } else if (rule == QLatin1String("verse quotations start where their sentence starts")) {
        // The verse before a quoted passage ends a sentence, or brings in the
        // words spoken ("And God spake all these words, saying,"), or there is none.
        static const QRegularExpression verseQuotation(QStringLiteral("^(.+ \\d+):(\\d+)(?:-\\d+)?$"));
        static const QRegularExpression sentenceEnd(QStringLiteral("[.?!][)\"'\\x{2019}]*$|"
                                                                   "\\b(?:saying|said|saith|spake|answer|answered|cried|prayed)\\b[^.?!:;]*,$"));
        int quoted = 0;
        for (const QString &entry : recordsOf(ReferenceSchema::Quote)) {
            for (const QString &block : entry.split(QStringLiteral("\n\n"))) {
                const qsizetype credit = block.lastIndexOf(QStringLiteral("\n    -- "));
                const QRegularExpressionMatch m = verseQuotation.match(block.mid(credit + 8));
                if (credit < 0 || !m.hasMatch() || !verses.contains(m.captured(1) + QLatin1Char(':') + m.captured(2)))
                    continue;
                ++quoted;
                const QString before = verses.value(m.captured(1) + QLatin1Char(':') + QString::number(m.captured(2).toInt() - 1));
                if (!before.isEmpty() && !sentenceEnd.match(before).hasMatch())
                    faults << block.mid(credit + 8) + QStringLiteral(" follows \"") + before.right(30) + QLatin1Char('"');
            }
        }
        QVERIFY(quoted > 250);
    } else if (rule == QLatin1String("credits close their quotation marks")) {
        // Not "Pudd'nhead Wilson's Calendar, nor "Christian Observations, "1629, nor `Christ is All.'
        static const QRegularExpression garbled(QStringLiteral("`|, \"[a-z\\d]"));
        for (const QString &entry : recordsOf(ReferenceSchema::Quote))
            for (const QString &line : entry.split(QLatin1Char('\n')))
                if (line.startsWith(QLatin1String("    -- ")) && (line.count(QLatin1Char('"')) % 2 != 0 || garbled.match(line).hasMatch()))
                    faults << line.trimmed();
    } else {
        // Book, chapter and the verses after the colon; a chapter by itself must exist.
        const Database bible(dataPath(ReferenceSchema::Bible));
        QHash<QString, int> chapterSize;
        for (const QStringList &row : bible.rows(QStringLiteral("SELECT book, chapter, verses FROM BibleChapters")))
            chapterSize.insert(row.at(0) + QLatin1Char(' ') + row.at(1), row.at(2).toInt());
        QStringList books = BibleReference::bookNames();
        std::sort(books.begin(), books.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
        const QRegularExpression reference(QStringLiteral("(?<![\\p{L}\\d])(%1) (\\d+)(?::(\\d+(?:-\\d+)?(?:, \\d+(?:-\\d+)?)*))?")
                                               .arg(books.join(QLatin1Char('|'))));
        int references = 0;
        for (const ReferenceSchema::Table &table : {ReferenceSchema::Joke, ReferenceSchema::Quote, ReferenceSchema::Sermon}) {
            for (const QString &text : recordsOf(table)) {
                for (auto it = reference.globalMatch(text); it.hasNext(); ++references) {
                    const QRegularExpressionMatch m = it.next();
                    const int size = chapterSize.value(m.captured(1) + QLatin1Char(' ') + m.captured(2));
                    const QStringList numbers = m.captured(3).split(QRegularExpression(QStringLiteral("[-, ]+")), Qt::SkipEmptyParts);
                    if (size == 0 || std::any_of(numbers.cbegin(), numbers.cend(), [size](const QString &v) { return v.toInt() > size; }))
                        faults << m.captured();
                }
            }
        }
        QVERIFY(references > 100000);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("%1 faults, first %2").arg(faults.size()).arg(faults.mid(0, 5).join(QStringLiteral(" | ")))));
}

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
