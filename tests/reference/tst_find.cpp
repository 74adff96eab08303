// Find beyond the entry on show: the matching rule, Bible references, the
// find index, and the Find buttons reaching a whole panel.

#include "ModalDriver.h"
#include "ReferenceFixture.h"
#include "app/RainButton.h"
#include "app/frmMain.h"
#include "editor/RichTextBox.h"
#include "reference/BibleReference.h"
#include "reference/BoundView.h"
#include "reference/DataSource.h"
#include "reference/SubjectList.h"
#include "reference/TextMatch.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using ReferenceFixture::ChapterRow;
using ReferenceFixture::Row;

namespace {

const QString Genesis = QStringLiteral("Genesis 1-16 (King James Version)\n\n"
                                       "Genesis 1:1 In the beginning God created the heaven and the earth.\n"
                                       "Genesis 1:2 And the earth was without form, and void.\n\n"
                                       "Genesis 2:1 Thus the heavens and the earth were finished.");
const QString John = QStringLiteral("John 1-10 (King James Version)\n\n"
                                    "John 1:1 In the beginning was the Word.\n\n"
                                    "John 3:1 There was a man of the Pharisees, named Nicodemus.\n"
                                    "John 3:16 For God so loved the world, that he gave his only begotten Son.\n"
                                    "John 3:17 For God sent not his Son into the world to condemn the world.");

// Bible records in table order; "(none)" comes first in index order, so
// every list item without a record of its own shows it.
const QList<Row> BibleRows{
    {"Genesis 1-16", Genesis},
    {"(none)", "No section of this name in the fixture."},
    {"1 Timothy", "1 Timothy 1:17 Now unto the King eternal, be honour and glory for ever and ever. Amen."},
    {"1 Corinthians", "1 Corinthians 13:1 Though I speak with the tongues of men and of angels.\n"
                      "1 Corinthians 13:4 Charity suffereth long, and is kind.\n"
                      "1 Corinthians 13:5 Doth not behave itself unseemly.\n"
                      "1 Corinthians 13:6 Rejoiceth not in iniquity.\n"
                      "1 Corinthians 13:7 Beareth all things.\n"
                      "1 Corinthians 13:8 Charity never faileth."},
    {"1 John", "1 John 3:16 Hereby perceive we the love of God."},
    {"Hebrews", "Hebrews 7:1 For this Melchisedec, king of Salem, priest of the most high God."},
    {"John 1-10", John},
    {"Jude", "Jude 1:1 Jude, the servant of Jesus Christ.\nJude 1:2 Mercy unto you.\nJude 1:3 Beloved, when I gave all diligence."},
    {"Psalms 1-33", "Psalms 23:1 [A Psalm of David.] The LORD is my shepherd; I shall not want.\n"
                    "Psalms 23:2 He maketh me to lie down in green pastures."},
    {"Song", "Song of Solomon 2:4 He brought me to the banqueting house, and his banner over me was love."},
    {"Revelation 12-22", "Revelation 22:20 Surely I come quickly. Amen.\n"
                         "Revelation 22:21 The grace of our Lord Jesus Christ be with you all. Amen."},
    {"Exodus 1-12", "Exodus 12:11 Ye shall eat it in haste: it is the LORD\u2019s passover."},
};

QList<ChapterRow> bibleChapters()
{
    QList<ChapterRow> rows;
    const auto book = [&rows](const QString &name, int chapters, const QString &subject) {
        for (int c = 1; c <= chapters; ++c)
            rows.append({name, c, 30, subject});
    };
    book(QStringLiteral("1 Corinthians"), 16, QStringLiteral("1 Corinthians"));
    book(QStringLiteral("1 John"), 5, QStringLiteral("1 John"));
    book(QStringLiteral("Jude"), 1, QStringLiteral("Jude"));
    book(QStringLiteral("Song of Solomon"), 8, QStringLiteral("Song"));
    for (ChapterRow &r : rows)
        if (r.book == QLatin1String("1 Corinthians") && r.chapter == 13)
            r.verses = 13;
    for (int c = 1; c <= 21; ++c)
        rows.append({QStringLiteral("John"), c, c == 3 ? 36 : 40, c <= 10 ? QStringLiteral("John 1-10") : QStringLiteral("John 11-21")});
    for (int c = 1; c <= 150; ++c)
        rows.append({QStringLiteral("Psalms"), c, 6, c <= 33 ? QStringLiteral("Psalms 1-33") : QStringLiteral("Psalms 34-68")});
    for (int c = 12; c <= 22; ++c)
        rows.append({QStringLiteral("Revelation"), c, 21, QStringLiteral("Revelation 12-22")});
    return rows;
}

const QList<Row> JokeRows{
    {"BibleNames A-J", "BIBLE NAMES: A to J\n\nAARON\n    H175 'ah\u0103r\u00f4n (a-har-one'): the brother of Moses\n\nABEL\n    breath"},
    {"BibleNames K-Z", "BIBLE NAMES: K to Z\n\nKORAH\n    baldness; a cousin of Moses\n\nMOSES\n    drawn out of the water"},
    {"WordUsage A-B", "WORD USAGE: A to B\n\nabide\n    first at Genesis 19:2"},
    {"TopicalTextBook", "NAVE'S TOPICAL BIBLE\n\nGRACE\n    Growth in grace"},
    {"BibleDict ALPHA", "{\\rtf1\\ansi {\\b ALPHA} the first letter, beside Om{\\b ega}}"},
    {"(none)", "No range of this name in the fixture."},
};

int rowOf(const SubjectList *list, const QString &text)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text)
            return i;
    return -1;
}

} // namespace

