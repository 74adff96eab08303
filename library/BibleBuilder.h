#pragma once

#include "LibraryEntry.h"
#include "SwordSource.h"

#include <optional>

// Builds the Bible panel's entries: the KJV split into the lstBible sections.
namespace BibleBuilder {

std::optional<QVector<LibraryEntry>> build(const QVector<KjvVerse> &kjv, QString *error);
QVector<SourceInfo> sources();

} // namespace BibleBuilder
