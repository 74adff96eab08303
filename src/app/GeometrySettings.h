#pragma once

#include <QRectF>
#include <QString>

// The main window's geometry as written to the per-user settings store
// (organisation and application "Vellumor", group "Settings"). Written on
// close, never read back by the program.
namespace GeometrySettings {

// A single-precision value as decimal text, without a fractional part when whole.
QString formatValue(float value);

// Writes "MainLeft", "MainTop", "MainWidth", "MainHeight" in that order.
void write(const QRectF &twips);

} // namespace GeometrySettings
