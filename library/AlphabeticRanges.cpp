#include "AlphabeticRanges.h"

#include <algorithm>

AlphabeticRanges::AlphabeticRanges(QVector<Range> ranges)
    : m_ranges(std::move(ranges))
{
    for (Range &r : m_ranges)
        r.bound = sortKey(r.bound);
}

QString AlphabeticRanges::sortKey(const QString &word)
{
    bool plain = true;
    for (const QChar c : word)
        if (c.unicode() >= 0x80) {
            plain = false;
            break;
        }
    if (plain)
        return word.toUpper();
    QString s = word;
    s.replace(QChar(0x00C6), QLatin1String("AE")).replace(QChar(0x00E6), QLatin1String("ae"));
    s.replace(QChar(0x0152), QLatin1String("OE")).replace(QChar(0x0153), QLatin1String("oe"));
    s = s.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(s.size());
    for (const QChar c : std::as_const(s))
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    return out.toUpper();
}

bool AlphabeticRanges::lessThan(const QString &a, const QString &b)
{
    const QString ka = sortKey(a);
    const QString kb = sortKey(b);
    return ka != kb ? ka < kb : a < b;
}

QString AlphabeticRanges::keyFor(const QString &word) const
{
    if (m_ranges.isEmpty())
        return {};
    const QString w = sortKey(word);
    auto it = std::upper_bound(m_ranges.cbegin(), m_ranges.cend(), w,
                               [](const QString &value, const Range &r) { return value < r.bound; });
    if (it == m_ranges.cbegin())
        return m_ranges.constFirst().key;
    return std::prev(it)->key;
}

QStringList AlphabeticRanges::keys() const
{
    QStringList out;
    for (const Range &r : m_ranges)
        out << r.key;
    return out;
}

QString AlphabeticRanges::letterSpan(qsizetype i) const
{
    if (i < 0 || i >= m_ranges.size() || m_ranges.at(i).bound.isEmpty())
        return {};
    const QChar first = m_ranges.at(i).bound.at(0);
    QChar last = QLatin1Char('Z');
    if (i + 1 < m_ranges.size() && !m_ranges.at(i + 1).bound.isEmpty())
        last = QChar(m_ranges.at(i + 1).bound.at(0).unicode() - 1);
    return QStringLiteral("%1 to %2").arg(first, last);
}

bool AlphabeticRanges::isValid() const
{
    if (m_ranges.isEmpty())
        return false;
    for (qsizetype i = 1; i < m_ranges.size(); ++i)
        if (!(m_ranges.at(i - 1).bound < m_ranges.at(i).bound))
            return false;
    return true;
}
