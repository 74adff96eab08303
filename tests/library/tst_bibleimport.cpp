// Turning the KJV module's markup into plain verses, and splitting the
// verses into the Bible panel's sections.

#include "BibleBuilder.h"
#include "OsisVerse.h"
#include "reference/SubjectLists.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// Chapters per book of the Protestant canon, Genesis to Revelation.
constexpr int ChapterCounts[66] = {50, 40, 27, 36, 34, 24, 21, 4,  31, 24, 22, 25, 29, 36, 10, 13, 10,
                                   42, 150, 31, 12, 8, 66, 52, 5,  48, 12, 14, 3,  9,  1,  4,  7,  3,
                                   3,  3,  2,  14, 4,  28, 16, 24, 21, 28, 16, 16, 13, 6,  6,  4,  4,
                                   5,  3,  6,  4,  3,  1,  13, 5,  5,  3,  5,  1,  1,  1,  22};

KjvVerse makeVerse(int bookIndex, int chapter, int verse)
{
    KjvVerse v;
    v.bookIndex = bookIndex;
    v.book = SwordSource::bookNames().at(bookIndex);
    v.chapter = chapter;
    v.verse = verse;
    v.text = QStringLiteral("Text of %1 %2:%3.").arg(v.book).arg(chapter).arg(verse);
    return v;
}

// Two verses in every chapter of the canon.
QVector<KjvVerse> miniatureBible()
{
    QVector<KjvVerse> verses;
    for (int book = 0; book < 66; ++book) {
        for (int chapter = 1; chapter <= ChapterCounts[book]; ++chapter) {
            verses.append(makeVerse(book, chapter, 1));
            verses.append(makeVerse(book, chapter, 2));
        }
    }
    return verses;
}

const LibraryEntry *entryFor(const QVector<LibraryEntry> &entries, const QString &key)
{
    for (const LibraryEntry &entry : entries) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

QStringList verseReferences(const QString &text)
{
    static const QRegularExpression reference(QStringLiteral("^((?:\\d )?[A-Za-z ]+ \\d+:\\d+) "),
                                              QRegularExpression::MultilineOption);
    QStringList refs;
    for (auto it = reference.globalMatch(text); it.hasNext();)
        refs.append(it.next().captured(1));
    return refs;
}

} // namespace

class TestBibleImport : public QObject {
    Q_OBJECT

private slots:
    void plainTextDropsMarkupAndNotes();
    void wordsCarryTheirStrongsNumbers();
    void divineNameIsPrintedInCapitals();
    void canonicalTitlesAreKeptApart();
    void sectionsCoverEveryChapterOnce();
    void oddKeysMapAsAReaderExpects();
    void verseLinesStartWithTheirReference();
    void damagedTextIsRefused_data();
    void damagedTextIsRefused();
};

void TestBibleImport::plainTextDropsMarkupAndNotes()
{
    const QString osis = QStringLiteral(
        "<div type=\"x-milestone\" subType=\"x-preverse\" sID=\"pv1\"/><div sID=\"gen4\" type=\"x-p\"/> "
        "<div type=\"x-milestone\" subType=\"x-preverse\" eID=\"pv1\"/>\u00b6 And <w lemma=\"strong:H0430\">God</w> "
        "<w lemma=\"strong:H0559\">said</w>, Let there <transChange type=\"added\">be</transChange> "
        "<w lemma=\"strong:H0216\">light</w>:<note placement=\"foot\"><reference type=\"annotateRef\">1.3 "
        "</reference>light: Heb. <seg type=\"x-nested\">or</seg></note> and there was "
        "<q marker=\"\" who=\"Jesus\">light</q> <w lemma=\"strong:H0216\">&amp; more</w><l eID=\"x\" level=\"1\"/>");
    const OsisVerse::Parsed parsed = OsisVerse::parse(osis);
    QCOMPARE(parsed.text, QStringLiteral("And God said, Let there be light: and there was light & more"));
    QVERIFY(parsed.title.isEmpty());

    // Stray character markers and a tag between a word and its comma.
    QCOMPARE(OsisVerse::parse(QStringLiteral("the \\nd <w lemma=\"strong:H3068\">LORD</w></divineName> hath, "
                                             "<w lemma=\"strong:H0001\">x</w> <l level=\"1\"/>, said"))
                 .text,
             QStringLiteral("the LORD hath, x, said"));
    // Line breaks separate words even when the markup has no blank.
    QCOMPARE(OsisVerse::parse(QStringLiteral("one<lb type=\"x-p\"/>two")).text, QStringLiteral("one two"));
    // A word the tagging split in two is one again, with both numbers; "ly" inside words is left alone.
    const OsisVerse::Parsed boldly = OsisVerse::parse(QStringLiteral(
        "come <w lemma=\"strong:G3954\">bold</w> <w lemma=\"strong:G3326\">ly</w> unto, only lying"));
    QCOMPARE(boldly.text, QStringLiteral("come boldly unto, only lying"));
    QCOMPARE(boldly.words.at(1).strongs, (QStringList{QStringLiteral("G3954"), QStringLiteral("G3326")}));
}

