#pragma once

#include <QString>
#include <QStringView>

// Find's rule for when typed text matches reference or document text:
// letter case is ignored, and the typewriter and typographic styles of the
// apostrophe (' ’ ‘) and of the quotation mark (" “ ”) count as one
// character each. Folding keeps every position: the folded text has the
// same length as the original, character for character.
namespace TextMatch {

QString folded(QStringView text);

// The position of the first match of needle in haystack at or after from,
// or -1. An empty needle matches nowhere.
qsizetype indexIn(QStringView haystack, QStringView needle, qsizetype from = 0);

// As indexIn, with a needle already folded: saves folding it per haystack.
qsizetype indexOfFolded(QStringView haystack, QStringView foldedNeedle, qsizetype from = 0);

// The start of the first line of haystack that is the (folded) line and
// nothing else, or -1: a dictionary's headword such as "MOSES".
qsizetype indexOfLine(QStringView haystack, QStringView foldedLine);

} // namespace TextMatch
