#include "AlphabeticRanges.h"
#include "DictionaryBuilder.h"
#include "DictionaryLayout.h"
#include "KjvConcordance.h"
#include "NaveCrossReferences.h"
#include "NaveRenderer.h"
#include "StrongsEntry.h"
#include "SwordSource.h"
#include "reference/SubjectLists.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

KjvWord w(const QString &text, const QString &number = QString())
{
    return {text, number.isEmpty() ? QStringList() : QStringList{number}};
}

// "For:G1063 God:G2316 his": words with the Strong's number each carries, if any.
QVector<KjvWord> tagged(const QString &text)
{
    QVector<KjvWord> out;
    for (const QString &word : text.split(QLatin1Char(' ')))
        out << w(word.section(QLatin1Char(':'), 0, 0), word.section(QLatin1Char(':'), 1));
    return out;
}

KjvVerse verse(const QString &book, int chapter, int number, const QVector<KjvWord> &words)
{
    KjvVerse v;
    v.book = book;
    v.chapter = chapter;
    v.verse = number;
    v.words = words;
    for (const KjvWord &word : words)
        v.text += (v.text.isEmpty() ? QString() : QStringLiteral(" ")) + word.text;
    return v;
}

// The indented lines of a rendered topic, without the heading line.
QStringList bodyLines(const QString &article)
{
    QStringList lines = article.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeFirst();
    return lines;
}

const KjvConcordance::Headword *findHeadword(const QVector<KjvConcordance::Headword> &list, const QString &word)
{
    for (const KjvConcordance::Headword &h : list)
        if (h.word == word)
            return &h;
    return nullptr;
}

} // namespace

class TestDictionary : public QObject {
    Q_OBJECT

private slots:
    void bibleDictRangesFollowTheSubjectKeys();
    void wordUsageAndNameRanges();
    void topicalRangesAndThemedRecords();
    void topicalRecordsMatchTheSubjectList();

    void naveReferencesAreWrittenOut();
    void naveSourceFaultsAreRepaired();
    void naveListsAndCrossReferences();
    void naveCrossReferencesLeadToTopics_data();
    void naveCrossReferencesLeadToTopics();
    void naveAbbreviationTables();

    void strongsHebrewEntry();
    void strongsGreekEntry();
    void strongsOddities();
    void strongsNumberNormalisation();

    void concordanceCountsWords();
    void concordanceTagsAndPhrases();
    void principalTranslations_data();
    void principalTranslations();

    void buildFromInstalledModules();
};

void TestDictionary::bibleDictRangesFollowTheSubjectKeys()
{
    const QStringList keys = SubjectLists::load(QStringLiteral("lstJoke"));
    QVERIFY(!keys.isEmpty());
    const AlphabeticRanges dict = DictionaryLayout::bibleDict(keys);
    QVERIFY(dict.isValid());
    QCOMPARE(dict.keys().size(), 57);
    QCOMPARE(dict.keys().constFirst(), QStringLiteral("BibleDict ALPHA"));

    // Everything before the first bound opens the dictionary.
    QCOMPARE(dict.keyFor(QStringLiteral("A")), QStringLiteral("BibleDict ALPHA"));
    QCOMPARE(dict.keyFor(QStringLiteral("AARON")), QStringLiteral("BibleDict ALPHA"));
    QCOMPARE(dict.keyFor(QStringLiteral("ABJECT")), QStringLiteral("BibleDict ALPHA"));
    QCOMPARE(dict.keyFor(QStringLiteral("\u00C6NEAS")), QStringLiteral("BibleDict ADOPTION"));
    // Each key's own headword starts its record.
    QCOMPARE(dict.keyFor(QStringLiteral("ABJECTS")), QStringLiteral("BibleDict ABJECTS"));
    QCOMPARE(dict.keyFor(QStringLiteral("abjects")), QStringLiteral("BibleDict ABJECTS"));
    QCOMPARE(dict.keyFor(QStringLiteral("ALPHA")), QStringLiteral("BibleDict ADOPTION"));
    QCOMPARE(dict.keyFor(QStringLiteral("AMEN")), QStringLiteral("BibleDict AMEM"));
    QCOMPARE(dict.keyFor(QStringLiteral("AMELEK")), QStringLiteral("BibleDict ADOPTION"));
    // A key of several words is compared as text: LAW sorts before it, LAWFUL after.
    QCOMPARE(dict.keyFor(QStringLiteral("LAW")), QStringLiteral("BibleDict JUPITER"));
    QCOMPARE(dict.keyFor(QStringLiteral("LAWFUL")), QStringLiteral("BibleDict LAW OF MOSES"));
    QCOMPARE(dict.keyFor(QStringLiteral("LIONESS")), QStringLiteral("BibleDict LAW OF MOSES"));
    QCOMPARE(dict.keyFor(QStringLiteral("LIVE")), QStringLiteral("BibleDict LIONS"));
    QCOMPARE(dict.keyFor(QStringLiteral("ZEMARAIM")), QStringLiteral("BibleDict ZEMARAIM"));
    QCOMPARE(dict.keyFor(QStringLiteral("ZUZIMS")), QStringLiteral("BibleDict ZEMARAIM"));
    QCOMPARE(dict.keyFor(QStringLiteral("WEEPING")), QStringLiteral("BibleDict WEEK"));
    QCOMPARE(dict.keyFor(QStringLiteral("WEEK")), QStringLiteral("BibleDict WEEK"));
    QCOMPARE(dict.keyFor(QStringLiteral("WEDDING")), QStringLiteral("BibleDict TOOTH"));

    for (qsizetype i = 1; i < dict.keys().size(); ++i) {
        const QString key = dict.keys().at(i);
        QCOMPARE(dict.keyFor(key.mid(10)), key);
    }

    QVERIFY(!AlphabeticRanges({{QStringLiteral("b"), QStringLiteral("B")}, {QStringLiteral("a"), QStringLiteral("A")}})
                 .isValid());
    QVERIFY(!AlphabeticRanges({}).isValid());
}

