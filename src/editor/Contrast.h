#pragma once

#include <QColor>

// Contrast between text and background as the Web Content Accessibility
// Guidelines measure it: from 1 (none) to 21 (black on white). Text reads
// well at 4.5 or more.
namespace Contrast {

constexpr double Readable = 4.5;

double relativeLuminance(const QColor &colour);
double ratio(const QColor &a, const QColor &b);

// colour itself when it reaches minimum against background; otherwise the
// colour moved towards black or white (whichever lies further from the
// background) just far enough to reach it. Hue is kept as far as it can be.
QColor readableOn(const QColor &colour, const QColor &background, double minimum = Readable);

// The grey nearest the background that still reaches minimum against it:
// the dimmest colour that stays readable.
QColor dimmestReadable(const QColor &background, double minimum = Readable);

} // namespace Contrast