void TestBibleImport::wordsCarryTheirStrongsNumbers()
{
    const OsisVerse::Parsed parsed = OsisVerse::parse(QStringLiteral(
        "In the <w lemma=\"strong:H7225\">beginning</w> the <w lemma=\"strong:H1121\">sons’</w> "
        "<w lemma=\"strong:H1004\">Beth-el</w>, the <divineName><w lemma=\"strong:H3068\">LORD</w></divineName>’s "
        "<w lemma=\"strong:H0853 strong:H8064\">set up</w> king’s -- 'tis"));
    QStringList texts;
    for (const KjvWord &word : parsed.words)
        texts.append(word.text);
    QCOMPARE(texts, (QStringList{QStringLiteral("In"), QStringLiteral("the"), QStringLiteral("beginning"),
                                 QStringLiteral("the"), QStringLiteral("sons’"), QStringLiteral("Beth-el"),
                                 QStringLiteral("the"), QStringLiteral("LORD’s"), QStringLiteral("set"),
                                 QStringLiteral("up"), QStringLiteral("king’s"), QStringLiteral("tis")}));
    QVERIFY(parsed.words.at(0).strongs.isEmpty());
    QCOMPARE(parsed.words.at(2).strongs, QStringList{QStringLiteral("H7225")});
    QCOMPARE(parsed.words.at(5).strongs, QStringList{QStringLiteral("H1004")});
    // A word partly inside a tag takes that tag's number.
    QCOMPARE(parsed.words.at(7).strongs, QStringList{QStringLiteral("H3068")});
    const QStringList both{QStringLiteral("H0853"), QStringLiteral("H8064")};
    QCOMPARE(parsed.words.at(8).strongs, both);
    QCOMPARE(parsed.words.at(9).strongs, both);
    QVERIFY(parsed.words.at(10).strongs.isEmpty());
}

void TestBibleImport::divineNameIsPrintedInCapitals()
{
    QCOMPARE(OsisVerse::parse(QStringLiteral("meet <transChange type=\"added\">the <seg><divineName>Lord</divineName>"
                                             "</seg></transChange> yonder; his name <divineName>Jah</divineName>, "
                                             "the <divineName>Lord’s</divineName> house"))
                 .text,
             QStringLiteral("meet the LORD yonder; his name JAH, the LORD’s house"));
}

void TestBibleImport::canonicalTitlesAreKeptApart()
{
    const OsisVerse::Parsed psalm = OsisVerse::parse(QStringLiteral(
        "<title canonical=\"true\" type=\"psalm\">A <w lemma=\"strong:H4210\">Psalm</w> of David.</title> "
        "<lg sID=\"a\"/><divineName><w lemma=\"strong:H3068\">LORD</w></divineName>, how are they increased"));
    QCOMPARE(psalm.title, QStringLiteral("A Psalm of David."));
    QCOMPARE(psalm.text, QStringLiteral("LORD, how are they increased"));
    QCOMPARE(psalm.words.size(), 5);

    // Editorial headings are not KJV text.
    const OsisVerse::Parsed heading =
        OsisVerse::parse(QStringLiteral("<title><foreign>ב BETH.</foreign></title> Wherewithal shall"));
    QVERIFY(heading.title.isEmpty());
    QCOMPARE(heading.text, QStringLiteral("Wherewithal shall"));
}

void TestBibleImport::sectionsCoverEveryChapterOnce()
{
    const QVector<KjvVerse> kjv = miniatureBible();
    QString error;
    const auto entries = BibleBuilder::build(kjv, &error);
    QVERIFY2(entries, qPrintable(error));

    const QStringList keys = SubjectLists::load(QStringLiteral("lstBible"));
    QCOMPARE(entries->size(), keys.size());
    QStringList all;
    for (const LibraryEntry &entry : *entries) {
        QVERIFY2(keys.contains(entry.key), qPrintable(entry.key));
        all += verseReferences(entry.text);
    }
    // Concatenated in record order the sections give the text back in order.
    QStringList expected;
    for (const KjvVerse &verse : kjv)
        expected.append(verse.reference());
    QCOMPARE(all, expected);
}

