#include "ModalDriver.h"
#include "ReferenceFixture.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/BoundView.h"
#include "reference/DataSource.h"
#include "reference/EntryDocumentCache.h"
#include "reference/IntegrityCheck.h"
#include "reference/SubjectList.h"
#include "reference/SubjectNeighbours.h"

#include <QAbstractTextDocumentLayout>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QScrollBar>
#include <QTextEdit>
#include <QThread>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using ReferenceFixture::Row;

namespace {

// Overwrites count pages of a database file from page (counted from 1)
// with bytes no page holds, as a failing disk or a stray write would.
bool damage(const QString &path, qint64 page, int count)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.seek((page - 1) * 4096))
        return false;
    return f.write(QByteArray(4096 * count, char(0xA5))) == 4096 * count;
}

} // namespace

class tst_DataSource : public QObject {
    Q_OBJECT

private slots:
    void init();

    void openShowsFirstRecordInTableOrder();
    void seekIsExactAndCaseSensitive();
    void duplicateKeysGiveFirstInIndexOrder();
    void missingKeyLeavesRecordAndMoveFirstUsesIndexOrder();
    void indexSelectionErrors();
    void currentChangedOnlyOnRealMoves();
    void peekDoesNotMove();
    void filesAreNeverWritten();
    void brokenFiles_data();
    void brokenFiles();
    void readEntryStopsAtACharacter_data();
    void readEntryStopsAtACharacter();
    void damagedPages_data();
    void damagedPages();
    void damagedFileNamedOnce();
    void closingWhileEntriesAreBuilt();