class tst_Find : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void matchRule_data();
    void matchRule();
    void lineRule_data();
    void lineRule();
    void parsesReferences_data();
    void parsesReferences();
    void everyBookByNameAndAbbreviation_data();
    void everyBookByNameAndAbbreviation();
    void findIndexRulesOutOnlyEntriesWithoutTheText_data();
    void findIndexRulesOutOnlyEntriesWithoutTheText();

    void findReachesThePanel_data();
    void findReachesThePanel();
    void referencesGoToTheirVerses_data();
    void referencesGoToTheirVerses();
    void jumpIsALookupThroughTheList();
    void findSearchesTheWholeOfALongEntry();
    void findNextGoesOnDownThePanel_data();
    void findNextGoesOnDownThePanel();
    void quoteStylesMatchInEveryBox_data();
    void quoteStylesMatchInEveryBox();

private:
    void openWindow(bool indexed);

    QTemporaryDir m_indexed; // with the importer's find tables
    QTemporaryDir m_plain;   // without them
    std::unique_ptr<frmMain> m_main;
};

void tst_Find::initTestCase()
{
    for (QTemporaryDir *dir : {&m_indexed, &m_plain}) {
        QVERIFY(dir->isValid());
        QVERIFY(ReferenceFixture::write(dir->filePath("bible.db"), ReferenceSchema::Bible, BibleRows));
        QVERIFY(ReferenceFixture::write(dir->filePath("joke.db"), ReferenceSchema::Joke, JokeRows));
        QVERIFY(ReferenceFixture::write(dir->filePath("quote.db"), ReferenceSchema::Quote, {{"Cats", "cats"}}));
        QVERIFY(ReferenceFixture::write(dir->filePath("sermon.db"), ReferenceSchema::Sermon, {{"Title, The", "title"}}));
    }
    QVERIFY(ReferenceFixture::addFindTables(m_indexed.filePath("bible.db"), ReferenceSchema::Bible, bibleChapters()));
    QVERIFY(ReferenceFixture::addFindTables(m_indexed.filePath("joke.db"), ReferenceSchema::Joke, {}));
}

void tst_Find::cleanup()
{
    m_main.reset();
}

void tst_Find::openWindow(bool indexed)
{
    m_main = std::make_unique<frmMain>((indexed ? m_indexed : m_plain).path());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QApplication::setActiveWindow(m_main.get());
}

void tst_Find::matchRule_data()
{
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("expected");

    QTest::newRow("case") << "In the Beginning" << "BEGINNING" << 0 << 7;
    QTest::newRow("inside a word") << "the Godhead" << "godh" << 0 << 4;
    QTest::newRow("typed ' finds \u2019") << "the LORD\u2019s passover" << "lord's" << 0 << 4;
    QTest::newRow("typed \u2019 finds '") << "H175 'ah (a-har-one')" << "\u2019ah" << 0 << 5;
    QTest::newRow("\u2018 and \u2019 are one") << "\u2018Tis" << "\u2019tis" << 0 << 0;
    QTest::newRow("typed \" finds \u201c \u201d") << "said, \u201cGrace.\u201d" << "\"grace.\"" << 0 << 6;
    QTest::newRow("typed \u201c finds \"") << "said, \"Grace.\"" << "\u201dgrace" << 0 << 6;
    QTest::newRow("apostrophe is no quotation mark") << "it\u2019s" << "it\"s" << 0 << -1;
    QTest::newRow("from skips") << "Amen. Amen." << "amen" << 1 << 6;
    QTest::newRow("from at the end") << "Amen" << "amen" << 4 << -1;
    QTest::newRow("empty needle") << "Amen" << "" << 0 << -1;
    // A letter outside the basic plane folds too, and positions stay put.
    QTest::newRow("surrogate pair") << "\U00010400x \U00010400" << "\U00010428" << 1 << 4;
    QTest::newRow("Greek") << "\u039c\u03a9\u03a3\u0397\u03a3 M\u014dse\u00fas" << "\u03bc\u03c9\u03c3\u03b7\u03c3" << 0 << 0;
}

