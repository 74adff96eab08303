#pragma once

#include <QLocale>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class Speller;

// What the document's spelling is checked against: a Hunspell dictionary,
// the Bible's own words (never marked), the user's own words (kept in a
// file, one a line in UTF-8) and the words ignored for this run. Loading
// takes a tenth of a second or more: it is done off the GUI thread, the
// rest on it.
class SpellChecker {
public:
    struct Setup {
        QStringList dictionaryFolders;
        QLocale locale;
        QString bibleWords;    // the importer's word list in the data folder
        QString personalWords; // the user's own list
    };

    // The folders searched for a dictionary: the system's unless a test set others.
    static QStringList dictionaryFolders();
    static void setDictionaryFolders(const QStringList &folders);
    // The user's own list in the per-user data folder.
    static QString personalWordsPath();

    static std::unique_ptr<SpellChecker> load(const Setup &setup);
    ~SpellChecker();
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    // Whether a dictionary was found and read; without one nothing is checked.
    bool hasDictionary() const;
    int bibleWordCount() const { return m_bibleWords; }

    // Whether the word (letters with inner apostrophes or hyphens) is spelt
    // right, in any capitalisation the dictionary allows.
    bool isCorrect(const QString &word) const;
    // Up to max spellings to offer instead, in the word's own apostrophes.
    QStringList suggestions(const QString &word, int max) const;
    // Known for the rest of this run.
    void ignore(const QString &word);
    // Known from now on: added to the user's list, which is written at once
    // (whole or not at all). False, with *reason, when it could not be
    // written; the word is known for this run all the same.
    bool addToDictionary(const QString &word, QString *reason);

    // A word list file: UTF-8, one word a line; blank lines and surrounding
    // spaces are ignored. Nothing when the file cannot be read.
    static QStringList readWords(const QString &path);

private:
    SpellChecker() = default;

    std::unique_ptr<Speller> m_speller;
    QString m_personalPath;
    QStringList m_personal;
    int m_bibleWords = 0;
};
