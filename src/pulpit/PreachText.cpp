#include "pulpit/PreachText.h"

#include <QFont>
#include <QDeadlineTimer>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

// Relative sizes are kept within these bounds: a title set in 72 points
// over 12-point text would otherwise leave room for a word or two a line.
constexpr qreal SmallestRelative = 0.5;
constexpr qreal LargestRelative = 3.0;

qreal pointSizeOf(const QTextCharFormat &f, const QFont &base)
{
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        return f.fontPointSize();
    if (f.hasProperty(QTextFormat::FontPixelSize) && f.intProperty(QTextFormat::FontPixelSize) > 0)
        return f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    if (base.pointSizeF() > 0)
        return base.pointSizeF();
    return base.pixelSize() > 0 ? base.pixelSize() * 0.75 : 12;
}

QString familyOf(const QTextCharFormat &f, const QString &fallback)
{
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    for (const QString &family : families)
        if (!family.isEmpty())
            return family;
    const QString family = f.property(QTextFormat::FontFamily).toString();
    return family.isEmpty() ? fallback : family;
}

} // namespace

PreachText::PreachText() = default;

int PreachText::firstPieceOf(int paragraph) const
{
    if (m_firstPiece.empty())
        return 0;
    return m_firstPiece[std::size_t(qBound(0, paragraph, int(m_firstPiece.size()) - 1))];
}

struct PreachText::Builder::State {
    const QTextDocument &document;
    PreachText t;
    QFont base;
    QList<QTextFormat> formats;
    // Many of the document's formats differ only in what the view ignores.
    std::vector<int> styleOfFormat;
    std::vector<qreal> pointsOfStyle;
    std::vector<qint64> charactersOfStyle;
    QHash<QString, int> styleByKey;
    QHash<int, Qt::Alignment> alignmentOfFormat;
    QTextBlock block;
    qsizetype position = 0; // of block: counted, cheaper than asking each block

    explicit State(const QTextDocument &doc)
        : document(doc)
        , base(doc.defaultFont())
        , formats(doc.allFormats())
        , styleOfFormat(std::size_t(formats.size()), -1)
        , block(doc.begin())
    {
        t.m_text = doc.toRawText();
        t.m_defaultFamily = base.family();
    }

    int styleFor(int index);
    void copyBlock();
};

int PreachText::Builder::State::styleFor(int index)
{
    if (index < 0 || index >= formats.size())
        index = -1;
    if (index >= 0 && styleOfFormat[std::size_t(index)] >= 0)
        return styleOfFormat[std::size_t(index)];
    const QTextCharFormat f = index >= 0 ? formats.at(index).toCharFormat() : QTextCharFormat();
    Style s;
    s.family = familyOf(f, t.m_defaultFamily);
    s.weight = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() : int(base.weight());
    s.italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : base.italic();
    s.underline = f.fontUnderline();
    s.strike = f.fontStrikeOut();
    if (f.foreground().style() != Qt::NoBrush)
        s.colour = f.foreground().color();
    const qreal points = pointSizeOf(f, base);
    const QString key = s.family + QLatin1Char('|') + QString::number(points) + QLatin1Char('|')
        + QString::number(s.weight) + QLatin1Char('|')
        + QString::number(int(s.italic) | int(s.underline) << 1 | int(s.strike) << 2) + QLatin1Char('|')
        + (s.colour.isValid() ? s.colour.name(QColor::HexArgb) : QString());
    int style = styleByKey.value(key, -1);
    if (style < 0) {
        style = int(t.m_styles.size());
        t.m_styles.push_back(s);
        pointsOfStyle.push_back(points);
        charactersOfStyle.push_back(0);
        styleByKey.insert(key, style);
    }
    if (index >= 0)
        styleOfFormat[std::size_t(index)] = style;
    return style;
}