void TestDictionary::wordUsageAndNameRanges()
{
    const AlphabeticRanges usage = DictionaryLayout::wordUsage();
    QCOMPARE(usage.keyFor(QStringLiteral("a")), QStringLiteral("WordUsage A-B"));
    QCOMPARE(usage.keyFor(QStringLiteral("Bozrah")), QStringLiteral("WordUsage A-B"));
    QCOMPARE(usage.keyFor(QStringLiteral("Cain")), QStringLiteral("WordUsage C-D"));
    QCOMPARE(usage.keyFor(QStringLiteral("dwelt")), QStringLiteral("WordUsage C-D"));
    QCOMPARE(usage.keyFor(QStringLiteral("earth")), QStringLiteral("WordUsage E- G"));
    QCOMPARE(usage.keyFor(QStringLiteral("Gaza")), QStringLiteral("WordUsage E- G"));
    QCOMPARE(usage.keyFor(QStringLiteral("heaven")), QStringLiteral("WordUsage H-J"));
    QCOMPARE(usage.keyFor(QStringLiteral("Jude")), QStringLiteral("WordUsage H-J"));
    QCOMPARE(usage.keyFor(QStringLiteral("king")), QStringLiteral("WordUsage K-N"));
    QCOMPARE(usage.keyFor(QStringLiteral("nought")), QStringLiteral("WordUsage K-N"));
    QCOMPARE(usage.keyFor(QStringLiteral("O")), QStringLiteral("WordUsage O-R"));
    QCOMPARE(usage.keyFor(QStringLiteral("Ruth")), QStringLiteral("WordUsage O-R"));
    QCOMPARE(usage.keyFor(QStringLiteral("said")), QStringLiteral("WordUsage S-T"));
    QCOMPARE(usage.keyFor(QStringLiteral("Tyre")), QStringLiteral("WordUsage S-T"));
    QCOMPARE(usage.keyFor(QStringLiteral("unto")), QStringLiteral("WordUsage U-Z"));
    QCOMPARE(usage.keyFor(QStringLiteral("Zuzims")), QStringLiteral("WordUsage U-Z"));

    // Ligatures and accents file under their plain letters.
    QCOMPARE(usage.keyFor(QStringLiteral("\u00C6non")), QStringLiteral("WordUsage A-B"));
    QCOMPARE(usage.keyFor(QStringLiteral("\u00E9lan")), QStringLiteral("WordUsage E- G"));
    QVERIFY(AlphabeticRanges::lessThan(QStringLiteral("Aaron"), QStringLiteral("\u00C6non")));
    QVERIFY(AlphabeticRanges::lessThan(QStringLiteral("\u00C6non"), QStringLiteral("Afar")));
    QVERIFY(AlphabeticRanges::lessThan(QStringLiteral("Caesar"), QStringLiteral("C\u00E6sar")));
    QVERIFY(!AlphabeticRanges::lessThan(QStringLiteral("C\u00E6sar"), QStringLiteral("Caesar")));
    QVERIFY(AlphabeticRanges::lessThan(QStringLiteral("abel"), QStringLiteral("Abez")));

    QCOMPARE(usage.letterSpan(0), QStringLiteral("A to B"));
    QCOMPARE(usage.letterSpan(2), QStringLiteral("E to G"));
    QCOMPARE(usage.letterSpan(7), QStringLiteral("U to Z"));
    QVERIFY(usage.letterSpan(8).isEmpty());

    const AlphabeticRanges names = DictionaryLayout::bibleNames();
    QCOMPARE(names.keyFor(QStringLiteral("\u00C6NON")), QStringLiteral("BibleNames A-J"));
    QCOMPARE(names.keyFor(QStringLiteral("AARON")), QStringLiteral("BibleNames A-J"));
    QCOMPARE(names.keyFor(QStringLiteral("JUDAS")), QStringLiteral("BibleNames A-J"));
    QCOMPARE(names.keyFor(QStringLiteral("KADESH")), QStringLiteral("BibleNames K-Z"));
    QCOMPARE(names.keyFor(QStringLiteral("ZUZIMS")), QStringLiteral("BibleNames K-Z"));
}

void TestDictionary::topicalRangesAndThemedRecords()
{
    using DictionaryLayout::topicalKey;
    QCOMPARE(topicalKey(QStringLiteral("AARON")), QStringLiteral("TopicalTextBook"));
    QCOMPARE(topicalKey(QStringLiteral("FOWL")), QStringLiteral("TopicalTextBook"));
    QCOMPARE(topicalKey(QStringLiteral("FOX")), QStringLiteral("TopicalTextBook FOX"));
    QCOMPARE(topicalKey(QStringLiteral("GOVERNMENT")), QStringLiteral("TopicalTextBook FOX"));
    QCOMPARE(topicalKey(QStringLiteral("IDOLATRY")), QStringLiteral("TopicalTextBook HOLINESS"));
    QCOMPARE(topicalKey(QStringLiteral("IGNORANCE")), QStringLiteral("TopicalTextBook INGORANCE"));
    QCOMPARE(topicalKey(QStringLiteral("KING")), QStringLiteral("TopicalTextBook INGORANCE"));
    QCOMPARE(topicalKey(QStringLiteral("KINGS")), QStringLiteral("TopicalTextBook KINGS"));
    QCOMPARE(topicalKey(QStringLiteral("RED")), QStringLiteral("TopicalTextBook PRIESTS"));
    QCOMPARE(topicalKey(QStringLiteral("RED HEIFER")), QStringLiteral("TopicalTextBook RED HEIFER"));
    QCOMPARE(topicalKey(QStringLiteral("TITHES")), QStringLiteral("TopicalTextBook SUN"));
    QCOMPARE(topicalKey(QStringLiteral("TITLES AND NAMES")), QStringLiteral("TopicalTextBook  TITLES"));
    QCOMPARE(topicalKey(QStringLiteral("ZUZIMS")), QStringLiteral("TopicalTextBook VINEYARDS"));

    // The themed records take their topics out of the alphabet.
    QCOMPARE(topicalKey(QStringLiteral("GOD")), QStringLiteral("TopicalText Book GOD"));
    QCOMPARE(topicalKey(QStringLiteral("ATTRIBUTES OF GOD")), QStringLiteral("TopicalText Book GOD"));
    QCOMPARE(topicalKey(QStringLiteral("TRINITY")), QStringLiteral("TopicalText Book GOD"));
    QCOMPARE(topicalKey(QStringLiteral("JESUS, THE CHRIST")), QStringLiteral("TopicalTextBook CONCERNING GOD"));
    QCOMPARE(topicalKey(QStringLiteral("HOLY SPIRIT")), QStringLiteral("TopicalTextBook CONCERNING GOD"));
    QCOMPARE(topicalKey(QStringLiteral("Angel (Holy Trinity)")), QStringLiteral("TopicalTextBook CONCERNING GOD"));
    for (const char *topic : {"ATONEMENT", "REDEMPTION", "SALVATION", "JUSTIFICATION", "REGENERATION", "FORGIVENESS"})
        QCOMPARE(topicalKey(QString::fromLatin1(topic)), QStringLiteral("TopicalTextBook CONERNING REDEMPTION"));
    // Only the listed topics: their neighbours stay in their ranges.
    QCOMPARE(topicalKey(QStringLiteral("GODLINESS")), QStringLiteral("TopicalTextBook FOX"));
    QCOMPARE(topicalKey(QStringLiteral("SALVATION, PLAN OF")), QStringLiteral("TopicalTextBook SALT"));
    QCOMPARE(topicalKey(QStringLiteral("JESUS")), QStringLiteral("TopicalTextBook INGORANCE"));
}

