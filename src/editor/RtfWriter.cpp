#include "editor/RtfWriter.h"

#include "editor/Cp1252.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <cmath>
#include <functional>

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendHexByte(QString &out, int byte)
{
    out += QLatin1String("\\'");
    out += QLatin1Char(kHex[(byte >> 4) & 0xF]);
    out += QLatin1Char(kHex[byte & 0xF]);
}

void appendUnicode(QString &out, char16_t unit)
{
    // RTF parameters are signed 16-bit numbers.
    out += QLatin1String("\\u");
    out += QString::number(int(qint16(unit)));
    out += QLatin1Char('?');
}

// Characters that must not travel as text: the document's own structure
// markers and control characters other than tab.
bool isDroppedChar(char16_t ch)
{
    return (ch < 0x20 && ch != u'\t') || ch == 0x7F || ch == 0xFDD0 || ch == 0xFDD1
        || ch == 0xFFFC || ch == QChar::ParagraphSeparator;
}

// Printable ASCII other than the three RTF specials goes as it is.
bool isPlain(char16_t ch)
{
    return ch >= 0x20 && ch < 0x7F && ch != u'\\' && ch != u'{' && ch != u'}';
}

void appendText(QString &out, QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        // Most text needs no escape: it goes in stretches.
        qsizetype plainEnd = i;
        while (plainEnd < n && isPlain(text[plainEnd].unicode()))
            ++plainEnd;
        if (plainEnd > i) {
            out += text.sliced(i, plainEnd - i);
            i = plainEnd - 1;
            continue;
        }
        const QChar qc = text[i];
        const char16_t ch = qc.unicode();
        if (isDroppedChar(ch))
            continue;
        switch (ch) {
        case u'\\': out += QLatin1String("\\\\"); continue;
        case u'{': out += QLatin1String("\\{"); continue;
        case u'}': out += QLatin1String("\\}"); continue;
        case u'\t': out += QLatin1String("\\tab "); continue;
        case QChar::LineSeparator: out += QLatin1String("\\line "); continue;
        default: break;
        }
        if (ch < 0x80) {
            out += qc;
            continue;
        }
        const int byte = Cp1252::fromUnicode(ch);
        if (byte >= 0)
            appendHexByte(out, byte);
        else
            appendUnicode(out, ch);
    }
}

// Font names end at ';' in the font table, so that character is escaped too.
void appendFontName(QString &out, QStringView name)
{
    for (const QChar qc : name) {
        if (qc == u';')
            appendHexByte(out, ';');
        else
            appendText(out, QStringView(&qc, 1));
    }
}

QString familyOf(const QTextCharFormat &format, const QString &fallback)
{
    if (format.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = format.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty())
            return families.first();
    }
    const QString family = format.stringProperty(QTextFormat::FontFamily);
    if (!family.isEmpty())
        return family;
    return fallback;
}

int halfPointsOf(const QTextCharFormat &format, const QFont &defaultFont)
{
    qreal points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 0;
    if (!(points > 0))
        points = defaultFont.pointSizeF();
    if (!(points > 0))
        points = 12;
    return qBound(1, qRound(points * 2), 32767);
}

bool underlined(const QTextCharFormat &format)
{
    const QTextCharFormat::UnderlineStyle style = format.underlineStyle();
    return format.fontUnderline()
        || (style != QTextCharFormat::NoUnderline && style != QTextCharFormat::SpellCheckUnderline);
}

const char *alignmentWord(Qt::Alignment alignment)
{
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignJustify)
        return "\\qj";
    if (h & Qt::AlignHCenter)
        return "\\qc";
    if (h & (Qt::AlignRight | Qt::AlignTrailing))
        return "\\qr";
    return "\\ql";
}

// The alignment as the RTF reader gives it back.
Qt::Alignment plainAlignment(Qt::Alignment alignment)
{
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignJustify)
        return Qt::AlignJustify;
    if (h & Qt::AlignHCenter)
        return Qt::AlignHCenter;
    if (h & (Qt::AlignRight | Qt::AlignTrailing))
        return Qt::AlignRight | Qt::AlignAbsolute;
    return Qt::AlignLeft | Qt::AlignAbsolute;
}

int toTwips(qreal pixels)
{
    return int(qBound<qreal>(-1e6, std::round(pixels * RtfWriter::TwipsPerPixel), 1e6));
}

