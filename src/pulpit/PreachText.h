#pragma once

#include <QColor>
#include <QString>
#include <Qt>
#include <memory>
#include <vector>

class QDeadlineTimer;
class QTextDocument;

// The preaching view's own copy of the sermon: its text, and of its
// formatting what reads from the pulpit (bold, italic, underline, strike,
// family, size relative to the body text, colour, alignment). Taken from
// the editor's document in one pass; the editor's document is never
// changed nor shown elsewhere.
//
// One paragraph per paragraph (block) of the document, in order, so a
// place in the copy maps back to the document by paragraph number. A very
// long paragraph is held in pieces, each laid out on its own, so that
// showing any part of it never lays out the whole.
class PreachText {
public:
    struct Style {
        QString family;
        qreal relativeSize = 1; // to the body text's size
        int weight = 400;       // QFont::Weight
        bool italic = false;
        bool underline = false;
        bool strike = false;
        QColor colour; // invalid: the view's text colour
    };
    struct Run {
        qsizetype start = 0; // in text()
        qsizetype length = 0;
        int style = 0;
    };
    struct Piece {
        qsizetype start = 0; // in text()
        qsizetype length = 0;
        int paragraph = 0;
        qsizetype firstRun = 0; // the first run that reaches into the piece
        int emptyStyle = 0;     // the style of an empty paragraph's line
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    // Pieces are cut at a space at most this long (or here when there is none).
    static constexpr qsizetype PieceLength = 1 << 15;

    PreachText();
    // Copies document at once. On the document's thread, between edits.
    static PreachText fromDocument(const QTextDocument &document);

    // Copies a document a part at a time (see PreachCopy). The document
    // must not change between the builder's creation and finish().
    class Builder {
    public:
        explicit Builder(const QTextDocument &document);
        ~Builder();
        Builder(const Builder &) = delete;
        Builder &operator=(const Builder &) = delete;
        // Copies paragraphs until deadline has passed; true once all are.
        bool step(const QDeadlineTimer &deadline);
        // The copy, once step() has returned true.
        PreachText finish();

    private:
        struct State;
        std::unique_ptr<State> d;
    };

    const QString &text() const { return m_text; }
    const std::vector<Style> &styles() const { return m_styles; }
    const std::vector<Run> &runs() const { return m_runs; }
    const std::vector<Piece> &pieces() const { return m_pieces; }
    int paragraphCount() const { return int(m_firstPiece.size()); }
    int firstPieceOf(int paragraph) const;
    // The family of text whose format names none.
    const QString &defaultFamily() const { return m_defaultFamily; }

private:
    QString m_text;
    QString m_defaultFamily;
    std::vector<Style> m_styles;
    std::vector<Run> m_runs;
    std::vector<Piece> m_pieces;
    std::vector<int> m_firstPiece; // per paragraph
};