void TestDictionary::topicalRecordsMatchTheSubjectList()
{
    QSet<QString> listed;
    for (const QString &key : SubjectLists::load(QStringLiteral("lstJoke")))
        if (key.startsWith(QLatin1String("TopicalText")))
            listed.insert(key);
    const QStringList made = DictionaryLayout::topicalKeys();
    QCOMPARE(QSet<QString>(made.cbegin(), made.cend()), listed);
    QCOMPARE(made.size(), listed.size());
    QCOMPARE(DictionaryLayout::topicalDescription(QStringLiteral("TopicalTextBook")), QStringLiteral("from A to FOX"));
    QCOMPARE(DictionaryLayout::topicalDescription(QStringLiteral("TopicalTextBook INGORANCE")),
             QStringLiteral("from IGNORANCE to KINGS"));
    QCOMPARE(DictionaryLayout::topicalDescription(QStringLiteral("TopicalTextBook VINEYARDS")),
             QStringLiteral("from VINEYARDS to the end"));
    QCOMPARE(DictionaryLayout::topicalDescription(QStringLiteral("TopicalText Book GOD")), QStringLiteral("topics on God"));
    for (const QString &key : made)
        QVERIFY2(!DictionaryLayout::topicalDescription(key).isEmpty(), qPrintable(key));
}

void TestDictionary::naveReferencesAreWrittenOut()
{
    const QString raw = QStringLiteral(
        "<entryFree n=\"AARON\"> <def> <lb/>\u2192 Lineage of <ref osisRef=\"Exod.6.16-Exod.6.20\">Ex 6:16-20</ref>; "
        "<ref osisRef=\"Josh.21.4\">Jos 21:4</ref>,<ref osisRef=\"Josh.21.10\">10</ref>; "
        "<ref osisRef=\"1Chr.6.2\">1Ch 6:2</ref>,<ref osisRef=\"1Chr.6.3\">3</ref>; "
        "<ref osisRef=\"1Chr.23.13\">23:13</ref> <lb/>\u2192 Makes the golden calf <ref osisRef=\"Exod.32\">Ex 32</ref>; "
        "<ref osisRef=\"Matt.8.20\">Mt 8:20</ref>,<ref osisRef=\"Matt.9.1\">9:1</ref></def> </entryFree>");
    const QString article = NaveRenderer::render(QStringLiteral("AARON"), raw);
    QCOMPARE(article,
             QStringLiteral("AARON\n"
                            "    Lineage of Exodus 6:16-20; Joshua 21:4, 10; 1 Chronicles 6:2, 3; 1 Chronicles 23:13\n"
                            "    Makes the golden calf Exodus 32; Matthew 8:20, Matthew 9:1\n"));

    QCOMPARE(NaveRenderer::readableReference(QStringLiteral("Ps.119.105")), QStringLiteral("Psalms 119:105"));
    QCOMPARE(NaveRenderer::readableReference(QStringLiteral("Song.2.1-Song.2.3")), QStringLiteral("Song of Solomon 2:1-3"));
    QCOMPARE(NaveRenderer::readableReference(QStringLiteral("Rev.21")), QStringLiteral("Revelation 21"));
    QCOMPARE(NaveRenderer::readableReference(QStringLiteral("Gen.1.31-Gen.2.3")), QStringLiteral("Genesis 1:31-2:3"));
    QVERIFY(NaveRenderer::readableReference(QStringLiteral("Wis.2")).isEmpty());
    QVERIFY(NaveRenderer::readableReference(QStringLiteral("Gen")).isEmpty());
}

void TestDictionary::naveSourceFaultsAreRepaired()
{
    // One-chapter books: the verse stands outside the reference.
    QCOMPARE(bodyLines(NaveRenderer::render(QStringLiteral("LOVE"),
                 QStringLiteral("<def> <lb/>\u2192 Of man <ref osisRef=\"2John.1.1\">2Jo 1</ref>:6; "
                                "<ref osisRef=\"Jude.1.1\">Jude 1</ref>:21; "
                                "<ref osisRef=\"Phlm.1.1\">Phm 1</ref>:14,15</def>"))),
             QStringList{QStringLiteral("    Of man 2 John 1:6; Jude 1:21; Philemon 1:14, 15")});

    // A name before "2Ch" was taken for a book: "Micah 2" + "Ch 34:20".
    QCOMPARE(bodyLines(NaveRenderer::render(QStringLiteral("ABDON"),
                 QStringLiteral("<def> <lb/>5. Son of <ref osisRef=\"Mic.2\">Micah 2</ref>Ch 34:20 "
                                "<lb/>King <ref osisRef=\"PrAzar.1.2\">Azariah 2</ref>Ki 15:1-7</def>"))),
             (QStringList{QStringLiteral("    5. Son of Micah 2 Chronicles 34:20"),
                          QStringLiteral("    King Azariah 2 Kings 15:1-7")}));

    // References left as text: abbreviated, glued to a word, or relying on the last book named.
    QCOMPARE(bodyLines(NaveRenderer::render(QStringLiteral("X"),
                 QStringLiteral("<def> <lb/>Of David <ref osisRef=\"1Sam.21.1-1Sam.21.9\">1Sa 21:1-9</ref>; with 22:6-19"
                                " <lb/>REVERENCEGe 35:5; <ref osisRef=\"Exod.18.21\">Ex 18:21</ref>"
                                " <lb/>Of Herod Agrippa I Ac 12:21 <lb/>Jeroboam II 2Ki 14:26,27"
                                " <lb/>No book known 3:4 <lb/>Ben-hadad I 1Ki 20; So 2Ki 17:4</def>"))),
             (QStringList{QStringLiteral("    Of David 1 Samuel 21:1-9; with 1 Samuel 22:6-19"),
                          QStringLiteral("    REVERENCE Genesis 35:5; Exodus 18:21"),
                          QStringLiteral("    Of Herod Agrippa I Acts 12:21"),
                          QStringLiteral("    Jeroboam II 2 Kings 14:26, 27"),
                          QStringLiteral("    No book known 3:4"),
                          QStringLiteral("    Ben-hadad I 1 Kings 20; So 2 Kings 17:4")}));

    // "Titus 2" followed by "Co 8:16" read as Colossians; misprinted headings;
    // verses past their chapter's end that the topic shows the meaning of; debris.
    QCOMPARE(bodyLines(NaveRenderer::render(QStringLiteral("MIRACLES"),
                 QStringLiteral("<def> <lb/>By <ref osisRef=\"Titus.2\">Titus 2</ref><ref osisRef=\"Col.8.16\">Co 8:16</ref>,"
                                "<ref osisRef=\"Col.8.17\">17</ref>; <ref osisRef=\"Col.12.18\">12:18</ref> <lb/>Paul "
                                "<ref osisRef=\"Col.1.1\">Col 1:1</ref> <lb/>FlGURATIVE <ref osisRef=\"Exod.3.19\">Ex 3:19</ref>,"
                                "<ref osisRef=\"Exod.3.29\">29</ref> <lb/>See <ref target=\"Nave:FAMILY\">FAMILY</ref>=</def>"))),
             (QStringList{QStringLiteral("    By Titus 2 Corinthians 8:16, 17; 2 Corinthians 12:18"),
                          QStringLiteral("    Paul Colossians 1:1"), QStringLiteral("    FIGURATIVE Exodus 3:19, 20"),
                          QStringLiteral("    See FAMILY")}));
    QCOMPARE(NaveRenderer::render(QStringLiteral("CLAUDIUS LYSIUS"), QStringLiteral("<def>See AFFILICTION</def>")),
             QStringLiteral("CLAUDIUS LYSIAS\n    See AFFLICTION\n"));
    QVERIFY(NaveRenderer::render(QStringLiteral("EXODUS"), QStringLiteral("<ref osisRef=\"Exod.3.29\">Ex 3:29</ref>"))
                .contains(QLatin1String("Exodus 3:29"))); // mended only where the topic shows the verse meant

    QString book;
    QCOMPARE(NaveRenderer::expandPlainReferences(QStringLiteral("see 2 Ch 36:12 and 1Joh 2:1"), &book),
             QStringLiteral("see 2 Chronicles 36:12 and 1 John 2:1"));
    QCOMPARE(book, QStringLiteral("1 John"));
    QCOMPARE(NaveRenderer::expandPlainReferences(QStringLiteral("also 3:16"), &book), QStringLiteral("also 1 John 3:16"));
    book.clear();
    QCOMPARE(NaveRenderer::expandPlainReferences(QStringLiteral("at 10:30 of Sa 3:1"), &book),
             QStringLiteral("at 10:30 of Sa 3:1"));
}

