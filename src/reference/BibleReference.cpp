#include "reference/BibleReference.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
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

// The table's row for a book name as the KJV text writes it, or -1.
int rowOfBook(const QString &name)
{
    static const QHash<QString, int> rows = [] {
        QHash<QString, int> r;
        for (int i = 0; i < int(Books.size()); ++i)
            r.insert(nameOf(Books[size_t(i)]), i);
        return r;
    }();
    return rows.value(name, -1);
}

bool hasOneChapter(const QString &name)
{
    const int row = rowOfBook(name);
    return row >= 0 && Books[size_t(row)].oneChapter;
}

// The numbers of a reference as written; -1 for those left out.
struct Numbers {
    int chapter = 0;
    int verse = -1;
    int endChapter = -1;
    int lastVerse = -1;
};

int numberOf(const QRegularExpressionMatch &m, int group)
{
    return m.hasCaptured(group) ? m.captured(group).toInt() : -1;
}

// The reference the numbers make in the book, when they make one.
std::optional<BibleReference> referenceOf(const QString &book, const Numbers &n)
{
    BibleReference ref;
    ref.book = book;
    ref.chapter = n.chapter;
    ref.firstVerse = n.verse < 0 ? 0 : n.verse;
    ref.lastVerse = n.lastVerse < 0 ? ref.firstVerse : n.lastVerse;
    if (ref.chapter == 0 || n.verse == 0 || (n.verse < 0 && n.lastVerse >= 0))
        return std::nullopt;
    if (n.endChapter >= 0) {
        if (n.endChapter < ref.chapter || ref.lastVerse == 0)
            return std::nullopt;
        if (n.endChapter > ref.chapter)
            ref.lastChapter = n.endChapter;
    }
    if (ref.lastChapter == 0 && ref.lastVerse < ref.firstVerse)
        return std::nullopt;
    if (n.verse < 0 && hasOneChapter(book) && ref.chapter > 1) {
        ref.firstVerse = ref.lastVerse = ref.chapter;
        ref.chapter = 1;
    }
    return ref;
}

// A list item that leaves out the book ("18", "4:1", "18-20"), read after
// the item before it and the separator between them.
std::optional<BibleReference> continued(const BibleReference &previous, QChar separator, Numbers n)
{
    if (n.verse < 0) {
        const bool verses = (separator == QLatin1Char(',') && previous.firstVerse > 0) || hasOneChapter(previous.book);
        if (verses) {
            n.verse = n.chapter;
            n.chapter = previous.endChapter();
        } else if (n.lastVerse >= 0) {
            return std::nullopt; // a range of whole chapters
        }
    }
    return referenceOf(previous.book, n);
}

// Chapter and verse numbers after the book: groups from first on are
// chapter, verse, end chapter and last verse.
Numbers numbersOf(const QRegularExpressionMatch &m, int first)
{
    return {numberOf(m, first), numberOf(m, first + 1), numberOf(m, first + 2), numberOf(m, first + 3)};
}

// Every name and abbreviation, without the number, longest first, as a
// pattern: "song\s+of\s+solomon|genesis|...".
QString namePattern()
{
    QStringList names;
    for (const Book &book : Books) {
        names << QString::fromLatin1(book.name).toLower();
        for (const char *abbreviation : book.abbreviations)
            names << QString::fromLatin1(abbreviation);
    }
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (QString &name : names)
        name = QRegularExpression::escape(name).replace(QStringLiteral("\\ "), QStringLiteral("\\s+"));
    return names.join(QLatin1Char('|'));
}

// A reference in running text: number, name, chapter, and optionally the
// verse separator, verse, end chapter and last verse. Not inside a word or
// a number, and no blanks around the separator ("at 3:16" stays a time).
const QRegularExpression &runningShape()
{
    static const QRegularExpression shape(
        QStringLiteral("(?<![\\p{L}\\p{N}])(?:([123])\\s*|(i{1,3}|1st|2nd|3rd|first|second|third)\\s+)?(")
            + namePattern()
            + QStringLiteral(")\\.?\\s*(\\d{1,3})(?:[:.](\\d{1,3})(?:\\s*[-\u2013\u2014]\\s*(?:(\\d{1,3})[:.])?(\\d{1,3}))?)?"
                             "(?![\\p{L}\\p{N}]|[:.]\\d)"),
        QRegularExpression::CaseInsensitiveOption);
    return shape;
}

