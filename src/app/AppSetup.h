#pragma once

#include <QFont>
#include <QIcon>

class QApplication;

// What every window of the program needs before it is created: resources,
// the font substitutes for the classic Windows font names, the program icon.
namespace AppSetup {

void initResources();
// Maps "MS Sans Serif", "Arial", "Times New Roman", "Poster" and the other
// names the windows use onto installed look-alikes.
void installFontSubstitutes();
// Both of the above plus the application's names and icon.
void prepare(QApplication &app);
QIcon programIcon();
// A font as the windows' designs name it: family, points, bold; the family
// is the first installed of the design's and its stand-ins.
QFont designFont(const QString &family, double points, bool bold = false);

} // namespace AppSetup