void TestDictionary::naveListsAndCrossReferences()
{
    const QString raw = QStringLiteral(
        "<entryFree n=\"ANGEL (Holy Trinity)\"> <def> <lb/>\u2192 ONE OF THE HOLY TRINITY <list> <item>Called ANGEL OF GOD "
        "<ref osisRef=\"Exod.14.19\">Ex 14:19</ref></item> <item>See <ref target=\"Nave:CHILDREN\">CHILDREN</ref>&amp;gt;"
        "</item> </list> <lb/>\u2192 A man' s life, &#8220;a vapour&#8221; (R. V.) <ref osisRef=\"Jas.4.14\">Jas 4:14</ref>"
        "</def> </entryFree>");
    const QString article = NaveRenderer::render(QStringLiteral("ANGEL (HOLY TRINITY)"), raw);
    QCOMPARE(article, QStringLiteral("ANGEL (HOLY TRINITY)\n"
                                     "    ONE OF THE HOLY TRINITY\n"
                                     "        Called ANGEL OF GOD Exodus 14:19\n"
                                     "        See CHILDREN\n"
                                     "    A man's life, \u201Ca vapour\u201D (Revised Version) James 4:14\n"));
    QVERIFY(!article.contains(QLatin1Char('<')) && !article.contains(QLatin1Char('&')));
}

void TestDictionary::naveCrossReferencesLeadToTopics_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected"); // empty: the line goes
    const auto row = [](const char *name, const char *line, const char *expected) {
        QTest::newRow(name) << QString::fromUtf8(line) << QString::fromUtf8(expected);
    };
    row("exact", "See PRIEST", "See PRIEST");
    row("heading goes on", "See JESUS", "See JESUS, THE CHRIST");
    row("heading goes on in brackets", "See TONGUES", "See TONGUES (THE GIFT)");
    row("other number", "See PRIESTS", "See PRIEST");
    row("only a heading that goes on", "See DEAD", "See DEAD (PEOPLE)");
    row("blank or hyphen", "See MERCY SEAT", "See MERCY-SEAT");
    row("turned round", "See SPEAKING, EVIL", "See EVIL SPEAKING");
    row("choice settled by hand", "See MINISTERS", "See MINISTER, CHRISTIAN");
    row("sub-heading of another topic", "See WICKED, PUNISHMENT OF", "See PUNISHMENT OF, under WICKED (PEOPLE)");
    row("sub-heading it lacks", "See SIN, REPENTANCE OF", "See SIN");
    row("Nave's own under", "See MOST HOLY PLACE, under the topic TABERNACLE", "See MOST HOLY PLACE, under TABERNACLE");
    row("this topic's sub-heading", "See GOD, HOLINESS OF", "See HOLINESS OF, below");
    row("this topic's, under another of them", "See PRESENCE OF, UBIQUITOUS", "See UBIQUITOUS, below");
    row("pointer kept", "See ONE, above", "See ONE, above");
    row("references after it", "See UR 1 Chronicles 11:35", "See UR 1 Chronicles 11:35");
    row("list, one to nowhere", "See also PRIESTS; FLAIL; OBDURACY", "See also PRIEST; OBDURACY (HARDNESS)");
    row("to nowhere", "See FLAIL", "");
    row("inside a line", "For blessing before eating, see PRAYER", "For blessing before eating");
    row("no topic", "See R. V.) Romans 5:14", "See R. V.) Romans 5:14");
}

void TestDictionary::naveCrossReferencesLeadToTopics()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QHash<QString, QString> articles;
    for (const char *heading : {"PRIEST", "JESUS, THE CHRIST", "TONGUE", "TONGUES (THE GIFT)", "DEAD (PEOPLE)", "DEAD SEA",
                                "MERCY-SEAT", "SPEAKING", "EVIL SPEAKING", "MINISTER, CHRISTIAN", "MINISTER, CIVIL",
                                "OBDURACY (HARDNESS)", "UR"})
        articles.insert(QString::fromLatin1(heading), QString::fromLatin1(heading) + QStringLiteral("\n    Genesis 1:1\n"));
    articles.insert(QStringLiteral("WICKED (PEOPLE)"), QStringLiteral("WICKED (PEOPLE)\n    PUNISHMENT OF Job 4:8\n"));
    articles.insert(QStringLiteral("SIN"), QStringLiteral("SIN\n    CONFESSION OF Psalms 51:3\n"));
    articles.insert(QStringLiteral("TABERNACLE"), QStringLiteral("TABERNACLE\n    The Most Holy Place Exodus 26:33\n"));
    const QString god = QStringLiteral("GOD\n    ONE Deuteronomy 6:4\n    %1\n    HOLINESS OF Isaiah 6:3\n    PRESENCE OF\n"
                                       "        UBIQUITOUS Psalms 139:7\n");
    articles.insert(QStringLiteral("GOD"), god.arg(QStringLiteral("x")));
    const QStringList rewritten = NaveCrossReferences(articles).rewrite(god.arg(line)).split(QLatin1Char('\n'));
    QCOMPARE(rewritten.size(), expected.isEmpty() ? 6 : 7);
    if (!expected.isEmpty())
        QCOMPARE(rewritten.at(2), QStringLiteral("    ") + expected);
    QCOMPARE(rewritten.at(rewritten.size() - 2), QStringLiteral("        UBIQUITOUS Psalms 139:7")); // the rest untouched
}