// Two-letter abbreviations that are not also common words.
bool isSafeShortName(const QString &lower)
{
    return lower == QLatin1String("ps") || lower == QLatin1String("jn") || lower == QLatin1String("mt")
        || lower == QLatin1String("mk") || lower == QLatin1String("lk");
}

// A reference that runningShape() matched at m, when it is one.
std::optional<BibleReference::Found> foundAt(const QRegularExpressionMatch &m, qsizetype base)
{
    const QString typedName = m.captured(3);
    const QString lower = typedName.simplified().toLower();
    const bool hasVerse = m.hasCaptured(5);
    const bool capital = typedName.at(0).isUpper();
    qsizetype start = m.capturedStart(0);
    QString number = m.captured(1);
    if (number.isEmpty() && m.hasCaptured(2))
        number = numberPrefix(m.captured(2).toLower());
    auto found = lookupTable().constFind((number.isEmpty() ? QString() : number + QLatin1Char(' ')) + lower);
    if (found == lookupTable().constEnd() && !number.isEmpty()) {
        // "I am 5": the number was a word before the name.
        number.clear();
        start = m.capturedStart(3);
        found = lookupTable().constFind(lower);
    }
    if (found == lookupTable().constEnd())
        return std::nullopt;
    const bool shortWord = number.isEmpty() && lower.size() <= 2 && !isSafeShortName(lower);
    if (shortWord && !capital)
        return std::nullopt;
    if (!hasVerse && (!capital || shortWord || lower == QLatin1String("song")))
        return std::nullopt; // "song 3" is more likely a hymn
    const std::optional<BibleReference> ref = referenceOf(nameOf(Books[size_t(found.value())]), numbersOf(m, 4));
    if (!ref)
        return std::nullopt;
    BibleReference::Found f;
    f.start = base + start;
    f.length = m.capturedEnd(0) - start;
    f.reference = *ref;
    return f;
}

// A match of re in text from at on, within span characters (and the one
// before at, for look-behinds). Qt checks the whole subject of every match
// for valid UTF-16, so a long text is never the subject: only a window.
struct Hit {
    QRegularExpressionMatch match;
    qsizetype base = 0; // the window's start in text
    qsizetype end = 0;  // the window's end in text
};

Hit matchIn(const QRegularExpression &re, QStringView text, qsizetype at, qsizetype span, bool anchored)
{
    Hit hit;
    hit.base = at > 0 ? at - 1 : 0;
    const QStringView window = text.mid(hit.base, at - hit.base + span);
    hit.end = hit.base + window.size();
    hit.match = re.match(window, at - hit.base, QRegularExpression::NormalMatch,
                         anchored ? QRegularExpression::AnchorAtOffsetMatchOption : QRegularExpression::NoMatchOption);
    return hit;
}

} // namespace

QString BibleReference::text() const
{
    QString s = QStringLiteral("%1 %2").arg(book).arg(chapter);
    if (firstVerse > 0)
        s += QLatin1Char(':') + QString::number(firstVerse);
    if (lastChapter > chapter)
        s += QStringLiteral("-%1:%2").arg(lastChapter).arg(lastVerse);
    else if (lastVerse > firstVerse)
        s += QLatin1Char('-') + QString::number(lastVerse);
    return s;
}

std::optional<BibleReference> BibleReference::parse(QStringView text)
{
    // number prefix (a digit may touch the name), name, chapter, verse,
    // end chapter, last verse
    static const QRegularExpression shape(QStringLiteral(
        "^(?:([123])\\s*|(i{1,3}|1st|2nd|3rd|first|second|third)\\s+)?"
        "([a-z]+(?: [a-z]+)*)\\.?\\s*"
        "(\\d{1,3})(?:\\s*[:.]\\s*(\\d{1,3})(?:\\s*[-\u2013\u2014]\\s*(?:(\\d{1,3})\\s*[:.]\\s*)?(\\d{1,3}))?)?$"));
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
    return referenceOf(nameOf(Books[size_t(found.value())]), numbersOf(m, 4));
}

