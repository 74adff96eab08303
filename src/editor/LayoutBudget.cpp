#include "editor/LayoutBudget.h"

#include <QHash>
#include <QLocale>
#include <QTextBlock>
#include <QTextDocument>

#include <cmath>

namespace {

constexpr qreal NarrowEm = 0.6;
constexpr qreal LineEm = 1.25;

// East Asian wide and full-width letters, and characters beyond the basic
// plane (counted on their first half): an em each.
bool isWide(char16_t u)
{
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
        || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
        || (u >= 0xFFE0 && u <= 0xFFE6) || (u >= 0xD800 && u <= 0xDBFF);
}

// Where the layout may break a line. Unlisted characters count as letters,
// which errs towards wrapping anywhere, the safe side.
bool isBreak(char16_t u)
{
    if (u == 0x00A0 || u == 0x2007 || u == 0x202F)
        return false; // no-break spaces
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == 0x2028 || u == 0x2029 || u == 0x200B
        || u == 0x3000 || (u >= 0x2000 && u <= 0x200A) || ((u < 0xD800 || u > 0xDFFF) && isWide(u));
}

} // namespace

LayoutBudget::LayoutBudget(qreal textWidth, qreal dpi)
    : m_width(textWidth > 0 ? textWidth : 0)
    , m_pxPerPoint((dpi > 0 ? dpi : 96) / 72)
{
}

void LayoutBudget::newLine()
{
    m_height += std::ceil(LineEm * m_lineEm);
    m_used = 0;
    m_lineEm = 0;
}

void LayoutBudget::addText(QStringView text, qreal points)
{
    const qreal em = qMax<qreal>(points, 1) * m_pxPerPoint;
    const qreal narrow = NarrowEm * em;
    const qreal room = m_width - m_indent;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u > 0x20 && u < 0x7F) {
            // Printable ASCII, most of any text: a narrow letter.
            if (++m_run > m_longestRun)
                m_longestRun = m_run;
            if (m_width > 0 && m_used > 0 && m_used + narrow > room)
                newLine();
            m_used += narrow;
            if (m_lineEm < em)
                m_lineEm = em;
            continue;
        }
        addSlow(u, em, points);
    }
}

void LayoutBudget::addSlow(char16_t u, qreal em, qreal points)
{
    if (isBreak(u)) {
        if (!m_sawBreak)
            m_leadingRun = m_run;
        m_sawBreak = true;
        m_run = 0;
    } else if (++m_run > m_longestRun) {
        m_longestRun = m_run;
    }
    if (u == u'\n' || u == 0x2029) {
        endParagraph(points);
        return;
    }
    if (u == 0x2028) {
        m_lineEm = qMax(m_lineEm, em);
        newLine();
        return;
    }
    if (u >= 0xDC00 && u <= 0xDFFF)
        return; // second half of a pair, counted with the first
    const qreal w = isWide(u) ? em : NarrowEm * em;
    if (m_width > 0 && m_used > 0 && m_used + w > m_width - m_indent)
        newLine();
    m_used += w;
    m_lineEm = qMax(m_lineEm, em);
}

void LayoutBudget::endParagraph(qreal points)
{
    if (!m_sawBreak)
        m_leadingRun = m_run;
    m_sawBreak = true;
    m_run = 0;
    if (m_used == 0 && m_lineEm == 0)
        m_lineEm = qMax<qreal>(points, 1) * m_pxPerPoint;
    newLine();
}

qreal LayoutBudget::height() const
{
    return m_height + (m_lineEm > 0 ? std::ceil(LineEm * m_lineEm) : 0);
}

qreal LayoutBudget::ofDocument(const QTextDocument &doc, qreal textWidth, qreal dpi, int from, int to,
                               std::optional<SizeOverride> override)
{
    OfDocument measure(doc, textWidth, dpi, from, to, override);
    while (measure.step(std::numeric_limits<int>::max())) {
    }
    return measure.height();
}

LayoutBudget::OfDocument::OfDocument(const QTextDocument &doc, qreal textWidth, qreal dpi, int from, int to,
                                     std::optional<SizeOverride> override)
    : m_budget(textWidth, dpi)
    , m_text(doc.toRawText()) // a fragment's own position costs a tree walk: cut one copy instead
    , m_block(doc.findBlock(from))
    , m_from(from)
    , m_end(qMin(to, int(m_text.size())))
    , m_override(override)
    , m_fallback(doc.defaultFont().pointSizeF() > 0 ? doc.defaultFont().pointSizeF() : 12)
    , m_indentWidth(doc.indentWidth())
{
}

qreal LayoutBudget::OfDocument::pointsOf(int formatIndex, const QTextFormat &format)
{
    auto it = m_points.constFind(formatIndex);
    if (it == m_points.constEnd()) {
        const qreal points = format.toCharFormat().fontPointSize();
        it = m_points.insert(formatIndex, points > 0 ? points : m_fallback);
    }
    return *it;
}

qreal LayoutBudget::OfDocument::fraction() const
{
    if (!m_block.isValid() || m_end <= m_from)
        return 1;
    return qBound<qreal>(0, qreal(m_block.position() - m_from) / (m_end - m_from), 1);
}

bool LayoutBudget::OfDocument::step(qsizetype characters)
{
    const QStringView text(m_text);
    qsizetype done = 0;
    for (; m_block.isValid() && done < characters; m_block = m_block.next()) {
        int position = m_block.position();
        if (position >= m_end)
            break;
        done += m_block.length();
        const QTextBlockFormat format = m_block.blockFormat();
        m_budget.setIndent(format.leftMargin() + format.rightMargin() + format.indent() * m_indentWidth
                           + qMax<qreal>(0, format.textIndent()));
        for (auto it = m_block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = position;
            const int stop = start + fragment.length();
            position = stop;
            if (stop <= m_from || start >= m_end)
                continue;
            const int a = qMax(start, m_from);
            const int b = qMin(stop, m_end);
            const qreal own = pointsOf(fragment.charFormatIndex(), fragment.charFormat());
            if (!m_override) {
                m_budget.addText(text.mid(a, b - a), own);
                continue;
            }
            // The part the override covers, and what lies either side.
            const int oa = qBound(a, m_override->from, b);
            const int ob = qBound(oa, m_override->to, b);
            m_budget.addText(text.mid(a, oa - a), own);
            m_budget.addText(text.mid(oa, ob - oa), m_override->points);
            m_budget.addText(text.mid(ob, b - ob), own);
        }
        qreal emptyPoints = pointsOf(m_block.charFormatIndex(), m_block.charFormat());
        if (m_override && position >= m_override->from && position < m_override->to)
            emptyPoints = m_override->points; // the paragraph mark is in the range
        m_budget.endParagraph(emptyPoints);
    }
    return m_block.isValid() && m_block.position() < m_end;
}

qsizetype LayoutBudget::trailingWord(QStringView text)
{
    qsizetype run = 0;
    for (qsizetype i = text.size() - 1; i >= 0 && !isBreak(text[i].unicode()); --i)
        ++run;
    return run;
}

qsizetype LayoutBudget::leadingWord(QStringView text)
{
    qsizetype run = 0;
    while (run < text.size() && !isBreak(text[run].unicode()))
        ++run;
    return run;
}

QString LayoutBudget::tooLongMessage(qreal height)
{
    const QLocale locale;
    const auto pages = [&](qreal h) { return locale.toString(qRound64(std::ceil(h / PageHeight / 100)) * 100); };
    return QStringLiteral("This is more than the editor can hold: the document would fill about %1 pages, "
                          "and the editor holds up to about %2.")
        .arg(pages(height), pages(MaxHeight));
}
