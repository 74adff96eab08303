#include "editor/RtfReader.h"

#include "editor/Cp1252.h"

#include "editor/LayoutBudget.h"

#include <QFontDatabase>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTextFormat>
#include <QVector>

#include <algorithm>
#include <array>

namespace {

// Numbers beyond this are clamped; no RTF quantity we use comes near it.
constexpr int kMaxParam = 1000000;
// Longer control words are unknown to us anyway.
constexpr qsizetype kMaxWord = 32;
// Carries a run's font family as a plain string (see formatFor()).
constexpr int FamilyKeyProperty = QTextFormat::UserProperty + 0x52;

enum class Cmd {
    Unknown,
    Ansi, AnsiCpg, Mac, Pc, Pca, Deff, FontTable, ColourTable, SkipDestination,
    Font, FontCharset, FontSize, Colour, Red, Green, Blue,
    Bold, Italic, Underline, UnderlineNone, Strike, Hidden, Plain,
    Super, Sub, NoSuperSub, Up, Down, Highlight,
    Pard, AlignLeft, AlignRight, AlignCentre, AlignJustify,
    LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter,
    Par, Line, Tab, Cell, Row, Page,
    Unicode, UnicodeSkip, Bin,
    EmDash, EnDash, EmSpace, EnSpace, QmSpace, Bullet, LQuote, RQuote, LDblQuote, RDblQuote,
};

struct Word {
    std::u16string_view name;
    Cmd cmd;
};

// Sorted by name once, then searched without allocating.
const std::vector<Word> &commandTable()
{
    static const std::vector<Word> table = [] {
        std::vector<Word> t = {
            {u"ansi", Cmd::Ansi}, {u"ansicpg", Cmd::AnsiCpg}, {u"mac", Cmd::Mac},
            {u"pc", Cmd::Pc}, {u"pca", Cmd::Pca}, {u"deff", Cmd::Deff},
            {u"fonttbl", Cmd::FontTable}, {u"colortbl", Cmd::ColourTable},
            {u"f", Cmd::Font}, {u"fcharset", Cmd::FontCharset}, {u"fs", Cmd::FontSize},
            {u"cf", Cmd::Colour}, {u"red", Cmd::Red}, {u"green", Cmd::Green}, {u"blue", Cmd::Blue},
            {u"b", Cmd::Bold}, {u"i", Cmd::Italic},
            {u"ul", Cmd::Underline}, {u"uld", Cmd::Underline}, {u"uldash", Cmd::Underline},
            {u"uldashd", Cmd::Underline}, {u"uldashdd", Cmd::Underline}, {u"uldb", Cmd::Underline},
            {u"ulhwave", Cmd::Underline}, {u"ulldash", Cmd::Underline}, {u"ulth", Cmd::Underline},
            {u"ulthd", Cmd::Underline}, {u"ulthdash", Cmd::Underline}, {u"ulthdashd", Cmd::Underline},
            {u"ulthdashdd", Cmd::Underline}, {u"ulthldash", Cmd::Underline}, {u"ululdbwave", Cmd::Underline},
            {u"ulw", Cmd::Underline}, {u"ulwave", Cmd::Underline}, {u"ulnone", Cmd::UnderlineNone},
            {u"strike", Cmd::Strike}, {u"striked", Cmd::Strike}, {u"v", Cmd::Hidden},
            {u"plain", Cmd::Plain}, {u"pard", Cmd::Pard},
            {u"super", Cmd::Super}, {u"sub", Cmd::Sub}, {u"nosupersub", Cmd::NoSuperSub},
            {u"up", Cmd::Up}, {u"dn", Cmd::Down},
            {u"highlight", Cmd::Highlight}, {u"cb", Cmd::Highlight}, {u"chcbpat", Cmd::Highlight},
            {u"li", Cmd::LeftIndent}, {u"lin", Cmd::LeftIndent}, {u"ri", Cmd::RightIndent},
            {u"rin", Cmd::RightIndent}, {u"fi", Cmd::FirstIndent}, {u"sb", Cmd::SpaceBefore},
            {u"sa", Cmd::SpaceAfter},
            {u"ql", Cmd::AlignLeft}, {u"qr", Cmd::AlignRight}, {u"qc", Cmd::AlignCentre},
            {u"qj", Cmd::AlignJustify}, {u"qd", Cmd::AlignJustify},
            {u"par", Cmd::Par}, {u"line", Cmd::Line}, {u"tab", Cmd::Tab},
            {u"cell", Cmd::Cell}, {u"nestcell", Cmd::Cell}, {u"row", Cmd::Row}, {u"nestrow", Cmd::Row},
            {u"page", Cmd::Page},
            {u"u", Cmd::Unicode}, {u"uc", Cmd::UnicodeSkip}, {u"bin", Cmd::Bin},
            {u"emdash", Cmd::EmDash}, {u"endash", Cmd::EnDash}, {u"emspace", Cmd::EmSpace},
            {u"enspace", Cmd::EnSpace}, {u"qmspace", Cmd::QmSpace}, {u"bullet", Cmd::Bullet},
            {u"lquote", Cmd::LQuote}, {u"rquote", Cmd::RQuote},
            {u"ldblquote", Cmd::LDblQuote}, {u"rdblquote", Cmd::RDblQuote},
        };
        // Destinations whose content is not document text.
        for (const char16_t *name : {
                 u"stylesheet", u"info", u"pict", u"object", u"objdata", u"header", u"headerl",
                 u"headerr", u"headerf", u"footer", u"footerl", u"footerr", u"footerf",
                 u"footnote", u"annotation", u"atnid", u"atnauthor", u"atndate", u"atnref",
                 u"listtable", u"listoverridetable", u"revtbl", u"rsidtbl", u"xmlnstbl",
                 u"filetbl", u"themedata", u"colorschememapping", u"datastore", u"latentstyles",
                 u"shp", u"shpinst", u"shptxt", u"shppict", u"nonshppict", u"fldinst", u"bkmkstart",
                 u"bkmkend", u"template", u"generator", u"author", u"operator", u"title",
                 u"subject", u"doccomm", u"comment", u"keywords", u"company", u"manager",
                 u"category", u"creatim", u"revtim", u"printim", u"buptim", u"userprops",
                 u"docvar", u"pgdsctbl", u"pn", u"pntxta", u"pntxtb", u"txe", u"xe", u"tc",
                 u"rxe", u"bxe", u"ftnsep", u"ftnsepc", u"ftncn", u"aftnsep", u"aftnsepc",
                 u"aftncn", u"do", u"listpicture", u"passwordhash", u"protusertbl", u"fchars",
                 u"lchars", u"panose", u"falt", u"fontemb", u"fontfile", u"private",
                 u"expandedcolortbl", u"hlinkbase", u"mmathpr", u"background"}) {
            t.push_back({name, Cmd::SkipDestination});
        }
        std::sort(t.begin(), t.end(), [](const Word &a, const Word &b) { return a.name < b.name; });
        return t;
    }();
    return table;
}

Cmd lookup(QStringView word)
{
    const std::u16string_view key(word.utf16(), size_t(word.size()));
    const std::vector<Word> &table = commandTable();
    const auto it = std::lower_bound(table.begin(), table.end(), key,
                                     [](const Word &w, std::u16string_view k) { return w.name < k; });
    if (it != table.end() && it->name == key)
        return it->cmd;
    return Cmd::Unknown;
}

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

int codepageForCharset(int charset)
{
    // 1 is the default charset, which leaves the document's code page.
    switch (charset) {
    case 0: return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0;
    }
}

// Removes what must never enter the document as text: control characters
// (tab aside), the document's structure markers and lone surrogates.
QString sanitized(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || u == 0x7F || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC)
            continue;
        if (u == QChar::ParagraphSeparator) {
            out += QChar(QChar::LineSeparator);
            continue;
        }
        if (c.isHighSurrogate()) {
            if (i + 1 < n && text.at(i + 1).isLowSurrogate()) {
                out += c;
                out += text.at(++i);
            } else {
                out += QChar(QChar::ReplacementCharacter);
            }
            continue;
        }
        if (c.isLowSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
            continue;
        }
        out += c;
    }
    return out;
}