void tst_Find::matchRule()
{
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(int, from);
    QFETCH(int, expected);
    QCOMPARE(TextMatch::indexIn(haystack, needle, from), qsizetype(expected));
    QCOMPARE(TextMatch::folded(haystack).size(), haystack.size());
}

void tst_Find::lineRule_data()
{
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("expected");

    QTest::newRow("a line between others") << "Moses and\nMOSES\nX" << "moses" << 10;
    QTest::newRow("the first line") << "MOSES\nMoses" << "moses" << 0;
    QTest::newRow("the last line") << "a Moses\nMOSES" << "moses" << 8;
    QTest::newRow("the whole text") << "Moses" << "MOSES" << 0;
    QTest::newRow("longer line") << "MOSESES\nx MOSES" << "moses" << -1;
    QTest::newRow("indented") << "x\n    MOSES\n" << "moses" << -1;
    QTest::newRow("apostrophe style") << "x\nBEN\u2019S\n" << "ben's" << 2;
}

void tst_Find::lineRule()
{
    QFETCH(QString, haystack);
    QFETCH(QString, line);
    QFETCH(int, expected);
    QCOMPARE(TextMatch::indexOfLine(haystack, TextMatch::folded(line)), qsizetype(expected));
}

void tst_Find::parsesReferences_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reference"); // empty: not a reference

    QTest::newRow("book chapter verse") << "John 3:16" << "John 3:16";
    QTest::newRow("abbreviation, small letters") << "jn 3:16" << "John 3:16";
    QTest::newRow("numbered, range") << "1 Cor 13:4-7" << "1 Corinthians 13:4-7";
    QTest::newRow("number touching the name") << "1Co 13" << "1 Corinthians 13";
    QTest::newRow("chapter only") << "Ps 23" << "Psalms 23";
    QTest::newRow("singular psalm") << "Psalm 119:105" << "Psalms 119:105";
    QTest::newRow("name of several words") << "Song of Solomon 2:4" << "Song of Solomon 2:4";
    QTest::newRow("full stop and blanks") << "  Rev.  22 : 21 " << "Revelation 22:21";
    QTest::newRow("capitals") << "GEN 1:1" << "Genesis 1:1";
    QTest::newRow("roman number") << "II Kings 2:11" << "2 Kings 2:11";
    QTest::newRow("ordinal word") << "First Peter 1:3" << "1 Peter 1:3";
    QTest::newRow("dash in a range") << "Matt 5:3\u20135" << "Matthew 5:3-5";
    QTest::newRow("one-chapter book: a verse") << "Jude 3" << "Jude 1:3";
    QTest::newRow("one-chapter book, numbered") << "3 John 4" << "3 John 1:4";
    QTest::newRow("one-chapter book, chapter 1") << "Philemon 1" << "Philemon 1";
    QTest::newRow("chapter the text lacks parses") << "Jude 2:1" << "Jude 2:1";
    QTest::newRow("the list's spelling") << "Exra 3" << "Ezra 3";
    QTest::newRow("plain word") << "Melchisedec" << "";
    QTest::newRow("book alone") << "Romans" << "";
    QTest::newRow("number of an unnumbered book") << "2 Genesis 1" << "";
    QTest::newRow("unknown book") << "Hezekiah 3:1" << "";
    QTest::newRow("chapter 0") << "John 0:1" << "";
    QTest::newRow("verse 0") << "John 3:0" << "";
    QTest::newRow("range backwards") << "John 3:17-16" << "";
    QTest::newRow("words after") << "John 3:16 for God" << "";
    QTest::newRow("empty") << "" << "";
}

void tst_Find::parsesReferences()
{
    QFETCH(QString, typed);
    QFETCH(QString, reference);
    const std::optional<BibleReference> ref = BibleReference::parse(typed);
    QCOMPARE(ref ? ref->text() : QString(), reference);
}