// Collects the document's fonts and colours in order of first use.
class Tables {
public:
    int font(const QString &family)
    {
        const QString key = family;
        auto it = m_fontIndex.constFind(key);
        if (it != m_fontIndex.constEnd())
            return it.value();
        m_fonts.append(family);
        const int index = int(m_fonts.size()) - 1;
        m_fontIndex.insert(key, index);
        return index;
    }
    // 0 is the automatic colour; table entries start at 1.
    int colour(QRgb rgb)
    {
        auto it = m_colourIndex.constFind(rgb);
        if (it != m_colourIndex.constEnd())
            return it.value();
        m_colours.append(rgb);
        const int index = int(m_colours.size());
        m_colourIndex.insert(rgb, index);
        return index;
    }
    const QStringList &fonts() const { return m_fonts; }
    const QList<QRgb> &colours() const { return m_colours; }

private:
    QStringList m_fonts;
    QHash<QString, int> m_fontIndex;
    QList<QRgb> m_colours;
    QHash<QRgb, int> m_colourIndex;
};

} // namespace

QString RtfWriter::write(const QTextCursor &selection)
{
    return write(capture(selection));
}

RtfContent RtfWriter::capture(const QTextCursor &selection)
{
    RtfContent content;
    const QTextDocument *doc = selection.document();
    const QFont defaultFont = doc ? doc->defaultFont() : QFont();
    content.defaultFamily = defaultFont.family();
    if (!doc || !selection.hasSelection())
        return content;

    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    // The text in one copy, cut by positions: a fragment's own text is a copy each.
    const QString all = doc->toRawText();
    content.text.reserve(end - start);
    // Fragments and paragraphs share a few formats: each is read once.
    QHash<int, RtfContent::Layout> layouts;
    QHash<int, int> known;
    auto formatIndex = [&](const QTextFragment &fragment) {
        const int index = fragment.charFormatIndex();
        auto it = known.constFind(index);
        if (it != known.constEnd())
            return *it;
        content.formats.append(formatOf(fragment.charFormat(), defaultFont));
        return *known.insert(index, int(content.formats.size()) - 1);
    };
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        RtfContent::Paragraph paragraph;
        const int layoutIndex = block.blockFormatIndex();
        auto layout = layouts.constFind(layoutIndex);
        if (layout == layouts.constEnd())
            layout = layouts.insert(layoutIndex, layoutOf(block.blockFormat(), doc->indentWidth()));
        paragraph.layout = *layout;
        const qsizetype runsBefore = content.runs.size();
        int position = block.position(); // a fragment's own position is a tree walk
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int fragmentStart = position;
            position += fragment.length();
            const int fStart = qMax(start, fragmentStart);
            const int fEnd = qMin(end, position);
            if (fStart >= fEnd)
                continue;
            content.text += QStringView(all).sliced(fStart, fEnd - fStart);
            content.runs.append({fEnd - fStart, formatIndex(fragment)});
        }
        paragraph.runs = int(content.runs.size() - runsBefore);
        // The paragraph mark belongs to the selection only when the
        // selection runs past the block's last character.
        paragraph.ends = block.position() + block.length() - 1 < end;
        content.paragraphs.append(paragraph);
    }
    return content;
}

QString RtfWriter::write(const RtfContent &content)
{
    Tables tables;
    tables.font(content.defaultFamily);
    // What each format's runs begin with, worked out once.
    QStringList prefixes;
    prefixes.reserve(content.formats.size());
    for (const RtfContent::Format &f : content.formats) {
        QString prefix = QStringLiteral("\\plain\\f") + QString::number(tables.font(f.family)) + QStringLiteral("\\fs")
            + QString::number(f.halfPoints);
        if (f.colour)
            prefix += QStringLiteral("\\cf") + QString::number(tables.colour(*f.colour));
        if (f.highlight)
            prefix += QStringLiteral("\\highlight") + QString::number(tables.colour(*f.highlight));
        if (f.bold)
            prefix += QLatin1String("\\b");
        if (f.italic)
            prefix += QLatin1String("\\i");
        if (f.underline)
            prefix += QLatin1String("\\ul");
        if (f.strike)
            prefix += QLatin1String("\\strike");
        if (f.position == RtfContent::Format::Position::Super)
            prefix += QLatin1String("\\super");
        else if (f.position == RtfContent::Format::Position::Sub)
            prefix += QLatin1String("\\sub");
        prefix += QLatin1Char(' ');
        prefixes.append(prefix);
    }
    QString body;
    body.reserve(content.text.size() + content.runs.size() * 18 + content.paragraphs.size() * 12);
    const QStringView text(content.text);
    qsizetype position = 0;
    qsizetype run = 0;
    for (const RtfContent::Paragraph &paragraph : content.paragraphs) {
        const RtfContent::Layout &layout = paragraph.layout;
        body += QLatin1String("\\pard");
        body += QLatin1String(alignmentWord(layout.alignment));
        for (const auto &[word, twips] : {std::pair{"\\li", layout.left}, std::pair{"\\ri", layout.right},
                                          std::pair{"\\fi", layout.firstLine}, std::pair{"\\sb", layout.before},
                                          std::pair{"\\sa", layout.after}}) {
            if (twips != 0) {
                body += QLatin1String(word);
                body += QString::number(twips);
            }
        }
        for (const qsizetype last = run + paragraph.runs; run < last; ++run) {
            const RtfContent::Run &r = content.runs.at(run);
            // A group per run, as word processors write them: LibreOffice
            // drops the indents of a last paragraph whose runs change
            // \super at its top level.
            body += QLatin1Char('{');
            body += prefixes.at(r.format);
            appendText(body, text.mid(position, r.length));
            body += QLatin1Char('}');
            position += r.length;
        }
        if (paragraph.ends)
            body += QLatin1String("\\par\n");
    }

    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl");
    const QStringList &fonts = tables.fonts();
    for (int i = 0; i < fonts.size(); ++i) {
        out += QLatin1String("{\\f");
        out += QString::number(i);
        out += QLatin1String("\\fnil\\fcharset0 ");
        appendFontName(out, fonts.at(i));
        out += QLatin1String(";}");
    }
    out += QLatin1String("}\n{\\colortbl ;");
    for (const QRgb rgb : tables.colours()) {
        out += QLatin1String("\\red");
        out += QString::number(qRed(rgb));
        out += QLatin1String("\\green");
        out += QString::number(qGreen(rgb));
        out += QLatin1String("\\blue");
        out += QString::number(qBlue(rgb));
        out += QLatin1Char(';');
    }
    out += QLatin1String("}\n");
    out += body;
    out += QLatin1String("}");
    return out;
}