// How much narrower than the page a paragraph's lines may be.
qreal indentPixels(const RtfContent::Layout &layout)
{
    return (layout.left + layout.right + qMax(0, layout.firstLine)) / RtfWriter::TwipsPerPixel;
}

} // namespace

bool RtfReader::isRtf(QStringView text)
{
    return text.startsWith(u"{\\rtf");
}

QString RtfReader::leftOutMessage()
{
    return QStringLiteral("Part of the rich text was too deeply nested and was left out");
}

bool RtfReader::insert(QTextCursor &cursor, QStringView rtf)
{
    if (isRtf(rtf)) {
        RtfReader reader(cursor, rtf);
        reader.m_ownEditBlock = true;
        reader.step(rtf.size());
        reader.finish();
        return !reader.leftOut();
    }
    if (rtf.isEmpty() && !cursor.hasSelection())
        return true;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertText(rtf.toString());
    cursor.endEditBlock();
    return true;
}

void RtfReader::measure(QStringView rtf, LayoutBudget &budget)
{
    RtfReader reader(budget, rtf);
    reader.step(rtf.size());
    reader.finish();
}

RtfReader::RtfReader(LayoutBudget &budget, QStringView rtf)
    : m_budget(&budget), m_in(rtf)
{
}

RtfReader::RtfReader(QTextCursor &cursor, QStringView rtf)
    : m_cursor(&cursor), m_in(rtf)
{
}

