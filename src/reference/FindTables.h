#pragma once

// Tables that the importer adds beside the entry tables so that Find can
// reach a whole panel at once. The program only reads them, and works
// (slower, or without references) when a file lacks them.

#include <string_view>

namespace FindTables {

// Every plain-text entry's text folded by TextMatch, under the entry's id as
// rowid, in an index of character trigrams that stores only which entries
// hold each trigram: it tells which entries cannot hold a text.
inline constexpr std::string_view FindText = "FindText";
inline constexpr std::string_view FindTextDdl =
    "CREATE VIRTUAL TABLE FindText USING fts5(folded, content='', detail='none', "
    "tokenize='trigram case_sensitive 1')";

// bible.db: each chapter of each book, its number of verses and the
// subject key of the section that holds it.
inline constexpr std::string_view BibleChapters = "BibleChapters";
inline constexpr std::string_view BibleChaptersDdl =
    "CREATE TABLE BibleChapters (book TEXT NOT NULL, chapter INTEGER NOT NULL, verses INTEGER NOT NULL, "
    "subject TEXT NOT NULL, PRIMARY KEY (book, chapter)) WITHOUT ROWID";

} // namespace FindTables