void TestDictionary::naveAbbreviationTables()
{
    const char *abbreviations[] = {"Ge", "Ex", "Le", "Nu", "De", "Jos", "Jud", "Ru", "1Sa", "2Sa", "1Ki", "2Ki", "1Ch",
                                   "2Ch", "Ezr", "Ne", "Es", "Job", "Ps", "Pr", "Ec", "So", "Isa", "Jer", "La", "Eze",
                                   "Da", "Ho", "Joe", "Am", "Ob", "Jon", "Mic", "Na", "Hab", "Zep", "Hag", "Zec", "Mal",
                                   "Mt", "Mr", "Lu", "Joh", "Ac", "Ro", "1Co", "2Co", "Ga", "Eph", "Php", "Col", "1Th",
                                   "2Th", "1Ti", "2Ti", "Tit", "Phm", "Heb", "Jas", "1Pe", "2Pe", "1Jo", "2Jo", "3Jo",
                                   "Jude", "Re"};
    QSet<QString> names;
    for (const char *a : abbreviations) {
        const QString name = NaveRenderer::bookNameFromAbbreviation(QString::fromLatin1(a));
        QVERIFY2(!name.isEmpty(), a);
        names.insert(name);
    }
    QCOMPARE(names.size(), 66);
    QCOMPARE(NaveRenderer::bookNameFromAbbreviation(QStringLiteral("So")), QStringLiteral("Song of Solomon"));
    QCOMPARE(NaveRenderer::bookNameFromAbbreviation(QStringLiteral("1 Sa")), QStringLiteral("1 Samuel"));
    QCOMPARE(NaveRenderer::bookNameFromOsis(QStringLiteral("Rev")), QStringLiteral("Revelation"));
    QVERIFY(NaveRenderer::bookNameFromAbbreviation(QStringLiteral("Sa")).isEmpty());
    QVERIFY(NaveRenderer::bookNameFromOsis(QStringLiteral("PrAzar")).isEmpty());
}

void TestDictionary::strongsHebrewEntry()
{
    const auto abraham = StrongsEntry::parse(QLatin1Char('H'), QStringLiteral("00085"), QStringLiteral(
        "<entryFree n=\"85\"> \t\t<orth>\u05D0\u05D1\u05E8\u05D4\u05DD</orth><lb/> \t\t<orth rend=\"bold\" type=\"trans\">'abr\u00E2h\u00E2m</orth> "
        "\t\t<pron rend=\"italic\">ab-raw-hawm'</pron><lb/> \t\t<def>Contracted from <ref target=\"StrongsHebrew:1\">H1</ref> "
        "and an unused root (probably meaning to <hi rend=\"italic\">be populous</hi>);<lb/> <hi rend=\"italic\">father of "
        "a multitude</hi>;<lb/> <hi rend=\"italic\">{Abraham}</hi> the later name of <hi rend=\"bold\">Abram:</hi> - "
        "Abraham.</def> \t</entryFree>"));
    QVERIFY(abraham);
    QCOMPARE(abraham->number, QStringLiteral("H85"));
    QCOMPARE(abraham->transliteration, QStringLiteral("'abr\u00E2h\u00E2m"));
    QCOMPARE(abraham->pronunciation, QStringLiteral("ab-raw-hawm'"));
    QCOMPARE(abraham->definition, QStringLiteral("Contracted from H1 and an unused root (probably meaning to be "
                                                 "populous); father of a multitude; Abraham, the later name of Abram"));
    QCOMPARE(abraham->renderings, QStringList{QStringLiteral("Abraham")});
    QVERIFY(abraham->isProperName());

    // Braces stand for the commas of the printed dictionary.
    const auto perish = StrongsEntry::parse(QLatin1Char('H'), QStringLiteral("00006"), QStringLiteral(
        "<entryFree n=\"6\"><orth>\u05D0\u05D1\u05D3</orth><orth rend=\"bold\" type=\"trans\">'\u00E2bad</orth>"
        "<pron rend=\"italic\">aw-bad'</pron><def>A primitive root; properly to <hi rend=\"italic\">wander</hi> {away} "
        "that is <hi rend=\"italic\">lose</hi> oneself: - {break} destroy ({-uction}) + not {escape} {fail} (cause {to} make) "
        "{perish} X {utterly} have no way to flee.</def></entryFree>"));
    QVERIFY(perish);
    QCOMPARE(perish->definition, QStringLiteral("A primitive root; properly to wander away, that is lose oneself"));
    QCOMPARE(perish->renderings,
             (QStringList{QStringLiteral("break"), QStringLiteral("destroy (-uction)"), QStringLiteral("+ not escape"),
                          QStringLiteral("fail"), QStringLiteral("(cause to, make) perish"), QStringLiteral("X utterly"),
                          QStringLiteral("have no way to flee")}));
    QVERIFY(!perish->isProperName());

    // Markers and asides before a rendering do not make it a name.
    StrongsEntry e;
    e.renderings = {QStringLiteral("X (Most, on) high")};
    QVERIFY(!e.isProperName());
    e.renderings = {QStringLiteral("(the) Jehovah"), QStringLiteral("the Lord")};
    QVERIFY(e.isProperName());
    QCOMPARE(e.nameHeadword(), QStringLiteral("JEHOVAH"));
    e.renderings = {QStringLiteral("Xerxes")};
    QVERIFY(e.isProperName());
    e.renderings = {QStringLiteral("Dan also")};
    QCOMPARE(e.nameHeadword(), QStringLiteral("DAN"));
    e.renderings = {QStringLiteral("Ashtoreth Karnaim")};
    QCOMPARE(e.nameHeadword(), QStringLiteral("ASHTORETH KARNAIM"));
    e.renderings = {QStringLiteral("Ishbi-benob [from the margin]")};
    QCOMPARE(e.nameHeadword(), QStringLiteral("ISHBI-BENOB"));
    e.renderings = {QStringLiteral("Juda(-h, -s)"), QStringLiteral("Jude")};
    QCOMPARE(e.nameHeadword(), QStringLiteral("JUDA"));
    e.renderings.clear();
    QVERIFY(!e.isProperName());
    QVERIFY(e.nameHeadword().isEmpty());
}

void TestDictionary::strongsGreekEntry()
{
    const auto aaron = StrongsEntry::parse(QLatin1Char('G'), QStringLiteral("00002"), QStringLiteral(
        "<entryFree n=\"00002\">     <orth>\u1F08\u03B1\u03C1\u03CE\u03BD</orth> <orth type=\"writing\">*)AARW/N</orth>   "
        "<orth rend=\"bold\" type=\"trans\">Aar\u1E53n</orth>    <pron rend=\"italic\">ah-ar-ohn'</pron><lb/> <lb/> "
        "<def><orig>of Hebrew origin (<ref target=\"StrongsGreek:0175\">H0175</ref>);</orig><lb/> Aaron, the brother of "
        "Moses:--Aaron. </def> </entryFree>"));
    QVERIFY(aaron);
    QCOMPARE(aaron->number, QStringLiteral("G2"));
    QCOMPARE(aaron->lemma, QStringLiteral("\u1F08\u03B1\u03C1\u03CE\u03BD"));
    QCOMPARE(aaron->definition, QStringLiteral("of Hebrew origin (H175); Aaron, the brother of Moses"));
    QCOMPARE(aaron->renderings, QStringList{QStringLiteral("Aaron")});
    QVERIFY(aaron->isProperName());

    const auto all = StrongsEntry::parse(QLatin1Char('G'), QStringLiteral("03956"), QStringLiteral(
        "<entryFree n=\"03956\"><orth>\u03C0\u1FB6\u03C2</orth><orth rend=\"bold\" type=\"trans\">p\u00E2s</orth>"
        "<def><orig>apparently a primary word;</orig><lb/> all, any, every, the whole:--all (manner of, means), "
        "alway(-s), any (one), X daily, + ever, whosoever. </def></entryFree>"));
    QVERIFY(all);
    QCOMPARE(all->definition, QStringLiteral("apparently a primary word; all, any, every, the whole"));
    QCOMPARE(all->renderings.size(), 6);
    QCOMPARE(all->renderings.constFirst(), QStringLiteral("all (manner of, means)"));
    QVERIFY(!all->isProperName());

    // Greek "i.e." is written out as the Hebrew dictionary does.
    const auto light = StrongsEntry::parse(QLatin1Char('G'), QStringLiteral("00004"), QStringLiteral(
        "<entryFree n=\"00004\"><def>weightless, i.e. (figuratively) not burdensome:--from being burdensome.</def></entryFree>"));
    QVERIFY(light);
    QCOMPARE(light->definition, QStringLiteral("weightless, that is (figuratively) not burdensome"));

    QVERIFY(!StrongsEntry::parse(QLatin1Char('G'), QStringLiteral("02717"),
                                 QStringLiteral("<entryFree n=\"02717\">   <def>Not Used </def> </entryFree>")));
    QVERIFY(!StrongsEntry::parse(QLatin1Char('G'), QStringLiteral("nonsense"), QStringLiteral("<def>x</def>")));
}

