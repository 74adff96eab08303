#pragma once

#include "LibraryEntry.h"
#include "QuoteCuration.h"
#include "Quotation.h"
#include "SwordSource.h"

#include <QHash>
#include <QSet>
#include <optional>

// Applies the editors' curation to the collected quotations and writes one
// entry per subject: a heading, each quotation with its "    -- Author" line,
// and the sources used.
class QuoteSelector {
public:
    static constexpr int MinimumPerSubject = 8;
    static constexpr int MinimumEntryLength = 500;

    // fortunes: every parsed fortune (filtered here); devil: Bierce's definitions.
    QuoteSelector(const Curation &curation, const QVector<Quotation> &fortunes,
                  const QVector<Quotation> &devil, const QVector<KjvVerse> &kjv);

    // One entry per key, in the keys' order; fails naming the subject and rule at fault.
    std::optional<QVector<LibraryEntry>> select(const QStringList &keys, QString *error);

    // The text layout of one subject's entry.
    static QString formatEntry(const QString &title, const QVector<Quotation> &quotes);

    // Whether a fortune may be used at all: attributed, clean, not excluded.
    bool usable(const Quotation &q) const;

private:
    std::optional<QVector<Quotation>> resolve(const CurationRule &rule, int room, QString *error);
    std::optional<QVector<Quotation>> explicitRule(const CurationRule &rule, QString *error);
    QVector<Quotation> keywordRule(const CurationRule &rule, int room, QString *error);
    std::optional<Quotation> verseRange(const QString &reference, QString *error) const;
    bool taken(const Quotation &q) const;
    bool similarToChosen(const Quotation &q, const QVector<Quotation> &alsoChosen) const;
    static QSet<QString> wordSet(const QString &text);

    static QString identity(const QString &text);

    const Curation &m_curation;
    QVector<Quotation> m_pool;  // usable fortunes, best files first
    QVector<Quotation> m_devil;
    const QVector<KjvVerse> &m_kjv;
    QHash<QString, int> m_verseIndex;  // "John 3:16" -> index in m_kjv
    QHash<QString, QString> m_reserved; // explicit picks and authors' own words -> their subject
    QString m_subject;                  // the subject being built
    QSet<QString> m_used;              // already placed under a subject
    QSet<QString> m_inSubject;         // placed under the subject being built
    QVector<Quotation> m_chosen;       // the subject's quotations so far
};
