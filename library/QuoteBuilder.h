#pragma once

#include "LibraryEntry.h"
#include "SwordSource.h"

#include <optional>

// Builds the quotation entries (one per LstQuote subject) from the fortune
// files, The Devil's Dictionary and KJV verses.
namespace QuoteBuilder {

std::optional<QVector<LibraryEntry>> build(const QVector<KjvVerse> &kjv, QString *error);
QVector<SourceInfo> sources();

} // namespace QuoteBuilder
