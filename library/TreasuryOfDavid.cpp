#include "TreasuryOfDavid.h"

#include "MarkupText.h"
#include "SentenceText.h"

#include <QRegularExpression>

namespace {

// Spurgeon signs his own notes with his initials.
QString expandSignature(const QString &attribution)
{
    static const QRegularExpression initials(QStringLiteral("^C\\. ?H\\. ?S\\.?$"));
    return initials.match(attribution).hasMatch() ? QStringLiteral("C. H. Spurgeon") : attribution;
}

QString cleanAttribution(QString a)
{
    a = a.simplified();
    while (!a.isEmpty() && (a.front() == QChar(0x2014) || a.front() == QLatin1Char('-') || a.front().isSpace()))
        a.remove(0, 1);
    while (!a.isEmpty() && (a.back() == QLatin1Char('.') || a.back() == QLatin1Char(',') || a.back().isSpace()))
        a.chop(1);
    // "C. H. S." loses its last stop above; initials keep theirs.
    if (a.size() > 1 && a.at(a.size() - 2) == QLatin1Char(' ') && a.back().isUpper())
        a += QLatin1Char('.');
    return expandSignature(a);
}

// A writer's name: capitalised words or initials, perhaps "Condensed from" first.
bool looksLikeName(const QString &attribution)
{
    static const QRegularExpression name(QStringLiteral(
        "^(?:(?:Condensed|Abridged|Adapted|Translated) from |From )?"
        "(?:[A-Z][\\w'\\x{2019}-]*\\.?|de|da|di|du|von|van|der|le|la)"
        "(?:\\s+(?:[A-Z][\\w'\\x{2019}-]*\\.?|de|da|di|du|von|van|der|le|la))+"
        "(?:'s\\b.*|,.*|\\s+in\\s.*)?$"),
        QRegularExpression::UseUnicodePropertiesOption); // "Müller", "Thomé"
    return !attribution.isEmpty() && attribution.size() <= 160 && name.match(attribution).hasMatch();
}

struct Split {
    QString text;        // plain text of the passage
    QString attribution;
};

// The attribution at the end of a paragraph: usually in italics, in later
// volumes sometimes plain after the last sentence (or in italics together
// with the last words of the passage).
std::optional<Split> splitAttribution(const QString &paragraph)
{
    static const QRegularExpression italicTail(QStringLiteral("<hi type=\"italic\">([^<]*)</hi>([^<]*)$"));
    const QRegularExpressionMatch m = italicTail.match(paragraph);
    if (m.hasMatch() && m.captured(2).trimmed().size() <= 60) {
        const QString who = cleanAttribution(MarkupText::toPlain(m.captured(1) + m.captured(2)));
        if (looksLikeName(who) || who == QLatin1String("C. H. Spurgeon"))
            return Split{MarkupText::toPlain(paragraph.left(m.capturedStart())), who};
    }
    // The first sentence end from which the rest reads as a name; a later one
    // would split initials ("C. H. S.").
    const QString plain = MarkupText::toPlain(paragraph);
    static const QRegularExpression sentenceEnd(
        QStringLiteral("([.!?][\"'\\x{201D}\\x{2019})]*)\\s+\\x{2014}?\\s*(?=[A-Z])"));
    for (auto it = sentenceEnd.globalMatch(plain); it.hasNext();) {
        const QRegularExpressionMatch end = it.next();
        if (plain.size() - end.capturedEnd() > 150)
            continue;
        const QString who = cleanAttribution(plain.mid(end.capturedEnd()));
        if (looksLikeName(who))
            return Split{plain.left(end.capturedEnd(1)), who};
    }
    return std::nullopt;
}

} // namespace

namespace TreasuryOfDavid {

QVector<TreasuryNote> notes(int psalm, const QString &osis)
{
    static const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"));
    static const QRegularExpression paragraphMark(QStringLiteral("<div [^>]*type=\"x-p\"[^>]*/>"));
    QVector<TreasuryNote> out;
    // The notes run from their heading to the next heading ("Hints to the Village Preacher").
    auto it = title.globalMatch(osis);
    QRegularExpressionMatch heading;
    const auto readSection = [&](qsizetype from, qsizetype to) {
        const QStringList paragraphs = osis.mid(from, to - from).split(paragraphMark, Qt::SkipEmptyParts);
        for (const QString &paragraph : paragraphs) {
            const auto split = splitAttribution(paragraph.trimmed());
            if (!split)
                continue;
            QString text = split->text;
            while (!text.isEmpty() && (text.back() == QChar(0x2014) || text.back().isSpace()))
                text.chop(1);
            if (!text.isEmpty())
                out.push_back({psalm, text, split->attribution});
        }
    };
    bool inNotes = false;
    qsizetype sectionStart = 0;
    while (it.hasNext()) {
        heading = it.next();
        if (inNotes)
            readSection(sectionStart, heading.capturedStart());
        // The notes on a psalm's title stand under a "TITLE." heading of their own.
        const QString name = MarkupText::toPlain(heading.captured(1));
        if (!(inNotes && name.startsWith(QLatin1String("TITLE"), Qt::CaseInsensitive)))
            inNotes = name.contains(QLatin1String("EXPLANATORY NOTES"), Qt::CaseInsensitive);
        sectionStart = heading.capturedEnd();
    }
    if (inNotes)
        readSection(sectionStart, osis.size());
    return out;
}

std::optional<QString> excerpt(const QString &text, const QString &opening, const QString &closing, QString *why)
{
    const qsizetype start = text.indexOf(opening);
    if (start < 0) {
        *why = QStringLiteral("the opening words are not in the note");
        return std::nullopt;
    }
    if (!SentenceText::startsSentenceAt(text, start)) {
        *why = QStringLiteral("the opening words do not begin a sentence");
        return std::nullopt;
    }
    const qsizetype close = text.indexOf(closing, start);
    if (close < 0) {
        *why = QStringLiteral("the closing words do not follow the opening words");
        return std::nullopt;
    }
    const qsizetype end = close + closing.size();
    const QString passage = text.mid(start, end - start);
    // A stop followed by more of the same sentence ("St. Paul", a closing quote) ends nothing.
    if (!SentenceText::endsSentence(passage) || (end < text.size() && !text.at(end).isSpace())) {
        *why = QStringLiteral("the closing words do not end a sentence");
        return std::nullopt;
    }
    const int sentences = SentenceText::count(passage);
    if (sentences < 1 || sentences > 4) {
        *why = QStringLiteral("the passage holds %1 sentences, not one to four").arg(sentences);
        return std::nullopt;
    }
    return passage;
}

} // namespace TreasuryOfDavid