void TestBibleImport::oddKeysMapAsAReaderExpects()
{
    QString error;
    const auto entries = BibleBuilder::build(miniatureBible(), &error);
    QVERIFY2(entries, qPrintable(error));
    const struct {
        const char *key;
        const char *first;
        const char *last;
    } cases[] = {
        {"Exra", "Ezra 1:1", "Ezra 10:2"},
        {"Obediah", "Obadiah 1:1", "Obadiah 1:2"},
        {"Song", "Song of Solomon 1:1", "Song of Solomon 8:2"},
        {"Psalms 136-50", "Psalms 136:1", "Psalms 150:2"},
        {"Joshua 11-21", "Joshua 11:1", "Joshua 24:2"},
        {"Deut 25-34", "Deuteronomy 25:1", "Deuteronomy 34:2"},
        {"1 Sam 1-11", "1 Samuel 1:1", "1 Samuel 11:2"},
        {"2 Chron 29-36", "2 Chronicles 29:1", "2 Chronicles 36:2"},
        {"1 Kings 8-15", "1 Kings 8:1", "1 Kings 15:2"},
        {"Revelation 12-22", "Revelation 12:1", "Revelation 22:2"},
        {"Romans", "Romans 1:1", "Romans 16:2"},
    };
    for (const auto &c : cases) {
        const LibraryEntry *entry = entryFor(*entries, QString::fromUtf8(c.key));
        QVERIFY2(entry, c.key);
        const QStringList refs = verseReferences(entry->text);
        QCOMPARE(refs.constFirst(), QString::fromUtf8(c.first));
        QCOMPARE(refs.constLast(), QString::fromUtf8(c.last));
    }
    QVERIFY(entryFor(*entries, QStringLiteral("Song"))->text.startsWith(QStringLiteral("Song of Solomon 1-8")));
    QVERIFY(entryFor(*entries, QStringLiteral("Obediah"))->text.startsWith(QStringLiteral("Obadiah 1 ")));
}

void TestBibleImport::verseLinesStartWithTheirReference()
{
    QVector<KjvVerse> kjv = miniatureBible();
    for (KjvVerse &verse : kjv) {
        if (verse.book == QLatin1String("Psalms") && verse.chapter == 3 && verse.verse == 1) {
            verse.title = QStringLiteral("A Psalm of David.");
            verse.text = QStringLiteral("LORD, how are they increased");
        }
    }
    QString error;
    const auto entries = BibleBuilder::build(kjv, &error);
    QVERIFY2(entries, qPrintable(error));
    const QStringList lines = entryFor(*entries, QStringLiteral("Psalms 1-33"))->text.split(QLatin1Char('\n'));
    QCOMPARE(lines.at(0), QStringLiteral("Psalms 1-33 (King James Version)"));
    QCOMPARE(lines.at(1), QString());
    QCOMPARE(lines.at(2), QStringLiteral("Psalms 1:1 Text of Psalms 1:1."));
    QCOMPARE(lines.at(3), QStringLiteral("Psalms 1:2 Text of Psalms 1:2."));
    QCOMPARE(lines.at(4), QString()); // each chapter opens with a blank line
    QVERIFY(lines.contains(QStringLiteral("Psalms 3:1 [A Psalm of David.] LORD, how are they increased")));
}

void TestBibleImport::damagedTextIsRefused_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing book") << "drop Jude" << "\"Jude\" names chapter 1";
    QTest::newRow("missing chapter") << "drop Joshua 24" << "Joshua 11-21";
    QTest::newRow("extra chapter") << "add Psalms 151" << "Psalms 151 belongs to no Bible section";
    QTest::newRow("verses out of order") << "swap" << "canonical order";
}

void TestBibleImport::damagedTextIsRefused()
{
    QFETCH(QString, damage);
    QFETCH(QString, message);
    QVector<KjvVerse> kjv = miniatureBible();
    if (damage == QLatin1String("drop Jude")) {
        kjv.removeIf([](const KjvVerse &v) { return v.book == QLatin1String("Jude"); });
    } else if (damage == QLatin1String("drop Joshua 24")) {
        kjv.removeIf([](const KjvVerse &v) { return v.book == QLatin1String("Joshua") && v.chapter == 24; });
    } else if (damage == QLatin1String("add Psalms 151")) {
        for (qsizetype i = 0; i < kjv.size(); ++i) {
            if (kjv.at(i).book == QLatin1String("Proverbs")) {
                kjv.insert(i, makeVerse(18, 151, 1));
                break;
            }
        }
    } else {
        qSwap(kjv[10], kjv[11]);
    }
    QString error;
    QVERIFY(!BibleBuilder::build(kjv, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestBibleImport)
#include "tst_bibleimport.moc"
