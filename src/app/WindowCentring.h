#pragma once

#include <QMargins>

class QWidget;

// Centres top-level windows on their screen by the whole window, title bar
// and borders included, as the window manager frames them.
namespace WindowCentring {

// The frame the window system has put around a visible window; none when
// window is null, hidden, or not framed yet.
QMargins frameOf(const QWidget *window);

// Centres window now, and again once the window system has framed it: when
// it is shown and at its first expose, before its first paint (under X11 the
// frame is known only once the window is mapped). Until the real frame is
// known, expectedFrame stands in for it: another window's frame, so that the
// window is mapped where it stays. A frame larger than the screen keeps its
// top left corner on the screen. Later moves are the user's.
void centre(QWidget *window, QMargins expectedFrame = {});

} // namespace WindowCentring
