#pragma once

#include <QElapsedTimer>
#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class QProgressDialog;
class RichTextBox;

// One long command on the editor (open, paste, format, print): it holds
// the editor's busy state from start to end, so that nothing else touches
// the document meanwhile, and it advances from the event loop, a slice at
// a time on the GUI thread or through a future on a worker, never inside a
// loop of its own. Past ShowAfterMs it shows its progress. It ends once,
// with finished(); a cancellable job that is cancelled leaves the document
// as it was.
class EditorJob : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorJob)

public:
    enum class Outcome { Done, Refused, Cancelled };

    static constexpr int ShowAfterMs = 1000;

    ~EditorJob() override;

    // Starts the job on its editor, which is then busy until it ends.
    void start();
    bool isCancellable() const { return m_cancellable; }
    // Ends a cancellable job at once, as Cancelled; nothing otherwise.
    void cancel();
    bool isFinished() const { return m_finished; }

signals:
    // message says why a job was refused, for the user.
    void finished(EditorJob::Outcome outcome, const QString &message);

protected:
    EditorJob(RichTextBox *box, const QString &label, bool cancellable);

    RichTextBox *box() const { return m_box; }
    // The first step; the job goes on through repeat(), await() and ends
    // with finish().
    virtual void begin() = 0;
    // Puts back what the job changed; called when it is cancelled.
    virtual void rollBack() {}

    // Runs step from the event loop, once per turn, until it returns
    // false; then next.
    void repeat(std::function<bool()> step, std::function<void()> next);
    // Calls then once future has finished (or was cancelled), from the event loop.
    template <typename T>
    void await(QFuture<T> future, std::function<void(QFuture<T>)> then)
    {
        auto *watcher = new QFutureWatcher<T>(this);
        m_cancelFuture = [watcher] { watcher->future().cancel(); };
        connect(watcher, &QFutureWatcher<T>::progressValueChanged, this,
                [this](int permille) { setProgress(permille / 1000.0); });
        connect(watcher, &QFutureWatcher<T>::finished, this, [this, watcher, then = std::move(then)] {
            m_cancelFuture = {};
            watcher->deleteLater();
            if (!m_finished)
                then(watcher->future());
        });
        watcher->setFuture(future);
    }
    void setProgress(qreal fraction);
    // Past the point of no return, a job can no longer be cancelled.
    void setCancellable(bool cancellable);
    // Lays the editor's document out down to a position, or to its end, a
    // slice per turn of the event loop; then next.
    void layOutTo(int position, std::function<void()> next);
    void layOutToTheEnd(std::function<void()> next);
    // The document changed: the editor raises Change once when the job is done.
    void noteChanged() { m_changed = true; }
    void finish(Outcome outcome, const QString &message = {});

private:
    void turn();
    void showProgress();

    QPointer<RichTextBox> m_box;
    QString m_label;
    bool m_cancellable = false;
    bool m_finished = false;
    bool m_changed = false;
    QTimer m_turn;
    QTimer m_showTimer;
    std::function<bool()> m_step;
    std::function<void()> m_next;
    std::function<void()> m_cancelFuture;
    QPointer<QProgressDialog> m_dialog;
    qreal m_fraction = 0;
};

// Sizes slices of work so that each takes about SliceMs: the next slice
// from what the last one cost, growing at most twofold and shrinking at
// most fourfold. One rule for writing, formatting and laying out.
class SliceSizer {
public:
    static constexpr qint64 SliceMs = 80;

    explicit SliceSizer(int initial);
    int size() const { return m_size; }
    // The last slice of size() took this long.
    void took(qint64 ms);

private:
    int m_size;
};
