#include "CrudeFilter.h"
#include "DevilsDictionary.h"
#include "FortuneFile.h"
#include "QuoteBuilder.h"
#include "QuoteCuration.h"
#include "QuoteSelector.h"
#include "SwordSource.h"
#include "reference/SubjectLists.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>
#include <zlib.h>

namespace {

QByteArray gzip(const QByteArray &plain)
{
    z_stream s{};
    deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&s, uLong(plain.size()))) + 32, '\0');
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.constData()));
    s.avail_in = uInt(plain.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.truncate(qsizetype(s.total_out));
    deflateEnd(&s);
    return out;
}

// dictd's base-64 numbers, most significant digit first.
QByteArray dictNumber(qint64 n)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray out;
    do {
        out.prepend(digits[n % 64]);
        n /= 64;
    } while (n > 0);
    return out;
}

KjvVerse verse(const QString &book, int chapter, int v, const QString &text)
{
    KjvVerse k;
    k.book = book;
    k.chapter = chapter;
    k.verse = v;
    k.text = text;
    return k;
}

// A saying that shares few words with the others made by this helper.
QString saying(const QString &topic, int i)
{
    return QStringLiteral("The %1 saying k%2a k%2b k%2c k%2d k%2e k%2f.").arg(topic).arg(i);
}

Quotation fortune(const QString &text, const QString &author, const QString &file = QStringLiteral("people"))
{
    return Quotation{text, author, file, {}};
}

// An entry's quotation blocks: everything between the heading and the sources line.
QStringList quotationBlocks(const QString &entry)
{
    QStringList blocks = entry.trimmed().split(QStringLiteral("\n\n"));
    if (blocks.size() < 2)
        return {};
    return blocks.mid(1, blocks.size() - 2);
}

QString authorOf(const QString &block)
{
    const qsizetype at = block.lastIndexOf(QStringLiteral("\n    -- "));
    return at < 0 ? QString() : block.mid(at + 8).trimmed();
}

} // namespace

// The quotation panel's content: the source readers, the filter, the curation
// rules and a full build from the installed packages.
class TestQuotes : public QObject {
    Q_OBJECT

private slots:
    void fortuneFileSplitsAndAttributes();
    void fortuneReflowKeepsVerseLines();
    void devilsDictionaryReadsIndexedDefinitions();
    void crudeFilter_data();
    void crudeFilter();
    void curationRejectsMalformedRules();
    void selectorFillsCountsAndKeepsPeopleApart();
    void selectorFailsLoudly();
    void buildFromInstalledSources();
};

void TestQuotes::fortuneFileSplitsAndAttributes()
{
    const QString file = QStringLiteral(
        "Whenever I feel like exercise, I lie down until the feeling passes.\n"
        "\t\t-- Robert M. Hutchins\n"
        "%\n"
        "It is 100% true that\n"
        "nothing stays.\n"
        "%\n"
        "A cynic is a man who, when he smells flowers, looks around for a coffin.\n"
        "\t\t-- H. L. Mencken,\n"
        "\t\t   \"A Book of Burlesques\"\n"
        "%\n"
        "Q: Who wrote this?\n"
        "-- nobody knows\n"
        "and that is the joke.\n"
        "%\n"
        "The price is \u00C2\u00A35, _\bs_\ba_\bi_\bd he.\n"
        "    -- Anon\n");
    const QVector<Quotation> q = FortuneFile::parse(file, QStringLiteral("wisdom"));
    QCOMPARE(q.size(), 5);
    QCOMPARE(q[0].author, QStringLiteral("Robert M. Hutchins"));
    QCOMPARE(q[0].text, QStringLiteral("Whenever I feel like exercise, I lie down until the feeling passes."));
    QCOMPARE(q[0].source, QStringLiteral("wisdom"));
    // "%" inside a line is text, and an entry without "--" has no author.
    QCOMPARE(q[1].text, QStringLiteral("It is 100% true that\nnothing stays."));
    QVERIFY(q[1].author.isEmpty());
    // An attribution may continue on indented lines.
    QCOMPARE(q[2].author, QStringLiteral("H. L. Mencken, \"A Book of Burlesques\""));
    // A "--" line followed by an unindented one is dialogue, not an attribution.
    QVERIFY(q[3].author.isEmpty());
    QVERIFY(q[3].text.contains(QStringLiteral("and that is the joke.")));
    // Overstrike underlining and doubly converted pound signs are cleaned up.
    QCOMPARE(q[4].text, QStringLiteral("The price is \u00A35, said he."));
    QCOMPARE(q[4].author, QStringLiteral("Anon"));
}

