#include "pulpit/PreachPages.h"

#include "editor/Contrast.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// Laid-out pieces kept before the oldest are dropped: many screens' worth.
constexpr std::size_t KeptPieces = 400;

} // namespace

struct PreachPages::Laid {
    QTextLayout layout;
    std::vector<qreal> tops; // per line, from the piece's top
    qreal height = 0;
};

PreachPages::PreachPages() = default;
PreachPages::~PreachPages() = default;

void PreachPages::setText(std::shared_ptr<const PreachText> text, int paragraph)
{
    m_text = std::move(text);
    makeFormats();
    m_laid.clear();
    showParagraph(paragraph);
}

void PreachPages::setArea(const QSizeF &size)
{
    if (size == m_area)
        return;
    m_area = size;
    keepTop();
}

void PreachPages::setLook(qreal bodyPixels, const QColor &text, const QColor &background)
{
    m_bodyPixels = bodyPixels;
    m_textColour = text;
    m_background = background;
    makeFormats();
    keepTop();
}

void PreachPages::makeFormats()
{
    m_formats.clear();
    if (!m_text)
        return;
    for (const PreachText::Style &s : m_text->styles()) {
        QFont font(s.family);
        font.setPixelSize(qMax(1, int(std::lround(m_bodyPixels * s.relativeSize))));
        font.setWeight(QFont::Weight(qBound(1, s.weight, 1000)));
        font.setItalic(s.italic);
        font.setUnderline(s.underline);
        font.setStrikeOut(s.strike);
        QTextCharFormat f;
        f.setFont(font);
        f.setForeground(s.colour.isValid() ? Contrast::readableOn(s.colour, m_background) : m_textColour);
        m_formats.push_back(f);
    }
}

void PreachPages::keepTop()
{
    // The top line's place in its piece survives a new layout.
    m_laid.clear();
    if (!m_text || m_text->pieces().empty()) {
        m_top = {};
        return;
    }
    m_top.piece = qBound(0, m_top.piece, int(m_text->pieces().size()) - 1);
    m_top.line = 0;
    if (m_area.isEmpty())
        return; // laid out once there is room
    Laid &l = laid(m_top.piece);
    const QTextLine line = l.layout.lineForTextPosition(int(qMin<qsizetype>(m_topOffset, l.layout.text().size())));
    m_top.line = line.isValid() ? line.lineNumber() : 0;
}

PreachPages::Laid &PreachPages::laid(int piece)
{
    auto found = m_laid.find(piece);
    if (found != m_laid.end())
        return *found->second;
    if (m_laid.size() >= KeptPieces) {
        // Keep what is near the screen; the rest is laid out again if needed.
        for (auto it = m_laid.begin(); it != m_laid.end();)
            it = std::abs(it->first - piece) > int(KeptPieces / 4) ? m_laid.erase(it) : std::next(it);
    }
    const PreachText::Piece &p = m_text->pieces()[std::size_t(piece)];
    QString text = m_text->text().mid(p.start, p.length);
    // A picture has no place in the view.
    text.replace(QChar::ObjectReplacementCharacter, QLatin1Char(' '));

    auto l = std::make_unique<Laid>();
    l->layout.setText(text);
    const auto &runs = m_text->runs();
    const int firstStyle = p.length == 0 || runs.empty() ? p.emptyStyle : runs[std::size_t(p.firstRun)].style;
    if (firstStyle >= 0 && std::size_t(firstStyle) < m_formats.size())
        l->layout.setFont(m_formats[std::size_t(firstStyle)].font());
    QList<QTextLayout::FormatRange> ranges;
    for (std::size_t r = std::size_t(p.firstRun); r < runs.size() && runs[r].start < p.start + p.length; ++r) {
        const qsizetype from = qMax(runs[r].start, p.start);
        const qsizetype to = qMin(runs[r].start + runs[r].length, p.start + p.length);
        if (to > from)
            ranges.append({int(from - p.start), int(to - from), m_formats[std::size_t(runs[r].style)]});
    }
    l->layout.setFormats(ranges);
    QTextOption option(p.alignment == Qt::Alignment() ? Qt::AlignLeft : p.alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    l->layout.setTextOption(option);
    l->layout.setCacheEnabled(true);
    const qreal width = qMax<qreal>(1, m_area.width());
    l->layout.beginLayout();
    for (;;) {
        QTextLine line = l->layout.createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, l->height));
        l->tops.push_back(l->height);
        l->height += std::ceil(line.height() * LineSpacing);
    }
    l->layout.endLayout();
    return *m_laid.emplace(piece, std::move(l)).first->second;
}

qreal PreachPages::height(const Line &line)
{
    Laid &l = laid(line.piece);
    const std::size_t i = std::size_t(line.line);
    return (i + 1 < l.tops.size() ? l.tops[i + 1] : l.height) - l.tops[i];
}

std::optional<PreachPages::Line> PreachPages::next(const Line &line)
{
    if (line.line + 1 < int(laid(line.piece).tops.size()))
        return Line{line.piece, line.line + 1};
    if (line.piece + 1 < int(m_text->pieces().size()))
        return Line{line.piece + 1, 0};
    return std::nullopt;
}

