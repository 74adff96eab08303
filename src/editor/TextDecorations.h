#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <functional>

class QAbstractTextDocumentLayout;
class QTextDocument;
class QTextEdit;

// Display-only marks on what the user can see of a text view: misspelled
// words, Bible references and the like. Several sources each say which
// ranges of a paragraph to mark and how; the marks are kept as the
// additional formats of the paragraph's layout, as QSyntaxHighlighter keeps
// its colours, so they never enter the document's own formats, its undo
// history, saved files, the clipboard or a printed copy, and never count as
// a change of the document.
//
// Unlike QSyntaxHighlighter, which goes over the whole document whenever the
// view is given another one, only the paragraphs on screen (and a little
// around) are asked about, once for each text they hold, on a zero-time
// timer after the keystroke, scroll or resize that revealed or changed
// them: typing in and scrolling through a very large document costs what
// the screenful costs.
//
// It lives as long as its view (the view is its parent).
class TextDecorations : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextDecorations)

public:
    // What a source marks in one paragraph: positions inside the block.
    using Source = std::function<QList<QTextLayout::FormatRange>(const QTextBlock &)>;

    // Decorates the view's document, whichever document it shows.
    explicit TextDecorations(QTextEdit *view);
    ~TextDecorations() override;

    // Adds a source; returns its number for refresh(). Sources added later
    // are drawn over earlier ones where their ranges meet.
    int addSource(Source source);
    // Asks a source (all with -1) again about every paragraph, when what it
    // marks has changed without the text changing (a word added to the
    // dictionary, an option turned off). Paragraphs out of sight are asked
    // when they come into sight.
    void refresh(int source = -1);
    // The same for one paragraph, say the one the caret has just left.
    void refreshBlock(const QTextBlock &block, int source = -1);

    // Whether decorating work is waiting for the event loop.
    bool isPending() const { return m_timer.isActive(); }

    // How far above and below the viewport paragraphs are decorated too, as
    // a share of the viewport's height: a short scroll shows marks at once.
    static constexpr qreal Around = 0.5;
    // A pass stops after this long and lets events through before going on.
    static constexpr qint64 PassMs = 8;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void schedule();
    void followDocument();
    // Whether the document's layout has reached its end (see the .cpp).
    bool layoutSettled() const;
    void decorateVisible();
    // Brings one paragraph's marks up to date; false when they must wait
    // for the document's layout.
    bool decorate(const QTextBlock &block);
    bool relineInPlace(const QTextBlock &block, const QList<QTextLayout::FormatRange> &formats);
    // Lays out the stretch of marks set since the last edit now, when
    // position lies far from it.
    void settleWidenedAwayFrom(int position);
    void contentsChange(int from, int removed, int added);
    void shiftMarks(int from, int removed, int added, bool split);

    QPointer<QTextEdit> m_view;
    QPointer<QTextDocument> m_document;
    QPointer<QAbstractTextDocumentLayout> m_layout;
    QElapsedTimer m_layoutActive; // since the layout last worked on its own
    QList<QMetaObject::Connection> m_documentConnections;
    QList<Source> m_sources;
    // Raised by refresh(): a paragraph decorated under an older value asks
    // that source again.
    QList<quint64> m_generations;
    // Raised when a change touches too many paragraphs to note one by one,
    // and when the view is given another document: every paragraph is
    // decorated afresh.
    quint64 m_epoch = 1;
    quint64 m_nextGeneration = 1;
    // Marks were set outside an edit since the document last changed.
    bool m_changeWidened = false;
    // The stretch of the document those marks span, [from, end), in
    // positions: the next edit lays all of it out again.
    int m_widenedFrom = 0;
    int m_widenedEnd = 0;
    // How far apart marked paragraphs may lie before that stretch is laid
    // out at once rather than left to grow (a screenful or two of text).
    static constexpr int WidenedNear = 16 * 1024;
    QTimer m_timer;
};