void TestQuotes::fortuneReflowKeepsVerseLines()
{
    // Long lines were wrapped by an editor; short ones are the poet's.
    const QStringList prose = {
        QStringLiteral("There is no reason anyone would want a computer in their"),
        QStringLiteral("home, said the man in the famous story, and he was wrong."),
    };
    QCOMPARE(FortuneFile::reflow(prose),
             QStringLiteral("There is no reason anyone would want a computer in their home, said the man in the "
                            "famous story, and he was wrong."));
    const QStringList verse = {QStringLiteral("The trouble with a kitten is that"),
                               QStringLiteral("When it grows up, it's always a cat")};
    QCOMPARE(FortuneFile::reflow(verse),
             QStringLiteral("The trouble with a kitten is that\nWhen it grows up, it's always a cat"));
    // A deeper indent after a long line starts a new line; blank lines collapse.
    const QStringList mixed = {QStringLiteral("This long line of prose is followed by a quoted verse below:"),
                               QStringLiteral("    Run, dog, mew, cat."), QString(), QStringLiteral("End.")};
    QCOMPARE(FortuneFile::reflow(mixed),
             QStringLiteral("This long line of prose is followed by a quoted verse below:\nRun, dog, mew, cat.\nEnd."));
}

void TestQuotes::devilsDictionaryReadsIndexedDefinitions()
{
    const QByteArray info = "00-database-short\n     The Devil's Dictionary\n\n";
    const QByteArray cat = "CAT, n.  A soft, indestructible automaton provided by nature to be\n"
                           "kicked when things go wrong in the domestic circle.\n\n"
                           "    This is a dog,\n        This is a cat.\n\n";
    const QByteArray dead = "DEAD, adj.\n\n    Done with the work of breathing; done\n    With all the world.\n\n";
    const QByteArray dict = info + cat + dead;
    const auto line = [](const char *word, qint64 offset, qint64 length) {
        return QByteArray(word) + '\t' + dictNumber(offset) + '\t' + dictNumber(length) + '\n';
    };
    const QByteArray index = line("00databaseshort", 0, info.size()) + line("cat", info.size(), cat.size())
        + line("dead", info.size() + cat.size(), dead.size()) + line("broken", 999999, 10);

    const auto packed = gzip(dict);
    QString error;
    const auto unpacked = DevilsDictionary::gunzip(packed, &error);
    QVERIFY2(unpacked.has_value(), qPrintable(error));
    QCOMPARE(*unpacked, dict);
    QVERIFY(!DevilsDictionary::gunzip(packed.left(packed.size() / 2), &error).has_value());
    QVERIFY(!error.isEmpty());

    const QVector<Quotation> q = DevilsDictionary::parse(*unpacked, index);
    QCOMPARE(q.size(), 2); // the info entry and the offset past the end are dropped
    QCOMPARE(q[0].tag, QStringLiteral("CAT"));
    QCOMPARE(q[0].text, QStringLiteral("CAT, n. A soft, indestructible automaton provided by nature to be kicked when "
                                       "things go wrong in the domestic circle."));
    QCOMPARE(q[0].author, QStringLiteral("Ambrose Bierce, The Devil's Dictionary"));
    // A headword alone on its line takes the paragraph below it.
    QCOMPARE(q[1].tag, QStringLiteral("DEAD"));
    QVERIFY(q[1].text.startsWith(QStringLiteral("DEAD, adj.")));
    QVERIFY(q[1].text.contains(QStringLiteral("Done with the work of breathing")));
}