    void cacheBuildsPlainAndRtf();
    void cachePrefetchMatchesSynchronousBuild();
    void cacheEvictsButKeepsShownDocument();
    void boundViewFollowsSource();
    void longEntriesAreBuiltAsideAndCut();
    void neighbourRows_data();
    void neighbourRows();
    void preparesOnlyTheNeighbourhood();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString writeBible(const QList<Row> &rows)
    {
        const QString p = path(QStringLiteral("bible.db"));
        [&] { QVERIFY(ReferenceFixture::write(p, ReferenceSchema::Bible, rows)); }();
        return p;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_DataSource::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_DataSource::openShowsFirstRecordInTableOrder()
{
    // "Zephaniah" is inserted first: table order, not key order, decides.
    const QString p = writeBible({{"Zephaniah", "zeph"}, {"Amos", "amos"}});
    DataSource source;
    QString problem;
    QVERIFY2(source.open(p, ReferenceSchema::Bible, &problem), qPrintable(problem));
    QVERIFY(source.isOpen());
    QCOMPARE(source.entry(), QStringLiteral("zeph"));
    QVERIFY(source.currentIndex().isEmpty());
}

void tst_DataSource::seekIsExactAndCaseSensitive()
{
    const QString p = writeBible({{"Genesis 1-16", "gen"},
                                  {"WordUsage E- G", "usage e-g"},
                                  {"WordUsage E-G", "wrong: blank lost"},
                                  {"TopicalTextBook  TITLES", "two blanks"},
                                  {"TopicalTextBook TITLES", "one blank"},
                                  {"Expository Sermon Sample ", "with trailing blank"},
                                  {"Expository Sermon Sample", "without trailing blank"},
                                  {"Divisions , The", "divisions"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QVERIFY(source.selectIndex(QStringLiteral("books")));
    const QList<std::pair<QString, QString>> cases{
        {"Genesis 1-16", "gen"},
        {"WordUsage E- G", "usage e-g"},
        {"TopicalTextBook  TITLES", "two blanks"},
        {"TopicalTextBook TITLES", "one blank"},
        {"Expository Sermon Sample ", "with trailing blank"},
        {"Expository Sermon Sample", "without trailing blank"},
        {"Divisions , The", "divisions"},
    };
    for (const auto &[key, entry] : cases) {
        source.seek(key);
        QVERIFY2(!source.noMatch(), qPrintable(key));
        QCOMPARE(source.entry(), entry);
    }
    for (const QString &key : {QStringLiteral("genesis 1-16"), QStringLiteral("GENESIS 1-16"),
                               QStringLiteral(" Genesis 1-16"), QStringLiteral("Genesis"), QString()}) {
        source.seek(key);
        QVERIFY2(source.noMatch(), qPrintable(key));
    }
}

void tst_DataSource::duplicateKeysGiveFirstInIndexOrder()
{
    // With the program's index the first inserted record wins.
    const QString p = writeBible({{"B", "b"}, {"TopicalTextBook", "first"}, {"TopicalTextBook", "second"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QVERIFY(source.selectIndex(QStringLiteral("books")));
    source.seek(QStringLiteral("TopicalTextBook"));
    QCOMPARE(source.entry(), QStringLiteral("first"));

    // Another index order over the same rows: the index decides, not the table.
    const QString q = path(QStringLiteral("desc.db"));
    QVERIFY(ReferenceFixture::writeSql(
        q, QStringLiteral("CREATE TABLE Contacts (id INTEGER PRIMARY KEY, subject TEXT, text TEXT);"
                          "CREATE INDEX books ON Contacts (subject DESC, id DESC);"
                          "INSERT INTO Contacts (subject, text) VALUES ('A', 'a1'), ('K', 'k1'), ('K', 'k2'), ('B', 'b');")));
    DataSource other;
    QVERIFY(other.open(q, ReferenceSchema::Bible));
    QVERIFY(other.selectIndex(QStringLiteral("books")));
    other.seek(QStringLiteral("K"));
    QCOMPARE(other.entry(), QStringLiteral("k2"));
    other.moveFirst();
    QCOMPARE(other.entry(), QStringLiteral("k2"));
}

void tst_DataSource::missingKeyLeavesRecordAndMoveFirstUsesIndexOrder()
{
    const QString p = writeBible({{"Zephaniah", "zeph"}, {"Amos", "amos"}, {"Micah", "micah"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QVERIFY(source.selectIndex(QStringLiteral("books")));
    source.seek(QStringLiteral("Micah"));
    source.seek(QStringLiteral("Obediah"));
    QVERIFY(source.noMatch());
    QCOMPARE(source.entry(), QStringLiteral("micah"));
    source.moveFirst();
    QCOMPARE(source.entry(), QStringLiteral("amos"));
    source.seek(QStringLiteral("Zephaniah"));
    QVERIFY(!source.noMatch());

    // Without an index nothing can be sought, and "first" is table order.
    DataSource bare;
    QVERIFY(bare.open(p, ReferenceSchema::Bible));
    bare.seek(QStringLiteral("Amos"));
    QVERIFY(bare.noMatch());
    bare.moveFirst();
    QCOMPARE(bare.entry(), QStringLiteral("zeph"));
}

void tst_DataSource::indexSelectionErrors()
{
    const QString p = path(QStringLiteral("two.db"));
    QVERIFY(ReferenceFixture::writeSql(
        p, QStringLiteral("CREATE TABLE Contacts (id INTEGER PRIMARY KEY, subject TEXT, text TEXT);"
                          "CREATE INDEX books ON Contacts (subject, id);"
                          "CREATE TABLE Other (id INTEGER PRIMARY KEY, subject TEXT);"
                          "CREATE INDEX otherindex ON Other (subject);"
                          "CREATE INDEX byexpr ON Contacts (lower(subject));"
                          "INSERT INTO Contacts (subject, text) VALUES ('B', 'b'), ('A', 'a');")));
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QVERIFY(source.selectIndex(QStringLiteral("books")));
    for (const QString &bad : {QStringLiteral("nope"), QStringLiteral("otherindex"), QStringLiteral("byexpr"),
                               QString(), QStringLiteral("books'; DROP TABLE Contacts; --")}) {
        QString problem;
        QVERIFY2(!source.selectIndex(bad, &problem), qPrintable(bad));
        QVERIFY(!problem.isEmpty());
        // The earlier selection stays in force.
        QCOMPARE(source.currentIndex(), QStringLiteral("books"));
    }
    source.seek(QStringLiteral("A"));
    QCOMPARE(source.entry(), QStringLiteral("a"));

    DataSource closed;
    QString problem;
    QVERIFY(!closed.selectIndex(QStringLiteral("books"), &problem));
    QVERIFY(!problem.isEmpty());
}

void tst_DataSource::currentChangedOnlyOnRealMoves()
{
    const QString p = writeBible({{"A", "a"}, {"B", "b"}});
    DataSource source;
    QSignalSpy spy(&source, &DataSource::currentChanged);
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QCOMPARE(spy.size(), 1);
    QVERIFY(source.selectIndex(QStringLiteral("books")));
    source.seek(QStringLiteral("A")); // already current
    QCOMPARE(spy.size(), 1);
    source.seek(QStringLiteral("B"));
    QCOMPARE(spy.size(), 2);
    source.seek(QStringLiteral("missing"));
    QCOMPARE(spy.size(), 2);
    source.moveFirst();
    QCOMPARE(spy.size(), 3);
    source.close();
    QCOMPARE(spy.size(), 4);
    QVERIFY(!source.currentRowId());
    QVERIFY(source.entry().isEmpty());
}

void tst_DataSource::peekDoesNotMove()
{
    const QString p = writeBible({{"B", "b"}, {"A", "a"}, {"C", "c"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    const QString books = QStringLiteral("books");
    const auto before = source.currentRowId();
    // Works before any index is selected, and selects none.
    QCOMPARE(source.entryAt(*source.peek(books, QStringLiteral("C"))), QStringLiteral("c"));
    QVERIFY(source.currentIndex().isEmpty());
    QVERIFY(!source.peek(QStringLiteral("nope"), QStringLiteral("C")));
    QVERIFY(source.selectIndex(books));
    QCOMPARE(source.entryAt(*source.peek(books, QStringLiteral("missing"))), QStringLiteral("a"));
    QCOMPARE(source.currentRowId(), before);
    QVERIFY(source.entryAt(9999).isEmpty());
}

void tst_DataSource::filesAreNeverWritten()
{
    const QString p = writeBible({{"A", "a"}, {"B", "b"}, {"B", "b2"}});
    const auto digest = [&] {
        QFile f(p);
        [&] { QVERIFY(f.open(QIODevice::ReadOnly)); }();
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    };
    const QByteArray before = digest();
    const QDateTime modified = QFileInfo(p).lastModified();
    const QStringList filesBefore = QDir(m_dir->path()).entryList(QDir::Files);
    {
        DataSource source;
        QVERIFY(source.open(p, ReferenceSchema::Bible));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(source.selectIndex(QStringLiteral("books")));
            source.seek(i % 2 ? QStringLiteral("B") : QStringLiteral("none"));
            if (source.noMatch())
                source.moveFirst();
            source.peek(QStringLiteral("books"), QStringLiteral("A"));
            QVERIFY(!source.entry().isEmpty());
        }
    }
    QCOMPARE(digest(), before);
    QCOMPARE(QFileInfo(p).lastModified(), modified);
    // No journal or lock file left behind either.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), filesBefore);
}

void tst_DataSource::brokenFiles_data()
{
    QTest::addColumn<QString>("sql");       // empty: no database written
    QTest::addColumn<QByteArray>("bytes");  // written as the file when sql is empty
    QTest::addColumn<QString>("mentions");  // what the problem must name

    QTest::newRow("missing") << QString() << QByteArray() << "missing";
    QTest::newRow("not a database") << QString() << QByteArray("this is plain text, not a database\n").repeated(200)
                                    << "not a readable database";
    QTest::newRow("empty file") << QString() << QByteArray("") << "empty (0 bytes)";
    QTest::newRow("folder") << QString() << QByteArray() << "a folder";
#ifdef Q_OS_UNIX
    QTest::newRow("fifo") << QString() << QByteArray() << "named pipe (FIFO)";
#endif
    QTest::newRow("no table") << "CREATE TABLE Other (x TEXT)" << QByteArray() << "Contacts";
    QTest::newRow("no field")
        << "CREATE TABLE Contacts (id INTEGER PRIMARY KEY, subject TEXT, body TEXT);"
           "CREATE INDEX books ON Contacts (subject, id); INSERT INTO Contacts VALUES (1, 'A', 'a')"
        << QByteArray() << "\"text\"";
    QTest::newRow("no index")
        << "CREATE TABLE Contacts (id INTEGER PRIMARY KEY, subject TEXT, text TEXT);"
           "INSERT INTO Contacts VALUES (1, 'A', 'a')"
        << QByteArray() << "\"books\"";
    QTest::newRow("index on expression")
        << "CREATE TABLE Contacts (id INTEGER PRIMARY KEY, subject TEXT, text TEXT);"
           "CREATE INDEX books ON Contacts (lower(subject)); INSERT INTO Contacts VALUES (1, 'A', 'a')"
        << QByteArray() << "\"books\"";
    QTest::newRow("empty table")
        << "CREATE TABLE Contacts (id INTEGER PRIMARY KEY, subject TEXT, text TEXT);"
           "CREATE INDEX books ON Contacts (subject, id)"
        << QByteArray() << "no entries";
}

void tst_DataSource::brokenFiles()
{
    QFETCH(QString, sql);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, mentions);
    const QString p = path(QStringLiteral("bible.db"));
    const QByteArray tag = QTest::currentDataTag();
    if (!sql.isEmpty()) {
        QVERIFY(ReferenceFixture::writeSql(p, sql));
    } else if (tag == "folder") {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("bible.db")));
#ifdef Q_OS_UNIX
    } else if (tag == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(p).constData(), 0600), 0);
#endif
    } else if (tag != "missing") {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    DataSource source;
    QSignalSpy spy(&source, &DataSource::currentChanged);
    QString problem;
    QVERIFY(!source.open(p, ReferenceSchema::Bible, &problem));
    QVERIFY2(problem.contains(mentions), qPrintable(problem));
    QVERIFY(!source.isOpen());
    // Every operation is harmless on a source that did not open.
    QVERIFY(!source.selectIndex(QStringLiteral("books")));
    source.seek(QStringLiteral("A"));
    QVERIFY(source.noMatch());
    source.moveFirst();
    QVERIFY(!source.currentRowId());
    QVERIFY(source.entry().isEmpty());
    QVERIFY(!source.peek(QStringLiteral("books"), QStringLiteral("A")));
    QCOMPARE(spy.size(), 0);
    if (QByteArray(QTest::currentDataTag()) == "missing")
        QVERIFY(!QFile::exists(p)); // opening must not create it
}

void tst_DataSource::readEntryStopsAtACharacter_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("value"); // as an SQL literal
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("truncated");

    QTest::newRow("whole") << "UTF-8" << "'\u00e9t\u00e9'" << 100 << "\u00e9t\u00e9" << false;
    QTest::newRow("cut inside a UTF-8 character") << "UTF-8" << "'a\u00e9'" << 2 << "a" << true;
    QTest::newRow("cut inside a UTF-16 pair") << "UTF-16le" << "'a\U0001F600'" << 4 << "a" << true;
    QTest::newRow("cut inside a UTF-16 unit") << "UTF-16be" << "'ab'" << 3 << "a" << true;
    QTest::newRow("no text") << "UTF-8" << "NULL" << 100 << "" << false;
    QTest::newRow("a number") << "UTF-8" << "42" << 100 << "42" << false;
}

void tst_DataSource::readEntryStopsAtACharacter()
{
    QFETCH(QString, encoding);
    QFETCH(QString, value);
    QFETCH(int, maxBytes);
    QFETCH(QString, text);
    QFETCH(bool, truncated);
    const QString p = path(QStringLiteral("bible.db"));
    QVERIFY(ReferenceFixture::writeSql(
        p, QStringLiteral("PRAGMA encoding = '%1';"
                          "CREATE TABLE Contacts (id INTEGER PRIMARY KEY, subject TEXT, text TEXT);"
                          "CREATE INDEX books ON Contacts (subject, id);"
                          "INSERT INTO Contacts VALUES (1, 'K', %2)")
               .arg(encoding, value)));
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    const DataSource::EntryText entry = source.readEntry(1, maxBytes);
    QCOMPARE(entry.text, text);
    QCOMPARE(entry.truncated, truncated);
    QVERIFY(entry.problem.isEmpty());
    QVERIFY(source.readEntry(99, 100).text.isEmpty()); // no such record: nothing, and no problem
    QVERIFY(source.readEntry(99, 100).problem.isEmpty());
}

void tst_DataSource::damagedPages_data()
{
    QTest::addColumn<bool>("indexPage"); // else pages of the entry itself

    QTest::newRow("entry pages") << false;
    QTest::newRow("index page") << true;
}

void tst_DataSource::damagedPages()
{
    QFETCH(bool, indexPage);
    // "B" spills over some sixty pages, after the table's and the index's
    // own, and is long enough to be read and built on the worker.
    const QString p = writeBible(
        {{"A", "a"}, {"B", ReferenceFixture::versesOfSize(BoundView::MaxBytesBuiltAtOnce + 50'000, "B")}, {"C", "c"}});
    QVERIFY(IntegrityCheck::problemOf(p).isEmpty());
    qint64 page = QFileInfo(p).size() / 4096 / 2;
    if (indexPage) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(p).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_master WHERE name = 'books'", -1, &s, nullptr);
        QCOMPARE(sqlite3_step(s), SQLITE_ROW);
        page = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    QVERIFY(damage(p, page, indexPage ? 1 : 4));

    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QSignalSpy failed(&source, &DataSource::readFailed);
    QTextEdit view;
    BoundView binding(&source, &view);
    QCOMPARE(view.toPlainText(), QStringLiteral("a"));
    QVERIFY(source.selectIndex(QStringLiteral("books")));
    source.seek(QStringLiteral("B"));
    // Not taken for a missing key: no move to the first record.
    QVERIFY(!source.noMatch());
    QTRY_VERIFY(!failed.isEmpty());
    const QString reason = failed.first().first().toString();
    QVERIFY2(reason.contains(QStringLiteral("malformed")), qPrintable(reason));
    // The view says so, naming the file and the reason, instead of going blank.
    QTRY_VERIFY2(view.toPlainText().contains(QStringLiteral("could not be read"))
                     && view.toPlainText().contains(QStringLiteral("bible.db"))
                     && view.toPlainText().contains(reason),
                 qPrintable(view.toPlainText()));
    QTest::qWait(50);
    QVERIFY(binding.cache()->isIdle()); // tried once, not over and over
    QVERIFY(!IntegrityCheck::problemOf(p).isEmpty());
    // A sound record still shows.
    source.seek(QStringLiteral("A"));
    if (!indexPage)
        QCOMPARE(view.toPlainText(), QStringLiteral("a"));
}

void tst_DataSource::closingWhileEntriesAreBuilt()
{
    // The window goes while the integrity check reads the files and the
    // worker builds long entries: nothing may touch what is gone.
    QVERIFY(ReferenceFixture::write(path(QStringLiteral("joke.db")), ReferenceSchema::Joke,
                                    {{"BibleNames A-J", ReferenceFixture::versesOfSize(900'000, "Names")},
                                     {"BibleNames K-Z", ReferenceFixture::versesOfSize(900'000, "More")}}));
    for (const ReferenceSchema::Table &t : {ReferenceSchema::Bible, ReferenceSchema::Quote, ReferenceSchema::Sermon})
        QVERIFY(ReferenceFixture::write(path(QString::fromLatin1(t.file.data(), qsizetype(t.file.size()))), t,
                                        {{"any", ReferenceFixture::versesOfSize(900'000)}}));
    auto window = std::make_unique<frmMain>(m_dir->path());
    window->show();
    window->lstJoke->setCurrentRow(1);
    window->close();
    window.reset();
    QThreadPool::globalInstance()->waitForDone();
}

void tst_DataSource::damagedFileNamedOnce()
{
    // The dictionary entry in the middle of the file is damaged; none of
    // those shown or prepared at start-up is.
    QVERIFY(ReferenceFixture::write(path(QStringLiteral("joke.db")), ReferenceSchema::Joke,
                                    {{"BibleNames A-J", "names"},
                                     {"BibleNames K-Z", "more names"},
                                     {"BibleDict ALPHA", "first in index order"},
                                     {"BibleDict MEAH", ReferenceFixture::versesOfSize(200'000, "Meah")},
                                     {"WordUsage A-B", "usage"}}));
    for (const ReferenceSchema::Table &t : {ReferenceSchema::Bible, ReferenceSchema::Quote, ReferenceSchema::Sermon})
        QVERIFY(ReferenceFixture::write(path(QString::fromLatin1(t.file.data(), qsizetype(t.file.size()))), t,
                                        {{"any", "sound"}}));
    const QString joke = path(QStringLiteral("joke.db"));
    QVERIFY(damage(joke, QFileInfo(joke).size() / 4096 / 2, 4));

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    frmMain window(m_dir->path());
    window.show();
    // Found in the background without any lookup, once the window is up.
    QTRY_COMPARE_WITH_TIMEOUT(driver.seen(), 1, 10000);
    QVERIFY2(driver.texts.value(0).contains(QDir::toNativeSeparators(joke)), qPrintable(driver.texts.value(0)));
    QCOMPARE(driver.titles.value(0), QStringLiteral("Vellumor"));

    driver.answer(QMessageBox::Ok);
    for (const char *subject : {"BibleDict MEAH", "WordUsage A-B", "BibleDict MEAH"}) {
        for (int i = 0; i < window.lstJoke->count(); ++i)
            if (window.lstJoke->item(i)->text() == QLatin1String(subject))
                window.lstJoke->setCurrentRow(i);
        QTRY_VERIFY(window.RichTextBox5->toPlainText().contains(QStringLiteral("could not be read"))
                    || subject != QByteArray("BibleDict MEAH"));
    }
    QCOMPARE(driver.seen(), 0); // named once only
    driver.stop();
}

void tst_DataSource::cacheBuildsPlainAndRtf()
{
    const QFont font(QStringLiteral("Arial"), 9);
    auto plain = EntryDocumentCache::build(QStringLiteral("line one\n{\\rtf not at the start}"), font);
    QCOMPARE(plain->toPlainText(), QStringLiteral("line one\n{\\rtf not at the start}"));
    QCOMPARE(plain->defaultFont(), font);
    QVERIFY(!plain->isUndoRedoEnabled());

    auto rtf = EntryDocumentCache::build(QStringLiteral("{\\rtf1\\ansi {\\b Bold} plain\\par second}"), font);
    QCOMPARE(rtf->toPlainText(), QStringLiteral("Bold plain\nsecond"));
    QTextCursor c(rtf.get());
    c.setPosition(1);
    QVERIFY(c.charFormat().fontWeight() >= QFont::Bold);
    c.setPosition(7);
    QVERIFY(c.charFormat().fontWeight() < QFont::Bold);

    // Laid out without shaping, but for the words that need it.
    QFont unshaped = font;
    unshaped.setStyleStrategy(QFont::PreferNoShaping);
    auto hebrew = EntryDocumentCache::build(QStringLiteral("peace \u05E9\u05B8\u05C1\u05DC\u05D5\u05B9\u05DD, the"),
                                            unshaped);
    for (const auto &[position, shaped] : {std::pair{2, false}, std::pair{8, true}, std::pair{15, false}}) {
        c = QTextCursor(hebrew.get());
        c.setPosition(position);
        QCOMPARE(c.charFormat().hasProperty(QTextFormat::FontStyleStrategy), shaped);
    }
}

void tst_DataSource::cachePrefetchMatchesSynchronousBuild()
{
    QObject owner;
    EntryDocumentCache cache(QFont(), &owner, 10'000'000);
    const QString big = ReferenceFixture::versesOfSize(300'000);
    std::atomic_int calls = 0;
    const auto text = [&](const QString &t) {
        return [&calls, t]() -> std::optional<EntryDocumentCache::Entry> {
            ++calls;
            return EntryDocumentCache::Entry(t);
        };
    };
    cache.prefetch(1, text(big));
    cache.prefetch(2, text(QStringLiteral("two")));
    cache.prefetch(1, text(big)); // already on its way: not read again
    // Asked for while queued or building: built once either way, same text.
    QTextDocument *one = cache.document(1, big);
    QCOMPARE(one->toPlainText(), big);
    QCOMPARE(one->parent(), &owner);
    QCOMPARE(one->thread(), QThread::currentThread());
    QTRY_VERIFY(cache.contains(2));
    QVERIFY(calls <= 2);
    QCOMPARE(cache.document(2, QString())->toPlainText(), QStringLiteral("two"));
    QCOMPARE(cache.document(1, QString()), one);
    // Built ahead and finished: taken as built.
    cache.prefetch(5, text(QStringLiteral("five")));
    QTRY_VERIFY(cache.contains(5));
    QCOMPARE(cache.document(5, QStringLiteral("not used"))->toPlainText(), QStringLiteral("five"));
    // Unreadable: nothing kept, and an urgent request is answered all the same.
    QSignalSpy prepared(&cache, &EntryDocumentCache::prepared);
    cache.prefetch(6, [] { return std::optional<EntryDocumentCache::Entry>(); }, true);
    QTRY_COMPARE(prepared.size(), 1);
    QCOMPARE(prepared.first().first().toLongLong(), 6);
    QVERIFY(!cache.contains(6));

    // Holding a key down: while the worker is busy only the newest requests
    // stay queued.
    cache.prefetch(9, text(ReferenceFixture::versesOfSize(3'000'000)));
    for (int id = 10; id < 30; ++id)
        cache.prefetch(id, text(QString::number(id)));
    QTRY_VERIFY_WITH_TIMEOUT(cache.contains(29) && cache.isIdle(), 20000);
    int kept = 0;
    for (int id = 10; id < 30; ++id)
        kept += cache.contains(id);
    QVERIFY2(kept <= EntryDocumentCache::MaxQueued + 1, qPrintable(QString::number(kept)));
}

void tst_DataSource::cacheEvictsButKeepsShownDocument()
{
    QObject owner;
    EntryDocumentCache cache(QFont(), &owner, 25);
    const QString ten = QStringLiteral("0123456789");
    QPointer<QTextDocument> first = cache.document(1, ten);
    cache.setShown(first);
    QPointer<QTextDocument> second = cache.document(2, ten);
    QPointer<QTextDocument> third = cache.document(3, ten);
    // 3 x 11 characters exceed 25: the oldest that is not shown goes.
    QVERIFY(first);
    QVERIFY(!second);
    QVERIFY(third);
    QVERIFY(cache.keptCharacters() <= 25);
    QVERIFY(!cache.contains(2));
    QPointer<QTextDocument> again = cache.document(2, QStringLiteral("rebuilt"));
    QCOMPARE(again->toPlainText(), QStringLiteral("rebuilt"));
    QVERIFY(first);

    // The owner deletes what it owns; the cache notices.
    delete first.data();
    QVERIFY(!cache.contains(1));
    QCOMPARE(cache.document(1, QStringLiteral("back"))->toPlainText(), QStringLiteral("back"));
}

void tst_DataSource::boundViewFollowsSource()
{
    const QString big = ReferenceFixture::versesOfSize(BoundView::MaxBytesBuiltAtOnce - 1000);
    const QString p = writeBible({{"A", "a entry"}, {"B", big}, {"C", "{\\rtf1 {\\i c} entry}"}, {"D", "d entry"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QTextEdit view;
    view.resize(400, 150);
    view.show();
    BoundView binding(&source, &view);
    QCOMPARE(view.toPlainText(), QStringLiteral("a entry"));
    QVERIFY(source.selectIndex(QStringLiteral("books")));

    binding.prepareOnly(QStringLiteral("books"), {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("missing")});
    const QStringList order{"B", "D", "C", "A", "B", "missing", "C"};
    for (const QString &key : order) {
        source.seek(key);
        if (source.noMatch())
            source.moveFirst();
        QCOMPARE(binding.shownRowId(), source.currentRowId());
        QCOMPARE(view.toPlainText(), EntryDocumentCache::build(source.entry(), QFont())->toPlainText());
        QCOMPARE(view.verticalScrollBar()->value(), 0);
    }
    QVERIFY(view.document()->parent() == &view);
    // A document taken out of the view drops its layout.
    source.seek(QStringLiteral("B"));
    QTextDocument *shownB = view.document();
    QTRY_VERIFY(shownB->lastBlock().layout()->lineCount() > 0);
    source.seek(QStringLiteral("A"));
    QVERIFY(view.document() != shownB);
    QCOMPARE(shownB->lastBlock().layout()->lineCount(), 0);
}

void tst_DataSource::longEntriesAreBuiltAsideAndCut()
{
    // The first record, shown when the view is bound, is longer than a view holds.
    const qsizetype max = BoundView::MaxEntryBytes;
    const QString huge = ReferenceFixture::versesOfSize(max + 300'000, QStringLiteral("Huge"));
    const QString p = writeBible({{"Huge", huge}, {"Small", "small"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QTextEdit view;
    view.resize(400, 150);
    view.show();
    BoundView binding(&source, &view);

    // Its beginning at once, the rest built on the worker.
    QVERIFY(!binding.isComplete());
    const QString head = view.toPlainText();
    QVERIFY(!head.isEmpty() && head.size() <= BoundView::PreviewBytes && huge.startsWith(head));
    QTextCursor reading(view.document());
    reading.setPosition(100);
    reading.setPosition(120, QTextCursor::KeepAnchor);
    view.setTextCursor(reading);

    QTRY_VERIFY_WITH_TIMEOUT(binding.isComplete(), 20000);
    // Cut where the view is full, and says so.
    const QString shown = view.toPlainText();
    QVERIFY(shown.startsWith(huge.left(max) + QStringLiteral("\n\n")));
    QVERIFY2(shown.section(QLatin1Char('\n'), -1).contains(QStringLiteral("MB long")), qPrintable(shown.right(200)));
    QVERIFY(shown.size() < max + 200);
    // The reader's selection stayed where it was.
    QCOMPARE(view.textCursor().anchor(), 100);
    QCOMPARE(view.textCursor().position(), 120);

    QVERIFY(source.selectIndex(QStringLiteral("books")));
    source.seek(QStringLiteral("Small"));
    QCOMPARE(view.toPlainText(), QStringLiteral("small"));
    QVERIFY(binding.isComplete());
}

void tst_DataSource::neighbourRows_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("visible");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("rows");

    QTest::newRow("nothing chosen yet") << -1 << -1 << 0 << 10 << QList<int>{0, 1};
    QTest::newRow("first choice") << 0 << -1 << 0 << 10 << QList<int>{1, 2};
    QTest::newRow("walking down") << 5 << 4 << 5 << 10 << QList<int>{6, 7, 4};
    QTest::newRow("walking up") << 5 << 6 << 5 << 10 << QList<int>{4, 3, 6};
    QTest::newRow("jump up") << 2 << 9 << 2 << 10 << QList<int>{1, 0, 3};
    QTest::newRow("last item") << 9 << 8 << 9 << 10 << QList<int>{8};
    QTest::newRow("scrolled away") << 5 << 4 << 8 << 10 << QList<int>{8, 6, 7, 4};
    QTest::newRow("single item") << 0 << -1 << 0 << 1 << QList<int>{};
}

void tst_DataSource::neighbourRows()
{
    QFETCH(int, current);
    QFETCH(int, previous);
    QFETCH(int, visible);
    QFETCH(int, count);
    QFETCH(QList<int>, rows);
    QCOMPARE(SubjectNeighbours::rows(current, previous, visible, count), rows);
}

void tst_DataSource::preparesOnlyTheNeighbourhood()
{
    QList<Row> rows;
    QStringList keys;
    for (int i = 0; i < 10; ++i) {
        keys << QStringLiteral("K%1").arg(i);
        rows.append({keys.last(), ReferenceFixture::versesOfSize(20'000, keys.last())});
    }
    const QString p = writeBible(rows);
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QTextEdit view;
    BoundView binding(&source, &view);
    const QString books = QStringLiteral("books");
    const auto row = [&](int i) { return *source.peek(books, keys.at(i)); };
    const auto prepare = [&](int current, int previous) {
        QStringList near;
        for (int r : SubjectNeighbours::rows(current, previous, std::max(current, 0), int(keys.size())))
            near << keys.at(r);
        binding.prepareOnly(books, near);
    };

    // Before any lookup: preparing moves nothing and selects no index.
    prepare(-1, -1);
    QTRY_VERIFY(binding.cache()->contains(row(1)));
    QCOMPARE(view.toPlainText(), rows.at(0).entry);
    QVERIFY(source.currentIndex().isEmpty());

    // Walking down: the next two and the one behind are ready, nothing farther.
    QVERIFY(source.selectIndex(books));
    for (int i = 0; i < int(keys.size()); ++i) {
        source.seek(keys.at(i));
        prepare(i, i - 1);
        QString kept;
        const auto onlyNear = [&] {
            kept.clear();
            for (int j = 0; j < int(keys.size()); ++j)
                if (binding.cache()->contains(row(j)))
                    kept += QString::number(j);
            QString near;
            for (int j = std::max(i - 1, 0); j <= std::min(i + 2, 9); ++j)
                near += QString::number(j);
            return kept == near;
        };
        QTRY_VERIFY2(onlyNear(), qPrintable(QStringLiteral("at %1 kept %2").arg(i).arg(kept)));
        QVERIFY(binding.cache()->keptCharacters() <= 4 * (rows.at(0).entry.size() + 100));
    }
}

QTEST_MAIN(tst_DataSource)
#include "tst_datasource.moc"
