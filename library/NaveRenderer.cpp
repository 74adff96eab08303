#include "NaveRenderer.h"

#include "MarkupText.h"

#include <QRegularExpression>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <array>
#include <optional>

namespace {

struct Book {
    const char *osis;
    const char *name;
    const char *nave; // the abbreviation Nave prints
};

constexpr std::array<Book, 66> Books{{
    {"Gen", "Genesis", "Ge"}, {"Exod", "Exodus", "Ex"}, {"Lev", "Leviticus", "Le"},
    {"Num", "Numbers", "Nu"}, {"Deut", "Deuteronomy", "De"}, {"Josh", "Joshua", "Jos"},
    {"Judg", "Judges", "Jud"}, {"Ruth", "Ruth", "Ru"}, {"1Sam", "1 Samuel", "1Sa"},
    {"2Sam", "2 Samuel", "2Sa"}, {"1Kgs", "1 Kings", "1Ki"}, {"2Kgs", "2 Kings", "2Ki"},
    {"1Chr", "1 Chronicles", "1Ch"}, {"2Chr", "2 Chronicles", "2Ch"}, {"Ezra", "Ezra", "Ezr"},
    {"Neh", "Nehemiah", "Ne"}, {"Esth", "Esther", "Es"}, {"Job", "Job", "Job"},
    {"Ps", "Psalms", "Ps"}, {"Prov", "Proverbs", "Pr"}, {"Eccl", "Ecclesiastes", "Ec"},
    {"Song", "Song of Solomon", "So"}, {"Isa", "Isaiah", "Isa"}, {"Jer", "Jeremiah", "Jer"},
    {"Lam", "Lamentations", "La"}, {"Ezek", "Ezekiel", "Eze"}, {"Dan", "Daniel", "Da"},
    {"Hos", "Hosea", "Ho"}, {"Joel", "Joel", "Joe"}, {"Amos", "Amos", "Am"},
    {"Obad", "Obadiah", "Ob"}, {"Jonah", "Jonah", "Jon"}, {"Mic", "Micah", "Mic"},
    {"Nah", "Nahum", "Na"}, {"Hab", "Habakkuk", "Hab"}, {"Zeph", "Zephaniah", "Zep"},
    {"Hag", "Haggai", "Hag"}, {"Zech", "Zechariah", "Zec"}, {"Mal", "Malachi", "Mal"},
    {"Matt", "Matthew", "Mt"}, {"Mark", "Mark", "Mr"}, {"Luke", "Luke", "Lu"},
    {"John", "John", "Joh"}, {"Acts", "Acts", "Ac"}, {"Rom", "Romans", "Ro"},
    {"1Cor", "1 Corinthians", "1Co"}, {"2Cor", "2 Corinthians", "2Co"}, {"Gal", "Galatians", "Ga"},
    {"Eph", "Ephesians", "Eph"}, {"Phil", "Philippians", "Php"}, {"Col", "Colossians", "Col"},
    {"1Thess", "1 Thessalonians", "1Th"}, {"2Thess", "2 Thessalonians", "2Th"},
    {"1Tim", "1 Timothy", "1Ti"}, {"2Tim", "2 Timothy", "2Ti"}, {"Titus", "Titus", "Tit"},
    {"Phlm", "Philemon", "Phm"}, {"Heb", "Hebrews", "Heb"}, {"Jas", "James", "Jas"},
    {"1Pet", "1 Peter", "1Pe"}, {"2Pet", "2 Peter", "2Pe"}, {"1John", "1 John", "1Jo"},
    {"2John", "2 John", "2Jo"}, {"3John", "3 John", "3Jo"}, {"Jude", "Jude", "Jude"},
    {"Rev", "Revelation", "Re"},
}};

// Abbreviations seen in the module beside the ones in the table.
constexpr std::array<std::pair<const char *, const char *>, 4> ExtraAbbreviations{{
    {"Neh", "Neh"}, {"Hos", "Hos"}, {"Num", "Num"}, {"1Joh", "1John"},
}};

// Misprints in the module's headings, sub-headings and cross-references,
// mended where the KJV or Nave's other entries show the right word.
constexpr std::pair<const char *, const char *> Misprints[] = {
    {"AFFILICTION", "AFFLICTION"}, {"FIGURATITE", "FIGURATIVE"}, {"FlGURATIVE", "FIGURATIVE"},
    {"ONNIPRESENCE", "OMNIPRESENCE"}, {"ONNIPRESENT", "OMNIPRESENT"}, {"PERSERVERANCE", "PERSEVERANCE"},
    {"PUNISHMEMT", "PUNISHMENT"}, {"PUNISMENT", "PUNISHMENT"}, {"RIGHTEOUSNFSS", "RIGHTEOUSNESS"},
    {"SCIPTURES", "SCRIPTURES"}, {"SOVERIGN", "SOVEREIGN"}, {"SYMOLICAL", "SYMBOLICAL"},
    {"UNCHARITABLNESS", "UNCHARITABLENESS"}, {"JUDGEMENT", "JUDGMENT"}, {"0F", "OF"},
    {"CHRYSOLYTE", "CHRYSOLITE"}, // Revelation 21:20
    {"LYSIUS", "LYSIAS"},         // Acts 23:26
    {"ZERUBBABAL", "ZERUBBABEL"}, {"EIASHAMA", "ELISHAMA"}, // 1 Chronicles 3:6
    {"BETH-SHMESH", "IR-SHEMESH"}, // Joshua 19:41
    {"SHELAMITES", "SHELANITES"},  // Numbers 26:20
    {"SERIAH", "SERAIAH"}, {"ADRAMMELECK", "ADRAMMELECH"}, {"HAZAR-ADAR", "HAZAR-ADDAR"},
    {"BE-ZALEEL", "BEZALEL"}, {"DEKAH", "DEKAR"}, // 1 Kings 4:9
    {"MICAHTAM", "MICHTAM"}, {"MAKALATH", "MAHALATH"}, // titles of Psalms 16, 53
};

// References the module numbers wrongly, by topic: verses past the end of
// their chapter, where the topic's own subject shows the verse meant.
struct ReferenceFix {
    const char *topic;
    const char *wrong;
    const char *right;
};
constexpr ReferenceFix ReferenceFixes[] = {
    {"MIRACLES", "Exod.3.29", "Exod.3.20"},  // the wonders that will make Pharaoh let them go
    {"MIRACLES", "Mark.18.42", "Luke.18.42"}, // the blind man at Jericho, between Mark 2 and John 2
    {"MIRACLES", "Mark.18.43", "Luke.18.43"},
    {"MUSIC", "1Chr.22.3", "1Chr.23.3"},      // the Levites who praised with instruments
    {"MUSIC", "1Chr.22.5", "1Chr.23.5"},
    {"MUSIC", "1Chr.22.6", "1Chr.23.6"},
    {"MUSIC", "1Chr.22.27", "1Chr.23.27"},
    {"MUSIC", "1Chr.22.30", "1Chr.23.30"},
};

QString abbreviationPattern()
{
    QStringList alternatives;
    for (const Book &b : Books) {
        QString a = QString::fromLatin1(b.nave);
        if (a.at(0).isDigit())
            a = a.mid(1); // the number is matched separately ("2Ch", "2 Ch")
        if (!alternatives.contains(a))
            alternatives << a;
    }
    for (const auto &[abbr, osis] : ExtraAbbreviations) {
        Q_UNUSED(osis)
        QString a = QString::fromLatin1(abbr);
        if (a.at(0).isDigit())
            a = a.mid(1);
        if (!alternatives.contains(a))
            alternatives << a;
    }
    // Longest first, so that "Joh" is tried before "Jo".
    std::sort(alternatives.begin(), alternatives.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    return alternatives.join(QLatin1Char('|'));
}

QString osisFromBookName(const QString &name)
{
    for (const Book &b : Books)
        if (name == QLatin1String(b.name))
            return QString::fromLatin1(b.osis);
    return {};
}

// Verse lists as a reader writes them: "14,15" -> "14, 15".
QString readableVerses(const QString &verses)
{
    QStringList parts = verses.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString &p : parts)
        p = p.trimmed();
    return parts.join(QStringLiteral(", "));
}

struct Ref {
    QString book;    // reader's name
    QString osis;    // module's book id
    int chapter = 0;
    QString verses;  // "6", "16-20", "" for a whole chapter
    QString endChapterVerse; // "7:2" when a range crosses a chapter
};

std::optional<Ref> parseOsisRef(const QString &osisRef)
{
    const QStringList ends = osisRef.split(QLatin1Char('-'));
    const QStringList start = ends.constFirst().split(QLatin1Char('.'));
    if (start.size() < 2)
        return std::nullopt;
    Ref r;
    r.osis = start.at(0);
    r.book = NaveRenderer::bookNameFromOsis(r.osis);
    bool ok = false;
    r.chapter = start.at(1).toInt(&ok);
    if (r.book.isEmpty() || !ok)
        return std::nullopt;
    if (start.size() > 2)
        r.verses = start.at(2);
    if (ends.size() > 1) {
        const QStringList end = ends.at(1).split(QLatin1Char('.'));
        if (end.size() > 2 && end.at(0) == r.osis && end.at(1).toInt() == r.chapter)
            r.verses += QLatin1Char('-') + end.at(2);
        else if (end.size() > 2)
            r.endChapterVerse = end.at(1) + QLatin1Char(':') + end.at(2);
        else if (end.size() == 2)
            r.endChapterVerse = end.at(1);
    }
    return r;
}

QString fullReference(const Ref &r)
{
    QString s = r.book + QLatin1Char(' ') + QString::number(r.chapter);
    if (!r.verses.isEmpty())
        s += QLatin1Char(':') + readableVerses(r.verses);
    if (!r.endChapterVerse.isEmpty())
        s += QLatin1Char('-') + r.endChapterVerse;
    return s;
}

enum class TokenKind { Text, BibleRef, TopicRef, LineBreak, ListOpen, ListClose, ItemOpen, ItemClose };

struct Token {
    TokenKind kind;
    QString text;  // text, or a reference's printed form
    QString osis;  // a Bible reference's target
};

QVector<Token> tokenize(const QString &raw)
{
    static const QRegularExpression re(QStringLiteral(
        "<ref\\s+osisRef=\"([^\"]*)\"\\s*>(.*?)</ref>|<ref\\s+target=\"[^\"]*\"\\s*>(.*?)</ref>"
        "|(<lb\\s*/>)|(<list>)|(</list>)|(<item>)|(</item>)|<[^>]*>"));
    QVector<Token> tokens;
    qsizetype pos = 0;
    auto it = re.globalMatch(raw);
    auto addText = [&tokens](const QString &t) {
        if (!t.isEmpty())
            tokens.push_back({TokenKind::Text, MarkupText::decodeText(t), {}});
    };
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        addText(raw.mid(pos, m.capturedStart() - pos));
        pos = m.capturedEnd();
        if (m.capturedLength(1) > 0)
            tokens.push_back({TokenKind::BibleRef, MarkupText::toPlain(m.captured(2)), m.captured(1)});
        else if (m.capturedStart(3) >= 0)
            tokens.push_back({TokenKind::TopicRef, MarkupText::toPlain(m.captured(3)), {}});
        else if (m.capturedLength(4) > 0)
            tokens.push_back({TokenKind::LineBreak, {}, {}});
        else if (m.capturedLength(5) > 0)
            tokens.push_back({TokenKind::ListOpen, {}, {}});
        else if (m.capturedLength(6) > 0)
            tokens.push_back({TokenKind::ListClose, {}, {}});
        else if (m.capturedLength(7) > 0)
            tokens.push_back({TokenKind::ItemOpen, {}, {}});
        else if (m.capturedLength(8) > 0)
            tokens.push_back({TokenKind::ItemClose, {}, {}});
    }
    addText(raw.mid(pos));
    return tokens;
}