void RtfWriter::insert(const RtfContent &content, QTextCursor &cursor)
{
    QList<QTextCharFormat> formats;
    formats.reserve(content.formats.size());
    for (const RtfContent::Format &f : content.formats)
        formats.append(charFormat(f));
    const QStringView text(content.text);
    qsizetype position = 0;
    qsizetype run = 0;
    bool first = true;
    // In one edit block: outside one, every run written would lay its
    // paragraph out again, the square of a long paragraph's runs.
    cursor.beginEditBlock();
    for (const RtfContent::Paragraph &paragraph : content.paragraphs) {
        QTextBlockFormat block = cursor.blockFormat();
        applyLayout(paragraph.layout, block);
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        first = false;
        for (const qsizetype last = run + paragraph.runs; run < last; ++run) {
            const RtfContent::Run &r = content.runs.at(run);
            cursor.insertText(text.mid(position, r.length).toString(), formats.at(r.format));
            position += r.length;
        }
    }
    cursor.endEditBlock();
}

RtfContent::Format RtfWriter::formatOf(const QTextCharFormat &format, const QFont &defaultFont)
{
    RtfContent::Format f;
    f.family = familyOf(format, defaultFont.family());
    f.halfPoints = halfPointsOf(format, defaultFont);
    if (format.foreground().style() != Qt::NoBrush)
        f.colour = format.foreground().color().rgb() & 0xFFFFFF;
    if (format.background().style() != Qt::NoBrush)
        f.highlight = format.background().color().rgb() & 0xFFFFFF;
    f.bold = format.fontWeight() >= QFont::Bold;
    f.italic = format.fontItalic();
    f.underline = underlined(format);
    f.strike = format.fontStrikeOut();
    switch (format.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript: f.position = RtfContent::Format::Position::Super; break;
    case QTextCharFormat::AlignSubScript: f.position = RtfContent::Format::Position::Sub; break;
    default: break;
    }
    return f;
}

RtfContent::Layout RtfWriter::layoutOf(const QTextBlockFormat &format, qreal indentWidth)
{
    RtfContent::Layout l;
    l.alignment = plainAlignment(format.alignment());
    l.left = toTwips(format.leftMargin() + format.indent() * indentWidth);
    l.right = toTwips(format.rightMargin());
    l.firstLine = toTwips(format.textIndent());
    l.before = toTwips(format.topMargin());
    l.after = toTwips(format.bottomMargin());
    return l;
}

QTextCharFormat RtfWriter::charFormat(const RtfContent::Format &f)
{
    QTextCharFormat format;
    format.setFontFamilies({f.family});
    format.setFontPointSize(f.halfPoints / 2.0);
    if (f.colour)
        format.setForeground(QColor(*f.colour));
    if (f.highlight)
        format.setBackground(QColor(*f.highlight));
    format.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(f.italic);
    format.setFontUnderline(f.underline);
    format.setFontStrikeOut(f.strike);
    if (f.position == RtfContent::Format::Position::Super)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (f.position == RtfContent::Format::Position::Sub)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return format;
}

