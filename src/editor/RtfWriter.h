#pragma once

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringView>
#include <optional>

class QTextCursor;

// A selection's content as plain values, so that it can be written as RTF
// or laid out for printing away from its document (on a worker thread,
// after the document changed). Text is kept once; runs and paragraphs
// cut it in order.
struct RtfContent {
    // The character formatting of a run, shared by the runs that have it.
    struct Format {
        QString family;
        int halfPoints = 24;
        std::optional<QRgb> colour; // none: the automatic colour
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
    };
    struct Run {
        int length = 0;
        int format = 0; // index into formats
    };
    struct Paragraph {
        Qt::Alignment alignment;
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
    // Inserts the content at the cursor, as its RTF would be read: what is
    // printed is what a file keeps.
    static void insert(const RtfContent &content, QTextCursor &cursor);

    // The RTF text in lower case. Letters written as \'hh or \uN escapes are
    // lowered too, so the result keeps every control word (already lower
    // case) while all the document's letters become lower case.
    static QString toLower(QStringView rtf);
};