// Builds the indented lines of one topic.
class LineWriter {
public:
    void setLevel(int level) { m_level = level; }

    void flush()
    {
        static const QRegularExpression arrow(QStringLiteral("^[\\x{2192}\\s]+"));
        static const QRegularExpression spacedApostrophe(QStringLiteral("(\\w)['\\x{00B4}] s\\b"));
        static const QRegularExpression spaceBeforePunct(QStringLiteral("\\s+([,;.)])"));
        QString line = m_line;
        line.remove(QLatin1Char('<')).remove(QLatin1Char('>'));
        line = line.simplified();
        line.remove(arrow);
        line.replace(spacedApostrophe, QStringLiteral("\\1's"));
        line.replace(spaceBeforePunct, QStringLiteral("\\1"));
        line = NaveRenderer::withoutMisprints(MarkupText::expandAbbreviations(line));
        line.remove(QLatin1Char('=')); // debris after two cross-references
        static const QRegularExpression joined(QStringLiteral("(\\w)\\.See\\b"));
        line.replace(joined, QStringLiteral("\\1. See")); // "HISTORY OF.See JESUS" ran two lines together
        static const QRegularExpression psalmTitle(QStringLiteral("\\bSee TITLE (?=Psalms \\d)"));
        line.replace(psalmTitle, QStringLiteral("See the title of ")); // a psalm's title, not the topic TITLE
        if (!line.isEmpty())
            m_out += QString(4 * m_level, QLatin1Char(' ')) + line + QLatin1Char('\n');
        m_line.clear();
        m_lastRef.reset();
        m_sinceRef.clear();
        m_contextBook.clear();
    }

