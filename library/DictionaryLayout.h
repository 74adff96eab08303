#pragma once

#include "AlphabeticRanges.h"

#include <QString>
#include <QStringList>

// Which record of the dictionary panel each generated article goes to.
namespace DictionaryLayout {

AlphabeticRanges bibleNames();
AlphabeticRanges wordUsage();

// Built from the subject list's "BibleDict ..." items in their order: each
// bounds its range by its text after the prefix; the first opens the book.
AlphabeticRanges bibleDict(const QStringList &subjectKeys);

// Topics on God, on Christ and the Holy Spirit, and on redemption have
// records of their own; every other topic goes by its alphabetical range.
QString topicalKey(const QString &topic);

// Every record the topical index fills, in the subject list's order.
QStringList topicalKeys();

// What a topical record holds, for its opening line: "from FOX to GRACE",
// "topics on God".
QString topicalDescription(const QString &key);

} // namespace DictionaryLayout
