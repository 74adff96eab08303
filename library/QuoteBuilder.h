#pragma once

#include "LibraryEntry.h"
#include "SwordSource.h"

#include <optional>

// Builds the quotation entries (one per LstQuote subject) from the fortune
// files, The Devil's Dictionary, KJV verses and The Treasury of David.
namespace QuoteBuilder {

std::optional<QVector<LibraryEntry>> build(const SwordSource &sword, QString *error);
QVector<SourceInfo> sources();

// Writes every saying the curation may choose from, one a line
// ("source | author | text"), for the editors who read and choose them.
bool writeCandidates(const SwordSource &sword, const QString &path, QString *error);

} // namespace QuoteBuilder
