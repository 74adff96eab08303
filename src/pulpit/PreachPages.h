#pragma once

#include "pulpit/PreachText.h"

#include <QColor>
#include <QSizeF>
#include <QStringList>
#include <QTextCharFormat>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class QPainter;
class QTextLayout;

// The preaching view's text laid out in screens: where the screen starts,
// moving by screens and by lines, and painting what shows. Only the pieces
// of text on and next to the screen are laid out, so a document of any
// length shows at once and a new zoom, look or width applies at once.
// Only whole lines are shown.
class PreachPages {
public:
    PreachPages();
    ~PreachPages();
    PreachPages(const PreachPages &) = delete;
    PreachPages &operator=(const PreachPages &) = delete;

    // The text, shown from the start of paragraph (clamped).
    void setText(std::shared_ptr<const PreachText> text, int paragraph);
    const PreachText *text() const { return m_text.get(); }
    // Size of the area the lines fill, in pixels.
    void setArea(const QSizeF &size);
    QSizeF area() const { return m_area; }
    // The body text's size in pixels, the text colour for text without a
    // colour of its own and the background the colours must read on.
    void setLook(qreal bodyPixels, const QColor &text, const QColor &background);

    // The paragraph whose line is at the top of the screen.
    int topParagraph() const;
    void showParagraph(int paragraph);
    // The next screen, its first line the last one of this screen; false
    // when the rest of the text is on this screen.
    bool forward();
    // The previous screen, its last line the first one of this screen;
    // false at the start.
    bool back();
    // Moves by lines (negative: back), never past the screen that shows
    // the end. Returns the number of lines moved.
    int scroll(int lines);
    bool toStart();
    bool toEnd();

    // The text of the whole lines on the screen, top to bottom.
    QStringList shownLines();
    void paint(QPainter &painter, const QPointF &origin);

    // The line spacing, as a multiple of the font's own line height.
    static constexpr qreal LineSpacing = 1.15;

private:
    struct Line {
        int piece = 0;
        int line = 0;
        friend bool operator==(const Line &, const Line &) = default;
    };
    struct Laid;
    Laid &laid(int piece);
    qreal height(const Line &line);
    std::optional<Line> next(const Line &line);
    std::optional<Line> previous(const Line &line);
    // The last whole line on a screen starting at top, and whether more follows it.
    std::pair<Line, bool> lastShown(const Line &top);
    void setTop(const Line &line);
    bool isBlank(const Line &line) const;
    // The first line from line on that is not an empty paragraph, stopping at until.
    Line skipBlank(const Line &line, std::optional<Line> until = std::nullopt);
    void makeFormats();
    void keepTop();

    std::shared_ptr<const PreachText> m_text;
    std::vector<QTextCharFormat> m_formats; // per style
    std::unordered_map<int, std::unique_ptr<Laid>> m_laid;
    QSizeF m_area;
    qreal m_bodyPixels = 32;
    QColor m_textColour = Qt::black;
    QColor m_background = Qt::white;
    Line m_top;
    qsizetype m_topOffset = 0; // where the top line starts in its piece: kept across relayouts
};
