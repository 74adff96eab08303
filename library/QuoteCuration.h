#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// One quotation the editors chose for a subject, in the order they wrote it.
struct CurationRule {
    QString kind;   // say, pick, verse, verses, devil, treasury
    QString value;  // the text after "kind:"
    int line = 0;   // line in the curation file, for error messages
};

// How one subject's quotations are chosen and headed.
struct SubjectCuration {
    QString key;
    QString title;
    int count = 0;  // exact number required; 0 = any number from the minimum up
    QVector<CurationRule> rules;
};

// A saying the editors read and left out, with their reason.
struct DroppedSaying {
    QString text;   // its opening words, enough to tell it from any other
    QString author;
    QString why;
    int line = 0;
};

// An attribution a source misprints ("William Gumall"), as it should read.
struct CreditMend {
    QString from;   // the whole attribution as the source gives it
    QString to;
    int line = 0;
};

// The editors' choices for the whole quotation panel, read from library/quotes.
struct Curation {
    QStringList files;              // fortune files read
    QVector<SubjectCuration> subjects;
    QVector<DroppedSaying> dropped; // read and left out
    QVector<CreditMend> credits;    // misprinted attributions mended
};

// Parses the curation file format: "[Subject]" headers, "kind: value" lines,
// "#" comments; the "[*]" section holds the fortune files, the mended
// attributions and the dropped sayings.
namespace QuoteCuration {

std::optional<Curation> parse(const QString &text, QString *error, const QString &fileName = QStringLiteral("curation.txt"));

// The curation embedded in the importer (curation.txt and dropped.txt).
std::optional<Curation> load(QString *error);

} // namespace QuoteCuration
