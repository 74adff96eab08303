#include "reference/BibleReference.h"

#include <QHash>
#include <QRegularExpression>

#include <array>
#include <initializer_list>

namespace {

struct Book {
    int number;       // 1, 2, 3 for the numbered books, else 0
    const char *name; // without the number, as the KJV text writes it
    bool oneChapter;
    std::initializer_list<const char *> abbreviations; // without the number
};

// The one table of book names: canonical order, the name the Bible text
// uses, and the abbreviations readers write (with or without a full stop).
// The list's own spellings ("Exra", "Obediah") are taken too.
const std::array<Book, 66> Books{{
    {0, "Genesis", false, {"gen", "ge", "gn"}},
    {0, "Exodus", false, {"exod", "exo", "ex"}},
    {0, "Leviticus", false, {"lev", "le", "lv"}},
    {0, "Numbers", false, {"num", "nu", "nm", "nb"}},
    {0, "Deuteronomy", false, {"deut", "deu", "de", "dt"}},
    {0, "Joshua", false, {"josh", "jos", "jsh"}},
    {0, "Judges", false, {"judg", "jdg", "jdgs", "jg"}},
    {0, "Ruth", false, {"rth", "ru"}},
    {1, "Samuel", false, {"sam", "sa", "sm"}},
    {2, "Samuel", false, {"sam", "sa", "sm"}},
    {1, "Kings", false, {"kgs", "kin", "ki", "kngs"}},
    {2, "Kings", false, {"kgs", "kin", "ki", "kngs"}},
    {1, "Chronicles", false, {"chron", "chr", "ch"}},
    {2, "Chronicles", false, {"chron", "chr", "ch"}},
    {0, "Ezra", false, {"ezr", "exra"}},
    {0, "Nehemiah", false, {"neh", "ne"}},
    {0, "Esther", false, {"esth", "est", "es"}},
    {0, "Job", false, {"jb"}},
    {0, "Psalms", false, {"psalm", "psa", "pss", "psm", "ps"}},
    {0, "Proverbs", false, {"prov", "pro", "prv", "pr"}},
    {0, "Ecclesiastes", false, {"eccles", "eccl", "ecc", "ec", "qoh"}},
    {0, "Song of Solomon", false, {"song", "song of songs", "sos", "canticles", "cant"}},
    {0, "Isaiah", false, {"isa", "is"}},
    {0, "Jeremiah", false, {"jer", "je", "jr"}},
    {0, "Lamentations", false, {"lam", "la"}},
    {0, "Ezekiel", false, {"ezek", "eze", "ezk"}},
    {0, "Daniel", false, {"dan", "da", "dn"}},
    {0, "Hosea", false, {"hos", "ho"}},
    {0, "Joel", false, {"jl"}},
    {0, "Amos", false, {"am"}},
    {0, "Obadiah", true, {"obad", "oba", "ob", "obediah"}},
    {0, "Jonah", false, {"jon", "jnh"}},
    {0, "Micah", false, {"mic", "mc"}},
    {0, "Nahum", false, {"nah", "na"}},
    {0, "Habakkuk", false, {"hab", "hb"}},
    {0, "Zephaniah", false, {"zeph", "zep", "zp"}},
    {0, "Haggai", false, {"hag", "hg"}},
    {0, "Zechariah", false, {"zech", "zec", "zc"}},
    {0, "Malachi", false, {"mal", "ml"}},
    {0, "Matthew", false, {"matt", "mat", "mt"}},
    {0, "Mark", false, {"mrk", "mar", "mk"}},
    {0, "Luke", false, {"luk", "lk"}},
    {0, "John", false, {"joh", "jhn", "jn"}},
    {0, "Acts", false, {"act", "ac"}},
    {0, "Romans", false, {"rom", "ro", "rm"}},
    {1, "Corinthians", false, {"cor", "co"}},
    {2, "Corinthians", false, {"cor", "co"}},
    {0, "Galatians", false, {"gal", "ga"}},
    {0, "Ephesians", false, {"ephes", "eph"}},
    {0, "Philippians", false, {"phil", "php", "pp"}},
    {0, "Colossians", false, {"col"}},
    {1, "Thessalonians", false, {"thess", "thes", "th"}},
    {2, "Thessalonians", false, {"thess", "thes", "th"}},
    {1, "Timothy", false, {"tim", "ti"}},
    {2, "Timothy", false, {"tim", "ti"}},
    {0, "Titus", false, {"tit"}},
    {0, "Philemon", true, {"philem", "phlm", "phm", "pm"}},
    {0, "Hebrews", false, {"heb"}},
    {0, "James", false, {"jas", "jm"}},
    {1, "Peter", false, {"pet", "pe", "pt"}},
    {2, "Peter", false, {"pet", "pe", "pt"}},
    {1, "John", false, {"joh", "jhn", "jn"}},
    {2, "John", true, {"joh", "jhn", "jn"}},
    {3, "John", true, {"joh", "jhn", "jn"}},
    {0, "Jude", true, {"jud", "jd"}},
    {0, "Revelation", false, {"revelations", "rev", "re", "rv"}},
}};

QString nameOf(const Book &book)
{
    const QString name = QString::fromLatin1(book.name);
    return book.number ? QString::number(book.number) + QLatin1Char(' ') + name : name;
}

// Lower-case forms, the number written "1 ", mapped to the table's rows.
const QHash<QString, int> &lookupTable()
{
    static const QHash<QString, int> table = [] {
        QHash<QString, int> t;
        for (int i = 0; i < int(Books.size()); ++i) {
            const Book &book = Books[size_t(i)];
            const QString prefix = book.number ? QString::number(book.number) + QLatin1Char(' ') : QString();
            t.insert(prefix + QString::fromLatin1(book.name).toLower(), i);
            for (const char *abbreviation : book.abbreviations)
                t.insert(prefix + QString::fromLatin1(abbreviation), i);
        }
        return t;
    }();
    return table;
}

// "i", "ii", "first", "2nd" and their like as the digit.
QString numberPrefix(const QString &word)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("1"), QStringLiteral("1")},       {QStringLiteral("2"), QStringLiteral("2")},
        {QStringLiteral("3"), QStringLiteral("3")},       {QStringLiteral("i"), QStringLiteral("1")},
        {QStringLiteral("ii"), QStringLiteral("2")},      {QStringLiteral("iii"), QStringLiteral("3")},
        {QStringLiteral("1st"), QStringLiteral("1")},     {QStringLiteral("2nd"), QStringLiteral("2")},
        {QStringLiteral("3rd"), QStringLiteral("3")},     {QStringLiteral("first"), QStringLiteral("1")},
        {QStringLiteral("second"), QStringLiteral("2")}, {QStringLiteral("third"), QStringLiteral("3")},
    };
    return words.value(word);
}

} // namespace

