#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QAbstractTextDocumentLayout;
class QTextDocument;

// Lays out a document just put into a view in slices of a few milliseconds
// between events. Left to itself the layout works on in steps that double
// in size, and on a long entry single steps stall the window for tens of
// milliseconds; the layout's own timer is held back while this runs.
class LayoutPacer : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LayoutPacer)

public:
    explicit LayoutPacer(QObject *parent = nullptr);
    ~LayoutPacer() override;

    // Starts on the document's current layout (the view sets it up).
    void start(QTextDocument *doc);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    // Longest a slice should work before letting events through.
    static constexpr qint64 SliceNanoseconds = 6'000'000;

signals:
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void step();

    QPointer<QTextDocument> m_doc;
    QPointer<QAbstractTextDocumentLayout> m_layout;
    QTimer m_timer;
    int m_position = 0;
    qint64 m_longestStep = 0;
};
