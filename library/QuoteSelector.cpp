#include "QuoteSelector.h"

#include "CrudeFilter.h"
#include "SentenceText.h"

#include <QRegularExpression>
#include <QSet>

namespace {

QString oneLine(const QString &text)
{
    return QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

bool ruleError(QString *error, const CurationRule &rule, const QString &why)
{
    if (error)
        *error = QStringLiteral("line %1 (%2: %3): %4").arg(rule.line).arg(rule.kind, rule.value, why);
    return false;
}

QString sourceLabel(const QStringList &fortuneFiles, bool devil, bool kjv, bool treasury, bool editors)
{
    QStringList parts;
    if (!fortuneFiles.isEmpty())
        parts << QStringLiteral("fortunes (%1)").arg(fortuneFiles.join(QLatin1String(", ")));
    if (devil)
        parts << QStringLiteral("The Devil's Dictionary by Ambrose Bierce");
    if (kjv)
        parts << QStringLiteral("the King James Version");
    if (treasury)
        parts << QStringLiteral("C. H. Spurgeon's The Treasury of David");
    if (editors)
        parts << QStringLiteral("sayings from the public record, transcribed by the editors");
    return parts.join(QLatin1String("; "));
}

} // namespace

QuoteSelector::QuoteSelector(const Curation &curation, const QVector<Quotation> &fortunes,
                             const QVector<Quotation> &devil, const QVector<KjvVerse> &kjv,
                             const QVector<TreasuryNote> &treasury)
    : m_curation(curation), m_kjv(kjv)
{
    QSet<QString> seen;
    for (const QString &file : curation.files) {
        for (const Quotation &q : fortunes) {
            if (q.source != file || !usable(q))
                continue;
            // The cookie file repeats many quotations of the topical files.
            const QString id = identity(q.text);
            if (seen.contains(id))
                continue;
            seen.insert(id);
            m_pool << q;
        }
    }
    for (const Quotation &q : devil) {
        if (usable(q))
            m_devil << q;
    }
    for (int i = 0; i < kjv.size(); ++i)
        m_verseIndex.insert(kjv.at(i).reference(), i);
    for (const TreasuryNote &note : treasury)
        m_treasury[note.psalm] << note;
    for (const CreditMend &mend : curation.credits)
        m_credits.insert(mend.from, mend.to);
}

QString QuoteSelector::mended(const QString &attribution) const
{
    return m_credits.value(attribution, attribution);
}

QString QuoteSelector::identity(const QString &text)
{
    QString id;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            id += c.toLower();
        if (id.size() >= 60)
            break;
    }
    return id;
}

bool QuoteSelector::usable(const Quotation &q)
{
    if (q.author.isEmpty() || q.text.size() < 12)
        return false;
    // Two sayings run together: the first one's attribution sits inside the text.
    static const QRegularExpression innerAttribution(QStringLiteral("(^|\\n)--\\s*\\S"));
    if (innerAttribution.match(q.text).hasMatch())
        return false;
    return CrudeFilter::isClean(q.text) && CrudeFilter::isClean(q.author);
}

QString QuoteSelector::textFault(const QString &text)
{
    const QString flat = oneLine(text).trimmed();
    qsizetype first = 0;
    while (first < flat.size() && !flat.at(first).isLetterOrNumber())
        ++first;
    if (first == flat.size())
        return QStringLiteral("has no words");
    if (flat.startsWith(QLatin1String("...")) || flat.startsWith(QChar(0x2026)) || flat.at(first).isLower())
        return QStringLiteral("begins in the middle of a sentence");
    if (!SentenceText::endsSentence(flat))
        return QStringLiteral("ends in the middle of a sentence");
    static const QRegularExpression marks(QStringLiteral("[\\[\\]{}<>@]|https?:|www\\.|^%$"),
                                          QRegularExpression::MultilineOption);
    if (marks.match(text).hasMatch())
        return QStringLiteral("holds an editor's bracket, markup or an address");
    return {};
}

