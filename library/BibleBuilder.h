#pragma once

#include "LibraryEntry.h"
#include "SwordSource.h"

#include <optional>

// Builds the Bible panel's entries: the KJV split into the lstBible sections.
namespace BibleBuilder {

std::optional<QVector<LibraryEntry>> build(const QVector<KjvVerse> &kjv, QString *error);

// One chapter and the section whose entry holds it.
struct Chapter {
    QString book; // as the text names it
    int chapter = 0;
    int verses = 0;
    QString subject;
};
// Every chapter of the text in canonical order (for a text build() takes).
QVector<Chapter> chapters(const QVector<KjvVerse> &kjv);
QVector<SourceInfo> sources();

} // namespace BibleBuilder
