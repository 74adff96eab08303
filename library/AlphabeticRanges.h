#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Splits an alphabetical list into records: each record holds the words
// from its lower bound up to the next record's bound, compared as
// upper-case text. Words before the first bound go to the first record.
class AlphabeticRanges {
public:
    struct Range {
        QString key;   // the record's subject key
        QString bound; // first word it holds
    };

    // Ranges must be given in ascending order of their bounds.
    explicit AlphabeticRanges(QVector<Range> ranges);

    QString keyFor(const QString &word) const;

    // The text words are compared by: upper case, "Æ" as "AE", accents
    // dropped, so that "Ænon" files under A and "Cæsar" beside "Caesar".
    static QString sortKey(const QString &word);
    // Order by sortKey, then by the text itself so that no two words tie.
    static bool lessThan(const QString &a, const QString &b);
    QStringList keys() const;
    // For ranges of whole letters: "A to B" for the range at index i.
    QString letterSpan(qsizetype i) const;
    bool isValid() const; // bounds strictly ascending, at least one range

private:
    QVector<Range> m_ranges;
};