    void text(const QString &t)
    {
        const QString expanded = NaveRenderer::expandPlainReferences(t, &m_contextBook);
        m_line += expanded;
        m_sinceRef += expanded;
    }

    void reference(const Ref &r)
    {
        const bool sameChapter = m_lastRef && m_sinceRef.trimmed() == QLatin1String(",")
            && m_lastRef->osis == r.osis && m_lastRef->chapter == r.chapter && !r.verses.isEmpty()
            && m_lastRef->endChapterVerse.isEmpty() && r.endChapterVerse.isEmpty();
        if (!m_line.isEmpty() && !m_line.back().isSpace() && m_line.back() != QLatin1Char('('))
            m_line += QLatin1Char(' ');
        m_line += sameChapter ? readableVerses(r.verses) : fullReference(r);
        m_lastRef = r;
        m_sinceRef.clear();
        m_contextBook = r.book;
    }

    QString result() const { return m_out; }

private:
    QString m_out;
    QString m_line;
    int m_level = 1;
    std::optional<Ref> m_lastRef;
    QString m_sinceRef;
    QString m_contextBook;
};

} // namespace

namespace NaveRenderer {

QString bookNameFromOsis(const QString &osisBook)
{
    for (const Book &b : Books)
        if (osisBook == QLatin1String(b.osis))
            return QString::fromLatin1(b.name);
    return {};
}

QString withoutMisprints(const QString &text)
{
    static const QRegularExpression misprint = [] {
        QStringList words;
        for (const auto &[wrong, right] : Misprints)
            words << QRegularExpression::escape(QLatin1String(wrong));
        return QRegularExpression(QStringLiteral("(?<![\\w-])(?:%1)(?![\\w-])").arg(words.join(QLatin1Char('|'))));
    }();
    QString out;
    qsizetype pos = 0;
    for (auto it = misprint.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(pos, m.capturedStart() - pos);
        for (const auto &[wrong, right] : Misprints)
            if (m.captured() == QLatin1String(wrong))
                out += QLatin1String(right);
        pos = m.capturedEnd();
    }
    if (pos == 0)
        return text;
    out += QStringView(text).mid(pos);
    return out;
}

QString bookNameFromAbbreviation(const QString &abbreviation)
{
    const QString a = QString(abbreviation).remove(QLatin1Char(' '));
    for (const Book &b : Books)
        if (a == QLatin1String(b.nave))
            return QString::fromLatin1(b.name);
    for (const auto &[abbr, osis] : ExtraAbbreviations)
        if (a == QLatin1String(abbr))
            return bookNameFromOsis(QString::fromLatin1(osis));
    return {};
}

QString readableReference(const QString &osisRef)
{
    const std::optional<Ref> r = parseOsisRef(osisRef);
    return r ? fullReference(*r) : QString();
}

QString expandPlainReferences(const QString &text, QString *contextBook)
{
    static const QRegularExpression re(
        QStringLiteral("(?:(?<![a-z0-9])(?:([1-3]) ?)?(%1)\\.? +|(?<![\\w:.\\-]))(\\d+)"
                       "(?::(\\d+(?:-\\d+)?(?:, ?\\d+(?:-\\d+)?)*)|(?![\\w:'\\x{2019}\\-]))")
            .arg(abbreviationPattern()));
    QString out;
    qsizetype pos = 0;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QString book;
        const bool wholeChapter = m.capturedLength(4) == 0;
        // "1Ki 20" names a chapter; a bare "20", "So 2" or "Am 3" may be anything.
        if (wholeChapter && (m.capturedLength(2) == 0 || m.captured(2) == QLatin1String("So")
                             || m.captured(2) == QLatin1String("Am")))
            continue;
        if (m.capturedLength(2) > 0) {
            book = bookNameFromAbbreviation(m.captured(1) + m.captured(2));
            if (book.isEmpty())
                continue; // "Sa 3:1" without its number is no book
        } else {
            book = *contextBook;
            if (book.isEmpty())
                continue;
        }
        out += QStringView(text).mid(pos, m.capturedStart() - pos);
        if (!out.isEmpty() && out.back().isLetterOrNumber())
            out += QLatin1Char(' '); // "REVERENCEGe 35:5" lost its blank
        out += book + QLatin1Char(' ') + m.captured(3);
        if (!wholeChapter)
            out += QLatin1Char(':') + readableVerses(m.captured(4));
        *contextBook = book;
        pos = m.capturedEnd();
    }
    out += QStringView(text).mid(pos);
    return out;
}

