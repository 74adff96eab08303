#include "SentenceText.h"

#include <QRegularExpression>

namespace {

bool isCloser(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char(')') || c == QLatin1Char(']')
        || c == QChar(0x201D) || c == QChar(0x2019);
}

bool isStop(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('?');
}

// A full stop after an initial ("C. H.") or a title ("St. Paul", "Dr.") ends no sentence.
bool abbreviationBefore(const QString &text, qsizetype stop)
{
    if (text.at(stop) != QLatin1Char('.'))
        return false;
    qsizetype start = stop;
    while (start > 0 && text.at(start - 1).isLetter())
        --start;
    const QStringView word = QStringView(text).mid(start, stop - start);
    static const QStringList titles = {QStringLiteral("Mr"), QStringLiteral("Mrs"), QStringLiteral("Dr"),
                                       QStringLiteral("St"), QStringLiteral("Rev"), QStringLiteral("viz"),
                                       QStringLiteral("ver"), QStringLiteral("vol"), QStringLiteral("cf")};
    // "I" is a word of its own ("Here am I.").
    return (word.size() == 1 && word.at(0).isUpper() && word.at(0) != QLatin1Char('I')) || titles.contains(word);
}

} // namespace

namespace SentenceText {

bool endsSentence(const QString &text)
{
    qsizetype i = text.size() - 1;
    while (i >= 0 && text.at(i).isSpace())
        --i;
    while (i >= 0 && isCloser(text.at(i)))
        --i;
    return i >= 0 && isStop(text.at(i)) && !abbreviationBefore(text, i);
}

bool startsSentenceAt(const QString &text, qsizetype pos)
{
    qsizetype i = pos - 1;
    // A dash may part a passage from the verse words that head it.
    while (i >= 0 && (text.at(i).isSpace() || text.at(i) == QChar(0x2014)))
        --i;
    return i < 0 || endsSentence(text.left(i + 1));
}

int count(const QString &text)
{
    // A stop ends a sentence when a capital (or an opening quote) or the end follows.
    static const QRegularExpression stop(QStringLiteral(
        "[.!?][\"')\\]\\x{201D}\\x{2019}]*(?:\\s+[\"'(\\x{201C}\\x{2018}]*[A-Z]|\\s*$)"));
    int n = 0;
    for (auto it = stop.globalMatch(text); it.hasNext();) {
        if (!abbreviationBefore(text, it.next().capturedStart()))
            ++n;
    }
    return n;
}

} // namespace SentenceText