void TestDictionary::strongsOddities()
{
    // "6" for a comma after italics, an osisRef, a stray "See also" without renderings,
    // a spaced possessive and the module's omega for a Hebrew s.
    const auto army = StrongsEntry::parse(QLatin1Char('H'), QStringLiteral("02428"), QStringLiteral(
        "<entryFree><orth rend=\"bold\" type=\"trans\">yi\u03CEr\u00E2'\u00EAl</orth><def>an <hi rend=\"italic\">{army}</hi> "
        "<hi rend=\"italic\">wealth</hi>6<lb/> <hi rend=\"italic\">{virtue}</hi> Hezekiah\u00B4 s mother (see "
        "<ref osisRef=\"Ezek.25.13\">Ezek 25:13</ref>): - See also <ref target=\"StrongsHebrew:5963\">H5963</ref>.</def></entryFree>"));
    QVERIFY(army);
    QCOMPARE(army->transliteration, QStringLiteral("yi\u015Br\u00E2'\u00EAl"));
    QCOMPARE(army->definition, QStringLiteral("an army, wealth, virtue, Hezekiah's mother (see Ezekiel 25:13)"));
    QVERIFY(army->renderings.isEmpty());
    QVERIFY(!army->isProperName());

    // The separator may lack its colon; a sentence after the renderings is no rendering.
    const auto dedan = StrongsEntry::parse(QLatin1Char('H'), QStringLiteral("01719"), QStringLiteral(
        "<def>Of uncertain derivation;<lb/> <hi rend=\"italic\">{Dedan}</hi> the name of two Cushites. The second form "
        "used in <ref osisRef=\"Ezek.25.13\">Ezek 25:13</ref> - Dedan. Perhaps a clerical error.</def>"));
    QVERIFY(dedan);
    QCOMPARE(dedan->renderings, QStringList{QStringLiteral("Dedan")});
    QVERIFY(dedan->definition.endsWith(QLatin1String("used in Ezekiel 25:13")));

    const auto able = StrongsEntry::parse(QLatin1Char('H'), QStringLiteral("03201"), QStringLiteral(
        "<entryFree><orth rend=\"bold\" type=\"trans\">y\u00E2k\u00F4l  y\u00E2k\u00F4l</orth> <pron rend=\"italic\">"
        "{yaw-kole'} yaw-kole'</pron><def>A primitive root; to be able: - be able.</def></entryFree>"));
    QVERIFY(able);
    QCOMPARE(able->transliteration, QStringLiteral("y\u00E2k\u00F4l"));
    QCOMPARE(able->pronunciation, QStringLiteral("yaw-kole'"));
    QVERIFY(dedan->pronunciation.isEmpty());
}

void TestDictionary::strongsNumberNormalisation()
{
    QCOMPARE(StrongsEntry::normalizeNumber(QStringLiteral("H0430")), QStringLiteral("H430"));
    QCOMPARE(StrongsEntry::normalizeNumber(QStringLiteral("G02316")), QStringLiteral("G2316"));
    QCOMPARE(StrongsEntry::normalizeNumber(QStringLiteral("h7225")), QStringLiteral("H7225"));
    QCOMPARE(StrongsEntry::normalizeNumber(QStringLiteral("H1234a")), QStringLiteral("H1234"));
    QCOMPARE(StrongsEntry::normalizeNumber(QStringLiteral("H0")), QStringLiteral("H0"));
    QVERIFY(StrongsEntry::normalizeNumber(QStringLiteral("X12")).isEmpty());
    QVERIFY(StrongsEntry::normalizeNumber(QStringLiteral("H")).isEmpty());
    QVERIFY(StrongsEntry::normalizeNumber(QStringLiteral("H12x3")).isEmpty());
    QVERIFY(StrongsEntry::normalizeNumber(QStringLiteral("strong:H1")).isEmpty());
}

void TestDictionary::concordanceCountsWords()
{
    QCOMPARE(KjvConcordance::tokens(QStringLiteral("¶ And the LORD’S (house), Beth-el; fathers’ -- end.")),
             (QStringList{QStringLiteral("And"), QStringLiteral("the"), QStringLiteral("LORD’S"), QStringLiteral("house"),
                          QStringLiteral("Beth-el"), QStringLiteral("fathers"), QStringLiteral("end")}));

    const QVector<KjvVerse> verses{
        verse(QStringLiteral("Genesis"), 1, 1, {w(QStringLiteral("In")), w(QStringLiteral("the")), w(QStringLiteral("beginning"), QStringLiteral("H7225")),
                                                  w(QStringLiteral("God"), QStringLiteral("H0430"))}),
        verse(QStringLiteral("Genesis"), 1, 2, {w(QStringLiteral("And")), w(QStringLiteral("the")), w(QStringLiteral("earth"), QStringLiteral("H0776"))}),
        verse(QStringLiteral("Genesis"), 1, 3, {w(QStringLiteral("and")), w(QStringLiteral("God"), QStringLiteral("H0430")), w(QStringLiteral("LORD’S"))}),
        verse(QStringLiteral("Genesis"), 1, 4, {w(QStringLiteral("and"))}),
    };
    const KjvConcordance kjv(verses);
    const QVector<KjvConcordance::WordUse> words = kjv.words();
    QStringList order;
    for (const auto &u : words)
        order << u.word;
    // Letter case is ignored for counting; the commoner spelling is shown.
    QCOMPARE(order, (QStringList{QStringLiteral("and"), QStringLiteral("beginning"), QStringLiteral("earth"),
                                 QStringLiteral("God"), QStringLiteral("In"), QStringLiteral("LORD’S"),
                                 QStringLiteral("the")}));
    QCOMPARE(words.at(0).count, 3);
    QCOMPARE(kjv.reference(words.at(0).firstVerse), QStringLiteral("Genesis 1:2"));
    QCOMPARE(words.at(3).count, 2);
    QCOMPARE(kjv.reference(words.at(3).firstVerse), QStringLiteral("Genesis 1:1"));
    QCOMPARE(words.at(6).count, 2);
    QCOMPARE(kjv.reference(words.at(5).firstVerse), QStringLiteral("Genesis 1:3"));
    QVERIFY(kjv.reference(99).isEmpty());

    // Title words count, and say where they stand.
    KjvVerse psalm = verse(QStringLiteral("Psalms"), 4, 1, {w(QStringLiteral("Hear"), QStringLiteral("H6030"))});
    psalm.title = QStringLiteral("To the chief Musician on Neginoth, A Psalm of David.");
    const QVector<KjvVerse> psalms{psalm};
    const KjvConcordance titled(psalms);
    bool found = false;
    for (const auto &u : titled.words()) {
        if (u.word == QLatin1String("Neginoth")) {
            found = true;
            QVERIFY(u.firstInTitle);
            QCOMPARE(titled.titleReference(u.firstVerse), QStringLiteral("Psalms 4 (title)"));
        }
        if (u.word == QLatin1String("Hear"))
            QVERIFY(!u.firstInTitle);
    }
    QVERIFY(found);
    QCOMPARE(titled.words().size(), 11);
    QCOMPARE(titled.tag(QStringLiteral("H6030")).count, 1);
}