void PreachText::Builder::State::copyBlock()
{
    const int paragraph = int(t.m_firstPiece.size());
    const qsizetype start = position;
    const qsizetype length = qMax(0, block.length() - 1);
    position += block.length();
    const int blockFormat = block.blockFormatIndex();
    auto found = alignmentOfFormat.constFind(blockFormat);
    if (found == alignmentOfFormat.cend())
        found = alignmentOfFormat.insert(blockFormat, block.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
    const Qt::Alignment alignment = *found;

    qsizetype at = start;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int style = styleFor(fragment.charFormatIndex());
        const qsizetype fragmentLength = fragment.length();
        charactersOfStyle[std::size_t(style)] += fragmentLength;
        // One run across paragraphs of one style: the paragraph break
        // between them belongs to no piece.
        if (!t.m_runs.empty() && t.m_runs.back().style == style
            && t.m_runs.back().start + t.m_runs.back().length >= at - 1) {
            t.m_runs.back().length = at + fragmentLength - t.m_runs.back().start;
        } else {
            t.m_runs.push_back({at, fragmentLength, style});
        }
        at += fragmentLength;
    }

    t.m_firstPiece.push_back(int(t.m_pieces.size()));
    const int emptyStyle = length == 0 ? styleFor(block.charFormatIndex()) : 0;
    const QStringView text(t.m_text);
    qsizetype from = start;
    const qsizetype end = qMin(start + length, text.size());
    do {
        qsizetype cut = end;
        if (end - from > PieceLength) {
            cut = from + PieceLength;
            // After the last space in the second half of the piece, so the
            // break falls between words; never inside a surrogate pair.
            const qsizetype space = text.sliced(from, cut - from).lastIndexOf(QLatin1Char(' '));
            if (space > PieceLength / 2)
                cut = from + space + 1;
            else if (text[cut].isLowSurrogate())
                --cut;
        }
        t.m_pieces.push_back({from, cut - from, paragraph, 0, emptyStyle, alignment});
        from = cut;
    } while (from < end);
}

PreachText::Builder::Builder(const QTextDocument &document)
    : d(std::make_unique<State>(document))
{
}

PreachText::Builder::~Builder() = default;

bool PreachText::Builder::step(const QDeadlineTimer &deadline)
{
    // The clock is read once every so many paragraphs.
    constexpr int Batch = 256;
    while (d->block.isValid()) {
        for (int i = 0; i < Batch && d->block.isValid(); ++i) {
            d->copyBlock();
            d->block = d->block.next();
        }
        if (deadline.hasExpired())
            break;
    }
    return !d->block.isValid();
}

PreachText PreachText::Builder::finish()
{
    PreachText &t = d->t;
    // Sizes relative to the body text: the size most of the text is in.
    if (!t.m_styles.empty()) {
        qreal body = d->pointsOfStyle.front();
        QHash<qreal, qint64> charactersAtSize;
        qint64 most = -1;
        for (std::size_t i = 0; i < t.m_styles.size(); ++i) {
            const qint64 n = charactersAtSize[d->pointsOfStyle[i]] += d->charactersOfStyle[i];
            if (n > most) {
                most = n;
                body = d->pointsOfStyle[i];
            }
        }
        for (std::size_t i = 0; i < t.m_styles.size(); ++i)
            t.m_styles[i].relativeSize = qBound(SmallestRelative, d->pointsOfStyle[i] / body, LargestRelative);
    }

    // Each piece's first run: pieces and runs both run in text order.
    std::size_t run = 0;
    for (Piece &piece : t.m_pieces) {
        while (run + 1 < t.m_runs.size() && t.m_runs[run].start + t.m_runs[run].length <= piece.start)
            ++run;
        piece.firstRun = qsizetype(run);
    }
    return std::move(t);
}

PreachText PreachText::fromDocument(const QTextDocument &document)
{
    Builder builder(document);
    builder.step(QDeadlineTimer::Forever);
    return builder.finish();
}