void RtfReader::beginEdit()
{
    m_changed = true;
    // Opened at the first real change: an empty edit block would still
    // report the document as changed.
    if (m_editing || !m_ownEditBlock)
        return;
    m_editing = true;
    m_cursor->beginEditBlock();
}

void RtfReader::start()
{
    m_started = true;
    if (!m_cursor)
        return;
    if (m_cursor->hasSelection()) {
        beginEdit();
        m_cursor->removeSelectedText();
    }
    m_targetBlockFormat = m_cursor->blockFormat();
    m_targetBlockCharFormat = m_cursor->blockCharFormat();
    m_startedAtBlockStart = m_cursor->atBlockStart();
}

bool RtfReader::step(qsizetype characters)
{
    if (!m_started)
        start();
    const qsizetype n = m_in.size();
    const qsizetype stop = characters >= n - m_pos ? n : m_pos + characters;
    while (m_pos < stop && !m_done) {
        const QChar c = m_in[m_pos];
        if (c == u'\\') {
            readControl();
            continue;
        }
        flushBytes();
        if (c == u'{') {
            ++m_pos;
            openGroup();
        } else if (c == u'}') {
            ++m_pos;
            if (!closeGroup())
                m_done = true;
        } else if (c == u'\r' || c == u'\n') {
            ++m_pos;
        } else {
            readText();
        }
    }
    // A step ends with its text in the document, but for what may still
    // combine with the next step's input: bytes of a multi-byte character
    // and the first half of a surrogate pair.
    if (!m_runText.isEmpty() && m_runText.back().isHighSurrogate()) {
        const QChar half = m_runText.back();
        m_runText.chop(1);
        flushRun();
        m_runText = half;
    } else {
        flushRun();
    }
    return m_pos < n && !m_done;
}