void tst_Find::everyBookByNameAndAbbreviation_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<QStringList>("abbreviations");
    // The KJV's books in order, with abbreviations readers commonly write.
    const char *const books[][4] = {
        {"Genesis", "Gen", "Gn", nullptr},       {"Exodus", "Exod", "Ex", nullptr},
        {"Leviticus", "Lev", "Lv", nullptr},     {"Numbers", "Num", "Nm", nullptr},
        {"Deuteronomy", "Deut", "Dt", nullptr},  {"Joshua", "Josh", "Jos", nullptr},
        {"Judges", "Judg", "Jdg", nullptr},      {"Ruth", "Ru", "Rth", nullptr},
        {"1 Samuel", "1 Sam", "1Sa", "I Sam"},   {"2 Samuel", "2 Sam", "2Sm", "II Sam"},
        {"1 Kings", "1 Kgs", "1Ki", nullptr},    {"2 Kings", "2 Kgs", "2Ki", nullptr},
        {"1 Chronicles", "1 Chron", "1Ch", nullptr}, {"2 Chronicles", "2 Chr", "2Chron", nullptr},
        {"Ezra", "Ezr", nullptr, nullptr},       {"Nehemiah", "Neh", "Ne", nullptr},
        {"Esther", "Esth", "Est", nullptr},      {"Job", "Jb", nullptr, nullptr},
        {"Psalms", "Ps", "Psa", "Psalm"},        {"Proverbs", "Prov", "Pr", nullptr},
        {"Ecclesiastes", "Eccl", "Eccles", nullptr}, {"Song of Solomon", "Song", "Song of Songs", "SoS"},
        {"Isaiah", "Isa", "Is", nullptr},        {"Jeremiah", "Jer", "Jr", nullptr},
        {"Lamentations", "Lam", "La", nullptr},  {"Ezekiel", "Ezek", "Eze", nullptr},
        {"Daniel", "Dan", "Dn", nullptr},        {"Hosea", "Hos", "Ho", nullptr},
        {"Joel", "Jl", nullptr, nullptr},        {"Amos", "Am", nullptr, nullptr},
        {"Obadiah", "Obad", "Ob", nullptr},      {"Jonah", "Jon", "Jnh", nullptr},
        {"Micah", "Mic", "Mc", nullptr},         {"Nahum", "Nah", "Na", nullptr},
        {"Habakkuk", "Hab", "Hb", nullptr},      {"Zephaniah", "Zeph", "Zep", nullptr},
        {"Haggai", "Hag", "Hg", nullptr},        {"Zechariah", "Zech", "Zec", nullptr},
        {"Malachi", "Mal", "Ml", nullptr},       {"Matthew", "Matt", "Mt", nullptr},
        {"Mark", "Mk", "Mrk", nullptr},          {"Luke", "Lk", "Luk", nullptr},
        {"John", "Jn", "Jhn", nullptr},          {"Acts", "Ac", "Act", nullptr},
        {"Romans", "Rom", "Ro", nullptr},        {"1 Corinthians", "1 Cor", "1Co", "I Cor"},
        {"2 Corinthians", "2 Cor", "2Co", nullptr}, {"Galatians", "Gal", "Ga", nullptr},
        {"Ephesians", "Eph", "Ephes", nullptr},  {"Philippians", "Phil", "Php", nullptr},
        {"Colossians", "Col", nullptr, nullptr}, {"1 Thessalonians", "1 Thess", "1Th", nullptr},
        {"2 Thessalonians", "2 Thess", "2Th", nullptr}, {"1 Timothy", "1 Tim", "1Ti", nullptr},
        {"2 Timothy", "2 Tim", "2Ti", nullptr},  {"Titus", "Tit", nullptr, nullptr},
        {"Philemon", "Philem", "Phm", nullptr},  {"Hebrews", "Heb", nullptr, nullptr},
        {"James", "Jas", "Jm", nullptr},         {"1 Peter", "1 Pet", "1Pt", nullptr},
        {"2 Peter", "2 Pet", "2Pe", nullptr},    {"1 John", "1 Jn", "1Jhn", "I John"},
        {"2 John", "2 Jn", "2Jn", nullptr},      {"3 John", "3 Jn", "3Jhn", "III John"},
        {"Jude", "Jud", "Jd", nullptr},          {"Revelation", "Rev", "Rv", nullptr},
    };
    QStringList names;
    for (const auto &b : books) {
        QStringList abbreviations;
        for (int i = 1; i < 4 && b[i]; ++i)
            abbreviations << QString::fromLatin1(b[i]);
        names << QString::fromLatin1(b[0]);
        QTest::newRow(b[0]) << names.constLast() << abbreviations;
    }
    // The parser's table is the same list, in the same order.
    QCOMPARE(BibleReference::bookNames(), names);
}

void tst_Find::everyBookByNameAndAbbreviation()
{
    QFETCH(QString, book);
    QFETCH(QStringList, abbreviations);
    for (const QString &name : QStringList{book, book.toUpper()} + abbreviations) {
        for (const QString &typed : {name + QStringLiteral(" 1:2"), name + QStringLiteral(". 1:2")}) {
            const std::optional<BibleReference> ref = BibleReference::parse(typed);
            QVERIFY2(ref, qPrintable(typed));
            QCOMPARE(ref->book, book);
            QCOMPARE(ref->chapter, 1);
            QCOMPARE(ref->firstVerse, 2);
        }
    }
}

void tst_Find::findIndexRulesOutOnlyEntriesWithoutTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ruledOut"); // how many of the 12 records at least

    QTest::newRow("one record") << "melchisedec" << 11;
    QTest::newRow("other apostrophe") << "lord's pass" << 11;
    QTest::newRow("blanks and capitals") << "THE WORLD, THAT" << 11;
    QTest::newRow("quotation mark in the text") << "\"x\"" << 12;
    QTest::newRow("everywhere") << "the" << 0;
    QTest::newRow("too short to tell") << "zq" << 0;
}

