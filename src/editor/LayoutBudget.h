#pragma once

#include <QHash>
#include <QString>
#include <QTextBlock>
#include <QStringView>
#include <QtGlobal>
#include <limits>
#include <optional>

class QTextDocument;

// What the editor's layout can hold, estimated without laying anything out.
// Qt's document layout keeps positions in 26.6 fixed point: past about 33
// million pixels they wrap around and the layout never finishes. The editor
// therefore refuses content whose estimated height exceeds MaxHeight, and
// the estimate leans high (wide letters, tall lines) so that real text stays
// well below the wrap.
//
// The estimate follows lines as the layout would: letters of half an em and
// a tenth (an em for East Asian wide ones) fill a line of the given width,
// and each line is as tall as its largest letter plus a quarter.
class LayoutBudget {
public:
    // Estimated height beyond which content is refused.
    static constexpr qreal MaxHeight = 20'000'000;
    // One printed page, for messages: eleven inches at 96 dpi.
    static constexpr qreal PageHeight = 1056;
    // A run of letters without a break opportunity longer than this can
    // never fit on a line of the editor: such text is wrapped anywhere.
    static constexpr qsizetype LongestWord = 512;

    // textWidth: the width lines wrap at, in pixels (0 or less: no wrap).
    // dpi: the pixels per inch that point sizes are converted with.
    LayoutBudget(qreal textWidth, qreal dpi);

    // Text in one size; "\n" and U+2029 end paragraphs, U+2028 ends a line.
    void addText(QStringView text, qreal points);
    // Ends the paragraph; an empty one is a line of the given size.
    void endParagraph(qreal points);
    // Lines of what is added from now on are this many pixels narrower: a
    // paragraph's indents.
    void setIndent(qreal pixels) { m_indent = qMax<qreal>(0, pixels); }
    // Height so far, the open paragraph included.
    qreal height() const;

    // Runs of characters without a break opportunity in what was added:
    // the longest, the one it began with and the one it ends with (all the
    // same when it holds no break at all).
    qsizetype longestWord() const { return m_longestRun; }
    qsizetype leadingWord() const { return m_sawBreak ? m_leadingRun : m_run; }
    qsizetype trailingWord() const { return m_run; }
    bool hasBreak() const { return m_sawBreak; }

    // A document's content from position from to position to. With a size
    // override, the characters it covers count in its size, as after the
    // Font command.
    struct SizeOverride {
        int from = 0;
        int to = 0;
        qreal points = 0;
    };
    static qreal ofDocument(const QTextDocument &doc, qreal textWidth, qreal dpi, int from = 0,
                            int to = std::numeric_limits<int>::max(),
                            std::optional<SizeOverride> override = std::nullopt);
    // The same in steps (below).
    class OfDocument;

    // The unbroken run that ends (or begins) text.
    static qsizetype trailingWord(QStringView text);
    static qsizetype leadingWord(QStringView text);

    // A sentence for the user: the content would be about pages long.
    static QString tooLongMessage(qreal height);

private:
    void newLine();
    void addSlow(char16_t u, qreal em, qreal points);

    qreal m_width;
    qreal m_indent = 0;
    qreal m_pxPerPoint;
    qreal m_height = 0;
    qreal m_used = 0;      // width taken on the open line
    qreal m_lineEm = 0;    // largest em on the open line
    qsizetype m_run = 0;   // unbroken characters at the end so far
    qsizetype m_longestRun = 0;
    qsizetype m_leadingRun = 0;
    bool m_sawBreak = false;
};

// The measure of a document in steps, so that long work can let events
// through between them; the document must not change meanwhile.
class LayoutBudget::OfDocument {
public:
    OfDocument(const QTextDocument &doc, qreal textWidth, qreal dpi, int from = 0,
               int to = std::numeric_limits<int>::max(), std::optional<SizeOverride> override = std::nullopt);
    // Measures about the given number of characters more; false once done.
    bool step(qsizetype characters);
    qreal height() const { return m_budget.height(); }
    qreal fraction() const;

private:
    qreal pointsOf(int formatIndex, const QTextFormat &format);

    LayoutBudget m_budget;
    QString m_text; // one copy, cut by fragment positions counted along each block
    QTextBlock m_block;
    int m_from;
    int m_end;
    std::optional<SizeOverride> m_override;
    qreal m_fallback;
    qreal m_indentWidth;
    QHash<int, qreal> m_points;
};