void RtfReader::finish()
{
    if (!m_started)
        start();
    if (!m_done)
        m_finalLayout = m_state.layout; // truncated: take what was read
    flushBytes();
    flushRun();
    if (!m_cursor)
        return;
    // The last paragraph has no paragraph mark of its own; its alignment is
    // applied only where it fills its paragraph, so a pasted fragment does
    // not realign the text it lands in. A paragraph begun by the reader
    // otherwise keeps the format of the text that followed the insertion
    // point (see paragraphBreak()).
    const bool ownsParagraph = m_paragraphHasText && (m_paragraphs > 0 || m_startedAtBlockStart)
        && m_cursor->atBlockEnd();
    QTextBlockFormat format = m_cursor->blockFormat();
    if (ownsParagraph)
        RtfWriter::applyLayout(m_finalLayout, format);
    else if (m_paragraphs > 0)
        format = m_targetBlockFormat;
    if (format != m_cursor->blockFormat()) {
        beginEdit();
        m_cursor->setBlockFormat(format);
    }
    if (m_editing)
        m_cursor->endEditBlock();
    m_editing = false;
}

void RtfReader::openGroup()
{
    if (m_overflowDepth > 0 || m_stack.size() >= MaxDepth) {
        if (m_overflowDepth == 0) {
            m_overflowInText = m_state.destination == Destination::Text;
            m_overflowSkipFrom = 0;
        }
        ++m_overflowDepth;
        return;
    }
    m_stack.append(m_state);
    m_pendingSkip = 0;
}

bool RtfReader::closeGroup()
{
    m_pendingSkip = 0;
    if (m_overflowDepth > 0) {
        if (m_overflowDepth == m_overflowSkipFrom)
            m_overflowSkipFrom = 0;
        --m_overflowDepth;
        return true;
    }
    if (m_stack.isEmpty())
        return false;
    if (m_state.destination == Destination::FontTable)
        commitFont();
    if (m_state.destination == Destination::ColourTable && m_colourSet)
        commitColour();
    if (m_stack.size() == 1)
        m_finalLayout = m_state.layout;
    m_state = m_stack.takeLast();
    return !m_stack.isEmpty();
}

RtfReader::Destination RtfReader::destination() const
{
    return m_overflowDepth > 0 ? Destination::Skip : m_state.destination;
}

void RtfReader::readText()
{
    const qsizetype n = m_in.size();
    const qsizetype start = m_pos;
    while (m_pos < n) {
        const char16_t u = m_in[m_pos].unicode();
        if (u == u'\\' || u == u'{' || u == u'}' || u == u'\r' || u == u'\n')
            break;
        ++m_pos;
    }
    textChars(m_in.mid(start, m_pos - start), true);
}

void RtfReader::textChars(QStringView text, bool literal)
{
    if (m_pendingSkip > 0) {
        const qsizetype skipped = qMin<qsizetype>(m_pendingSkip, text.size());
        m_pendingSkip -= int(skipped);
        text = text.mid(skipped);
    }
    if (!text.isEmpty())
        decodedText(text, literal);
}

void RtfReader::decodedText(QStringView text, bool literal)
{
    switch (destination()) {
    case Destination::Skip:
        // Text of the document, nested too deeply to be read.
        if (m_overflowDepth > 0 && m_overflowInText && m_overflowSkipFrom == 0 && !m_state.chars.hidden)
            m_leftOut = true;
        return;
    case Destination::Text:
        if (m_state.chars.hidden)
            return;
        if (!m_runText.isEmpty() && !(m_runProps == m_state.chars))
            flushRun();
        m_runProps = m_state.chars;
        m_runText += text;
        return;
    case Destination::FontTable:
        for (const QChar c : text) {
            if (literal && c == u';')
                commitFont();
            else if (m_fontName.size() < MaxFontName)
                m_fontName += c;
        }
        return;
    case Destination::ColourTable:
        if (literal && text.contains(u';')) {
            for (const QChar c : text) {
                if (c == u';')
                    commitColour();
            }
        }
        return;
    }
}

