#include "pulpit/PulpitSettings.h"

#include "pulpit/PreachZoom.h"
#include "pulpit/SpeakingTime.h"

#include <QSettings>

namespace PulpitSettings {

namespace {

const QString Group = QStringLiteral("Settings");

QSettings store()
{
    return QSettings(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
}

int readInt(const QString &key, int fallback, int lowest, int highest)
{
    QSettings s = store();
    bool ok = false;
    const int value = s.value(Group + QLatin1Char('/') + key).toInt(&ok);
    return ok ? qBound(lowest, value, highest) : fallback;
}

void write(const QString &key, const QVariant &value)
{
    QSettings s = store();
    s.setValue(Group + QLatin1Char('/') + key, value);
    s.sync();
}

} // namespace

int speakingRate()
{
    return readInt(QStringLiteral("SpeakingRate"), SpeakingTime::DefaultWordsPerMinute,
                   SpeakingTime::MinWordsPerMinute, SpeakingTime::MaxWordsPerMinute);
}

void setSpeakingRate(int wordsPerMinute)
{
    write(QStringLiteral("SpeakingRate"),
          qBound(SpeakingTime::MinWordsPerMinute, wordsPerMinute, SpeakingTime::MaxWordsPerMinute));
}

int preachZoom()
{
    return readInt(QStringLiteral("PreachZoom"), DefaultZoom, PreachZoom::Smallest, PreachZoom::Largest);
}

void setPreachZoom(int percent)
{
    write(QStringLiteral("PreachZoom"), qBound(PreachZoom::Smallest, percent, PreachZoom::Largest));
}

bool preachDark()
{
    QSettings s = store();
    const QVariant value = s.value(Group + QStringLiteral("/PreachDark"));
    // Anything but a clear yes keeps the light look.
    const QString text = value.toString();
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1");
}

void setPreachDark(bool dark)
{
    write(QStringLiteral("PreachDark"), dark);
}

} // namespace PulpitSettings
