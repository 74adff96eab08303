#pragma once

#include "StrongsEntry.h"
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
        WordUse use;  // the word's own occurrences in the text, as words() counts them
        int rendered = 0; // the translations' uses added up
        QVector<Translation> translations; // most used first
    };

    // Keeps a reference to the verses for reference(): they must outlive it.
    // strongs, when given, tells which English words Strong's lists for a
    // number (see Headword).
    explicit KjvConcordance(const QVector<KjvVerse> &verses, const QHash<QString, StrongsEntry> &strongs = {});

    // Every distinct word (letter case ignored), sorted by its lower-case form.
    QVector<WordUse> words() const;
    // The entry of words() for a word in any letter case; count 0 if the KJV lacks it.
    WordUse word(const QString &anyCase) const;
    // "Genesis 1:1", or "Psalms 4 (title)" for a word first met in a title.
    QString firstReference(const WordUse &use) const;

    // Every English word that renders a Strong's number, with the numbers it
    // renders, sorted. A tag covering a phrase ("the Spirit", "he gave") is
    // given to its small words (isFunctionWord()) only when the Strong's word
    // is one the KJV renders by small words alone, and only to the small words
    // that render it alone elsewhere ("the" for the article). Such a Strong's
    // word goes to a word of content only when Strong's lists that English
    // word among its renderings: a tag that slipped to a neighbouring word
    // ("LORD" for the article) is not a rendering.
    QVector<Headword> headwords() const;
    TagUse tag(const QString &number) const;

    // The capitalised words the KJV tags with a number, commonest first
    // (possessives folded in, upper case): "ALPHAEUS", "ADONI-ZEDEK"; with the
    // untagged capitalised words before them ("ASHTEROTH KARNAIM", where the
    // module tags only "Karnaim").
    QStringList nameSpellings(const QString &number) const;
    // The uses of a number whose verse prints this spelling (its words in a
    // row; letter case, hyphens and possessives aside), and the first of them;
    // printed, when given, receives the spelling as the first such verse has it.
    TagUse nameUse(const QString &number, const QString &spelling, QString *printed = nullptr) const;

    // The Strong's words worth listing under a headword: those it translates at
    // least twice or for at least 5% of its renderings, and always its only
    // one. The rest, each used once, are accidents of tagging more often than not.
    static QVector<Translation> principal(const Headword &headword);
    QString reference(int verseIndex) const;
    // "Psalms 4 (title)": the title standing before the given verse.
    QString titleReference(int verseIndex) const;

    // The words of a text: punctuation dropped, inner apostrophes and hyphens kept.
    static QStringList tokens(const QString &text);
    // Articles, prepositions, conjunctions, pronouns and auxiliaries.
    static bool isFunctionWord(const QString &lowerCaseWord);
    // "LORD’S" -> "LORD", "ADONI-ZEDEK" stays: the key under which a name is spelt.
    static QString nameKey(const QString &upperCaseWord);

private:
    struct WordCount {
        int count = 0;
        int firstVerse = -1;
        bool firstInTitle = false;
        QHash<QString, int> spellings;
    };
    struct Run {
        int verse = 0;
        QStringList numbers;
        QStringList tokens;
    };
    void noteRun(QVector<Run> &runs, const QStringList &numbers, const QStringList &runTokens,
                 const QStringList &leadIn, int verse);
    void pairRun(const Run &run, const QHash<QString, StrongsEntry> &strongs);
    bool rendersBySmallWords(const QString &number) const;

    const QVector<KjvVerse> &m_verses;
    QHash<QString, WordCount> m_words;
    QHash<QString, TagUse> m_tags;
    QHash<QString, int> m_smallWordRuns;  // number -> runs made of small words only
    QHash<QString, int> m_alone;          // "the|G3588" -> runs of that small word alone
    QHash<QString, QHash<QString, TagUse>> m_pairs; // headword -> number -> use
    QHash<QString, QHash<QString, int>> m_names; // number -> spelling -> uses
    QHash<QString, QVector<int>> m_tagVerses;     // number -> the verse of each use
};
