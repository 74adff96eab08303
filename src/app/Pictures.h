#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's pictures, drawn by us as SVG and rendered at the size asked.
// Those shown before the splash's first paint are also rendered at build
// time (cmake/PrerenderedPictures.cmake), and loaded instead when they fit.
namespace Pictures {

// ":/pictures/<name>.svg" rendered at size (device-independent pixels).
QPixmap pixmap(const QString &name, QSize size);
// At least the top left part of that picture that a window of size shown
// shows (a smaller, faster picture when one was prepared for it).
QPixmap pixmap(const QString &name, QSize size, QSize shown);
// The SVG drawing rendered now, never a prepared picture.
QPixmap draw(const QString &name, QSize size);
// A 16 x 16 button picture from ":/pictures/<name>.svg".
QIcon icon(const QString &name);

// A picture kept in a file between runs (a window's painted look), with a
// label that says what it shows.
struct Kept {
    QImage image;
    QString label;
};
// The picture kept in file; a null image when there is none or the file is
// damaged or was written on another kind of machine.
Kept readKept(const QString &file);
// Writes the picture and its label to file (atomically); false on failure.
bool writeKept(const QString &file, const Kept &kept);

} // namespace Pictures
