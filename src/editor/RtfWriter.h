#pragma once

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringView>
#include <optional>

class QTextCursor;

// A selection's content as plain values, so that it can be written as RTF
// away from its document (on a worker thread, after the document changed).
struct RtfContent {
    struct Run {
        QString text;
        QString family;
        int halfPoints = 24;
        std::optional<QRgb> colour; // none: the automatic colour
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
    };
    struct Paragraph {
        Qt::Alignment alignment;
        QList<Run> runs;
        bool ends = false; // the paragraph mark belongs to the selection
    };
    QString defaultFamily;
    QList<Paragraph> paragraphs;
};

// Writes a selection of a rich text document as a complete RTF document
// (Windows-1252 text, font and colour tables, aligned paragraphs, runs with
// font, size, colour, bold, italic, underline and strike-through).
class RtfWriter {
public:
    RtfWriter() = delete;

    // The selection of `selection` as RTF; an empty selection gives a valid
    // document without text.
    static QString write(const QTextCursor &selection);
    // The same in two steps: capture reads the document (its thread only),
    // write(content) needs nothing of it.
    static RtfContent capture(const QTextCursor &selection);
    static QString write(const RtfContent &content);

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