void TestDictionary::concordanceTagsAndPhrases()
{
    const QVector<KjvVerse> verses{
        verse(QStringLiteral("John"), 3, 16, tagged(QStringLiteral("For:G1063 God:G2316 loved:G0025 the:G2889 world:G2889 "
                                                                   "he:G1325 gave:G1325 his Son:G5207"))),
        verse(QStringLiteral("Revelation"), 3, 15, tagged(QStringLiteral("thou:G1488 art:G1488 Aaron’s:G0002 world:G2889 I:G3195 will:G3195"))),
        // The article alone, and in a phrase; slipped to its neighbour; "the Spirit" tagged as one.
        verse(QStringLiteral("Matthew"), 22, 44, tagged(QStringLiteral("The LORD:G3588 said:G2036 the:G3588 and the:G4151 Spirit:G4151 "
                                                                       "and the:G3588 same:G3588 and the:G3588 and the:G3588"))),
        // The module tags the last word of a name of two.
        verse(QStringLiteral("Genesis"), 14, 5, tagged(QStringLiteral("in Ashteroth Karnaim:H6255 the Aaron:G0002"))),
    };
    QHash<QString, StrongsEntry> strongs;
    strongs.insert(QStringLiteral("G3588"), StrongsEntry{QStringLiteral("G3588"), {}, {}, {}, {},
                                                          {QStringLiteral("the"), QStringLiteral("the) same"), QStringLiteral("this")}});
    const KjvConcordance kjv(verses, strongs);

    // A phrase tagged once is one use of its number.
    QCOMPARE(kjv.tag(QStringLiteral("G2889")).count, 2);
    QCOMPARE(kjv.reference(kjv.tag(QStringLiteral("G2889")).firstVerse), QStringLiteral("John 3:16"));
    QCOMPARE(kjv.tag(QStringLiteral("G1325")).count, 1);
    QCOMPARE(kjv.tag(QStringLiteral("G0025")).count, 0); // numbers are normalised
    QCOMPARE(kjv.tag(QStringLiteral("G25")).count, 1);
    QCOMPARE(kjv.tag(QStringLiteral("G9999")).count, 0);

    // Capitals count towards names; "I will" has no word that could be one.
    QCOMPARE(kjv.tag(QStringLiteral("G2")).capitalized, 2);
    QCOMPARE(kjv.tag(QStringLiteral("G3195")).capitalized, 0);
    QCOMPARE(kjv.tag(QStringLiteral("G2889")).capitalized, 0);

    const QVector<KjvConcordance::Headword> heads = kjv.headwords();
    QStringList order;
    for (const auto &h : heads)
        order << h.word;
    // Small words take a number alone ("For"), and a phrase's only where they
    // render it alone twice: "the" the article, not "the world" or "the
    // Spirit"; "I will", "thou art" render nothing alone. LORD is no rendering
    // of the article, "same" is one Strong's lists.
    QCOMPARE(order, QStringLiteral("AARON AARON’S FOR GAVE GOD KARNAIM LOVED SAID SAME SON SPIRIT THE WORLD").split(QLatin1Char(' ')));
    const KjvConcordance::Headword *world = findHeadword(heads, QStringLiteral("WORLD"));
    QVERIFY(world);
    QCOMPARE(world->rendered, 2);
    QCOMPARE(world->translations.size(), 1);
    QCOMPARE(world->translations.constFirst().number, QStringLiteral("G2889"));
    const KjvConcordance::Headword *article = findHeadword(heads, QStringLiteral("THE"));
    QCOMPARE(article->translations.size(), 1);
    QCOMPARE(article->translations.constFirst().number, QStringLiteral("G3588"));
    QCOMPARE(article->translations.constFirst().count, 4);
    // The count and first verse are the word's own, tagged or not.
    QCOMPARE(article->use.count, 8);
    QCOMPARE(kjv.firstReference(article->use), QStringLiteral("John 3:16"));
    QCOMPARE(article->use.count, kjv.word(QStringLiteral("THE")).count);

    // A name as the verse prints it: possessives, letter case and hyphens aside.
    QCOMPARE(kjv.nameSpellings(QStringLiteral("G2")), QStringList{QStringLiteral("AARON")});
    QCOMPARE(kjv.nameUse(QStringLiteral("G2"), QStringLiteral("AARON")).count, 2);
    QString printed;
    const KjvConcordance::TagUse karnaim = kjv.nameUse(QStringLiteral("H6255"), QStringLiteral("ashteroth Karnaim"), &printed);
    QCOMPARE(karnaim.count, 1);
    QCOMPARE(kjv.reference(karnaim.firstVerse), QStringLiteral("Genesis 14:5"));
    QCOMPARE(printed, QStringLiteral("ASHTEROTH KARNAIM"));
    QCOMPARE(kjv.nameSpellings(QStringLiteral("H6255")).constFirst(), QStringLiteral("ASHTEROTH KARNAIM"));
    QCOMPARE(kjv.nameUse(QStringLiteral("H6255"), QStringLiteral("ASHTORETH KARNAIM")).count, 0);
}

void TestDictionary::principalTranslations_data()
{
    QTest::addColumn<QList<int>>("counts"); // uses of each Strong's word, most used first
    QTest::addColumn<int>("listed");
    QTest::newRow("only word, once") << QList<int>{1} << 1;
    QTest::newRow("accidents of tagging") << QList<int>{130, 38, 1, 1} << 2;
    QTest::newRow("twice is enough") << QList<int>{500, 2, 1} << 2;
    QTest::newRow("once, but 5% of uses") << QList<int>{17, 2, 1} << 3;
    QTest::newRow("once, under 5% of uses") << QList<int>{18, 2, 1} << 2;
    QTest::newRow("all once, few uses") << QList<int>{1, 1, 1} << 3;
    QTest::newRow("all once, many uses") << QList<int>(21, 1) << 0;
}

