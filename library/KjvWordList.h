#pragma once

#include <QString>
#include <QStringList>

// The words the spelling checker must never mark because the Bible uses
// them: every word form of the KJV's text (names, archaic forms such as
// "begat" and "thee", hyphenated names also as one word, names written with
// "æ" also with "ae") and the headwords of the dictionary database. Written
// beside the databases, one word a line in UTF-8, for the program to read.
class KjvWordList {
public:
    // From the Bible's entry texts and the dictionary's. A word that occurs
    // in lower case is listed only so (the checker takes a lower-case word
    // in any capitalisation); a capitalised form stays for names.
    static QStringList words(const QStringList &bibleTexts, const QStringList &dictionaryTexts);

    // Reads bible.db and joke.db in dataDir and writes the list there.
    // Returns the number of words, or -1 with *error set.
    static qsizetype write(const QString &dataDir, QString *error);
};
