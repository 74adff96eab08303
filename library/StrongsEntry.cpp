#include "StrongsEntry.h"

#include "MarkupText.h"
#include "NaveRenderer.h"

#include <QRegularExpression>

namespace {

// The module writes the comma after a word as braces round it:
// "{break} destroy ({-uction})" is "break, destroy (-uction),".
QString plain(const QString &markup)
{
    static const QRegularExpression braces(QStringLiteral("\\{([^{}]*)\\}(\\))?"));
    static const QRegularExpression strayComma(QStringLiteral(",+\\s*(?=[,.;:)]|$)"));
    static const QRegularExpression paddedNumber(QStringLiteral("\\b([HG])0+(\\d)"));
    static const QRegularExpression spacedApostrophe(QStringLiteral("(\\w)[\\x{00B4}'] s\\b"));
    QString s = MarkupText::toPlain(markup);
    s.replace(paddedNumber, QStringLiteral("\\1\\2"));
    s.replace(spacedApostrophe, QStringLiteral("\\1's"));
    s.replace(braces, QStringLiteral("\\1\\2,"));
    s.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    s.replace(strayComma, QString());
    return MarkupText::expandAbbreviations(s).simplified();
}

// The text of the first element matched by pattern (its inner markup removed).
QString firstElement(const QString &raw, const QRegularExpression &pattern)
{
    const QRegularExpressionMatch m = pattern.match(raw);
    return m.hasMatch() ? plain(m.captured(1)) : QString();
}

// Two spellings that the module's letters cannot tell apart ("yâkôl yâkôl")
// are shown once.
QString withoutRepeats(const QString &forms)
{
    QStringList parts = forms.split(QRegularExpression(QStringLiteral(",?\\s+")), Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return forms;
    QStringList kept;
    for (const QString &p : std::as_const(parts))
        if (!kept.contains(p))
            kept << p;
    return kept.size() == parts.size() ? forms : kept.join(QStringLiteral(", "));
}

// Splits a rendering list at commas outside parentheses and brackets.
QStringList splitRenderings(const QString &list)
{
    QStringList items;
    QString current;
    int depth = 0;
    for (const QChar c : list) {
        if (c == QLatin1Char('(') || c == QLatin1Char('['))
            ++depth;
        else if ((c == QLatin1Char(')') || c == QLatin1Char(']')) && depth > 0)
            --depth;
        if ((c == QLatin1Char(',') || c == QLatin1Char(';')) && depth == 0) {
            items << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    items << current.trimmed();
    items.removeAll(QString());
    return items;
}

} // namespace

QString StrongsEntry::normalizeNumber(const QString &number)
{
    // Called for every tagged word of the Bible: no regular expression here.
    const QString s = number.trimmed();
    if (s.size() < 2)
        return {};
    const QChar letter = s.at(0).toUpper();
    if (letter != QLatin1Char('H') && letter != QLatin1Char('G'))
        return {};
    qsizetype i = 1;
    while (i < s.size() - 1 && s.at(i) == QLatin1Char('0'))
        ++i;
    qsizetype end = i;
    while (end < s.size() && s.at(end).isDigit())
        ++end;
    const bool suffixOk = end == s.size() || (end == s.size() - 1 && s.at(end).isLower());
    if (end == i || !suffixOk)
        return {};
    return letter + s.mid(i, end - i);
}

std::optional<StrongsEntry> StrongsEntry::parse(QChar testament, const QString &key, const QString &raw)
{
    static const QRegularExpression writingRe(QStringLiteral("<orth[^>]*type=\"writing\"[^>]*>.*?</orth>"));
    static const QRegularExpression lemmaRe(QStringLiteral("<orth>(.*?)</orth>"));
    static const QRegularExpression translitRe(QStringLiteral("<orth[^>]*type=\"trans\"[^>]*>(.*?)</orth>"));
    static const QRegularExpression pronRe(QStringLiteral("<pron[^>]*>(.*?)</pron>"));
    static const QRegularExpression hebrewSep(QStringLiteral(":\\s*-\\s"));
    static const QRegularExpression hebrewLastSep(QStringLiteral("\\s-\\s"));
    static const QRegularExpression greekSep(QStringLiteral("[:;]?\\s*--"));
    static const QRegularExpression trailingNote(
        QStringLiteral("(?:^|[.;]?\\s+)(?:Compare|See|\\(In|\\(The)\\b.*$|\\.\\s+[A-Z(].*$"));

    StrongsEntry e;
    e.number = normalizeNumber(testament + key);
    if (e.number.isEmpty())
        return std::nullopt;

    static const QRegularExpression bibleRef(QStringLiteral("<ref\\s+osisRef=\"([^\"]*)\"[^>]*>(.*?)</ref>"));
    // A comma that became a "6" after italics in the Hebrew dictionary.
    static const QRegularExpression lostComma(QStringLiteral("(</hi>|[a-z])6(?=\\s*<lb|\\s)"));

    QString body = raw;
    body.remove(writingRe);
    if (testament == QLatin1Char('H'))
        body.replace(QChar(0x03CE), QChar(0x015B)); // the module's "yiώrâ'êl" is "yiśrâ'êl"
    body.replace(lostComma, QStringLiteral("\\1,"));
    // Bible references inside a definition are written out like everywhere else.
    for (auto it = bibleRef.globalMatch(raw); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString target = m.captured(1);
        // "Jude 5:14" in the Hebrew dictionary is Judges: Jude has one chapter.
        if (target.startsWith(QLatin1String("Jude.")) && !target.startsWith(QLatin1String("Jude.1.")))
            target.replace(0, 4, QStringLiteral("Judg"));
        const QString readable = NaveRenderer::readableReference(target);
        if (!readable.isEmpty())
            body.replace(m.captured(0), readable);
    }
    e.lemma = firstElement(body, lemmaRe);
    e.transliteration = withoutRepeats(firstElement(body, translitRe));
    e.pronunciation = withoutRepeats(firstElement(body, pronRe));

    const qsizetype defStart = body.indexOf(QLatin1String("<def"));
    if (defStart < 0)
        return std::nullopt;
    const QString text = plain(body.mid(defStart));
    if (text.isEmpty() || text.startsWith(QLatin1String("Not Used")))
        return std::nullopt;

    QRegularExpressionMatch sep;
    if (testament == QLatin1Char('H')) {
        sep = hebrewSep.match(text);
        if (!sep.hasMatch()) {
            auto it = hebrewLastSep.globalMatch(text);
            while (it.hasNext())
                sep = it.next();
        }
    } else {
        sep = greekSep.match(text);
    }

    QString renderings;
    if (sep.hasMatch()) {
        e.definition = text.left(sep.capturedStart()).trimmed();
        renderings = text.mid(sep.capturedEnd()).trimmed();
    } else {
        e.definition = text;
    }
    while (e.definition.endsWith(QLatin1Char(':')) || e.definition.endsWith(QLatin1Char(';'))
           || e.definition.endsWith(QLatin1Char(',')))
        e.definition.chop(1);
    e.definition = e.definition.trimmed();

    renderings.remove(trailingNote);
    while (renderings.endsWith(QLatin1Char('.')))
        renderings.chop(1);
    e.renderings = splitRenderings(renderings);
    return e;
}

bool StrongsEntry::isProperName() const
{
    if (renderings.isEmpty())
        return false;
    static const QRegularExpression markers(QStringLiteral("^(?:\\s*(?:X(?=\\s|$)|\\+|\\([^)]*\\)|\\[[^\\]]*\\])\\s*)+"));
    QString first = renderings.constFirst();
    first.remove(markers);
    return !first.isEmpty() && first.at(0).isUpper();
}

bool StrongsEntry::listsRendering(const QString &lowerCaseWord) const
{
    static const QRegularExpression nonLetters(QStringLiteral("[^\\p{L}]+"));
    QString word;
    for (const QChar c : lowerCaseWord)
        if (c.isLetter())
            word += c;
    for (const QString &rendering : renderings) {
        for (const QString &part : rendering.toLower().split(nonLetters, Qt::SkipEmptyParts)) {
            if (part == word)
                return true;
            qsizetype common = 0;
            while (common < part.size() && common < word.size() && part.at(common) == word.at(common))
                ++common;
            // A shared stem ("have", "having"), or the word's last part ("self", "himself").
            if (common >= 3 && common >= std::min(part.size(), word.size()) - 1)
                return true;
            if (part.size() >= 4 && word.endsWith(part))
                return true;
        }
    }
    return false;
}

QString StrongsEntry::nameHeadword() const
{
    return nameSpellings().value(0);
}

QStringList StrongsEntry::nameSpellings() const
{
    static const QRegularExpression asides(QStringLiteral("\\([^)]*\\)|\\[[^\\]]*\\]?|^(?:X|\\+)\\s+"));
    static const QRegularExpression edges(QStringLiteral("^[^\\p{L}]+|[^\\p{L}]+$"));
    QStringList out;
    for (QString s : renderings) {
        s.remove(asides);
        QStringList words;
        for (QString w : s.simplified().split(QLatin1Char(' '))) {
            w.remove(edges);
            if (w.isEmpty() || !w.at(0).isUpper())
                break;
            words << w;
        }
        const QString spelling = words.join(QLatin1Char(' ')).toUpper();
        if (!out.contains(spelling) && (!spelling.isEmpty() || out.isEmpty()))
            out << spelling;
    }
    return out;
}
