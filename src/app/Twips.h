#pragma once

#include <QWidget>
#include <QtGlobal>

// Window geometry is specified in twips: 1440 per inch, 15 per pixel at 96 dpi.
// Qt's device-independent pixels are 96-dpi pixels, so the factor is fixed.
namespace Twips {

inline constexpr int PerPixel = 15;

constexpr int toPx(double twips) { return qRound(twips / PerPixel); }
constexpr double fromPx(int px) { return double(px) * PerPixel; }

// Places a child widget at a design position given in twips.
inline void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(toPx(left), toPx(top), toPx(width), toPx(height));
}

} // namespace Twips
