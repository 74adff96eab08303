#include "editor/Contrast.h"

#include <cmath>

namespace Contrast {

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor mix(const QColor &from, const QColor &to, double t)
{
    auto channel = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

} // namespace

double relativeLuminance(const QColor &colour)
{
    const QColor c = colour.toRgb();
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double ratio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor readableOn(const QColor &colour, const QColor &background, double minimum)
{
    const QColor rgb = colour.toRgb();
    if (ratio(rgb, background) >= minimum)
        return rgb;
    const QColor target = ratio(Qt::black, background) >= ratio(Qt::white, background) ? QColor(Qt::black)
                                                                                          : QColor(Qt::white);
    // The contrast grows steadily on the way to the target: the least step
    // that is enough, to within one level of a channel.
    double lo = 0;
    double hi = 1;
    for (int i = 0; i < 16; ++i) {
        const double mid = (lo + hi) / 2;
        if (ratio(mix(rgb, target, mid), background) >= minimum)
            hi = mid;
        else
            lo = mid;
    }
    return mix(rgb, target, hi);
}

QColor dimmestReadable(const QColor &background, double minimum)
{
    const int level = qGray(background.rgb());
    const bool darker = ratio(Qt::black, background) >= ratio(Qt::white, background);
    // From the background's own grey outwards, one level at a time.
    for (int step = 1; step <= 255; ++step) {
        const int g = darker ? level - step : level + step;
        if (g < 0 || g > 255)
            break;
        const QColor grey(g, g, g);
        if (ratio(grey, background) >= minimum)
            return grey;
    }
    return darker ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace Contrast