std::optional<Quotation> QuoteSelector::verseRange(const QString &reference, QString *error) const
{
    static const QRegularExpression form(QStringLiteral("^(.+) (\\d+):(\\d+)(?:-(\\d+))?$"));
    const QRegularExpressionMatch m = form.match(reference.trimmed());
    if (!m.hasMatch()) {
        *error = QStringLiteral("not a verse reference");
        return std::nullopt;
    }
    const QString book = m.captured(1);
    const int chapter = m.captured(2).toInt();
    const int first = m.captured(3).toInt();
    const int last = m.captured(4).isEmpty() ? first : m.captured(4).toInt();
    QStringList words;
    for (int v = first; v <= last; ++v) {
        const auto it = m_verseIndex.constFind(QStringLiteral("%1 %2:%3").arg(book).arg(chapter).arg(v));
        if (it == m_verseIndex.constEnd() || last < first) {
            *error = QStringLiteral("the KJV has no verse %1 %2:%3").arg(book).arg(chapter).arg(v);
            return std::nullopt;
        }
        words << m_kjv.at(*it).text;
    }
    Quotation q;
    q.text = words.join(QLatin1Char(' '));
    q.author = reference.trimmed();
    q.source = QStringLiteral("kjv");
    q.tag = q.author;
    return q;
}

std::optional<Quotation> QuoteSelector::treasuryPassage(const QString &value, QString *error) const
{
    const QStringList parts = value.split(QLatin1Char('|'));
    bool ok = false;
    const int psalm = parts.value(0).trimmed().toInt(&ok);
    if (parts.size() != 3 || !ok || parts.at(1).trimmed().isEmpty() || parts.at(2).trimmed().isEmpty()) {
        *error = QStringLiteral("expected \"psalm | opening words | closing words\"");
        return std::nullopt;
    }
    const QString opening = parts.at(1).trimmed();
    const QString closing = parts.at(2).trimmed();
    const QVector<TreasuryNote> notes = m_treasury.value(psalm);
    QVector<const TreasuryNote *> hits;
    for (const TreasuryNote &note : notes) {
        if (note.text.contains(opening))
            hits << &note;
    }
    if (hits.size() != 1) {
        *error = hits.isEmpty() ? QStringLiteral("no attributed note on Psalm %1 holds the opening words").arg(psalm)
                                : QStringLiteral("%1 notes on Psalm %2 hold the opening words").arg(hits.size()).arg(psalm);
        return std::nullopt;
    }
    QString why;
    const auto passage = TreasuryOfDavid::excerpt(hits.constFirst()->text, opening, closing, &why);
    if (!passage) {
        *error = why;
        return std::nullopt;
    }
    const QString who = mended(hits.constFirst()->attribution);
    const QString where = QStringLiteral("The Treasury of David, Psalm %1").arg(psalm);
    Quotation q;
    q.text = *passage;
    q.author = who == QLatin1String("C. H. Spurgeon") ? QStringLiteral("C. H. Spurgeon, %1").arg(where)
                                                      : QStringLiteral("%1 (in C. H. Spurgeon, %2)").arg(who, where);
    q.source = QStringLiteral("treasury");
    return q;
}

