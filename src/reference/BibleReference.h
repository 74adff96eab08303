#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// A Bible reference as a reader types it ("John 3:16", "jn 3:16",
// "1 Cor 13:4-7", "1Co 13", "Ps 23", "Song of Solomon 2:4"): the book by
// the name the KJV text uses, a chapter, and optionally a verse or a range
// of verses. Parsing knows the books' names and abbreviations, not how many
// chapters or verses each has: the Bible database answers that.
struct BibleReference {
    QString book;       // as the KJV text names it: "1 Corinthians", "Psalms"
    int chapter = 0;
    int firstVerse = 0; // 0: the whole chapter
    int lastVerse = 0;  // equals firstVerse for a single verse

    // "John 3:16", "1 Corinthians 13:4-7", "Psalms 23".
    QString text() const;

    // The reference that the text is, or nothing when it is not one. Case,
    // a full stop after an abbreviation and the blank after a leading
    // number do not matter; a lone number after a one-chapter book is a
    // verse ("Jude 3" is Jude 1:3).
    static std::optional<BibleReference> parse(QStringView text);

    // The 66 book names in canonical order, as the KJV text writes them.
    static QStringList bookNames();
    // Every name and abbreviation that parse() takes for the book (lower case).
    static QStringList namesOf(const QString &book);
};
