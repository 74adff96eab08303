#include "OsisVerse.h"

namespace {

struct Tag {
    QString name;
    QString attributes;
    bool closing = false;
    bool selfClosing = false;
};

// Reads the tag starting at osis[pos] == '<'; returns the index after '>'.
qsizetype readTag(const QString &osis, qsizetype pos, Tag *tag)
{
    qsizetype end = osis.indexOf(QLatin1Char('>'), pos);
    if (end < 0)
        end = osis.size() - 1;
    QStringView inner = QStringView(osis).mid(pos + 1, end - pos - 1).trimmed();
    tag->closing = inner.startsWith(QLatin1Char('/'));
    if (tag->closing)
        inner = inner.mid(1);
    tag->selfClosing = inner.endsWith(QLatin1Char('/'));
    if (tag->selfClosing)
        inner.chop(1);
    qsizetype nameEnd = 0;
    while (nameEnd < inner.size() && !inner.at(nameEnd).isSpace())
        ++nameEnd;
    tag->name = inner.left(nameEnd).toString();
    tag->attributes = inner.mid(nameEnd).toString();
    return end + 1;
}

QString attribute(const QString &attributes, QLatin1StringView name)
{
    const QString open = QString(name) + QStringLiteral("=\"");
    qsizetype at = attributes.indexOf(open);
    while (at > 0 && !attributes.at(at - 1).isSpace())
        at = attributes.indexOf(open, at + 1);
    if (at < 0)
        return {};
    const qsizetype start = at + open.size();
    const qsizetype end = attributes.indexOf(QLatin1Char('"'), start);
    return end < 0 ? QString() : attributes.mid(start, end - start);
}

// "strong:H0430 strong:H0853" -> {"H0430", "H0853"}
QStringList strongsOf(const QString &lemma)
{
    QStringList numbers;
    const QStringList parts = lemma.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part.startsWith(QLatin1String("strong:")))
            numbers.append(part.mid(7));
    }
    return numbers;
}

// Elements that separate words the way a line or paragraph break does.
bool isBreak(const QString &name)
{
    static const QStringList breaks{QStringLiteral("div"),   QStringLiteral("l"),
                                    QStringLiteral("lg"),    QStringLiteral("lb"),
                                    QStringLiteral("p"),     QStringLiteral("chapter"),
                                    QStringLiteral("milestone"), QStringLiteral("title"),
                                    QStringLiteral("verse")};
    return breaks.contains(name);
}

// Plain text with, for each character, the index of the Strong's list it
// belongs to (-1 for untagged text).
struct Attributed {
    QString text;
    QVector<int> owner;
    void append(QChar c, int who)
    {
        text.append(c);
        owner.append(who);
    }
};

qsizetype appendEntity(const QString &osis, qsizetype pos, Attributed *out, int who)
{
    static const std::pair<QLatin1StringView, QChar> entities[] = {
        {QLatin1StringView("&amp;"), QLatin1Char('&')},  {QLatin1StringView("&lt;"), QLatin1Char('<')},
        {QLatin1StringView("&gt;"), QLatin1Char('>')},   {QLatin1StringView("&quot;"), QLatin1Char('"')},
        {QLatin1StringView("&apos;"), QLatin1Char('\'')}};
    for (const auto &[name, ch] : entities) {
        if (QStringView(osis).mid(pos).startsWith(name)) {
            out->append(ch, who);
            return pos + name.size();
        }
    }
    out->append(QLatin1Char('&'), who);
    return pos + 1;
}

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

// Stray USFM character markers ("\nd ", "\+nd*") left in a few verses.
qsizetype skipUsfmMarker(const QString &osis, qsizetype pos)
{
    qsizetype i = pos + 1;
    if (i < osis.size() && osis.at(i) == QLatin1Char('+'))
        ++i;
    while (i < osis.size() && (osis.at(i).isLetterOrNumber()))
        ++i;
    if (i < osis.size() && osis.at(i) == QLatin1Char('*'))
        ++i;
    else if (i < osis.size() && osis.at(i) == QLatin1Char(' '))
        ++i;
    return i;
}

// The KJV prints the divine name in small capitals ("LORD", "GOD"); the
// module marks a few of them in lower case ("Lord"). The possessive stays
// "LORD's".
void capitalizeDivineName(QString *text, qsizetype start)
{
    QString name = text->mid(start).toUpper();
    if (name.size() != text->size() - start)
        return; // the attribution of characters to words must stay aligned
    if (name.size() >= 2 && name.endsWith(QLatin1Char('S')) && isApostrophe(name.at(name.size() - 2)))
        name.back() = QLatin1Char('s');
    text->replace(start, name.size(), name);
}

