#pragma once

#include <QString>
#include <QStringView>

class QTextCursor;

// Writes a selection of a rich text document as a complete RTF document
// (Windows-1252 text, font and colour tables, aligned paragraphs, runs with
// font, size, colour, bold, italic, underline and strike-through).
class RtfWriter {
public:
    RtfWriter() = delete;

    // The selection of `selection` as RTF; an empty selection gives a valid
    // document without text.
    static QString write(const QTextCursor &selection);

    // The RTF text in lower case. Letters written as \'hh or \uN escapes are
    // lowered too, so the result keeps every control word (already lower
    // case) while all the document's letters become lower case.
    static QString toLower(QStringView rtf);

    // Windows-1252 byte for a character, or -1 when it has none.
    static int cp1252Byte(char16_t ch);
    // Character for a Windows-1252 byte; the five unassigned bytes give
    // U+FFFD.
    static char16_t cp1252Char(unsigned char byte);
};
