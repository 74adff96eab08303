#include "ReferenceFixture.h"
#include "reference/BoundView.h"
#include "reference/DataSource.h"
#include "reference/EntryDocumentCache.h"
#include "reference/LayoutPacer.h"

#include <QAbstractTextDocumentLayout>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QScrollBar>
#include <QTextEdit>
#include <QThread>

using ReferenceFixture::Row;

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

    void cacheBuildsPlainAndRtf();
    void cachePrefetchMatchesSynchronousBuild();
    void cacheEvictsButKeepsShownDocument();
    void boundViewFollowsSource();
    void pacerFinishesLayoutInSlices();
    void warmUpPreparesEveryEntryOnce();

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
    QTest::newRow("empty file") << QString() << QByteArray("") << "Contacts";
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
    if (!sql.isEmpty()) {
        QVERIFY(ReferenceFixture::writeSql(p, sql));
    } else if (QByteArray(QTest::currentDataTag()) != "missing") {
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
}

void tst_DataSource::cachePrefetchMatchesSynchronousBuild()
{
    QObject owner;
    EntryDocumentCache cache(QFont(), &owner, 10'000'000);
    const QString big = ReferenceFixture::versesOfSize(300'000);
    int calls = 0;
    const auto text = [&](const QString &t) {
        return [&calls, t] {
            ++calls;
            return t;
        };
    };
    cache.prefetch(1, text(big));
    cache.prefetch(2, text(QStringLiteral("two")));
    cache.prefetch(1, text(big)); // already on its way: not read again
    QCOMPARE(calls, 2);
    // Asked for while queued or building: built once either way, same text.
    QTextDocument *one = cache.document(1, text(big));
    QVERIFY(calls <= 3);
    QCOMPARE(one->toPlainText(), big);
    QCOMPARE(one->parent(), &owner);
    QCOMPARE(one->thread(), QThread::currentThread());
    QTRY_VERIFY(cache.contains(2));
    QCOMPARE(cache.document(2, text(QString()))->toPlainText(), QStringLiteral("two"));
    const int before = calls;
    QCOMPARE(cache.document(1, text(QString())), one);
    QCOMPARE(calls, before);
    // Built ahead and finished: taken without reading the text again.
    cache.prefetch(5, text(QStringLiteral("five")));
    QTRY_VERIFY(cache.contains(5));
    QCOMPARE(cache.document(5, text(QStringLiteral("not read")))->toPlainText(), QStringLiteral("five"));
    QCOMPARE(calls, before + 1);

    // Holding a key down: while the worker is busy only the newest requests
    // stay queued.
    cache.prefetch(9, text(ReferenceFixture::versesOfSize(3'000'000)));
    for (int id = 10; id < 30; ++id)
        cache.prefetch(id, text(QString::number(id)));
    QTRY_VERIFY_WITH_TIMEOUT(cache.contains(29), 20000);
    QTest::qWait(50);
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
    QPointer<QTextDocument> first = cache.document(1, [&] { return ten; });
    cache.setShown(first);
    QPointer<QTextDocument> second = cache.document(2, [&] { return ten; });
    QPointer<QTextDocument> third = cache.document(3, [&] { return ten; });
    // 3 x 11 characters exceed 25: the oldest that is not shown goes.
    QVERIFY(first);
    QVERIFY(!second);
    QVERIFY(third);
    QVERIFY(cache.keptCharacters() <= 25);
    QVERIFY(!cache.contains(2));
    QPointer<QTextDocument> again = cache.document(2, [&] { return QStringLiteral("rebuilt"); });
    QCOMPARE(again->toPlainText(), QStringLiteral("rebuilt"));
    QVERIFY(first);

    // The owner deletes what it owns; the cache notices.
    delete first.data();
    QVERIFY(!cache.contains(1));
    QCOMPARE(cache.document(1, [&] { return QStringLiteral("back"); })->toPlainText(), QStringLiteral("back"));
}

void tst_DataSource::boundViewFollowsSource()
{
    const QString big = ReferenceFixture::versesOfSize(200'000);
    const QString p = writeBible({{"A", "a entry"}, {"B", big}, {"C", "{\\rtf1 {\\i c} entry}"}, {"D", "d entry"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QTextEdit view;
    view.resize(400, 150);
    view.show();
    BoundView binding(&source, &view);
    QCOMPARE(view.toPlainText(), QStringLiteral("a entry"));
    QVERIFY(source.selectIndex(QStringLiteral("books")));

    binding.prefetch(QStringLiteral("books"), {QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("missing")});
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
    QTRY_VERIFY(!binding.pacer()->isRunning());
    QVERIFY(shownB->lastBlock().layout()->lineCount() > 0);
    source.seek(QStringLiteral("A"));
    QVERIFY(view.document() != shownB);
    QCOMPARE(shownB->lastBlock().layout()->lineCount(), 0);
}

void tst_DataSource::pacerFinishesLayoutInSlices()
{
    QTextEdit view;
    view.resize(400, 150);
    view.show();
    auto doc = EntryDocumentCache::build(ReferenceFixture::versesOfSize(400'000), view.font());
    doc->setParent(&view);
    QTextDocument *d = doc.release();
    view.setDocument(d);
    LayoutPacer pacer;
    QSignalSpy done(&pacer, &LayoutPacer::finished);
    pacer.start(d);
    QVERIFY(pacer.isRunning());
    QVERIFY(d->lastBlock().layout()->lineCount() == 0); // not laid out yet
    QVERIFY(done.wait(5000));
    QVERIFY(!pacer.isRunning());
    QVERIFY(d->lastBlock().layout()->lineCount() > 0);
    // Once done the view learns the full height: it can scroll to the end.
    QTRY_VERIFY(view.verticalScrollBar()->maximum() > 10'000);
}

void tst_DataSource::warmUpPreparesEveryEntryOnce()
{
    const QString p = writeBible({{"A", "a"}, {"B", ReferenceFixture::versesOfSize(100'000)}, {"C", "c"}, {"C", "c2"}});
    DataSource source;
    QVERIFY(source.open(p, ReferenceSchema::Bible));
    QTextEdit view;
    BoundView binding(&source, &view);
    const QString books = QStringLiteral("books");
    binding.warmUp(books, {"C", "B", "missing", "C", "A"});
    for (const char *key : {"A", "B", "C"})
        QTRY_VERIFY_WITH_TIMEOUT(binding.cache()->contains(*source.peek(books, QString::fromLatin1(key))), 10000);
    // Warming moved nothing and selected no index.
    QCOMPARE(view.toPlainText(), QStringLiteral("a"));
    QVERIFY(source.currentIndex().isEmpty());
    QCOMPARE(binding.cache()->keptCharacters(), view.document()->characterCount()
                 + binding.cache()->document(*source.peek(books, "B"), [] { return QString(); })->characterCount()
                 + binding.cache()->document(*source.peek(books, "C"), [] { return QString(); })->characterCount());
}

QTEST_MAIN(tst_DataSource)
#include "tst_datasource.moc"