void tst_Find::findIndexRulesOutOnlyEntriesWithoutTheText()
{
    QFETCH(QString, text);
    QFETCH(int, ruledOut);
    DataSource indexed;
    DataSource plain;
    QVERIFY(indexed.open(m_indexed.filePath("bible.db"), ReferenceSchema::Bible));
    QVERIFY(plain.open(m_plain.filePath("bible.db"), ReferenceSchema::Bible));
    const QString folded = TextMatch::folded(text);
    const QSet<qint64> without = indexed.rowsWithout(folded);
    QVERIFY2(without.size() >= ruledOut, qPrintable(QString::number(without.size())));
    for (qint64 id : without)
        QVERIFY2(TextMatch::indexIn(indexed.entryAt(id), text) < 0, qPrintable(indexed.entryAt(id)));
    QVERIFY(plain.rowsWithout(folded).isEmpty());
}

void tst_Find::findReachesThePanel_data()
{
    QTest::addColumn<bool>("indexed");
    QTest::addColumn<bool>("dictionary");
    QTest::addColumn<QString>("from");     // list item chosen first; empty: none, as at start
    QTest::addColumn<QString>("prior");    // found first, leaving Find's own selection
    QTest::addColumn<int>("userStart");    // a selection the user makes; -1 none
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("item");     // the item shown after; empty: unchanged, "Text Not Found"
    QTest::addColumn<QString>("selected");

    for (const bool indexed : {true, false}) {
        const auto row = [indexed](const char *name) {
            return &QTest::newRow(qPrintable(QLatin1String(name) + (indexed ? " (index)" : " (no index)")));
        };
        *row("in the current entry") << indexed << false << "Genesis 1-16" << "" << -1 << "beginning"
                                     << "Genesis 1-16" << "beginning";
        *row("in a later entry") << indexed << false << "Genesis 1-16" << "" << -1 << "melchisedec" << "Hebrews"
                                 << "Melchisedec";
        *row("the first later one") << indexed << false << "Genesis 1-16" << "" << -1 << "amen"
                                    << "Revelation 12-22" << "Amen";
        *row("in an earlier entry") << indexed << false << "Song" << "" << -1 << "Amen" << "1 Timothy" << "Amen";
        *row("nowhere") << indexed << false << "Genesis 1-16" << "" << -1 << "Nineveh" << "" << "";
        *row("not beyond a user's selection") << indexed << false << "Genesis 1-16" << "" << 0 << "Melchisedec"
                                               << "" << "";
        *row("beyond Find's own selection") << indexed << false << "Genesis 1-16" << "earth" << -1
                                             << "Melchisedec" << "Hebrews" << "Melchisedec";
        *row("rest of the entry first") << indexed << false << "Genesis 1-16" << "heaven" << -1 << "void"
                                         << "Genesis 1-16" << "void";
        *row("from the top at start") << indexed << false << "" << "" << -1 << "priest" << "Hebrews" << "priest";
        *row("dictionary, from the top") << indexed << true << "WordUsage A-B" << "" << -1 << "Moses"
                                          << "BibleNames K-Z" << "MOSES";
        // A headword goes to its article, before the words found on the way.
        *row("dictionary, headword in a later entry") << indexed << true << "BibleNames A-J" << "" << -1 << "Moses"
                                                       << "BibleNames K-Z" << "MOSES";
        *row("dictionary, headword in the entry on show") << indexed << true << "BibleNames K-Z" << "" << -1
                                                           << "moses" << "BibleNames K-Z" << "MOSES";
        *row("dictionary, headword inside a user's selection") << indexed << true << "BibleNames A-J" << "" << 70
                                                                << "moses" << "BibleNames A-J" << "Moses";
        *row("dictionary, in the entry on show") << indexed << true << "BibleNames A-J" << "" << -1 << "breath"
                                                  << "BibleNames A-J" << "breath";
        *row("dictionary, repeated items once") << indexed << true << "BibleNames K-Z" << "" << -1
                                                 << "growth in" << "TopicalTextBook" << "Growth in";
        *row("dictionary, formatted entry") << indexed << true << "BibleNames A-J" << "" << -1 << "omega"
                                             << "BibleDict ALPHA" << "Omega";
    }
    // A reference goes to its verse over whatever the user selected.
    QTest::newRow("reference over a user's selection") << true << false << "Genesis 1-16" << "" << 0 << "jn 3:16"
                                                       << "John 1-10" << John.section(QLatin1Char('\n'), 5, 5);
    // Without the file's chapter list a reference is only text.
    QTest::newRow("reference without a chapter list") << false << false << "Genesis 1-16" << "" << -1 << "jn 3:16"
                                                      << "" << "";
}