QString BibleReference::text() const
{
    QString s = QStringLiteral("%1 %2").arg(book).arg(chapter);
    if (firstVerse > 0)
        s += QLatin1Char(':') + QString::number(firstVerse);
    if (lastVerse > firstVerse)
        s += QLatin1Char('-') + QString::number(lastVerse);
    return s;
}

std::optional<BibleReference> BibleReference::parse(QStringView text)
{
    // number prefix (a digit may touch the name), name, chapter, verse, last verse
    static const QRegularExpression shape(QStringLiteral(
        "^(?:([123])\\s*|(i{1,3}|1st|2nd|3rd|first|second|third)\\s+)?"
        "([a-z]+(?: [a-z]+)*)\\.?\\s*"
        "(\\d{1,3})(?:\\s*[:.]\\s*(\\d{1,3})(?:\\s*[-\u2013\u2014]\\s*(\\d{1,3}))?)?$"));
    const QString simple = text.toString().simplified().toLower();
    const QRegularExpressionMatch m = shape.match(simple);
    if (!m.hasMatch())
        return std::nullopt;

    QString number = m.captured(1);
    if (number.isEmpty() && m.hasCaptured(2))
        number = numberPrefix(m.captured(2));
    const QString key = (number.isEmpty() ? QString() : number + QLatin1Char(' ')) + m.captured(3);
    const auto found = lookupTable().constFind(key);
    if (found == lookupTable().constEnd())
        return std::nullopt;
    const Book &book = Books[size_t(found.value())];

    BibleReference ref;
    ref.book = nameOf(book);
    ref.chapter = m.captured(4).toInt();
    ref.firstVerse = m.captured(5).toInt();
    ref.lastVerse = m.hasCaptured(6) ? m.captured(6).toInt() : ref.firstVerse;
    if (ref.chapter == 0 || (m.hasCaptured(5) && ref.firstVerse == 0) || ref.lastVerse < ref.firstVerse)
        return std::nullopt;
    if (book.oneChapter && !m.hasCaptured(5) && ref.chapter > 1) {
        ref.firstVerse = ref.lastVerse = ref.chapter;
        ref.chapter = 1;
    }
    return ref;
}

QStringList BibleReference::bookNames()
{
    QStringList names;
    for (const Book &book : Books)
        names << nameOf(book);
    return names;
}

QStringList BibleReference::namesOf(const QString &book)
{
    QStringList names;
    const QHash<QString, int> &table = lookupTable();
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        if (nameOf(Books[size_t(it.value())]) == book)
            names << it.key();
    names.sort();
    return names;
}
