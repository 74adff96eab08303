#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QWidget;

// Keeps the window answering while the editor does long work: between
// slices of work on the GUI thread, or while a worker thread runs, pending
// events are let through (painting, timers), while keys and clicks wait
// until the work is done. Work that takes longer than ShowAfterMs shows a
// progress dialog. Closing the window meanwhile is put off until the end.
class BusyScope : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BusyScope)

public:
    // owner: a widget of the window the work is for.
    BusyScope(QWidget *owner, const QString &label);
    ~BusyScope() override;

    static constexpr qint64 ShowAfterMs = 1000;

    void setLabel(const QString &label);
    // Shows progress (0 to 1) and lets pending events through.
    void progress(qreal fraction);
    // Runs job on a worker thread and answers events until it returns. The
    // job may report its progress in thousandths.
    void runOnWorker(const std::function<void(std::atomic<int> &permille)> &job);

    // Takes the progress dialog down, for a message to show in its place.
    void closeDialog();
    bool dialogShown() const { return m_dialog != nullptr; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showProgress(qreal fraction);

    QPointer<QWidget> m_window;
    QString m_label;
    QElapsedTimer m_clock;
    QPointer<QDialog> m_dialog;
    QLabel *m_dialogLabel = nullptr;
    QProgressBar *m_bar = nullptr;
    bool m_closeRequested = false;
};