void RtfWriter::applyLayout(const RtfContent::Layout &layout, QTextBlockFormat &format)
{
    format.setAlignment(layout.alignment);
    // Zero only where the format had a length of its own: equal formats
    // stay equal, and Qt keeps fewer of them.
    const auto set = [&format](int property, int twips) {
        if (twips != 0 || format.hasProperty(property))
            format.setProperty(property, twips / TwipsPerPixel);
    };
    set(QTextFormat::BlockLeftMargin, layout.left);
    set(QTextFormat::BlockRightMargin, layout.right);
    set(QTextFormat::TextIndent, layout.firstLine);
    set(QTextFormat::BlockTopMargin, layout.before);
    set(QTextFormat::BlockBottomMargin, layout.after);
    if (format.indent() != 0)
        format.setIndent(0); // counted in the left margin
}

bool RtfWriter::hasFormatting(const QTextDocument &doc, const QTextCharFormat &plain)
{
    const QFont defaultFont = doc.defaultFont();
    const RtfContent::Format plainFormat = formatOf(plain, defaultFont);
    const RtfContent::Layout plainLayout = layoutOf(QTextBlockFormat(), doc.indentWidth());
    QHash<int, bool> formatted; // by format index: each format is read once
    QHash<int, bool> laidOut;
    const auto differs = [](QHash<int, bool> &known, int index, const std::function<bool()> &test) {
        auto it = known.constFind(index);
        if (it == known.constEnd())
            it = known.insert(index, test());
        return *it;
    };
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (differs(laidOut, block.blockFormatIndex(), [&] {
                return layoutOf(block.blockFormat(), doc.indentWidth()) != plainLayout;
            }))
            return true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (differs(formatted, fragment.charFormatIndex(),
                        [&] { return formatOf(fragment.charFormat(), defaultFont) != plainFormat; }))
                return true;
        }
    }
    return false;
}

QString RtfWriter::toLower(QStringView rtf)
{
    QString out;
    out.reserve(rtf.size());
    const qsizetype n = rtf.size();
    qsizetype i = 0;
    qsizetype literalStart = 0;
    auto flushLiteral = [&](qsizetype upTo) {
        if (upTo > literalStart)
            out += rtf.mid(literalStart, upTo - literalStart).toString().toLower();
    };
    auto isHex = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    while (i < n) {
        if (rtf[i] != u'\\' || i + 1 >= n) {
            ++i;
            continue;
        }
        flushLiteral(i);
        const QChar next = rtf[i + 1];
        if (next == u'\'' && i + 3 < n && isHex(rtf[i + 2]) && isHex(rtf[i + 3])) {
            const int byte = rtf.mid(i + 2, 2).toInt(nullptr, 16);
            const char16_t ch = Cp1252::toUnicode(static_cast<unsigned char>(byte));
            const char16_t lower = QChar(ch).toLower().unicode();
            const int lowerByte = Cp1252::fromUnicode(lower);
            appendHexByte(out, lowerByte >= 0 ? lowerByte : byte);
            i += 4;
        } else if (next.isLetter() && next.unicode() < 0x80) {
            qsizetype j = i + 1;
            while (j < n && rtf[j].unicode() < 0x80 && rtf[j].isLetter())
                ++j;
            const QString word = rtf.mid(i + 1, j - i - 1).toString().toLower();
            qsizetype k = j;
            if (k < n && rtf[k] == u'-')
                ++k;
            const qsizetype digitsStart = k;
            while (k < n && rtf[k].isDigit() && rtf[k].unicode() < 0x80)
                ++k;
            const bool hasNumber = k > digitsStart;
            const QStringView number = rtf.mid(j, k - j);
            if (word == u"u" && hasNumber) {
                bool ok = false;
                const int value = number.toInt(&ok);
                if (ok && value >= -32768 && value <= 65535) {
                    const char16_t ch = static_cast<char16_t>(value);
                    const char16_t lower = QChar(ch).isSurrogate() ? ch : QChar(ch).toLower().unicode();
                    out += QLatin1String("\\u");
                    out += QString::number(int(qint16(lower)));
                } else {
                    out += QLatin1Char('\\') + word + number.toString();
                }
            } else {
                out += QLatin1Char('\\') + word + number.toString();
            }
            i = k;
            if (word == u"bin" && hasNumber) {
                // Binary data is copied as it is.
                if (i < n && rtf[i] == u' ')
                    out += rtf[i++];
                const qsizetype length = qBound<qsizetype>(0, number.toLongLong(), n - i);
                out += rtf.mid(i, length);
                i += length;
            }
        } else {
            // Control symbols such as \\ \{ \} \~ keep their second character.
            out += QLatin1Char('\\');
            out += next.toLower();
            i += 2;
        }
        literalStart = i;
    }
    flushLiteral(n);
    return out;
}
