#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <optional>

// A word of the KJV text with the Strong's numbers the module tags it with
// ("H7225", "G2316"; four digits, zero-padded as the module writes them:
// "H0430"; empty for untagged words such as added italics).
struct KjvWord {
    QString text;
    QStringList strongs;
};

// One KJV verse, markup removed, with the book name a reader writes
// ("1 Samuel", "Song of Solomon", "Revelation", "Psalms").
struct KjvVerse {
    int bookIndex = 0; // 0 = Genesis ... 65 = Revelation
    QString book;
    int chapter = 0;
    int verse = 0;
    QString text;            // plain text, single-spaced, no notes or paragraph marks
    QVector<KjvWord> words;  // the same text split into tagged words (punctuation dropped)
    QString title;           // a psalm's canonical superscription, before verse 1; else empty
    QString reference() const { return QStringLiteral("%1 %2:%3").arg(book).arg(chapter).arg(verse); }
};

// One entry of a SWORD lexicon or dictionary module, as stored (raw markup).
struct SwordDictEntry {
    QString key;
    QString raw;
};

// One chapter of a SWORD commentary, as stored (raw markup).
struct SwordCommentaryChapter {
    QString book; // the reader's name, "Psalms"
    int chapter = 0;
    QString raw;
};

class SwordSourcePrivate;

// The one place that talks to libsword: reads the KJV with Strong's numbers,
// the Strong's Hebrew and Greek dictionaries, Nave's Topical Bible and
// Spurgeon's The Treasury of David.
class SwordSource {
public:
    SwordSource();
    ~SwordSource();
    SwordSource(const SwordSource &) = delete;
    SwordSource &operator=(const SwordSource &) = delete;

    // Loads the modules; on failure names the missing module and its Debian package.
    bool open(QString *error);

    // All 31,102 verses in canonical order (valid after open()).
    const QVector<KjvVerse> &kjv() const;

    // Every entry of a dictionary module in module order:
    // "StrongsHebrew", "StrongsGreek" or "Nave".
    QVector<SwordDictEntry> dictionary(const QString &moduleName) const;

    // Every chapter of a commentary module that has text, in canonical order ("TDavid").
    QVector<SwordCommentaryChapter> commentary(const QString &moduleName) const;

    // The 66 book names a reader writes, in canonical order.
    static const QStringList &bookNames();
    // The reader's name of an OSIS book id ("Matt" -> "Matthew"); empty if unknown.
    static QString bookName(const QString &osisId);

private:
    std::unique_ptr<SwordSourcePrivate> d;
};