void RtfReader::readControl()
{
    const qsizetype n = m_in.size();
    ++m_pos; // the backslash
    if (m_pos >= n)
        return;
    const QChar c = m_in[m_pos];
    if (c == u'\'') {
        ++m_pos;
        const int high = m_pos < n ? hexValue(m_in[m_pos]) : -1;
        const int low = m_pos + 1 < n ? hexValue(m_in[m_pos + 1]) : -1;
        if (high < 0 || low < 0) {
            m_pos += high < 0 ? 0 : 1; // a cut-off escape drops its lone digit
            return;
        }
        m_pos += 2;
        hexByte(high * 16 + low);
        return;
    }
    flushBytes();
    if (!isAsciiLetter(c)) {
        ++m_pos;
        controlSymbol(c);
        return;
    }
    const qsizetype wordStart = m_pos;
    while (m_pos < n && isAsciiLetter(m_in[m_pos]))
        ++m_pos;
    const QStringView word = m_in.mid(wordStart, m_pos - wordStart);

    bool negative = false;
    if (m_pos + 1 < n && m_in[m_pos] == u'-' && isAsciiDigit(m_in[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    bool hasParam = false;
    qint64 value = 0;
    while (m_pos < n && isAsciiDigit(m_in[m_pos])) {
        hasParam = true;
        if (value <= kMaxParam)
            value = value * 10 + (m_in[m_pos].unicode() - u'0');
        ++m_pos;
    }
    value = qMin<qint64>(value, kMaxParam);
    const int param = int(negative ? -value : value);
    if (m_pos < n && m_in[m_pos] == u' ')
        ++m_pos;
    controlWord(word.size() > kMaxWord ? QStringView() : word, hasParam, param);
}

void RtfReader::controlSymbol(QChar symbol)
{
    switch (symbol.unicode()) {
    case u'\\':
    case u'{':
    case u'}':
        textChars(QStringView(&symbol, 1), false);
        return;
    case u'~':
        textChars(u"\u00A0", false);
        return;
    case u'_':
        textChars(u"\u2011", false);
        return;
    case u'*':
        if (m_overflowDepth == 0)
            m_state.destination = Destination::Skip;
        else if (m_overflowSkipFrom == 0)
            m_overflowSkipFrom = m_overflowDepth;
        return;
    case u'\r':
    case u'\n':
        m_pendingSkip = 0;
        if (destination() == Destination::Text)
            paragraphBreak();
        return;
    default:
        return; // \- optional hyphen, \: subentry, \| formula and the like
    }
}

void RtfReader::controlWord(QStringView word, bool hasParam, int param)
{
    const Cmd cmd = lookup(word);
    const Destination dest = destination();

    if (cmd == Cmd::Bin) {
        // Raw data follows; it is never text, whatever destination we are in.
        const qsizetype length = hasParam ? qBound(qsizetype(0), qsizetype(param), m_in.size() - m_pos) : 0;
        m_pos += length;
        return;
    }
    if (cmd == Cmd::Unicode) {
        if (dest == Destination::Skip)
            return;
        m_pendingSkip = 0;
        if (hasParam && param >= -32768 && param <= 65535) {
            const QChar ch(static_cast<char16_t>(param < 0 ? param + 65536 : param));
            decodedText(QStringView(&ch, 1), false);
        }
        m_pendingSkip = m_state.unicodeSkip;
        return;
    }
    m_pendingSkip = 0;

    switch (dest) {
    case Destination::Skip:
        // Beyond MaxDepth, what is not document text is no loss.
        if (m_overflowDepth > 0 && m_overflowSkipFrom == 0
            && (cmd == Cmd::SkipDestination || cmd == Cmd::FontTable || cmd == Cmd::ColourTable))
            m_overflowSkipFrom = m_overflowDepth;
        return;
    case Destination::FontTable:
        switch (cmd) {
        case Cmd::Font:
            commitFont();
            m_fontEntry = qMax(0, param);
            // Past the cap, entries are read and dropped.
            if (m_fonts.size() >= MaxFonts && !m_fonts.contains(m_fontEntry))
                m_fontEntry = -1;
            return;
        case Cmd::FontCharset:
            if (m_fontEntry >= 0)
                m_fonts[m_fontEntry].codepage = codepageForCharset(param);
            return;
        case Cmd::SkipDestination:
            m_state.destination = Destination::Skip;
            return;
        default:
            return;
        }
    case Destination::ColourTable:
        switch (cmd) {
        case Cmd::Red: m_red = qBound(0, param, 255); m_colourSet = true; return;
        case Cmd::Green: m_green = qBound(0, param, 255); m_colourSet = true; return;
        case Cmd::Blue: m_blue = qBound(0, param, 255); m_colourSet = true; return;
        case Cmd::SkipDestination: m_state.destination = Destination::Skip; return;
        default: return;
        }
    case Destination::Text:
        break;
    }

    using Position = RtfContent::Format::Position;
    CharProps &chars = m_state.chars;
    const bool on = !hasParam || param != 0;
    switch (cmd) {
    case Cmd::Unknown:
    case Cmd::Unicode:
    case Cmd::Bin:
    case Cmd::Red:
    case Cmd::Green:
    case Cmd::Blue:
    case Cmd::FontCharset:
        return;
    case Cmd::Ansi: m_codepage = 1252; return;
    case Cmd::Mac: m_codepage = 10000; return;
    case Cmd::Pc: m_codepage = 437; return;
    case Cmd::Pca: m_codepage = 850; return;
    case Cmd::AnsiCpg: if (hasParam) m_codepage = qBound(0, param, 65535); return;
    case Cmd::Deff: m_defaultFont = qMax(0, param); m_formats.clear(); return;
    case Cmd::FontTable:
        m_state.destination = Destination::FontTable;
        m_fontEntry = -1;
        m_fontName.clear();
        return;
    case Cmd::ColourTable:
        m_state.destination = Destination::ColourTable;
        m_colours.clear();
        m_formats.clear();
        m_colourSet = false;
        m_red = m_green = m_blue = 0;
        return;
    case Cmd::SkipDestination: m_state.destination = Destination::Skip; return;
    case Cmd::Font: chars.font = qMax(0, param); return;
    case Cmd::FontSize: chars.halfPoints = (hasParam && param > 0) ? qBound(2, param, 3276) : 24; return;
    case Cmd::Colour: chars.colour = qMax(0, param); return;
    case Cmd::Bold: chars.bold = on; return;
    case Cmd::Italic: chars.italic = on; return;
    case Cmd::Underline: chars.underline = on; return;
    case Cmd::UnderlineNone: chars.underline = false; return;
    case Cmd::Strike: chars.strike = on; return;
    case Cmd::Hidden: chars.hidden = on; return;
    case Cmd::Plain: chars = CharProps(); return;
    case Cmd::Super: chars.position = on ? Position::Super : Position::Normal; return;
    case Cmd::Sub: chars.position = on ? Position::Sub : Position::Normal; return;
    case Cmd::NoSuperSub: chars.position = Position::Normal; return;
    // Raised or lowered by so many half-points: shown as superscript or subscript.
    case Cmd::Up: chars.position = hasParam && param == 0 ? Position::Normal : Position::Super; return;
    case Cmd::Down: chars.position = hasParam && param == 0 ? Position::Normal : Position::Sub; return;
    case Cmd::Highlight: chars.highlight = qMax(0, param); return;
    case Cmd::Pard: m_state.layout = RtfContent::Layout(); return;
    case Cmd::AlignLeft: m_state.layout.alignment = Qt::AlignLeft | Qt::AlignAbsolute; return;
    case Cmd::AlignRight: m_state.layout.alignment = Qt::AlignRight | Qt::AlignAbsolute; return;
    case Cmd::AlignCentre: m_state.layout.alignment = Qt::AlignHCenter; return;
    case Cmd::AlignJustify: m_state.layout.alignment = Qt::AlignJustify; return;
    case Cmd::LeftIndent: paragraphWord(&RtfContent::Layout::left, param); return;
    case Cmd::RightIndent: paragraphWord(&RtfContent::Layout::right, param); return;
    case Cmd::FirstIndent: paragraphWord(&RtfContent::Layout::firstLine, param); return;
    case Cmd::SpaceBefore: paragraphWord(&RtfContent::Layout::before, param); return;
    case Cmd::SpaceAfter: paragraphWord(&RtfContent::Layout::after, param); return;
    case Cmd::Par:
    case Cmd::Row:
    case Cmd::Page:
        paragraphBreak();
        return;
    case Cmd::Line: decodedText(u"\u2028", false); return;
    case Cmd::Tab:
    case Cmd::Cell:
        decodedText(u"\t", false);
        return;
    case Cmd::UnicodeSkip: m_state.unicodeSkip = qBound(0, param, 16); return;
    case Cmd::EmDash: decodedText(u"\u2014", false); return;
    case Cmd::EnDash: decodedText(u"\u2013", false); return;
    case Cmd::EmSpace: decodedText(u"\u2003", false); return;
    case Cmd::EnSpace: decodedText(u"\u2002", false); return;
    case Cmd::QmSpace: decodedText(u"\u2005", false); return;
    case Cmd::Bullet: decodedText(u"\u2022", false); return;
    case Cmd::LQuote: decodedText(u"\u2018", false); return;
    case Cmd::RQuote: decodedText(u"\u2019", false); return;
    case Cmd::LDblQuote: decodedText(u"\u201C", false); return;
    case Cmd::RDblQuote: decodedText(u"\u201D", false); return;
    }
}

void RtfReader::hexByte(int byte)
{
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    const Destination dest = destination();
    if (dest == Destination::Skip || dest == Destination::ColourTable)
        return;
    const int codepage = currentCodepage();
    if (!m_bytes.isEmpty() && codepage != m_bytesCodepage)
        flushBytes();
    m_bytesCodepage = codepage;
    m_bytes.append(char(byte));
}

void RtfReader::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    const QString text = decode(m_bytes, m_bytesCodepage);
    m_bytes.clear();
    decodedText(text, false);
}

int RtfReader::currentCodepage() const
{
    int font = -1;
    if (m_state.destination == Destination::FontTable)
        font = m_fontEntry;
    else
        font = m_state.chars.font >= 0 ? m_state.chars.font : m_defaultFont;
    const auto it = m_fonts.constFind(font);
    if (it != m_fonts.constEnd() && it->codepage > 0)
        return it->codepage;
    return m_codepage;
}

QString RtfReader::decode(const QByteArray &bytes, int codepage)
{
    if (codepage == 65001)
        return QString::fromUtf8(bytes);
    if (codepage != 1252 && codepage != 0) {
        const QByteArray name = codepage == 10000 ? QByteArray("macintosh")
            : (codepage == 437 || codepage == 850) ? "IBM" + QByteArray::number(codepage)
                                                    : "windows-" + QByteArray::number(codepage);
        QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(Cp1252::toUnicode(static_cast<unsigned char>(bytes.at(i))));
    return out;
}

void RtfReader::commitFont()
{
    const QString name = m_fontName.trimmed();
    m_fontName.clear();
    if (m_fontEntry < 0 || name.isEmpty())
        return;
    Font &font = m_fonts[m_fontEntry];
    if (font.name.isEmpty()) {
        font.name = name;
        m_formats.clear(); // runs in this font read differently from now on
    }
}

void RtfReader::commitColour()
{
    m_formats.clear();
    m_colours.append(m_colourSet ? QColor(m_red, m_green, m_blue) : QColor());
    m_colourSet = false;
    m_red = m_green = m_blue = 0;
}

void RtfReader::flushRun()
{
    if (m_runText.isEmpty())
        return;
    const QString text = sanitized(m_runText);
    m_runText.clear();
    if (text.isEmpty())
        return;
    m_paragraphHasText = true;
    if (!m_cursor) {
        m_budget->setIndent(indentPixels(m_state.layout));
        m_budget->addText(text, m_runProps.halfPoints / 2.0);
        return;
    }
    beginEdit();
    m_cursor->insertText(text, formatFor(m_runProps));
}

void RtfReader::paragraphBreak()
{
    flushBytes();
    flushRun();
    if (!m_cursor) {
        m_budget->setIndent(indentPixels(m_state.layout));
        m_budget->endParagraph(m_state.chars.halfPoints / 2.0);
        ++m_paragraphs;
        m_paragraphHasText = false;
        return;
    }
    beginEdit();
    const RtfContent::Layout &layout = m_state.layout;
    const bool newLayout = !m_paragraphs || layout != m_nextLayout;
    if (newLayout) {
        QTextBlockFormat format = m_cursor->blockFormat();
        RtfWriter::applyLayout(layout, format);
        if (format != m_cursor->blockFormat())
            m_cursor->setBlockFormat(format);
        // The paragraph after the break holds whatever followed the insertion
        // point, so it takes the target's own format. It goes in with the
        // layout in force, which its own break most often keeps (one format
        // object for all of them keeps Qt's work per paragraph small); finish()
        // gives the last one the target's format back.
        m_nextFormat = m_targetBlockFormat;
        RtfWriter::applyLayout(layout, m_nextFormat);
        m_nextLayout = layout;
    }
    m_cursor->insertBlock(m_nextFormat, m_targetBlockCharFormat);
    ++m_paragraphs;
    m_paragraphHasText = false;
}

void RtfReader::paragraphWord(int RtfContent::Layout::*length, int twips)
{
    RtfContent::Layout &layout = m_state.layout;
    // Indents never reach past the edges; spacing is never negative.
    layout.*length = length == &RtfContent::Layout::firstLine ? twips : qMax(0, twips);
}

QString RtfReader::resolveFamily(const QString &name)
{
    // Names may come in lower case (the lower-case command lowers the whole
    // RTF text), so match them against known families without regard to case,
    // the document's own fonts first.
    if (!m_familiesLoaded) {
        m_familiesLoaded = true;
        auto add = [this](const QString &family) {
            if (!family.isEmpty())
                m_familyByLowerName.insert(family.toLower(), family);
        };
        const QStringList installed = QFontDatabase::families();
        for (auto it = installed.crbegin(); it != installed.crend(); ++it)
            add(*it);
        if (const QTextDocument *doc = m_cursor ? m_cursor->document() : nullptr) {
            const QList<QTextFormat> formats = doc->allFormats();
            for (const QTextFormat &format : formats) {
                if (format.hasProperty(QTextFormat::FontFamily))
                    add(format.stringProperty(QTextFormat::FontFamily));
                if (format.hasProperty(QTextFormat::FontFamilies)) {
                    const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
                    for (const QString &family : families)
                        add(family);
                }
            }
            add(doc->defaultFont().family());
        }
    }
    return m_familyByLowerName.value(name.toLower(), name);
}

QTextCharFormat RtfReader::formatFor(const CharProps &props)
{
    const auto cached = m_formats.constFind(props);
    if (cached != m_formats.constEnd())
        return *cached;
    QTextCharFormat format;
    const int fontIndex = props.font >= 0 ? props.font : m_defaultFont;
    const auto font = m_fonts.find(fontIndex);
    if (font != m_fonts.end() && !font->name.isEmpty()) {
        if (!font->resolved) {
            font->family = resolveFamily(font->name);
            font->resolved = true;
        }
        format.setFontFamilies(QStringList{font->family});
        // Qt hashes every family list alike, so formats that differ only in
        // their font would all land in one bucket of the document's format
        // table; the family as a string of its own keeps them apart.
        format.setProperty(FamilyKeyProperty, font->family);
    }
    format.setFontPointSize(props.halfPoints / 2.0);
    if (props.colour < m_colours.size() && m_colours.at(props.colour).isValid())
        format.setForeground(m_colours.at(props.colour));
    if (props.highlight > 0 && props.highlight < m_colours.size() && m_colours.at(props.highlight).isValid())
        format.setBackground(m_colours.at(props.highlight));
    if (props.position == RtfContent::Format::Position::Super)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (props.position == RtfContent::Format::Position::Sub)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    format.setFontWeight(props.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(props.italic);
    format.setFontUnderline(props.underline);
    format.setFontStrikeOut(props.strike);
    m_formats.insert(props, format);
    return format;
}
