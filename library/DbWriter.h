#pragma once

#include "LibraryEntry.h"
#include "reference/ReferenceSchema.h"

// Writes one reference database file: the entry table with its named index
// and the Sources table. The file appears whole or not at all.
class DbWriter {
public:
    // Records get ids in the given order, so among equal keys the first
    // given is the first in index order.
    static bool write(const QString &path, const ReferenceSchema::Table &table,
                      const QVector<LibraryEntry> &entries, const QVector<SourceInfo> &sources,
                      QString *error);
};
