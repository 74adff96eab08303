#include "AlphabeticRanges.h"

#include <algorithm>

AlphabeticRanges::AlphabeticRanges(QVector<Range> ranges)
    : m_ranges(std::move(ranges))
{
    for (Range &r : m_ranges)
        r.bound = r.bound.toUpper();
}

QString AlphabeticRanges::keyFor(const QString &word) const
{
    if (m_ranges.isEmpty())
        return {};
    const QString w = word.toUpper();
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

bool AlphabeticRanges::isValid() const
{
    if (m_ranges.isEmpty())
        return false;
    for (qsizetype i = 1; i < m_ranges.size(); ++i)
        if (!(m_ranges.at(i - 1).bound < m_ranges.at(i).bound))
            return false;
    return true;
}