void TestQuotes::crudeFilter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("clean");
    QTest::newRow("profanity") << QStringLiteral("Well, DAMN it all.") << false;
    QTest::newRow("profanity stem") << QStringLiteral("What bullshitting!") << false;
    QTest::newRow("innuendo phrase") << QStringLiteral("He would not sleep  with her.") << false;
    QTest::newRow("sexual stem") << QStringLiteral("Seduction is an art.") << false;
    QTest::newRow("drugs") << QStringLiteral("Marijuana makes you mellow.") << false;
    QTest::newRow("drink") << QStringLiteral("He was drunk by noon.") << false;
    QTest::newRow("slur") << QStringLiteral("Don't be a retard.") << false;
    QTest::newRow("expletive") << QStringLiteral("Oh God, not again.") << false;
    QTest::newRow("clean wit") << QStringLiteral("A fanatic is one who can't change his mind.") << true;
    QTest::newRow("Virginia is no virgin") << QStringLiteral("Father of the University of Virginia.") << true;
    QTest::newRow("the affairs of life") << QStringLiteral("The affairs of this life are not ours.") << true;
    QTest::newRow("assistant and class") << QStringLiteral("The assistant passed the class.") << true;
    QTest::newRow("hell as a place") << QStringLiteral("The road to hell is paved with good intentions.") << true;
    QTest::newRow("Sussex and Essex") << QStringLiteral("From Sussex to Essex.") << true;
}

void TestQuotes::crudeFilter()
{
    QFETCH(QString, text);
    QFETCH(bool, clean);
    QCOMPARE(CrudeFilter::isClean(text), clean);
    QCOMPARE(CrudeFilter::offence(text).isEmpty(), clean);
}

void TestQuotes::curationRejectsMalformedRules()
{
    QString error;
    const auto good = QuoteCuration::parse(QStringLiteral("# note\n[*]\nfiles: people, wisdom\nfiles: love\n"
                                                          "exclude: bad joke\n\n[Fool 26]\ntitle: Fools\ncount: 26\n"
                                                          "words 5: fool, folly | people\nverse: Psalms 14:1\n"),
                                           &error);
    QVERIFY2(good.has_value(), qPrintable(error));
    QCOMPARE(good->files, QStringList({QStringLiteral("people"), QStringLiteral("wisdom"), QStringLiteral("love")}));
    QCOMPARE(good->excludes, QStringList{QStringLiteral("bad joke")});
    QCOMPARE(good->subjects.size(), 1);
    const SubjectCuration &fool = good->subjects.constFirst();
    QCOMPARE(fool.key, QStringLiteral("Fool 26"));
    QCOMPARE(fool.title, QStringLiteral("Fools"));
    QCOMPARE(fool.count, 26);
    QCOMPARE(fool.rules.size(), 2);
    QCOMPARE(fool.rules[0].kind, QStringLiteral("words"));
    QCOMPARE(fool.rules[0].cap, 5);
    QCOMPARE(fool.rules[0].line, 10);
    QCOMPARE(fool.rules[1].kind, QStringLiteral("verse"));

    const QStringList bad = {
        QStringLiteral("[A]\nsing: la la\n"),          // unknown rule
        QStringLiteral("[A]\nwords:\n"),               // no value
        QStringLiteral("[A]\n[A]\n"),                  // subject twice
        QStringLiteral("words: x\n"),                  // outside a subject
        QStringLiteral("[A]\ncount: many\n"),          // not a number
        QStringLiteral("[A]\nwords x: a\n"),           // bad cap
        QStringLiteral("[*]\ncolour: blue\n"),         // unknown global
        QStringLiteral("[A]\njust some words\n"),      // no colon
    };
    for (const QString &text : bad) {
        error.clear();
        QVERIFY2(!QuoteCuration::parse(text, &error).has_value(), qPrintable(text));
        QVERIFY2(error.contains(QStringLiteral("line ")), qPrintable(error));
    }

    // The embedded curation names every subject of the list exactly once.
    const auto embedded = QuoteCuration::load(&error);
    QVERIFY2(embedded.has_value(), qPrintable(error));
    QStringList keys;
    for (const SubjectCuration &s : embedded->subjects)
        keys << s.key;
    QCOMPARE(keys, SubjectLists::load(QStringLiteral("LstQuote")));
}

