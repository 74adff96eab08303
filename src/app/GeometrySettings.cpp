#include "app/GeometrySettings.h"

#include <QSettings>
#include <cmath>

namespace GeometrySettings {

QString formatValue(float value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15f)
        return QString::number(qint64(value));
    // Seven significant digits: what a single-precision value holds.
    return QString::number(double(value), 'g', 7);
}

void write(const QRectF &twips)
{
    QSettings settings(QStringLiteral("Vellumor"), QStringLiteral("Vellumor"));
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(QStringLiteral("MainLeft"), formatValue(float(twips.x())));
    settings.setValue(QStringLiteral("MainTop"), formatValue(float(twips.y())));
    settings.setValue(QStringLiteral("MainWidth"), formatValue(float(twips.width())));
    settings.setValue(QStringLiteral("MainHeight"), formatValue(float(twips.height())));
    settings.endGroup();
    settings.sync();
}

} // namespace GeometrySettings
