#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn by us as SVG and rendered at the size asked.
namespace Pictures {

// ":/pictures/<name>.svg" rendered at size (device-independent pixels).
QPixmap pixmap(const QString &name, QSize size);
// A 16 x 16 button picture from ":/pictures/<name>.svg".
QIcon icon(const QString &name);

} // namespace Pictures