void TestQuotes::selectorFillsCountsAndKeepsPeopleApart()
{
    QString error;
    const auto curation = QuoteCuration::parse(QStringLiteral(
        "[*]\nfiles: people, pets\nexclude: never this one\nskipauthor: Spock\n"
        "[Dogs]\ndevil: DOG\nwords: dog, dogs\n"
        "[Fool 9]\ncount: 9\nverses: Proverbs 26:4-5\nwords: fool\n"
        "[Twain Mark]\ntitle: Mark Twain\nauthor: ^Mark Twain\nmax: 9\n"), &error);
    QVERIFY2(curation.has_value(), qPrintable(error));

    QVector<Quotation> fortunes;
    fortunes << fortune(QStringLiteral("Every dog has his day, and the fool his folly."), QStringLiteral("Mark Twain"))
             << fortune(QStringLiteral("A dog is never this one you want."), QStringLiteral("Someone"))
             << fortune(QStringLiteral("Logic says the dog is a dog."), QStringLiteral("Spock"))
             << fortune(QStringLiteral("That dog of mine, damn him, ate my shoe."), QStringLiteral("Crude Carl"))
             << fortune(QStringLiteral("A fool and his dog are soon parted from their dinner."), QString())
             << fortune(QStringLiteral("Every dog has his day and the fool his folly!"), QStringLiteral("Mark Twain"),
                        QStringLiteral("pets"));
    for (int i = 0; i < 8; ++i) {
        fortunes << fortune(saying(QStringLiteral("dog"), i), QStringLiteral("Owner %1").arg(i), QStringLiteral("pets"))
                 << fortune(saying(QStringLiteral("steamboat"), i), QStringLiteral("Mark Twain"))
                 << fortune(saying(QStringLiteral("fool"), i), QStringLiteral("Sage %1").arg(i));
    }
    const QVector<Quotation> devil = {{QStringLiteral("DOG, n. A subsidiary deity."),
                                       QStringLiteral("Ambrose Bierce, The Devil's Dictionary"),
                                       QStringLiteral("devil"), QStringLiteral("DOG")}};
    const QVector<KjvVerse> kjv = {
        verse(QStringLiteral("Proverbs"), 26, 4, QStringLiteral("Answer not a fool according to his folly.")),
        verse(QStringLiteral("Proverbs"), 26, 5, QStringLiteral("Answer a fool according to his folly.")),
    };
    QuoteSelector selector(*curation, fortunes, devil, kjv);
    const QStringList keys = {QStringLiteral("Dogs"), QStringLiteral("Fool 9"), QStringLiteral("Twain Mark")};
    const auto entries = selector.select(keys, &error);
    QVERIFY2(entries.has_value(), qPrintable(error));
    QCOMPARE(entries->size(), 3);

    const QString dogs = entries->at(0).text;
    QVERIFY(dogs.startsWith(QStringLiteral("Dogs\n\nDOG, n. A subsidiary deity.\n    -- Ambrose Bierce")));
    // Excluded, unattributed, crude and skipped-author fortunes never appear;
    // Twain's dog saying is kept for his own subject.
    for (const QString &gone : {QStringLiteral("never this one"), QStringLiteral("Spock"), QStringLiteral("damn"),
                                QStringLiteral("soon parted"), QStringLiteral("Every dog has his day")})
        QVERIFY2(!dogs.contains(gone), qPrintable(gone));
    const QStringList dogBlocks = quotationBlocks(dogs);
    QCOMPARE(dogBlocks.size(), 9);
    for (const QString &b : dogBlocks)
        QVERIFY2(!authorOf(b).isEmpty(), qPrintable(b));
    QVERIFY(dogs.trimmed().endsWith(QStringLiteral(
        "Sources: fortunes (pets); The Devil's Dictionary by Ambrose Bierce.")));

    // Exactly the count: two verses, then fortunes on fools up to nine.
    const QStringList fool = quotationBlocks(entries->at(1).text);
    QCOMPARE(fool.size(), 9);
    QCOMPARE(authorOf(fool[0]), QStringLiteral("Proverbs 26:4"));
    QCOMPARE(authorOf(fool[1]), QStringLiteral("Proverbs 26:5"));
    for (int i = 2; i < 9; ++i)
        QCOMPARE(authorOf(fool[i]), QStringLiteral("Sage %1").arg(i - 2));

    // The person's subject holds only that person, and a near-duplicate wording once.
    const QStringList twain = quotationBlocks(entries->at(2).text);
    QCOMPARE(twain.size(), 9);
    int dogDays = 0;
    for (const QString &b : twain) {
        QCOMPARE(authorOf(b), QStringLiteral("Mark Twain"));
        dogDays += b.contains(QStringLiteral("Every dog has his day")) ? 1 : 0;
    }
    QCOMPARE(dogDays, 1);
}