void tst_Find::findReachesThePanel()
{
    QFETCH(bool, indexed);
    QFETCH(bool, dictionary);
    QFETCH(QString, from);
    QFETCH(QString, prior);
    QFETCH(int, userStart);
    QFETCH(QString, text);
    QFETCH(QString, item);
    QFETCH(QString, selected);

    openWindow(indexed);
    SubjectList *list = dictionary ? m_main->lstJoke : m_main->lstBible;
    RichTextBox *view = dictionary ? m_main->RichTextBox5 : m_main->RichTextBox2;
    QLineEdit *box = dictionary ? m_main->txtTextBox2 : m_main->txtTextBox1;
    RainButton *find = dictionary ? m_main->rnbFind2 : m_main->rnbFind1;
    if (!from.isEmpty())
        list->setCurrentRow(rowOf(list, from));
    ModalDriver driver;
    if (!prior.isEmpty()) {
        box->setText(prior);
        driver.answer(QMessageBox::Ok);
        find->click();
        QCOMPARE(view->SelText(), prior);
    }
    if (userStart >= 0)
        view->setSelection(userStart, 10);
    const int rowBefore = list->currentRow();
    const QString textBefore = view->Text();
    const int selStart = view->SelStart();
    const int selLength = view->SelLength();

    box->setText(QStringLiteral(" ") + text); // the box's first blank, left in front
    driver.answer(QMessageBox::Ok);
    find->click();
    QTest::qWait(30);
    driver.stop();
    QCOMPARE(m_main->focusWidget(), view);
    if (item.isEmpty()) {
        QCOMPARE(driver.seen(), 1);
        QCOMPARE(driver.texts.constLast(), QStringLiteral("End of Document\rText Not Found"));
        QCOMPARE(list->currentRow(), rowBefore);
        QCOMPARE(view->Text(), textBefore);
        QCOMPARE(view->SelStart(), selStart);
        QCOMPARE(view->SelLength(), selLength);
        return;
    }
    QCOMPARE(driver.seen(), 0);
    QCOMPARE(list->currentRow(), rowOf(list, item)); // the first of equal items
    QCOMPARE(view->SelText(), selected);
    QCOMPARE(view->SelStart(), int(view->Text().indexOf(selected)));
}

void tst_Find::referencesGoToTheirVerses_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("item");     // empty: nothing moves, and a message
    QTest::addColumn<QString>("selected"); // or the message

    QTest::newRow("jn 3:16") << "Genesis 1-16" << "jn 3:16" << "John 1-10"
                             << "John 3:16 For God so loved the world, that he gave his only begotten Son.";
    QTest::newRow("in the entry on show") << "John 1-10" << "John 3:16-17" << "John 1-10"
                                          << John.section(QLatin1Char('\n'), 5, 6);
    QTest::newRow("John, not 1 John") << "1 John" << "John 3:16" << "John 1-10"
                                      << John.section(QLatin1Char('\n'), 5, 5);
    QTest::newRow("range") << "Genesis 1-16" << "1 Cor 13:4-7" << "1 Corinthians"
                           << BibleRows.at(3).entry.section(QLatin1Char('\n'), 1, 4);
    QTest::newRow("chapter: its first verse") << "Genesis 1-16" << "1Co 13" << "1 Corinthians"
                                              << BibleRows.at(3).entry.section(QLatin1Char('\n'), 0, 0);
    QTest::newRow("psalm") << "Genesis 1-16" << "Ps 23" << "Psalms 1-33"
                           << BibleRows.at(8).entry.section(QLatin1Char('\n'), 0, 0);
    QTest::newRow("book of several words") << "Genesis 1-16" << "Song of Solomon 2:4" << "Song"
                                           << BibleRows.at(9).entry;
    QTest::newRow("last verse") << "Genesis 1-16" << "Rev 22:21" << "Revelation 12-22"
                                << BibleRows.at(10).entry.section(QLatin1Char('\n'), 1, 1);
    QTest::newRow("one-chapter book") << "Genesis 1-16" << "Jude 3" << "Jude"
                                      << BibleRows.at(7).entry.section(QLatin1Char('\n'), 2, 2);
    QTest::newRow("no such chapter") << "Genesis 1-16" << "John 22:1" << ""
                                     << "There is no John 22:1 in the Bible: John has 21 chapters.";
    QTest::newRow("one chapter only") << "Genesis 1-16" << "Jude 2:1" << ""
                                      << "There is no Jude 2:1 in the Bible: Jude has only one chapter.";
    QTest::newRow("no such verse") << "John 1-10" << "John 3:37" << ""
                                   << "There is no John 3:37 in the Bible: John 3 has 36 verses.";
    QTest::newRow("range past the chapter") << "Genesis 1-16" << "1 Cor 13:12-14" << ""
                                            << "There is no 1 Corinthians 13:12-14 in the Bible: 1 Corinthians 13 has 13 verses.";
}