std::optional<PreachPages::Line> PreachPages::previous(const Line &line)
{
    if (line.line > 0)
        return Line{line.piece, line.line - 1};
    if (line.piece > 0)
        return Line{line.piece - 1, int(laid(line.piece - 1).tops.size()) - 1};
    return std::nullopt;
}

std::pair<PreachPages::Line, bool> PreachPages::lastShown(const Line &top)
{
    // The first line shows even when it is taller than the screen.
    Line last = top;
    qreal used = height(top);
    for (;;) {
        const std::optional<Line> after = next(last);
        if (!after)
            return {last, false};
        used += height(*after);
        if (used > m_area.height())
            return {last, true};
        last = *after;
    }
}

void PreachPages::setTop(const Line &line)
{
    if (!m_text || m_text->pieces().empty()) {
        m_top = {};
        m_topOffset = 0;
        return;
    }
    m_top.piece = qBound(0, line.piece, int(m_text->pieces().size()) - 1);
    if (m_area.isEmpty()) {
        m_top.line = 0;
        m_topOffset = 0;
        return;
    }
    Laid &l = laid(m_top.piece);
    m_top.line = qBound(0, line.line, int(l.tops.size()) - 1);
    m_topOffset = l.layout.lineAt(m_top.line).textStart();
}

int PreachPages::topParagraph() const
{
    if (!m_text || m_text->pieces().empty())
        return 0;
    return m_text->pieces()[std::size_t(m_top.piece)].paragraph;
}

void PreachPages::showParagraph(int paragraph)
{
    setTop({m_text ? m_text->firstPieceOf(paragraph) : 0, 0});
}

bool PreachPages::forward()
{
    if (!m_text || m_text->pieces().empty())
        return false;
    const auto [last, more] = lastShown(m_top);
    if (!more)
        return false;
    // One line of overlap, unless that line alone fills the screen.
    setTop(skipBlank(last == m_top ? *next(m_top) : last));
    return true;
}

bool PreachPages::back()
{
    if (!m_text || m_text->pieces().empty())
        return false;
    const std::optional<Line> before = previous(m_top);
    if (!before)
        return false;
    Line first = m_top;
    qreal used = height(m_top);
    for (std::optional<Line> p = before; p; p = previous(*p)) {
        used += height(*p);
        if (used > m_area.height())
            break;
        first = *p;
    }
    setTop(first == m_top ? *before : skipBlank(first, m_top));
    return true;
}

bool PreachPages::isBlank(const Line &line) const
{
    return m_text->pieces()[std::size_t(line.piece)].length == 0;
}

PreachPages::Line PreachPages::skipBlank(const Line &line, std::optional<Line> until)
{
    // A screen that starts with an empty paragraph wastes its first line.
    Line l = line;
    while (isBlank(l) && !(until && l == *until)) {
        const std::optional<Line> after = next(l);
        if (!after)
            break;
        l = *after;
    }
    return l;
}

int PreachPages::scroll(int lines)
{
    if (!m_text || m_text->pieces().empty())
        return 0;
    int moved = 0;
    for (; moved < std::abs(lines); ++moved) {
        std::optional<Line> to;
        if (lines > 0) {
            if (lastShown(m_top).second)
                to = next(m_top);
        } else {
            to = previous(m_top);
        }
        if (!to)
            break;
        setTop(*to);
    }
    return moved;
}

bool PreachPages::toStart()
{
    if (!m_text || m_text->pieces().empty() || m_top == Line{})
        return false;
    setTop({});
    return true;
}

bool PreachPages::toEnd()
{
    if (!m_text || m_text->pieces().empty() || !lastShown(m_top).second)
        return false;
    // Back from the last line, as far as a screen holds.
    const int lastPiece = int(m_text->pieces().size()) - 1;
    Line first{lastPiece, int(laid(lastPiece).tops.size()) - 1};
    qreal used = height(first);
    for (std::optional<Line> p = previous(first); p; p = previous(*p)) {
        used += height(*p);
        if (used > m_area.height())
            break;
        first = *p;
    }
    setTop(first);
    return true;
}

QStringList PreachPages::shownLines()
{
    QStringList lines;
    if (!m_text || m_text->pieces().empty())
        return lines;
    const Line last = lastShown(m_top).first;
    for (Line line = m_top;; line = *next(line)) {
        Laid &l = laid(line.piece);
        const QTextLine shown = l.layout.lineAt(line.line);
        lines.append(l.layout.text().mid(shown.textStart(), shown.textLength()));
        if (line == last)
            break;
    }
    return lines;
}

void PreachPages::paint(QPainter &painter, const QPointF &origin)
{
    if (!m_text || m_text->pieces().empty())
        return;
    painter.setPen(m_textColour);
    const Line last = lastShown(m_top).first;
    qreal y = 0;
    for (Line line = m_top;;) {
        Laid &l = laid(line.piece);
        const qreal top = l.tops[std::size_t(line.line)];
        l.layout.lineAt(line.line).draw(&painter, origin + QPointF(0, y - top));
        y += height(line);
        if (line == last)
            break;
        line = *next(line);
    }
}
