#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// One selection rule of a quotation subject, in the order the editors wrote it.
struct CurationRule {
    QString kind;   // say, pick, verse, verses, devil, author, words, kjv
    QString value;  // the text after "kind:"
    int line = 0;   // line in the curation file, for error messages
    int cap = 0;    // most quotations this rule may add; 0 = as many as the subject has room for
};

// How one subject's quotations are chosen and headed.
struct SubjectCuration {
    QString key;
    QString title;
    int count = 0;  // exact number required; 0 = free (at least the minimum, up to max)
    int max = 20;
    QVector<CurationRule> rules;
};

// The editors' choices for the whole quotation panel, read from library/quotes.
struct Curation {
    QStringList files;        // fortune files searched by keyword, best first
    QStringList excludes;     // substrings of quotations never used
    QStringList skipAuthors;  // attribution patterns that are not real authors
    QVector<SubjectCuration> subjects;
};

// Parses the curation file format: "[Subject]" headers, "kind: value" lines,
// "#" comments; the "[*]" section holds the global settings.
namespace QuoteCuration {

std::optional<Curation> parse(const QString &text, QString *error);

// The curation embedded in the importer.
std::optional<Curation> load(QString *error);

} // namespace QuoteCuration
