#pragma once

#include <QString>
#include <QStringList>

// The fixed subject keys of the four reference lists, kept as resource data
// so that the program, the help text and the importer read the same words.
namespace SubjectLists {

// Items of the named list ("lstBible", "lstJoke", "LstQuote",
// "lstSermonType") in stored order, blanks kept. Empty for an unknown name.
QStringList load(const QString &listName);

} // namespace SubjectLists
