#pragma once

// Windows-1252, the code page of files and RTF from older Windows tools.
namespace Cp1252 {

// Bytes 0x80-0x9F; the rest of the code page equals Latin-1. The five
// unassigned bytes keep their value (the C1 control of the same number),
// as Windows reads them, so that they come back as the same bytes.
inline constexpr char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Character for a byte.
constexpr char16_t toUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? High[byte - 0x80] : char16_t(byte);
}

// Byte for a character, or -1 when the code page has none.
constexpr int fromUnicode(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (int i = 0; i < 32; ++i) {
        if (High[i] == ch)
            return 0x80 + i;
    }
    return -1;
}

} // namespace Cp1252
