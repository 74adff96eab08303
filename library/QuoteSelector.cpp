#include "QuoteSelector.h"

#include "CrudeFilter.h"

#include <QRegularExpression>

namespace {

// Keyword matches longer than this read as essays rather than quotations.
constexpr int KeywordMaxLength = 360;
constexpr int AuthorMaxLength = 520;

QString oneLine(const QString &text)
{
    return QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QRegularExpression wordPattern(const QString &list)
{
    QStringList alternatives;
    for (const QString &w : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        alternatives << QRegularExpression::escape(w.trimmed()).replace(QLatin1String("\\ "), QLatin1String("\\s+"));
    return QRegularExpression(QStringLiteral("\\b(%1)\\b").arg(alternatives.join(QLatin1Char('|'))),
                              QRegularExpression::CaseInsensitiveOption);
}

// "words | scope": the part before the bar and the comma-separated scope after it.
std::pair<QString, QStringList> splitScope(const QString &value)
{
    const qsizetype bar = value.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {value, {}};
    QStringList scope;
    for (const QString &s : value.mid(bar + 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        scope << s.trimmed();
    return {value.left(bar).trimmed(), scope};
}

bool ruleError(QString *error, const CurationRule &rule, const QString &why)
{
    if (error)
        *error = QStringLiteral("line %1 (%2: %3): %4").arg(rule.line).arg(rule.kind, rule.value, why);
    return false;
}

QString sourceLabel(const QStringList &fortuneFiles, bool devil, bool kjv, bool editors)
{
    QStringList parts;
    if (!fortuneFiles.isEmpty())
        parts << QStringLiteral("fortunes (%1)").arg(fortuneFiles.join(QLatin1String(", ")));
    if (devil)
        parts << QStringLiteral("The Devil's Dictionary by Ambrose Bierce");
    if (kjv)
        parts << QStringLiteral("the King James Version");
    if (editors)
        parts << QStringLiteral("sayings from the public record, transcribed by the editors");
    return parts.join(QLatin1String("; "));
}

} // namespace

QuoteSelector::QuoteSelector(const Curation &curation, const QVector<Quotation> &fortunes,
                             const QVector<Quotation> &devil, const QVector<KjvVerse> &kjv)
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

bool QuoteSelector::usable(const Quotation &q) const
{
    if (q.author.isEmpty() || q.text.size() < 12)
        return false;
    // Two sayings run together: the first one's attribution sits inside the text.
    static const QRegularExpression innerAttribution(QStringLiteral("(^|\\n)--\\s*\\S"));
    if (innerAttribution.match(q.text).hasMatch())
        return false;
    if (!CrudeFilter::isClean(q.text) || !CrudeFilter::isClean(q.author))
        return false;
    const QString flat = oneLine(q.text);
    for (const QString &x : m_curation.excludes) {
        if (flat.contains(x))
            return false;
    }
    for (const QString &a : m_curation.skipAuthors) {
        if (q.author.contains(a))
            return false;
    }
    return true;
}

QSet<QString> QuoteSelector::wordSet(const QString &text)
{
    static const QRegularExpression nonWord(QStringLiteral("[^\\w']+"));
    QSet<QString> words;
    for (const QString &w : text.toLower().split(nonWord, Qt::SkipEmptyParts))
        words.insert(w);
    return words;
}

bool QuoteSelector::similarToChosen(const Quotation &q, const QVector<Quotation> &alsoChosen) const
{
    // Files repeat a saying in slightly different words ("one who" / "a person who").
    const QSet<QString> words = wordSet(q.text);
    const auto close = [&](const Quotation &other) {
        const QSet<QString> theirs = wordSet(other.text);
        const qsizetype smaller = std::min(words.size(), theirs.size());
        return smaller > 0 && QSet<QString>(words).intersect(theirs).size() * 4 >= smaller * 3;
    };
    return std::any_of(m_chosen.cbegin(), m_chosen.cend(), close)
        || std::any_of(alsoChosen.cbegin(), alsoChosen.cend(), close);
}

bool QuoteSelector::taken(const Quotation &q) const
{
    const QString id = identity(q.text);
    const auto owner = m_reserved.constFind(id);
    return m_inSubject.contains(id) || m_used.contains(id)
        || (owner != m_reserved.constEnd() && *owner != m_subject);
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

std::optional<QVector<Quotation>> QuoteSelector::explicitRule(const CurationRule &rule, QString *error)
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
        QVector<Quotation> hits;
        for (const Quotation &q : std::as_const(m_pool)) {
            if (oneLine(q.text).contains(rule.value))
                hits << q;
        }
        if (hits.size() != 1) {
            ruleError(error, rule, hits.isEmpty() ? QStringLiteral("no usable fortune contains this text")
                                                  : QStringLiteral("%1 fortunes contain this text").arg(hits.size()));
            return std::nullopt;
        }
        out << hits.constFirst();
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
    }
    return out;
}

QVector<Quotation> QuoteSelector::keywordRule(const CurationRule &rule, int room, QString *error)
{
    QVector<Quotation> out;
    if (rule.kind == QLatin1String("author")) {
        const QRegularExpression who(rule.value);
        if (!who.isValid()) {
            ruleError(error, rule, who.errorString());
            return out;
        }
        for (const Quotation &q : std::as_const(m_pool)) {
            if (out.size() >= room)
                break;
            if (q.text.size() > AuthorMaxLength || !who.match(q.author).hasMatch() || taken(q))
                continue;
            if (similarToChosen(q, out)) {
                // Another wording of the person's saying stays with the person too.
                m_reserved.insert(identity(q.text), m_subject);
                continue;
            }
            out << q;
            m_inSubject.insert(identity(q.text));
        }
    } else if (rule.kind == QLatin1String("words")) {
        const auto [words, files] = splitScope(rule.value);
        const QRegularExpression pattern = wordPattern(words);
        // A scope also sets the order: the files named first are searched first.
        const QStringList order = files.isEmpty() ? m_curation.files : files;
        for (const QString &file : order) {
            for (const Quotation &q : std::as_const(m_pool)) {
                if (out.size() >= room)
                    break;
                if (q.source == file && q.text.size() <= KeywordMaxLength && pattern.match(q.text).hasMatch()
                    && !taken(q) && !similarToChosen(q, out)) {
                    out << q;
                    m_inSubject.insert(identity(q.text));
                }
            }
        }
    } else if (rule.kind == QLatin1String("kjv")) {
        const auto [words, books] = splitScope(rule.value);
        const QRegularExpression pattern = wordPattern(words);
        for (const KjvVerse &v : m_kjv) {
            if (out.size() >= room)
                break;
            if ((books.isEmpty() || books.contains(v.book)) && pattern.match(v.text).hasMatch()) {
                const Quotation q{v.text, v.reference(), QStringLiteral("kjv"), v.reference()};
                if (taken(q))
                    continue;
                out << q;
                m_inSubject.insert(identity(q.text));
            }
        }
    }
    return out;
}

std::optional<QVector<Quotation>> QuoteSelector::resolve(const CurationRule &rule, int room, QString *error)
{
    static const QStringList explicitKinds = {QStringLiteral("say"), QStringLiteral("pick"), QStringLiteral("verse"),
                                              QStringLiteral("verses"), QStringLiteral("devil")};
    if (!explicitKinds.contains(rule.kind)) {
        QString why;
        QVector<Quotation> found = keywordRule(rule, room, &why);
        if (!why.isEmpty()) {
            if (error)
                *error = why;
            return std::nullopt;
        }
        return found;
    }
    auto found = explicitRule(rule, error);
    if (!found)
        return std::nullopt;
    QVector<Quotation> out;
    for (const Quotation &q : std::as_const(*found)) {
        const QString id = identity(q.text);
        if (m_inSubject.contains(id)) {
            ruleError(error, rule, QStringLiteral("picks a quotation twice in one subject"));
            return std::nullopt;
        }
        if (out.size() < room) {
            out << q;
            m_inSubject.insert(id);
        }
    }
    return out;
}

std::optional<QVector<LibraryEntry>> QuoteSelector::select(const QStringList &keys, QString *error)
{
    QHash<QString, const SubjectCuration *> byKey;
    for (const SubjectCuration &s : m_curation.subjects)
        byKey.insert(s.key, &s);
    for (const QString &key : keys) {
        if (!byKey.contains(key)) {
            *error = QStringLiteral("no quotation curation for subject \"%1\"").arg(key);
            return std::nullopt;
        }
    }

    // Reserve every explicit pick, and each person's own words for that
    // person's subject, so that no keyword search elsewhere takes them.
    m_reserved.clear();
    m_used.clear();
    for (const SubjectCuration &s : m_curation.subjects) {
        m_subject = s.key;
        m_inSubject.clear();
        m_chosen.clear();
        for (const CurationRule &rule : s.rules) {
            QString why;
            auto found = rule.kind == QLatin1String("author")
                ? std::optional<QVector<Quotation>>(keywordRule(rule, s.max, &why))
                : explicitRule(rule, &why);
            if (!found || !why.isEmpty()) {
                *error = QStringLiteral("subject \"%1\", %2").arg(s.key, why);
                return std::nullopt;
            }
            for (const Quotation &q : std::as_const(*found))
                m_reserved.insert(identity(q.text), s.key);
        }
    }

    QVector<LibraryEntry> entries;
    QSet<QString> done;
    for (const QString &key : keys) {
        if (done.contains(key))
            continue;
        done.insert(key);
        const SubjectCuration &s = *byKey.value(key);
        const int limit = s.count > 0 ? s.count : s.max;
        QVector<Quotation> quotes;
        m_subject = key;
        m_inSubject.clear();
        m_chosen.clear();
        for (const CurationRule &rule : s.rules) {
            if (quotes.size() >= limit)
                break;
            QString why;
            int room = limit - int(quotes.size());
            if (rule.cap > 0)
                room = std::min(room, rule.cap);
            const auto found = resolve(rule, room, &why);
            if (!found) {
                *error = QStringLiteral("subject \"%1\", %2").arg(key, why);
                return std::nullopt;
            }
            quotes += *found;
            m_chosen = quotes;
        }
        if (s.count > 0 && quotes.size() != s.count) {
            *error = QStringLiteral("subject \"%1\" needs %2 quotations, the rules find %3")
                         .arg(key).arg(s.count).arg(quotes.size());
            return std::nullopt;
        }
        if (quotes.size() < MinimumPerSubject) {
            *error = QStringLiteral("subject \"%1\" has only %2 quotations").arg(key).arg(quotes.size());
            return std::nullopt;
        }
        for (const Quotation &q : std::as_const(quotes))
            m_used.insert(identity(q.text));
        const QString text = formatEntry(s.title, quotes);
        if (text.size() < MinimumEntryLength) {
            *error = QStringLiteral("subject \"%1\" comes to only %2 characters").arg(key).arg(text.size());
            return std::nullopt;
        }
        entries.append({key, text});
    }
    return entries;
}

QString QuoteSelector::formatEntry(const QString &title, const QVector<Quotation> &quotes)
{
    QStringList blocks{title};
    QStringList files;
    bool devil = false, kjv = false, editors = false;
    for (const Quotation &q : quotes) {
        blocks << QStringLiteral("%1\n    -- %2").arg(q.text, q.author);
        if (q.source == QLatin1String("devil"))
            devil = true;
        else if (q.source == QLatin1String("kjv"))
            kjv = true;
        else if (q.source == QLatin1String("editors"))
            editors = true;
        else if (!files.contains(q.source))
            files << q.source;
    }
    files.sort();
    blocks << QStringLiteral("Sources: %1.").arg(sourceLabel(files, devil, kjv, editors));
    return blocks.join(QLatin1String("\n\n")) + QLatin1Char('\n');
}
