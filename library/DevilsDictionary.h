#pragma once

#include "Quotation.h"

#include <QByteArray>
#include <QVector>
#include <optional>

// Reads Ambrose Bierce's The Devil's Dictionary from the dictd files of the
// dict-devil package: the .index names each headword's place in the
// gzip-compressed .dict.dz.
namespace DevilsDictionary {

// Each definition's first paragraph ("CAT, n.  A soft, ..."), tagged with its
// headword in capitals; the database's own info entries are left out.
QVector<Quotation> parse(const QByteArray &dict, const QByteArray &index);

std::optional<QByteArray> gunzip(const QByteArray &compressed, QString *error);

// Reads DIR/devil.index and DIR/devil.dict.dz.
std::optional<QVector<Quotation>> read(const QString &dictdDir, QString *error);

} // namespace DevilsDictionary
