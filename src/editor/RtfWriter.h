#pragma once

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringView>
#include <optional>

class QFont;
class QTextBlockFormat;
class QTextCharFormat;
class QTextCursor;
class QTextDocument;

// A selection's content as plain values, so that it can be written as RTF
// or laid out for printing away from its document (on a worker thread,
// after the document changed). Text is kept once; runs and paragraphs
// cut it in order.
struct RtfContent {
    // The character formatting of a run, shared by the runs that have it.
    struct Format {
        enum class Position { Normal, Super, Sub };
        QString family;
        int halfPoints = 24;
        std::optional<QRgb> colour; // none: the automatic colour
        std::optional<QRgb> highlight; // none: no background
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        Position position = Position::Normal;
        bool operator==(const Format &) const = default;
    };
    struct Run {
        int length = 0;
        int format = 0; // index into formats
    };
    // A paragraph's layout; lengths in twips, as RTF counts them.
    struct Layout {
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignAbsolute;
        int left = 0;
        int right = 0;
        int firstLine = 0; // relative to left; negative: a hanging first line
        int before = 0;
        int after = 0;
        bool operator==(const Layout &) const = default;
    };
    struct Paragraph {
        Layout layout;
        int runs = 0;      // how many of the runs, after those of the paragraphs before
        bool ends = false; // the paragraph mark belongs to the selection
    };
    QString defaultFamily;
    QString text; // the runs' text, paragraph marks left out
    QList<Format> formats;
    QList<Run> runs;
    QList<Paragraph> paragraphs;
};

// Writes a selection of a rich text document as a complete RTF document
// (Windows-1252 text, font and colour tables, paragraphs with alignment,
// indents and spacing, runs with font, size, colour, highlight, bold,
// italic, underline, strike-through, superscript and subscript).
class RtfWriter {
public:
    RtfWriter() = delete;

    // Twips in a pixel of the editor (96 per inch): paragraph indents and
    // spacing are kept in pixels by the editor and in twips by RTF.
    static constexpr qreal TwipsPerPixel = 15;

    // What a file keeps of a character format, its family and size
    // defaulting to defaultFont's; and of a paragraph's format.
    static RtfContent::Format formatOf(const QTextCharFormat &format, const QFont &defaultFont);
    static RtfContent::Layout layoutOf(const QTextBlockFormat &format, qreal indentWidth);
    // The same back as Qt formats, as the RTF reader makes them.
    static QTextCharFormat charFormat(const RtfContent::Format &format);
    static void applyLayout(const RtfContent::Layout &layout, QTextBlockFormat &format);
    // Whether the document holds formatting that plain text cannot keep:
    // a run formatted otherwise than plain, or a paragraph laid out
    // otherwise than left-aligned without indents or spacing.
    static bool hasFormatting(const QTextDocument &doc, const QTextCharFormat &plain);

    // The selection of `selection` as RTF; an empty selection gives a valid
    // document without text.
    static QString write(const QTextCursor &selection);
    // The same in two steps: capture reads the document (its thread only),
    // write(content) needs nothing of it.
    static RtfContent capture(const QTextCursor &selection);
    static QString write(const RtfContent &content);
    // Inserts the content at the cursor, as its RTF would be read: what is
    // printed is what a file keeps.
    static void insert(const RtfContent &content, QTextCursor &cursor);

    // The RTF text in lower case. Letters written as \'hh or \uN escapes are
    // lowered too, so the result keeps every control word (already lower
    // case) while all the document's letters become lower case.
    static QString toLower(QStringView rtf);
};
