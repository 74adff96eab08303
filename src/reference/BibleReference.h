#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// A Bible reference as a reader types it ("John 3:16", "jn 3:16",
// "1 Cor 13:4-7", "1Co 13", "Ps 23", "Song of Solomon 2:4", "Gen 1:26-2:3"):
// the book by the name the KJV text uses, a chapter, and optionally a verse
// or a range of verses, which may run on into a later chapter. Parsing knows
// the books' names and abbreviations, not how many chapters or verses each
// has: the Bible database answers that.
struct BibleReference {
    QString book;       // as the KJV text names it: "1 Corinthians", "Psalms"
    int chapter = 0;
    int firstVerse = 0; // 0: the whole chapter
    int lastVerse = 0;  // equals firstVerse for a single verse; a verse of endChapter()
    int lastChapter = 0; // where a range ends when past chapter; 0: in chapter

    int endChapter() const { return lastChapter > chapter ? lastChapter : chapter; }

    // "John 3:16", "1 Corinthians 13:4-7", "Psalms 23", "Genesis 1:26-2:3".
    QString text() const;

    // The reference that the text is, or nothing when it is not one. Case,
    // a full stop after an abbreviation and the blank after a leading
    // number do not matter; a lone number after a one-chapter book is a
    // verse ("Jude 3" is Jude 1:3).
    static std::optional<BibleReference> parse(QStringView text);

    // Several references separated by ";" or ",": "John 3:16; Rom 5:8".
    // An item may leave out what it shares with the one before: after a
    // verse, ", 18" is another verse of its chapter; "; 4:1" and "; 24"
    // (or ", 24" after a whole chapter) are chapters of the same book.
    // Nothing when any item is not a reference.
    static std::optional<QList<BibleReference>> parseList(QStringView text);

    struct Found;
    // The references written in a text, in order. Stricter than parse(),
    // since ordinary words are not to be taken for books: a chapter without
    // a verse ("Ps 23") needs the book written with a capital, and the
    // two-letter abbreviations that are English words ("is", "am") count
    // only with a capital too.
    static QList<Found> findIn(QStringView text);

    // The 66 book names in canonical order, as the KJV text writes them.
    static QStringList bookNames();
    // Every name and abbreviation that parse() takes for the book (lower case).
    static QStringList namesOf(const QString &book);
};

// A reference found in running text by findIn(): where the item stands
// ("17" of "John 3:16, 17") and the list ("John 3:16, 17") it is part of.
struct BibleReference::Found {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype listStart = 0;
    qsizetype listLength = 0;
    BibleReference reference;
};
