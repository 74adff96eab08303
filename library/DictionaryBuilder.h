#pragma once

#include "LibraryEntry.h"
#include "SwordSource.h"

#include <optional>

// Builds the dictionary panel's entries (Bible names, word usage, the Bible
// word dictionary and the topical index) from the KJV, Strong's and Nave's.
namespace DictionaryBuilder {

std::optional<QVector<LibraryEntry>> build(const SwordSource &sword, QString *error);
QVector<SourceInfo> sources();

} // namespace DictionaryBuilder