// Walks the markup, keeping the text a reader sees; notes are dropped and
// titles are handed to *title (canonical ones only).
void walk(const QString &osis, Attributed *out, QVector<QStringList> *strongs, QString *title)
{
    QVector<int> wordStack;
    QVector<qsizetype> divineNameStarts;
    qsizetype pos = 0;
    while (pos < osis.size()) {
        const QChar c = osis.at(pos);
        const int who = wordStack.isEmpty() ? -1 : wordStack.constLast();
        if (c == QLatin1Char('<')) {
            Tag tag;
            pos = readTag(osis, pos, &tag);
            if (tag.closing) {
                if (tag.name == QLatin1String("w") && !wordStack.isEmpty())
                    wordStack.removeLast();
                if (tag.name == QLatin1String("divineName") && !divineNameStarts.isEmpty())
                    capitalizeDivineName(&out->text, divineNameStarts.takeLast());
                if (isBreak(tag.name))
                    out->append(QLatin1Char(' '), -1);
                continue;
            }
            if (tag.selfClosing) {
                if (isBreak(tag.name))
                    out->append(QLatin1Char(' '), -1);
                continue;
            }
            if (tag.name == QLatin1String("note")) {
                const qsizetype end = osis.indexOf(QLatin1String("</note>"), pos);
                pos = end < 0 ? osis.size() : end + 7;
                continue;
            }
            if (tag.name == QLatin1String("title")) {
                const qsizetype end = osis.indexOf(QLatin1String("</title>"), pos);
                const QString inner = osis.mid(pos, end < 0 ? -1 : end - pos);
                pos = end < 0 ? osis.size() : end + 8;
                if (title && attribute(tag.attributes, QLatin1StringView("canonical")) == QLatin1String("true"))
                    *title = (*title + QLatin1Char(' ') + OsisVerse::parse(inner).text).trimmed();
                out->append(QLatin1Char(' '), -1);
                continue;
            }
            if (tag.name == QLatin1String("divineName")) {
                divineNameStarts.append(out->text.size());
            } else if (tag.name == QLatin1String("w")) {
                strongs->append(strongsOf(attribute(tag.attributes, QLatin1StringView("lemma"))));
                wordStack.append(int(strongs->size() - 1));
            } else if (isBreak(tag.name)) {
                out->append(QLatin1Char(' '), -1);
            }
            continue;
        }
        if (c == QLatin1Char('&')) {
            pos = appendEntity(osis, pos, out, who);
        } else if (c == QLatin1Char('\\')) {
            pos = skipUsfmMarker(osis, pos);
        } else if (c == QChar(0x00B6)) { // paragraph mark
            ++pos;
        } else {
            out->append(c.isSpace() ? QLatin1Char(' ') : c, c.isSpace() ? -1 : who);
            ++pos;
        }
    }
}

// Whether text[i] continues the word that text[start..i) began.
bool continuesWord(const QString &text, qsizetype start, qsizetype i)
{
    const QChar c = text.at(i);
    if (c.isLetterOrNumber() || c.isMark())
        return true;
    if (i == start)
        return false;
    const QChar before = text.at(i - 1);
    const bool letterAfter = i + 1 < text.size() && text.at(i + 1).isLetter();
    if (c == QLatin1Char('-'))
        return before.isLetter() && letterAfter;
    if (isApostrophe(c)) // "king's", and the plural possessive "sons'"
        return before.isLetter() && (letterAfter || before.toLower() == QLatin1Char('s'));
    return false;
}

} // namespace

namespace OsisVerse {

Parsed parse(const QString &osis)
{
    Attributed raw;
    QVector<QStringList> strongs;
    Parsed result;
    walk(osis, &raw, &strongs, &result.title);

    // Collapse white space, keeping each character's owner.
    Attributed text;
    for (qsizetype i = 0; i < raw.text.size(); ++i) {
        const QChar c = raw.text.at(i);
        if (c == QLatin1Char(' ')) {
            if (text.text.isEmpty() || text.text.endsWith(QLatin1Char(' ')))
                continue;
        } else if (QStringLiteral(",.;:?!").contains(c) && text.text.endsWith(QLatin1Char(' '))) {
            // A tag between a word and its punctuation must not leave a gap.
            text.text.chop(1);
            text.owner.removeLast();
        }
        text.append(c, raw.owner.at(i));
    }
    if (text.text.endsWith(QLatin1Char(' '))) {
        text.text.chop(1);
        text.owner.removeLast();
    }
    // Tagging split "boldly" in two (Hebrews 4:16, "bold ly"): a lone "ly"
    // is no word, so the blank before it goes.
    for (qsizetype i = text.text.indexOf(QLatin1String(" ly")); i > 0; i = text.text.indexOf(QLatin1String(" ly"), i + 1)) {
        const qsizetype after = i + 3;
        if (text.text.at(i - 1).isLetter() && (after == text.text.size() || !text.text.at(after).isLetter())) {
            text.text.remove(i, 1);
            text.owner.remove(i);
        }
    }
    result.text = text.text;

    qsizetype i = 0;
    while (i < text.text.size()) {
        if (!continuesWord(text.text, i, i)) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        KjvWord word;
        while (i < text.text.size() && continuesWord(text.text, start, i)) {
            const int who = text.owner.at(i);
            if (who >= 0) {
                for (const QString &number : strongs.at(who)) {
                    if (!word.strongs.contains(number))
                        word.strongs.append(number);
                }
            }
            ++i;
        }
        word.text = text.text.mid(start, i - start);
        result.words.append(word);
    }
    return result;
}

} // namespace OsisVerse