void TestQuotes::selectorFailsLoudly()
{
    const QVector<Quotation> fortunes = {
        fortune(QStringLiteral("Time flies like an arrow."), QStringLiteral("Groucho Marx")),
        fortune(QStringLiteral("Time is money, and money is time."), QStringLiteral("Ben Franklin")),
    };
    const QVector<KjvVerse> kjv = {verse(QStringLiteral("Psalms"), 90, 12, QStringLiteral("So teach us to number our days."))};
    const struct {
        const char *curation;
        const char *expected;
    } cases[] = {
        {"[Time 5]\ncount: 5\nwords: time\n", "needs 5 quotations"},
        {"[Time 5]\nwords: time\n", "only 2 quotations"},
        {"[Time 5]\npick: Time\n", "2 fortunes contain"},
        {"[Time 5]\npick: eternity\n", "no usable fortune"},
        {"[Time 5]\nverse: Psalms 90:13\n", "no verse Psalms 90:13"},
        {"[Time 5]\nverse: Psalm ninety\n", "not a verse reference"},
        {"[Time 5]\ndevil: CLOCK\n", "no usable definition of CLOCK"},
        {"[Time 5]\nsay: Lost time is never found again.\n", "text | author"},
        {"[Time 5]\nauthor: (unclosed\n", "line 4"},
        {"[Time 5]\nverse: Psalms 90:12\nverse: Psalms 90:12\n", "twice"},
        {"[Other]\nwords: time\n", "no quotation curation for subject \"Time 5\""},
    };
    for (const auto &c : cases) {
        QString error;
        const auto curation = QuoteCuration::parse(QStringLiteral("[*]\nfiles: people\n") + QString::fromUtf8(c.curation), &error);
        QVERIFY2(curation.has_value(), qPrintable(error));
        QuoteSelector selector(*curation, fortunes, {}, kjv);
        QVERIFY2(!selector.select({QStringLiteral("Time 5")}, &error).has_value(), c.curation);
        QVERIFY2(error.contains(QLatin1String(c.expected)), qPrintable(error));
    }
}

