#pragma once

#include <QRectF>

class QWidget;

// The closing animation's geometry steps and the window geometry in twips.
namespace CoolClose {

// Outer geometry (frame included) of a top-level window, in twips.
QRectF geometryTwips(const QWidget *window);
// Moves and sizes a top-level window so that its outer geometry is as given.
void setGeometryTwips(QWidget *window, const QRectF &twips);

// Restores the window to its normal state and shrinks it about its centre:
// first the height down to 405 twips, then the width down to 1680 twips,
// 10 x speed twips a step while the edge moves 5 x speed, letting pending
// events run before each step. A direction stops early when the window
// system refuses a step (the size does not change). speed must be positive.
void shrink(QWidget *window, short speed);

} // namespace CoolClose