void tst_Find::referencesGoToTheirVerses()
{
    QFETCH(QString, from);
    QFETCH(QString, typed);
    QFETCH(QString, item);
    QFETCH(QString, selected);

    openWindow(true);
    m_main->lstBible->setCurrentRow(rowOf(m_main->lstBible, from));
    RichTextBox *view = m_main->RichTextBox2;
    view->setSelection(3, 0);
    m_main->txtTextBox1->setText(typed);
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    m_main->rnbFind1->click();
    QTest::qWait(30);
    driver.stop();
    QCOMPARE(m_main->focusWidget(), view);
    if (item.isEmpty()) {
        QCOMPARE(driver.seen(), 1);
        QCOMPARE(driver.texts.constLast(), selected);
        QCOMPARE(driver.titles.constLast(), QStringLiteral("Vellumor"));
        QCOMPARE(m_main->strBibleSubject, from);
        QCOMPARE(view->SelStart(), 3);
        QCOMPARE(view->SelLength(), 0);
        return;
    }
    QCOMPARE(driver.seen(), 0);
    QCOMPARE(m_main->lstBible->currentItem()->text(), item);
    QCOMPARE(view->SelText(), selected);
    QCOMPARE(view->SelStart(), int(view->Text().indexOf(selected)));
}

void tst_Find::findSearchesTheWholeOfALongEntry()
{
    // A long entry not prepared ahead shows its beginning first; Find pressed
    // at once must still search all of it, not move on to another entry.
    QTemporaryDir dir;
    const QString tail = QStringLiteral("Selah at the very end.\n");
    const QString longEntry = ReferenceFixture::versesOfSize(BoundView::MaxBytesBuiltAtOnce + 100'000, "Job") + tail;
    QVERIFY(ReferenceFixture::write(dir.filePath("bible.db"), ReferenceSchema::Bible,
                                    {{"Genesis 1-16", "In the beginning"}, {"Hosea", "Selah elsewhere"},
                                     {"Job 1-22", longEntry}}));
    for (const ReferenceSchema::Table &t : {ReferenceSchema::Joke, ReferenceSchema::Quote, ReferenceSchema::Sermon})
        QVERIFY(ReferenceFixture::write(dir.filePath(QString::fromLatin1(t.file.data(), qsizetype(t.file.size()))), t,
                                        {{"subject", "entry"}}));
    m_main = std::make_unique<frmMain>(dir.path());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));

    SubjectList *list = m_main->lstBible;
    list->setCurrentRow(rowOf(list, QStringLiteral("Job 1-22")));
    m_main->txtTextBox1->setText(QStringLiteral("Selah"));
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    m_main->rnbFind1->click();
    QCOMPARE(driver.seen(), 0);
    driver.stop();
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Job 1-22"));
    QCOMPARE(m_main->RichTextBox2->SelStart(), int(longEntry.size() - tail.size()));
}

void tst_Find::jumpIsALookupThroughTheList()
{
    openWindow(true);
    SubjectList *list = m_main->lstBible;
    RichTextBox *view = m_main->RichTextBox2;
    list->setCurrentRow(rowOf(list, QStringLiteral("Genesis 1-16")));
    // A view too short for the whole entry, so that scrolling shows.
    view->setFixedHeight(3 * view->fontMetrics().height());
    QTest::qWait(20);

    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    m_main->txtTextBox1->setText(QStringLiteral("jn 3:16"));
    m_main->rnbFind1->click();
    QCOMPARE(driver.seen(), 0);
    driver.stop();
    QListWidgetItem *item = list->currentItem();
    QCOMPARE(item->text(), QStringLiteral("John 1-10"));
    QVERIFY(item->isSelected());
    QVERIFY(list->viewport()->rect().contains(list->visualItemRect(item).center()));
    QCOMPARE(m_main->strBibleSubject, QStringLiteral("John 1-10"));
    QCOMPARE(m_main->databible->currentIndex(), QStringLiteral("books"));
    QCOMPARE(view->Text(), John);
    QVERIFY(view->hasFocus());
    QTextCursor start = view->textCursor();
    start.setPosition(start.selectionStart());
    QVERIFY(view->viewport()->rect().contains(view->cursorRect(start).center()));

    // Find Next goes on inside the entry now shown.
    m_main->txtTextBox1->setText(QStringLiteral("god"));
    m_main->rnbFindNext1->click();
    QCOMPARE(view->SelStart(), int(John.indexOf(QLatin1String("God so"))));
    // Back through the list: the lookup of the item the user picks.
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(m_main->strBibleSubject, list->item(rowOf(list, QStringLiteral("John 1-10")) - 1)->text());
}

