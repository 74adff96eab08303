#pragma once

#include "Quotation.h"

#include <QVector>
#include <optional>

// Reads the strfile text format of the fortune packages: entries separated by
// lines holding "%", an optional attribution on trailing lines starting "--".
namespace FortuneFile {

// Splits a file's text into quotations; source names the file (e.g. "wisdom").
QVector<Quotation> parse(const QString &content, const QString &source);

std::optional<QVector<Quotation>> read(const QString &path, QString *error);

// Joins hard-wrapped prose lines and keeps short (verse) lines apart.
QString reflow(const QStringList &lines);

} // namespace FortuneFile