std::optional<QVector<Quotation>> QuoteSelector::resolve(const CurationRule &rule, QString *error) const
{
    QString why;
    QVector<Quotation> out;
    if (rule.kind == QLatin1String("say")) {
        const qsizetype bar = rule.value.indexOf(QLatin1Char('|'));
        const QString text = rule.value.left(bar).trimmed();
        const QString author = rule.value.mid(bar + 1).trimmed();
        if (bar < 0 || text.isEmpty() || author.isEmpty()) {
            ruleError(error, rule, QStringLiteral("expected \"text | author\""));
            return std::nullopt;
        }
        // " / " marks a line break in verse.
        out << Quotation{QString(text).replace(QLatin1String(" / "), QLatin1String("\n")), author,
                         QStringLiteral("editors"), {}};
    } else if (rule.kind == QLatin1String("pick")) {
        // "words | author | credit": the author, when given, must match the
        // fortune's attribution; the credit, when given, replaces it.
        const QStringList parts = rule.value.split(QLatin1Char('|'));
        const QString words = parts.at(0).trimmed();
        const QString author = parts.value(1).trimmed();
        const QString credit = parts.value(2).trimmed();
        if (parts.size() > 3 || (parts.size() == 3 && (author.isEmpty() || credit.isEmpty()))) {
            ruleError(error, rule, QStringLiteral("expected \"words | author | credit\""));
            return std::nullopt;
        }
        QVector<Quotation> hits;
        for (const Quotation &q : std::as_const(m_pool)) {
            if (oneLine(q.text).contains(words))
                hits << q;
        }
        if (hits.size() != 1) {
            ruleError(error, rule, hits.isEmpty() ? QStringLiteral("no usable fortune contains this text")
                                                  : QStringLiteral("%1 fortunes contain this text").arg(hits.size()));
            return std::nullopt;
        }
        if (!hits.constFirst().author.contains(author)) {
            ruleError(error, rule, QStringLiteral("the fortune is by %1").arg(hits.constFirst().author));
            return std::nullopt;
        }
        out << hits.constFirst();
        out.back().author = credit.isEmpty() ? mended(out.back().author) : credit;
    } else if (rule.kind == QLatin1String("verse")) {
        const auto q = verseRange(rule.value, &why);
        if (!q) {
            ruleError(error, rule, why);
            return std::nullopt;
        }
        out << *q;
    } else if (rule.kind == QLatin1String("verses")) {
        static const QRegularExpression range(QStringLiteral("^(.+ \\d+):(\\d+)-(\\d+)$"));
        const QRegularExpressionMatch m = range.match(rule.value);
        if (!m.hasMatch() || m.captured(3).toInt() < m.captured(2).toInt()) {
            ruleError(error, rule, QStringLiteral("expected \"Book C:V-W\""));
            return std::nullopt;
        }
        for (int v = m.captured(2).toInt(); v <= m.captured(3).toInt(); ++v) {
            const auto q = verseRange(QStringLiteral("%1:%2").arg(m.captured(1)).arg(v), &why);
            if (!q) {
                ruleError(error, rule, why);
                return std::nullopt;
            }
            out << *q;
        }
    } else if (rule.kind == QLatin1String("devil")) {
        for (const QString &word : rule.value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString headword = word.trimmed().toUpper();
            const auto it = std::find_if(m_devil.cbegin(), m_devil.cend(),
                                         [&](const Quotation &q) { return q.tag == headword; });
            if (it == m_devil.cend()) {
                ruleError(error, rule, QStringLiteral("no usable definition of %1").arg(headword));
                return std::nullopt;
            }
            out << *it;
        }
    } else if (rule.kind == QLatin1String("treasury")) {
        const auto q = treasuryPassage(rule.value, &why);
        if (!q) {
            ruleError(error, rule, why);
            return std::nullopt;
        }
        out << *q;
    }
    for (const Quotation &q : std::as_const(out)) {
        const QString fault = textFault(q.text);
        if (!fault.isEmpty()) {
            ruleError(error, rule, QStringLiteral("the quotation %1 (%2)").arg(fault, q.author));
            return std::nullopt;
        }
    }
    return out;
}

