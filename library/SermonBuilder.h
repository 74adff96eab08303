#pragma once

#include "LibraryEntry.h"

#include <optional>

// Builds the sermon guide entries (one per lstSermonType subject) from our
// own texts kept under library/sermons.
namespace SermonBuilder {

std::optional<QVector<LibraryEntry>> build(QString *error);
QVector<SourceInfo> sources();

} // namespace SermonBuilder
