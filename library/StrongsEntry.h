#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// One entry of Strong's Hebrew or Greek dictionary reduced to plain text:
// the original word, how to say it, what it means and how the KJV renders it.
struct StrongsEntry {
    QString number;          // "H85", "G2424": no leading zeros
    QString lemma;           // the word in Hebrew or Greek letters
    QString transliteration; // "'abrâhâm"
    QString pronunciation;   // "ab-raw-hawm'"
    QString definition;      // derivation and meaning, plain text
    QStringList renderings;  // the KJV's renderings, in Strong's order

    // Strong's lists a proper name's KJV rendering capitalised ("- Abraham."),
    // common words in lower case ("- father"), after any "X" or "+" markers.
    bool isProperName() const;

    // The name a proper name's entry is listed under: the capitalised words
    // that open its first rendering, upper-cased ("Dan also" -> "DAN",
    // "Ashtoreth Karnaim" -> "ASHTORETH KARNAIM"). Empty if there is none.
    QString nameHeadword() const;
    // The same for every rendering, in Strong's order, without repeats
    // ("Chush, Cush, Ethiopia" -> CHUSH, CUSH, ETHIOPIA); the first is
    // nameHeadword(), empty when the first rendering has no capital.
    QStringList nameSpellings() const;

    // Whether the renderings name this English word (lower case), allowing
    // for Strong's shorthand: "him" or "self" for "himself", "(un-)to(-ward)"
    // for "toward", "have" for "having".
    bool listsRendering(const QString &lowerCaseWord) const;

    // Parses one raw module entry; testament is 'H' or 'G'. Empty for
    // numbers Strong's marks "Not Used" or entries without a definition.
    static std::optional<StrongsEntry> parse(QChar testament, const QString &key, const QString &raw);

    // "H0430", "h430", "G02316" -> "H430", "G2316"; empty when not a number.
    static QString normalizeNumber(const QString &number);
};
