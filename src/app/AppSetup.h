#pragma once

#include <QFont>
#include <QIcon>

class QApplication;

// What every window of the program needs before it is created: resources,
// the font substitutes for the classic Windows font names, the program icon.
namespace AppSetup {

void initResources();
// Qt lays out a long paragraph in buffers of tens of megabytes, allocated
// and freed at every layout. The C library normally maps such blocks
// fresh from the system and gives them back on free; faulting their pages
// in again costs more than the layout itself (a 1 MB word pasted as RTF:
// 1.1-2.2 s instead of 0.7 s). Blocks of up to 256 MB come from the heap
// instead, and up to 128 MB of free memory stays there for the next one.
void keepLargeBlocks();
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