void TestDictionary::principalTranslations()
{
    QFETCH(QList<int>, counts);
    QFETCH(int, listed);
    KjvConcordance::Headword h;
    h.word = QStringLiteral("GRACE");
    for (int i = 0; i < counts.size(); ++i) {
        h.translations.push_back({QStringLiteral("G%1").arg(i + 1), counts.at(i), i});
        h.rendered += counts.at(i);
    }
    const QVector<KjvConcordance::Translation> principal = KjvConcordance::principal(h);
    QCOMPARE(principal.size(), listed);
    for (int i = 0; i < listed; ++i)
        QCOMPARE(principal.at(i).number, h.translations.at(i).number);
}

void TestDictionary::buildFromInstalledModules()
{
    SwordSource sword;
    QString error;
    if (!sword.open(&error))
        QSKIP(qPrintable(QStringLiteral("SWORD modules not installed: ") + error));

    const std::optional<QVector<LibraryEntry>> entries = DictionaryBuilder::build(sword, &error);
    QVERIFY2(entries, qPrintable(error));

    QStringList distinct = SubjectLists::load(QStringLiteral("lstJoke"));
    distinct.removeDuplicates();
    QCOMPARE(distinct.size(), 87);
    QCOMPARE(entries->size(), distinct.size());
    QHash<QString, QString> byKey;
    for (qsizetype i = 0; i < entries->size(); ++i) {
        const LibraryEntry &e = entries->at(i);
        QCOMPARE(e.key, distinct.at(i));
        QVERIFY2(e.text.size() >= 500, qPrintable(e.key));
        QVERIFY2(!e.text.contains(QLatin1Char('<')) && !e.text.contains(QLatin1Char('>')), qPrintable(e.key));
        QVERIFY2(!e.text.contains(QRegularExpression(QStringLiteral("&[a-z#0-9]+;"))), qPrintable(e.key));
        byKey.insert(e.key, e.text);
    }

    // Every Nave topic in exactly one record, and no abbreviated reference left.
    const QVector<SwordDictEntry> nave = sword.dictionary(QStringLiteral("Nave"));
    QHash<QString, int> seen;
    const QRegularExpression abbreviated(QStringLiteral(
        "\\b(?:Ge|Ex|Le|Nu|De|Jos|Jud|1Sa|2Sa|1Ki|2Ki|1Ch|2Ch|Ezr|Ne|Es|Pr|Ec|Eze|Da|Ho|Ob|Zep|Zec|Mt|Mr|Lu|Joh|Ac|Ro|"
        "1Co|2Co|Ga|Php|1Th|2Th|1Ti|2Ti|Tit|Phm|1Pe|2Pe|1Jo|2Jo|3Jo|Re) \\d+(?::\\d+)?\\b"));
    for (const QString &key : DictionaryLayout::topicalKeys()) {
        const QString text = byKey.value(key);
        QVERIFY2(!abbreviated.match(text).hasMatch(), qPrintable(key + QLatin1String(": ") + abbreviated.match(text).captured()));
        for (const QString &line : text.split(QLatin1Char('\n')))
            if (!line.isEmpty() && !line.startsWith(QLatin1Char(' ')))
                ++seen[line];
    }
    for (const SwordDictEntry &topic : nave)
        QVERIFY2(seen.value(NaveRenderer::withoutMisprints(topic.key.toUpper())) == 1, qPrintable(topic.key));
    QVERIFY(byKey.value(QStringLiteral("TopicalText Book GOD")).contains(QLatin1String("\nGOD\n")));
    QVERIFY(byKey.value(QStringLiteral("TopicalTextBook CONCERNING GOD")).contains(QLatin1String("\nJESUS, THE CHRIST\n")));
    QVERIFY(byKey.value(QStringLiteral("TopicalTextBook CONERNING REDEMPTION")).contains(QLatin1String("\nATONEMENT\n")));
    QVERIFY(byKey.value(QStringLiteral("TopicalTextBook")).contains(QLatin1String("Matthew 8:20")));

    // Names, word usage and the word dictionary on well-known words.
    const QString names = byKey.value(QStringLiteral("BibleNames A-J"));
    QVERIFY(names.contains(QRegularExpression(QStringLiteral("\nABRAHAM\n    H85 [^\n]*: used \\d+ times, first at Genesis 17:5\n"))));
    QVERIFY(names.contains(QRegularExpression(QStringLiteral("\nJESUS\n(?:    [^\n]*\n)*    G2424 "))));
    QVERIFY(!names.contains(QLatin1String("\n    H430 "))); // "gods": not a name
    QVERIFY(byKey.value(QStringLiteral("BibleNames K-Z")).contains(QLatin1String("\nMOSES\n")));
    QVERIFY(byKey.value(QStringLiteral("WordUsage A-B")).contains(QLatin1String("\nbeginning\n    ")));
    QVERIFY(byKey.value(QStringLiteral("WordUsage A-B")).contains(QRegularExpression(QStringLiteral("\nbeginning\n    \\d+ times; first at Genesis 1:1\n"))));
    QVERIFY(byKey.value(QStringLiteral("WordUsage E- G")).contains(QLatin1String("\nGod\n")));
    QVERIFY(byKey.value(QStringLiteral("BibleDict ABJECTS")).contains(QLatin1String("\nABJECTS\n")));
    QVERIFY(byKey.value(QStringLiteral("BibleDict ABJECTS")).contains(QLatin1String("H5222 ")));
    QVERIFY(byKey.value(QStringLiteral("BibleDict ALPHA")).contains(QLatin1String("\nAARON\n")));
    QVERIFY(!byKey.value(QStringLiteral("BibleDict ALPHA")).contains(QLatin1String("\nABJECTS\n")));

    // A word article lists the words it translates and counts the stray tags,
    // whose uses add up to the total it gives for them.
    const QString glass = byKey.value(QStringLiteral("BibleDict GLASS"));
    const QRegularExpression graceArticle(QStringLiteral("\nGRACE\n    Used \\d+ times; first at Genesis 6:8\n"
                                                         "    Translates [^\n]*, (\\d+) times in all:\n((?:    [^\n]*\n)*)"));
    const QRegularExpressionMatch grace = graceArticle.match(glass);
    QVERIFY2(grace.hasMatch(), "GRACE has no article");
    const QString graceBody = grace.captured(2);
    QVERIFY(graceBody.contains(QLatin1String("    G5485 ")));
    QVERIFY(!graceBody.contains(QLatin1String("    G846 ")));
    int listedUses = 0;
    const QRegularExpression listedLine(QStringLiteral("^    [HG]\\d+[^\n]*: (once|(\\d+) times), first at"),
                                        QRegularExpression::MultilineOption);
    for (auto it = listedLine.globalMatch(graceBody); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        listedUses += m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
    }
    const QRegularExpressionMatch rest = QRegularExpression(QStringLiteral("    and (\\d+) rarer words?, used once")).match(graceBody);
    QVERIFY2(rest.hasMatch(), qPrintable(graceBody));
    QCOMPARE(listedUses + rest.captured(1).toInt(), grace.captured(1).toInt());
}

QTEST_GUILESS_MAIN(TestDictionary)
#include "tst_dictionary.moc"
