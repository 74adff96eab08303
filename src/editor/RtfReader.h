#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include "editor/RtfWriter.h"

// Reads an RTF document into a rich text document at a cursor: text,
// paragraphs with their alignment, indents and spacing, and runs with font,
// size, colour, highlight, bold, italic, underline, strike-through,
// superscript and subscript. Built for text from other programs and from
// the clipboard, so any input is safe: nesting is limited (what lies deeper
// is left out, and leftOut() tells), numbers are clamped, font names and
// font tables are capped, truncated documents are taken as far as they go,
// and the work is linear in the length of the input.
class LayoutBudget;

class RtfReader {
public:
    // Groups nested deeper than this are skipped with their content.
    static constexpr int MaxDepth = 100;
    // Longer font names are cut; fonts numbered past the first MaxFonts
    // entries of the font table read as the document's default font.
    static constexpr qsizetype MaxFontName = 128;
    static constexpr int MaxFonts = 1000;

    // True when the text begins with "{\rtf".
    static bool isRtf(QStringView text);
    // Says, for the user, that text nested deeper than MaxDepth was left out.
    static QString leftOutMessage();

    // Replaces the cursor's selection with the document's content, as one
    // undo step; the cursor ends after the inserted content. Text that is
    // not RTF goes in as plain text in the cursor's character format.
    // False when text nested too deeply was left out.
    static bool insert(QTextCursor &cursor, QStringView rtf);

    // Feeds the document's text, in its sizes and paragraphs, to budget
    // without inserting it anywhere.
    static void measure(QStringView rtf, LayoutBudget &budget);

    // The same in steps, for long input: the caller runs each step() and
    // the final finish() inside an edit block of its own (joined to the
    // first for one undo step), and may let events through between them.
    // rtf must be RTF and stay alive until finish().
    RtfReader(QTextCursor &cursor, QStringView rtf);
    // Reads about the given number of input characters more; false once
    // the input is used up.
    bool step(qsizetype characters);
    void finish();
    qsizetype position() const { return m_pos; }
    // Whether the document has been changed so far.
    bool changed() const { return m_changed; }
    // Whether text nested deeper than MaxDepth was left out so far.
    bool leftOut() const { return m_leftOut; }

private:
    enum class Destination { Text, FontTable, ColourTable, Skip };

    struct CharProps {
        int font = -1; // font table index; -1 is the document's default font
        int halfPoints = 24;
        int colour = 0; // colour table index; 0 is automatic
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        bool hidden = false;
        RtfContent::Format::Position position = RtfContent::Format::Position::Normal;
        int highlight = 0; // colour table index; 0 is none
        bool operator==(const CharProps &) const = default;
    };

    struct State {
        Destination destination = Destination::Text;
        CharProps chars;
        RtfContent::Layout layout; // \pard: left-aligned, no indents, no spacing
        int unicodeSkip = 1; // \ucN: fallback characters after each \uN
    };

    struct Font {
        QString name;
        int codepage = 0; // 0: the document's code page
        QString family;   // name resolved against the known families
        bool resolved = false;
    };

    friend size_t qHash(const CharProps &p, size_t seed) noexcept
    {
        return qHashMulti(seed, p.font, p.halfPoints, p.colour, p.bold, p.italic, p.underline, p.strike,
                          int(p.position), p.highlight);
    }

    RtfReader(LayoutBudget &budget, QStringView rtf);
    void start();
    void beginEdit();

    void openGroup();
    bool closeGroup(); // false once the outermost group has closed
    void readControl();
    void readText();
    void controlWord(QStringView word, bool hasParam, int param);
    void controlSymbol(QChar symbol);

    Destination destination() const;
    void textChars(QStringView text, bool literal);
    void decodedText(QStringView text, bool literal);
    void hexByte(int byte);
    void flushBytes();
    void flushRun();
    void paragraphBreak();
    void paragraphWord(int RtfContent::Layout::*length, int twips);
    void commitFont();
    void commitColour();

    int currentCodepage() const;
    QString decode(const QByteArray &bytes, int codepage);
    QString resolveFamily(const QString &name);
    QTextCharFormat formatFor(const CharProps &props);

    QTextCursor *m_cursor = nullptr; // null when only measuring
    LayoutBudget *m_budget = nullptr;
    QStringView m_in;
    qsizetype m_pos = 0;

    QList<State> m_stack;
    State m_state;
    int m_overflowDepth = 0;
    // Beyond MaxDepth: whether the groups left out were document text, and
    // the depth from which they began a destination that is not.
    bool m_overflowInText = false;
    int m_overflowSkipFrom = 0;
    bool m_leftOut = false;
    bool m_done = false;
    bool m_started = false;
    bool m_ownEditBlock = false; // one-shot insert(): the reader opens the block
    bool m_editing = false;
    bool m_changed = false;

    int m_codepage = 1252;
    int m_defaultFont = -1;
    QHash<int, Font> m_fonts;
    int m_fontEntry = -1;
    QString m_fontName;
    QList<QColor> m_colours;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colourSet = false;

    QByteArray m_bytes;
    int m_bytesCodepage = 0;
    int m_pendingSkip = 0; // fallback characters still to skip after \uN

    QString m_runText;
    CharProps m_runProps;

    QHash<CharProps, QTextCharFormat> m_formats;

    QTextBlockFormat m_targetBlockFormat;
    QTextCharFormat m_targetBlockCharFormat;
    QTextBlockFormat m_nextFormat; // of the paragraphs the reader begins
    RtfContent::Layout m_nextLayout;
    bool m_startedAtBlockStart = false;
    int m_paragraphs = 0;
    bool m_paragraphHasText = false;
    RtfContent::Layout m_finalLayout;

    bool m_familiesLoaded = false;
    QHash<QString, QString> m_familyByLowerName;
};
