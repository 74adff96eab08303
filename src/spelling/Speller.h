#pragma once

#include <QLocale>
#include <QStringConverter>
#include <QStringList>

#include <memory>
#include <optional>

class Hunspell;

// Hunspell behind a Qt face: one dictionary (an .aff and .dic pair as the
// hunspell-* packages install them), words checked and suggested in the
// dictionary's own encoding, words added for this run. The only place that
// includes Hunspell's header. One thread at a time.
class Speller {
public:
    struct Dictionary {
        QString affixFile;
        QString wordFile;
        QString name; // "en_US"
    };

    // The English dictionary to use: the system locale's own (say en_GB)
    // when it is English, otherwise en_US, otherwise any English one; the
    // folders are searched in order for each.
    static std::optional<Dictionary> find(const QStringList &folders, const QLocale &locale);
    // Where the system keeps Hunspell dictionaries.
    static QStringList systemFolders();
    // The package that gives the locale's dictionary, for the user to install.
    static QString packageFor(const QLocale &locale);

    explicit Speller(const Dictionary &dictionary);
    ~Speller();
    Speller(const Speller &) = delete;
    Speller &operator=(const Speller &) = delete;

    // Whether the dictionary was read and its encoding is one Qt converts.
    bool isValid() const { return bool(m_hunspell); }
    bool check(const QString &word) const;
    QStringList suggest(const QString &word) const;
    void add(const QString &word);

private:
    std::optional<std::string> encode(const QString &word) const;

    std::unique_ptr<Hunspell> m_hunspell;
    mutable QStringEncoder m_encoder;
    mutable QStringDecoder m_decoder;
};
