#pragma once

#include "LibraryEntry.h"
#include "reference/ReferenceSchema.h"

#include <QVariantList>

#include <string>

// A further table of a database file, made and filled after the entries.
struct ExtraTable {
    std::string ddl;            // CREATE TABLE or CREATE VIRTUAL TABLE
    std::string insert;         // INSERT with one parameter per value of a row
    QVector<QVariantList> rows; // values: text or integers
    std::string finish;         // run after the rows, when not empty
};

// Writes one reference database file: the entry table with its named index,
// the Sources table and any further tables. The file appears whole or not at all.
class DbWriter {
public:
    // Records get ids in the given order, from 1, so among equal keys the
    // first given is the first in index order.
    static bool write(const QString &path, const ReferenceSchema::Table &table,
                      const QVector<LibraryEntry> &entries, const QVector<SourceInfo> &sources,
                      QString *error, const QVector<ExtraTable> &extra = {});
};