std::optional<QVector<LibraryEntry>> QuoteSelector::select(const QStringList &keys, QString *error)
{
    // A mend that matches no attribution is a misprint the sources no longer have.
    QSet<QString> attributions;
    for (const Quotation &q : std::as_const(m_pool))
        attributions.insert(q.author);
    for (const QVector<TreasuryNote> &notes : std::as_const(m_treasury))
        for (const TreasuryNote &note : notes)
            attributions.insert(note.attribution);
    for (const CreditMend &mend : m_curation.credits) {
        if (!attributions.contains(mend.from)) {
            *error = QStringLiteral("credit line %1: no source attributes a saying to \"%2\"").arg(mend.line).arg(mend.from);
            return std::nullopt;
        }
    }
    QHash<QString, const SubjectCuration *> byKey;
    for (const SubjectCuration &s : m_curation.subjects)
        byKey.insert(s.key, &s);
    for (const QString &key : keys) {
        if (!byKey.contains(key)) {
            *error = QStringLiteral("no quotation curation for subject \"%1\"").arg(key);
            return std::nullopt;
        }
    }

    // Place every saying first: a saying placed twice or left out by the
    // editors is the fault to report, before any subject's count.
    QHash<QString, QString> placed; // identity -> the subject it stands under
    QVector<QPair<const SubjectCuration *, QVector<Quotation>>> chosen;
    QSet<QString> done;
    for (const QString &key : keys) {
        if (done.contains(key))
            continue;
        done.insert(key);
        const SubjectCuration &s = *byKey.value(key);
        QVector<Quotation> quotes;
        for (const CurationRule &rule : s.rules) {
            QString why;
            const auto found = resolve(rule, &why);
            if (!found) {
                *error = QStringLiteral("subject \"%1\", %2").arg(key, why);
                return std::nullopt;
            }
            for (const Quotation &q : *found) {
                const QString id = identity(q.text);
                if (placed.contains(id)) {
                    ruleError(&why, rule, placed.value(id) == key
                                              ? QStringLiteral("picks a quotation twice in one subject")
                                              : QStringLiteral("the quotation stands under \"%1\" already").arg(placed.value(id)));
                    *error = QStringLiteral("subject \"%1\", %2").arg(key, why);
                    return std::nullopt;
                }
                const QString flat = oneLine(q.text);
                for (const DroppedSaying &d : m_curation.dropped) {
                    if (flat.contains(d.text)) {
                        ruleError(&why, rule, QStringLiteral("dropped.txt line %1 leaves this quotation out").arg(d.line));
                        *error = QStringLiteral("subject \"%1\", %2").arg(key, why);
                        return std::nullopt;
                    }
                }
                placed.insert(id, key);
                quotes << q;
            }
        }
        chosen.append({&s, quotes});
    }

    QVector<LibraryEntry> entries;
    for (const auto &[s, quotes] : std::as_const(chosen)) {
        if (s->count > 0 && quotes.size() != s->count) {
            *error = QStringLiteral("subject \"%1\" needs %2 quotations, the rules find %3")
                         .arg(s->key).arg(s->count).arg(quotes.size());
            return std::nullopt;
        }
        if (quotes.size() < MinimumPerSubject) {
            *error = QStringLiteral("subject \"%1\" has only %2 quotations").arg(s->key).arg(quotes.size());
            return std::nullopt;
        }
        const QString text = formatEntry(s->title, quotes);
        if (text.size() < MinimumEntryLength) {
            *error = QStringLiteral("subject \"%1\" comes to only %2 characters").arg(s->key).arg(text.size());
            return std::nullopt;
        }
        entries.append({s->key, text});
    }
    return entries;
}

QString QuoteSelector::formatEntry(const QString &title, const QVector<Quotation> &quotes)
{
    QStringList blocks{title};
    QStringList files;
    bool devil = false, kjv = false, treasury = false, editors = false;
    for (const Quotation &q : quotes) {
        blocks << QStringLiteral("%1\n    -- %2").arg(q.text, q.author);
        if (q.source == QLatin1String("devil"))
            devil = true;
        else if (q.source == QLatin1String("kjv"))
            kjv = true;
        else if (q.source == QLatin1String("treasury"))
            treasury = true;
        else if (q.source == QLatin1String("editors"))
            editors = true;
        else if (!files.contains(q.source))
            files << q.source;
    }
    files.sort();
    blocks << QStringLiteral("Sources: %1.").arg(sourceLabel(files, devil, kjv, treasury, editors));
    return blocks.join(QLatin1String("\n\n")) + QLatin1Char('\n');
}