std::optional<QList<BibleReference>> BibleReference::parseList(QStringView text)
{
    static const QRegularExpression tail(QStringLiteral(
        "^(\\d{1,3})(?:\\s*[:.]\\s*(\\d{1,3}))?(?:\\s*[-\u2013\u2014]\\s*(?:(\\d{1,3})\\s*[:.]\\s*)?(\\d{1,3}))?$"));
    QList<BibleReference> refs;
    QChar separator;
    qsizetype from = 0;
    for (;;) {
        qsizetype at = from;
        while (at < text.size() && text[at] != QLatin1Char(';') && text[at] != QLatin1Char(','))
            ++at;
        const QString item = text.mid(from, at - from).toString().simplified();
        std::optional<BibleReference> ref = parse(item);
        if (!ref && !refs.isEmpty()) {
            const QRegularExpressionMatch m = tail.match(item);
            if (m.hasMatch())
                ref = continued(refs.constLast(), separator, numbersOf(m, 1));
        }
        if (!ref)
            return std::nullopt;
        refs.append(*ref);
        if (at >= text.size())
            return refs;
        separator = text[at];
        from = at + 1;
    }
}

QList<BibleReference::Found> BibleReference::findIn(QStringView text)
{
    static const QRegularExpression separatorShape(QStringLiteral("\\s*([;,])\\s*"));
    static const QRegularExpression tailShape(QStringLiteral(
        "(\\d{1,3})(?:[:.](\\d{1,3}))?(?:\\s*[-\u2013\u2014]\\s*(?:(\\d{1,3})[:.])?(\\d{1,3}))?(?![\\p{L}\\p{N}]|[:.]\\d)"));
    static const QRegularExpression nextWord(QStringLiteral("\\s+([a-z]+)"), QRegularExpression::CaseInsensitiveOption);
    // Windows of the text searched at a time, and room kept at a window's
    // end for a reference that the window would cut.
    constexpr qsizetype Window = 2048;
    constexpr qsizetype Room = 64;
    constexpr qsizetype ItemSpan = 128;

    QList<Found> all;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const Hit hit = matchIn(runningShape(), text, pos, Window, false);
        const QRegularExpressionMatch &m = hit.match;
        if (!m.hasMatch()) {
            if (hit.end >= text.size())
                break;
            pos = hit.end - Room;
            continue;
        }
        const qsizetype start = hit.base + m.capturedStart(0);
        if (start > pos && hit.end < text.size() && hit.base + m.capturedEnd(0) > hit.end - Room) {
            pos = start; // look again with the whole of it in the window
            continue;
        }
        std::optional<Found> first = foundAt(m, hit.base);
        if (!first) {
            pos = start + 1;
            continue;
        }
        const qsizetype listFrom = all.size();
        all.append(*first);
        qsizetype end = first->start + first->length;
        // The rest of a list: "; Rom 5:8", ", 18", "; 4:1".
        for (;;) {
            const Hit s = matchIn(separatorShape, text, end, Room, true);
            if (!s.match.hasMatch())
                break;
            const QChar separator = s.match.captured(1).at(0);
            const qsizetype next = s.base + s.match.capturedEnd(0);
            const Hit full = matchIn(runningShape(), text, next, ItemSpan, true);
            if (std::optional<Found> item = full.match.hasMatch() ? foundAt(full.match, full.base) : std::nullopt) {
                all.append(*item);
                end = item->start + item->length;
                continue;
            }
            const Hit t = matchIn(tailShape, text, next, ItemSpan, true);
            if (!t.match.hasMatch())
                break;
            const Numbers n = numbersOf(t.match, 1);
            if (n.verse < 0 && n.lastVerse < 0 && n.chapter <= 3) {
                // ", 1 Corinthians": the number belongs to the book after it.
                const Hit w = matchIn(nextWord, text, t.base + t.match.capturedEnd(0), ItemSpan, true);
                if (w.match.hasMatch()
                    && lookupTable().contains(QString::number(n.chapter) + QLatin1Char(' ') + w.match.captured(1).toLower()))
                    break;
            }
            const std::optional<BibleReference> ref = continued(all.constLast().reference, separator, n);
            if (!ref)
                break;
            Found item;
            item.start = t.base + t.match.capturedStart(0);
            item.length = t.match.capturedLength(0);
            item.reference = *ref;
            all.append(item);
            end = item.start + item.length;
        }
        const qsizetype listStart = all.at(listFrom).start;
        for (qsizetype i = listFrom; i < all.size(); ++i) {
            all[i].listStart = listStart;
            all[i].listLength = end - listStart;
        }
        pos = end;
    }
    return all;
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
