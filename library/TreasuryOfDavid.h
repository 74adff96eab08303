#pragma once

#include <QString>
#include <QVector>
#include <optional>

// One of the "Explanatory Notes and Quaint Sayings" of C. H. Spurgeon's
// The Treasury of David: a passage of another writer, attributed as the book does.
struct TreasuryNote {
    int psalm = 0;
    QString text;        // plain text, verse labels and quoted verse words included
    QString attribution; // "John Trapp, 1660", "Thomas Watson's Saints Spiritual Delight, 1660"
};

// Reads the notes out of the SWORD module TDavid (Debian package sword-comm-tdavid).
namespace TreasuryOfDavid {

// The attributed notes of one psalm, given the OSIS markup of its chapter.
QVector<TreasuryNote> notes(int psalm, const QString &osis);

// The passage of a note from the sentence that opens with `opening` through
// the sentence that closes with `closing`; empty with a reason when these do
// not mark whole sentences.
std::optional<QString> excerpt(const QString &text, const QString &opening, const QString &closing, QString *why);

} // namespace TreasuryOfDavid
