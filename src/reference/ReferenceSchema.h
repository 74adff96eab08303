#pragma once

// The layout of the four reference databases, shared by the program (which
// only reads them) and the importer (which writes them). Each database holds
// one entry table with a named index whose first column holds the subject
// keys, plus a table naming every source the content came from.

#include <array>
#include <string>
#include <string_view>

namespace ReferenceSchema {

struct Table {
    std::string_view file;        // file name inside the data folder
    std::string_view table;       // entry table
    std::string_view index;       // index the lookups select by name
    std::string_view keyColumn;   // TEXT column holding the subject keys
    std::string_view entryField;  // TEXT column the bound view shows
    std::string_view subjectList; // name of the subject list resource
};

inline constexpr Table Bible{"bible.db", "Contacts", "books", "subject", "text", "lstBible"};
inline constexpr Table Joke{"joke.db", "VMJoke", "JokeSubject", "subject", "Joketext", "lstJoke"};
inline constexpr Table Quote{"quote.db", "VMQuote", "QuoteSubject", "subject", "QuoteText", "LstQuote"};
inline constexpr Table Sermon{"sermon.db", "Sermon", "SermonSubject", "subject", "SermonText", "lstSermonType"};

inline constexpr std::array<Table, 4> All{Bible, Joke, Quote, Sermon};

// Beside the databases: the Bible's own words, one a line, which the
// spelling checker never marks.
inline constexpr std::string_view KjvWordsFile = "kjv-words.list";

// Where each entry's content came from: one row per source.
inline constexpr std::string_view SourcesTable = "Sources";
inline constexpr std::string_view SourcesDdl =
    "CREATE TABLE Sources (name TEXT NOT NULL, package TEXT NOT NULL, "
    "licence TEXT NOT NULL, note TEXT NOT NULL DEFAULT '')";

// "id" gives records with equal keys a stable order: the index is
// (key, id), so the first record for a key is the one inserted first.
inline std::string entryTableDdl(const Table &t)
{
    std::string s = "CREATE TABLE ";
    s += t.table;
    s += " (id INTEGER PRIMARY KEY, ";
    s += t.keyColumn;
    s += " TEXT NOT NULL, ";
    s += t.entryField;
    s += " TEXT NOT NULL)";
    return s;
}

inline std::string indexDdl(const Table &t)
{
    std::string s = "CREATE INDEX ";
    s += t.index;
    s += " ON ";
    s += t.table;
    s += " (";
    s += t.keyColumn;
    s += ", id)";
    return s;
}

} // namespace ReferenceSchema