QString render(const QString &topic, const QString &raw)
{
    static const QRegularExpression verseSuffix(QStringLiteral("^:(\\d+(?:[-,]\\d+)*)"));
    static const QRegularExpression splitName(QStringLiteral("^([A-Za-z]+) ([1-3])$"));
    static const QRegularExpression numberedBook(QStringLiteral("^(?:Sa|Ki|Ch|Co|Th|Ti|Pe|Jo)\\b"));

    QVector<Token> tokens = tokenize(raw);
    const QString heading = withoutMisprints(topic.simplified());
    for (Token &t : tokens)
        for (const ReferenceFix &fix : ReferenceFixes)
            if (t.kind == TokenKind::BibleRef && t.osis == QLatin1String(fix.wrong) && heading == QLatin1String(fix.topic))
                t.osis = QString::fromLatin1(fix.right);
    LineWriter w;
    int listDepth = 0;
    QString wrongBook; // "Col" where the module read "Titus 2Co 8:16" as Titus 2, Colossians 8:16
    QString rightBook;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        Token *next = i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::Text ? &tokens[i + 1] : nullptr;
        switch (t.kind) {
        case TokenKind::Text:
            w.text(t.text);
            break;
        case TokenKind::TopicRef:
            w.text(t.text);
            break;
        case TokenKind::BibleRef: {
            // The module read "Micah 2Ch 34:20" as a reference to Micah 2:
            // give the name back as text and let the rest be read again.
            const QRegularExpressionMatch split = splitName.match(t.text);
            if (split.hasMatch() && next && numberedBook.match(next->text).hasMatch()) {
                w.text(split.captured(1) + QLatin1Char(' '));
                next->text.prepend(split.captured(2));
                break;
            }
            // The same with the rest taken for a book of its own: "Titus 2" and
            // "Co 8:16" (Colossians) are Titus and 2 Corinthians 8:16.
            if (split.hasMatch() && i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::BibleRef) {
                const QString shown = tokens[i + 1].text;
                const QString book = bookNameFromAbbreviation(split.captured(2) + shown.section(QLatin1Char(' '), 0, 0));
                if (numberedBook.match(shown).hasMatch() && !book.isEmpty()) {
                    w.text(split.captured(1) + QLatin1Char(' '));
                    wrongBook = tokens[i + 1].osis.section(QLatin1Char('.'), 0, 0);
                    rightBook = osisFromBookName(book);
                    break;
                }
            }
            if (!wrongBook.isEmpty() && t.osis.startsWith(wrongBook + QLatin1Char('.')))
                t.osis.replace(0, wrongBook.size(), rightBook);
            else
                wrongBook.clear();
            std::optional<Ref> r = parseOsisRef(t.osis);
            if (!r) {
                w.text(t.text);
                break;
            }
            // One-chapter books came out as "2Jo 1" followed by ":6".
            if (next) {
                const QRegularExpressionMatch suffix = verseSuffix.match(next->text);
                if (suffix.hasMatch()) {
                    const QStringList shown = t.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                    if (!shown.isEmpty() && shown.constLast().toInt() > 0)
                        r->chapter = shown.constLast().toInt();
                    r->verses = suffix.captured(1);
                    r->endChapterVerse.clear();
                    next->text.remove(0, suffix.capturedLength());
                }
            }
            w.reference(*r);
            break;
        }
        case TokenKind::LineBreak:
            wrongBook.clear();
            w.flush();
            w.setLevel(1 + listDepth);
            break;
        case TokenKind::ListOpen:
            w.flush();
            ++listDepth;
            w.setLevel(1 + listDepth);
            break;
        case TokenKind::ListClose:
            w.flush();
            listDepth = std::max(0, listDepth - 1);
            w.setLevel(1 + listDepth);
            break;
        case TokenKind::ItemOpen:
        case TokenKind::ItemClose:
            w.flush();
            w.setLevel(1 + listDepth);
            break;
        }
    }
    w.flush();
    return heading + QLatin1Char('\n') + w.result();
}

} // namespace NaveRenderer
