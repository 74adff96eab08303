#pragma once

#include "LibraryEntry.h"
#include "QuoteCuration.h"
#include "Quotation.h"
#include "SwordSource.h"
#include "TreasuryOfDavid.h"

#include <QHash>
#include <optional>

// Applies the editors' curation to the collected quotations and writes one
// entry per subject: a heading, each quotation with its "    -- Author" line,
// and the sources used.
class QuoteSelector {
public:
    static constexpr int MinimumPerSubject = 8;
    static constexpr int MinimumEntryLength = 500;

    // fortunes: every parsed fortune (filtered here); devil: Bierce's definitions;
    // treasury: the attributed notes of The Treasury of David.
    QuoteSelector(const Curation &curation, const QVector<Quotation> &fortunes, const QVector<Quotation> &devil,
                  const QVector<KjvVerse> &kjv, const QVector<TreasuryNote> &treasury = {});

    // One entry per key, in the keys' order; fails naming the subject and rule at fault.
    std::optional<QVector<LibraryEntry>> select(const QStringList &keys, QString *error);

    // The text layout of one subject's entry.
    static QString formatEntry(const QString &title, const QVector<Quotation> &quotes);

    // Whether a fortune may be used at all: attributed and clean.
    static bool usable(const Quotation &q);

    // Why a quotation's text is unfit to print (a sentence cut off, an
    // editor's bracket, an address); empty when it is fit.
    static QString textFault(const QString &text);

private:
    std::optional<QVector<Quotation>> resolve(const CurationRule &rule, QString *error) const;
    std::optional<Quotation> verseRange(const QString &reference, QString *error) const;
    std::optional<Quotation> treasuryPassage(const QString &value, QString *error) const;

    static QString identity(const QString &text);
    // The attribution as it should read (see CreditMend).
    QString mended(const QString &attribution) const;

    const Curation &m_curation;
    QVector<Quotation> m_pool;  // usable fortunes, in the order of the curation's files
    QVector<Quotation> m_devil;
    const QVector<KjvVerse> &m_kjv;
    QHash<QString, int> m_verseIndex;  // "John 3:16" -> index in m_kjv
    QHash<int, QVector<TreasuryNote>> m_treasury; // psalm -> its notes
    QHash<QString, QString> m_credits;  // misprinted attribution -> as it should read
};