void TestQuotes::buildFromInstalledSources()
{
    for (const QString &path : {QStringLiteral("/usr/share/games/fortunes/people"),
                                QStringLiteral("/usr/share/dictd/devil.dict.dz")})
        QVERIFY2(QFileInfo::exists(path), qPrintable(path + QStringLiteral(" is missing: install fortunes and dict-devil")));
    SwordSource sword;
    QString error;
    QVERIFY2(sword.open(&error), qPrintable(error));

    QElapsedTimer timer;
    timer.start();
    const auto entries = QuoteBuilder::build(sword.kjv(), &error);
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(entries.has_value(), qPrintable(error));
    qInfo("quotations built in %lld ms", elapsed);

    const QStringList keys = SubjectLists::load(QStringLiteral("LstQuote"));
    QCOMPARE(keys.size(), 57);
    QCOMPARE(entries->size(), keys.size());
    static const QRegularExpression numbered(QStringLiteral("^(.+) (\\d+)$"));
    static const QRegularExpression reference(QStringLiteral("^[1-3]? ?[A-Z][a-z]+( of [A-Z][a-z]+)? \\d+:\\d+(-\\d+)?$"));
    const QStringList people = {QStringLiteral("Bierce"), QStringLiteral("Churchill"), QStringLiteral("Franklin"),
                                QStringLiteral("Johnson"), QStringLiteral("Lebowitz"), QStringLiteral("Lincoln"),
                                QStringLiteral("Rogers"), QStringLiteral("Rowland"), QStringLiteral("Twain"),
                                QStringLiteral("Wilde")};
    QSet<QString> everywhere;
    int total = 0;
    for (int i = 0; i < keys.size(); ++i) {
        const LibraryEntry &e = entries->at(i);
        QCOMPARE(e.key, keys[i]);
        QVERIFY2(e.text.size() >= 500, qPrintable(e.key));
        const QStringList blocks = quotationBlocks(e.text);
        QVERIFY2(blocks.size() >= 8, qPrintable(e.key));
        const QRegularExpressionMatch n = numbered.match(e.key);
        if (n.hasMatch())
            QVERIFY2(blocks.size() == n.captured(2).toInt(), qPrintable(QStringLiteral("%1 holds %2").arg(e.key).arg(blocks.size())));
        const QString surname = e.key.section(QLatin1Char(' '), 0, 0);
        const bool person = people.contains(surname) && e.key.count(QLatin1Char(' ')) == 1;
        QSet<QString> inEntry;
        for (const QString &b : blocks) {
            const QString author = authorOf(b);
            QVERIFY2(!author.isEmpty(), qPrintable(e.key + QStringLiteral(": ") + b));
            const QString said = b.left(b.lastIndexOf(QStringLiteral("\n    -- ")));
            QVERIFY2(!said.trimmed().isEmpty(), qPrintable(e.key));
            QVERIFY2(!inEntry.contains(said), qPrintable(e.key + QStringLiteral(" repeats: ") + said));
            inEntry.insert(said);
            // Scripture keeps its own words; everything else passed the filter.
            if (!reference.match(author).hasMatch())
                QVERIFY2(CrudeFilter::isClean(said), qPrintable(e.key + QStringLiteral(": ") + said));
            if (person)
                QVERIFY2(author.contains(surname), qPrintable(e.key + QStringLiteral(": ") + author));
            everywhere.insert(said);
            ++total;
        }
        QVERIFY2(e.text.trimmed().section(QLatin1Char('\n'), -1).startsWith(QStringLiteral("Sources: ")), qPrintable(e.key));
        QVERIFY(!e.text.contains(QLatin1Char('<')));
    }
    // No saying stands under two subjects.
    QCOMPARE(everywhere.size(), total);

    // Deterministic: a second run gives the same text.
    const auto again = QuoteBuilder::build(sword.kjv(), &error);
    QVERIFY(again.has_value());
    for (int i = 0; i < entries->size(); ++i)
        QCOMPARE(again->at(i).text, entries->at(i).text);
}

QTEST_GUILESS_MAIN(TestQuotes)
#include "tst_quotes.moc"
