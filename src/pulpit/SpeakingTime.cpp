#include "pulpit/SpeakingTime.h"

#include <QLocale>
#include <QtGlobal>

namespace SpeakingTime {

qint64 minutes(qint64 words, int wordsPerMinute)
{
    const qint64 rate = qBound(MinWordsPerMinute, wordsPerMinute, MaxWordsPerMinute);
    // Integer arithmetic: exact for any document, however long.
    return (2 * words + rate) / (2 * rate);
}

QString describe(qint64 words, int wordsPerMinute)
{
    if (words <= 0)
        return QStringLiteral("none");
    const qint64 total = minutes(words, wordsPerMinute);
    if (total == 0)
        return QStringLiteral("less than a minute");
    const QLocale locale;
    auto unit = [&locale](qint64 n, const char *one, const char *many) {
        return locale.toString(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    const qint64 hours = total / 60;
    const qint64 rest = total % 60;
    QString text = QStringLiteral("about ");
    if (hours > 0) {
        text += unit(hours, "hour", "hours");
        if (rest > 0)
            text += QLatin1Char(' ') + unit(rest, "minute", "minutes");
    } else {
        text += unit(rest, "minute", "minutes");
    }
    return text;
}

} // namespace SpeakingTime
