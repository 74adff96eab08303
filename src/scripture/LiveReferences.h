#pragma once

#include "reference/BibleReference.h"

#include <QObject>
#include <QPointer>
#include <QTextLayout>
#include <functional>
#include <optional>

class BibleText;
class QTextBlock;
class QTextEdit;

// Bible references written in the sermon document are live: hovering over
// one shows its passage, Ctrl+click shows it in the Bible panel, and the
// pointer is a pointing hand while Ctrl is held over one. Only the text
// around the mouse (and, for the marks, the blocks on show) is looked at,
// and nothing of it changes the document, its undo history or what it
// copies: the marks are for the view to draw.
class LiveReferences : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveReferences)

public:
    // show: shows a reference in the Bible panel.
    LiveReferences(QTextEdit *document, const BibleText *bible, std::function<void(const BibleReference &)> show,
                   QObject *parent = nullptr);

    // The references of the block that the Bible holds, underlined with
    // dots, positions within the block. A long block is looked at only
    // where it is on show.
    QList<QTextLayout::FormatRange> referenceMarks(const QTextBlock &block) const;
    // The reference under a point of the viewport (positions within the
    // document) and, when asked, the area it covers there.
    std::optional<BibleReference::Found> referenceAt(const QPoint &point, QRect *area = nullptr) const;
    // What hovering over the reference shows; empty when it is not in the Bible.
    QString tooltipFor(const BibleReference &ref) const;

    // Text is looked at this far before and after the place that matters.
    static constexpr int ScanBefore = 300;
    static constexpr int ScanAfter = 100;
    // Blocks longer than this are looked at only where they are on show.
    static constexpr int LongBlock = 4096;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updatePointer(const QPoint &at, bool control);

    QPointer<QTextEdit> m_document;
    const BibleText *m_bible = nullptr;
    std::function<void(const BibleReference &)> m_show;
    QTextCharFormat m_mark;
    bool m_pointing = false;
    bool m_swallowRelease = false;
};
