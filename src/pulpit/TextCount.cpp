#include "pulpit/TextCount.h"

#include <array>

namespace {

enum class Kind : unsigned char {
    Space,     // ends a word; counted as a character and as a space
    Letter,    // part of a word
    Digit,     // part of a word, and may be joined to the next digit by a NumberJoin
    Join,      // apostrophe or hyphen: joins the word characters either side
    NumberJoin, // full stop, comma, colon: joins digits either side
    Other,     // punctuation and symbols: ends a word, counted as a character
    Paragraph, // ends a paragraph, not counted
    Invisible, // neither breaks a word nor is counted
};

// Code points checked this many at a time between asking whether to stop.
constexpr qsizetype StopCheckInterval = 1 << 20;

constexpr std::array<Kind, 128> asciiKinds()
{
    std::array<Kind, 128> kinds{};
    for (int c = 0; c < 128; ++c) {
        Kind k = Kind::Other;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            k = Kind::Letter;
        else if (c >= '0' && c <= '9')
            k = Kind::Digit;
        else if (c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r')
            k = Kind::Space;
        else if (c == '\n')
            k = Kind::Paragraph;
        else if (c == '\'' || c == '-')
            k = Kind::Join;
        else if (c == '.' || c == ',' || c == ':')
            k = Kind::NumberJoin;
        else if (c < 0x20 || c == 0x7f)
            k = Kind::Invisible;
        kinds[std::size_t(c)] = k;
    }
    return kinds;
}

constexpr std::array<Kind, 128> AsciiKinds = asciiKinds();

Kind kindOf(char32_t c)
{
    if (c < 128)
        return AsciiKinds[c];
    switch (c) {
    case 0x2029: return Kind::Paragraph;
    case 0x2019: // right single quotation mark, the typographic apostrophe
    case 0x02BC: // modifier letter apostrophe
    case 0x2010: // hyphen
    case 0x2011: // non-breaking hyphen
        return Kind::Join;
    case 0xFFFC: // an object (picture) in the document
    case 0xFDD0: // QTextDocument's frame markers
    case 0xFDD1:
        return Kind::Invisible;
    case 0x200B: // zero-width space: a break nobody sees
        return Kind::Invisible;
    default: break;
    }
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return Kind::Letter;
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return Kind::Digit;
    case QChar::Separator_Space:
    case QChar::Separator_Line:
        return Kind::Space;
    case QChar::Separator_Paragraph:
        return Kind::Paragraph;
    case QChar::Other_Format:
    case QChar::Other_Control:
    case QChar::Other_Surrogate: // a lone half of a pair: damaged text, not shown
        return Kind::Invisible;
    default:
        return Kind::Other;
    }
}

} // namespace

std::optional<TextCount> TextCount::of(QStringView text, const std::function<bool()> &stop)
{
    TextCount n;
    bool inWord = false;      // the last visible character belongs to a word
    bool lastDigit = false;   // ... and it was a digit
    Kind pendingJoin = Kind::Other; // a joiner right after a word, not yet followed by its other side
    bool paragraphUsed = false;

    const qsizetype size = text.size();
    const QChar *data = text.data();
    qsizetype nextCheck = StopCheckInterval;
    for (qsizetype i = 0; i < size; ++i) {
        if (i >= nextCheck) {
            if (stop && stop())
                return std::nullopt;
            nextCheck += StopCheckInterval;
        }
        char32_t c = data[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && data[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), data[i + 1].unicode());
            ++i;
        }
        const Kind kind = kindOf(c);
        switch (kind) {
        case Kind::Letter:
        case Kind::Digit: {
            const bool joined = pendingJoin == Kind::Join
                || (pendingJoin == Kind::NumberJoin && kind == Kind::Digit);
            if (!inWord && !joined)
                ++n.words;
            inWord = true;
            lastDigit = kind == Kind::Digit;
            pendingJoin = Kind::Other;
            ++n.characters;
            ++n.charactersNoSpaces;
            paragraphUsed = true;
            break;
        }
        case Kind::Join:
        case Kind::NumberJoin:
            // Joins only right after a word character (a digit for numbers);
            // a second joiner in a row ends the word.
            if (inWord && (kind == Kind::Join || lastDigit))
                pendingJoin = kind;
            else
                pendingJoin = Kind::Other;
            inWord = false;
            ++n.characters;
            ++n.charactersNoSpaces;
            paragraphUsed = true;
            break;
        case Kind::Other:
            inWord = false;
            pendingJoin = Kind::Other;
            ++n.characters;
            ++n.charactersNoSpaces;
            paragraphUsed = true;
            break;
        case Kind::Space:
            inWord = false;
            pendingJoin = Kind::Other;
            ++n.characters;
            break;
        case Kind::Paragraph:
            inWord = false;
            pendingJoin = Kind::Other;
            if (paragraphUsed)
                ++n.paragraphs;
            paragraphUsed = false;
            break;
        case Kind::Invisible:
            break;
        }
    }
    if (paragraphUsed)
        ++n.paragraphs;
    return n;
}
