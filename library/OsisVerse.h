#pragma once

#include "SwordSource.h"

// Turns the OSIS markup of one KJV verse into plain text, its canonical
// heading (a psalm's superscription) and its words with Strong's numbers.
namespace OsisVerse {

struct Parsed {
    QString text;           // verse text, single-spaced
    QString title;          // canonical heading before the verse, empty if none
    QVector<KjvWord> words; // words of text with their Strong's numbers
};

Parsed parse(const QString &osis);

} // namespace OsisVerse
