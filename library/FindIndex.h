#pragma once

#include "BibleBuilder.h"
#include "DbWriter.h"

// The tables that let the program's Find reach a whole panel at once
// (layout in reference/FindTables.h).
namespace FindIndex {

// The trigram index of the entries' text as Find matches it; rowid is the
// entry's id (DbWriter numbers the entries from 1 in their order). Entries
// in RTF are left out: the program searches them whole.
ExtraTable findText(const QVector<LibraryEntry> &entries);

// bible.db: where each chapter is and how many verses it has.
ExtraTable bibleChapters(const QVector<BibleBuilder::Chapter> &chapters);

} // namespace FindIndex