void tst_Find::findNextGoesOnDownThePanel_data()
{
    QTest::addColumn<bool>("indexed");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("text"); // as typed: Find Next keeps leading blanks
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("item");   // the entry shown after
    QTest::addColumn<int>("occurrence"); // which of its occurrences is selected; -1 none

    for (const bool indexed : {true, false}) {
        const char *index = indexed ? "index" : "no index";
        QTest::addRow("inside the entry first, %s", index) << indexed << "Revelation 12-22" << "amen" << 2 << "Revelation 12-22" << 1;
        QTest::addRow("then the next entry, %s", index) << indexed << "1 Timothy" << "Amen" << 2 << "Revelation 12-22" << 0;
        QTest::addRow("over entries without it, %s", index) << indexed << "Genesis 1-16" << "melchisedec" << 1 << "Hebrews" << 0;
        QTest::addRow("stays after the last, %s", index) << indexed << "1 Timothy" << "amen" << 5 << "Revelation 12-22" << 1;
        QTest::addRow("never from the top, %s", index) << indexed << "Revelation 12-22" << "Melchisedec" << 1 << "Revelation 12-22" << -1;
        QTest::addRow("leading blank kept, %s", index) << indexed << "Genesis 1-16" << " priest" << 1 << "Hebrews" << 0;
        QTest::addRow("dictionary, %s", index) << indexed << "BibleNames A-J" << "moses" << 2 << "BibleNames K-Z" << 0;
    }
}

void tst_Find::findNextGoesOnDownThePanel()
{
    QFETCH(bool, indexed);
    QFETCH(QString, from);
    QFETCH(QString, text);
    QFETCH(int, presses);
    QFETCH(QString, item);
    QFETCH(int, occurrence);
    openWindow(indexed);
    const bool dictionary = from.startsWith(QLatin1String("BibleNames"));
    SubjectList *list = dictionary ? m_main->lstJoke : m_main->lstBible;
    RichTextBox *view = dictionary ? m_main->RichTextBox5 : m_main->RichTextBox2;
    list->setCurrentRow(rowOf(list, from));
    view->setSelection(0, 0);
    (dictionary ? m_main->txtTextBox2 : m_main->txtTextBox1)->setText(text);
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    for (int i = 0; i < presses; ++i)
        (dictionary ? m_main->rnbFindNext2 : m_main->rnbFindNext1)->click();
    driver.stop();
    QCOMPARE(driver.seen(), 0);
    QCOMPARE(list->currentItem()->text(), item);
    qsizetype at = -1;
    for (int i = 0; i <= occurrence; ++i)
        at = TextMatch::indexIn(view->Text(), text, at + 1);
    QCOMPARE(view->SelStart(), occurrence < 0 ? 0 : int(at));
    QCOMPARE(view->SelLength(), occurrence < 0 ? 0 : int(text.size()));
}

void tst_Find::quoteStylesMatchInEveryBox_data()
{
    QTest::addColumn<int>("box"); // 1 Bible, 2 dictionary, 3 document
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("found");

    QTest::newRow("Bible, typed '") << 1 << "" << "lord's passover" << "LORD\u2019s passover";
    QTest::newRow("dictionary, typed \u2019") << 2 << "" << "\u2019ah\u0103r\u00f4n" << "'ah\u0103r\u00f4n";
    QTest::newRow("document, typed \"") << 3 << "He said, \u201cGrace be with you.\u201d It\u2019s so." << "\"grace be"
                                         << "\u201cGrace be";
    QTest::newRow("document, typed \u2018 \u201c") << 3 << "Amen. It's \"plain\"." << "it\u2018s \u201cplain\u201d"
                                                 << "It's \"plain\"";
}

void tst_Find::quoteStylesMatchInEveryBox()
{
    QFETCH(int, box);
    QFETCH(QString, document);
    QFETCH(QString, typed);
    QFETCH(QString, found);

    openWindow(true);
    RichTextBox *const views[] = {m_main->RichTextBox2, m_main->RichTextBox5, m_main->RichTextBox1};
    QLineEdit *const boxes[] = {m_main->txtTextBox1, m_main->txtTextBox2, m_main->txtTextBox3};
    RainButton *const finds[] = {m_main->rnbFind1, m_main->rnbFind2, m_main->rnbFind3};
    RainButton *const nexts[] = {m_main->rnbFindNext1, m_main->rnbFindNext2, m_main->rnbFindNext3};
    RichTextBox *view = views[box - 1];
    if (box == 1)
        m_main->lstBible->setCurrentRow(rowOf(m_main->lstBible, QStringLiteral("Exodus 1-12")));
    else if (box == 2)
        m_main->lstJoke->setCurrentRow(rowOf(m_main->lstJoke, QStringLiteral("BibleNames A-J")));
    else
        view->SetText(document);
    const int at = int(view->Text().indexOf(found));
    QVERIFY(at > 0);

    boxes[box - 1]->setText(typed);
    ModalDriver driver;
    driver.answer(QMessageBox::Ok);
    finds[box - 1]->click();
    QCOMPARE(view->SelStart(), at);
    QCOMPARE(view->SelText(), found);
    view->setSelection(0, 0);
    nexts[box - 1]->click();
    QCOMPARE(view->SelStart(), at);
    QCOMPARE(view->SelText(), found);
    QTest::qWait(20);
    driver.stop();
    QCOMPARE(driver.seen(), 0);
}

QTEST_MAIN(tst_Find)
#include "tst_find.moc"
