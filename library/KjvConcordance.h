#pragma once

#include "SwordSource.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// Counts the words of the KJV and its Strong's tags, with where each first
// occurs: the raw material of the word usage lists, the Bible names and the
// English word dictionary.
class KjvConcordance {
public:
    struct WordUse {
        QString word;       // the spelling the KJV uses most
        int count = 0;
        int firstVerse = -1; // index into the verses given
        bool firstInTitle = false; // first met in a psalm's title, before that verse
    };
    struct TagUse {
        int count = 0; // how often the KJV renders the number
        int firstVerse = -1;
        int capitalized = 0; // uses whose first translating word is capitalised
    };
    struct Translation {
        QString number; // "H7225"
        int count = 0;
        int firstVerse = -1;
    };
    struct Headword {
        QString word; // upper case
        int count = 0;
        int firstVerse = -1;
        QVector<Translation> translations; // most used first
    };

    // Keeps a reference to the verses for reference(): they must outlive it.
    explicit KjvConcordance(const QVector<KjvVerse> &verses);

    // Every distinct word (letter case ignored), sorted by its lower-case form.
    QVector<WordUse> words() const;
    // Every tagged English word with the Strong's numbers it renders, sorted.
    QVector<Headword> headwords() const;
    TagUse tag(const QString &number) const;
    // The Strong's words worth listing under a headword: those it translates at
    // least twice or for at least 5% of its uses, and always its only one. The
    // rest, each used once, are accidents of tagging more often than not.
    static QVector<Translation> principal(const Headword &headword);
    QString reference(int verseIndex) const;
    // "Psalms 4 (title)": the title standing before the given verse.
    QString titleReference(int verseIndex) const;

    // The words of a text: punctuation dropped, inner apostrophes and hyphens kept.
    static QStringList tokens(const QString &text);
    // Words that a phrase tag ("the world", "he gave") does not translate.
    static bool isFunctionWord(const QString &lowerCaseWord);

private:
    struct WordCount {
        int count = 0;
        int firstVerse = -1;
        bool firstInTitle = false;
        QHash<QString, int> spellings;
    };
    void addRun(const QStringList &numbers, const QStringList &runTokens, int verse);

    const QVector<KjvVerse> &m_verses;
    QHash<QString, WordCount> m_words;
    QHash<QString, TagUse> m_tags;
    QHash<QString, QHash<QString, TagUse>> m_pairs; // headword -> number -> use
};
