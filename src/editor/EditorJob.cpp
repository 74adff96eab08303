#include "editor/EditorJob.h"

#include "editor/LayoutPacer.h"
#include "editor/RichTextBox.h"

#include <QCloseEvent>
#include <QProgressDialog>

#include <limits>

namespace {

// The progress of a job. Not modal: a modal progress dialog lets events
// through inside setValue(), and the window stays usable anyway (the
// document is read-only until the job ends). A job that cannot be
// cancelled cannot be dismissed either.
class JobProgress : public QProgressDialog {
public:
    JobProgress(const QString &label, bool cancellable, QWidget *parent)
        : QProgressDialog(label, cancellable ? QStringLiteral("Cancel") : QString(), 0, 1000, parent,
                          Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
        , m_cancellable(cancellable)
    {
        setWindowTitle(QStringLiteral("Vellumor"));
        setWindowModality(Qt::NonModal);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
        setMinimumWidth(280);
    }

protected:
    void reject() override
    {
        if (m_cancellable)
            emit canceled();
    }
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        if (m_cancellable)
            emit canceled();
    }

private:
    bool m_cancellable;
};

} // namespace

EditorJob::EditorJob(RichTextBox *box, const QString &label, bool cancellable)
    : QObject(box)
    , m_box(box)
    , m_label(label)
    , m_cancellable(cancellable)
{
    m_turn.setInterval(0);
    connect(&m_turn, &QTimer::timeout, this, &EditorJob::turn);
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(ShowAfterMs);
    connect(&m_showTimer, &QTimer::timeout, this, &EditorJob::showProgress);
}

EditorJob::~EditorJob()
{
    // Destroyed unfinished (the window closed under it): work still on a
    // worker is told to stop and its result goes nowhere.
    if (m_cancelFuture)
        m_cancelFuture();
    delete m_dialog;
}

void EditorJob::start()
{
    if (!m_box || m_box->isBusy()) {
        finish(Outcome::Refused, QStringLiteral("The editor is still busy with the previous command."));
        return;
    }
    m_box->beginJob(this);
    m_showTimer.start();
    begin();
}

void EditorJob::cancel()
{
    if (!m_cancellable || m_finished)
        return;
    if (m_cancelFuture)
        m_cancelFuture();
    m_turn.stop();
    rollBack();
    finish(Outcome::Cancelled);
}

void EditorJob::repeat(std::function<bool()> step, std::function<void()> next)
{
    m_step = std::move(step);
    m_next = std::move(next);
    m_turn.start();
}

void EditorJob::turn()
{
    if (m_finished || !m_step) {
        m_turn.stop();
        return;
    }
    if (m_step())
        return;
    m_turn.stop();
    m_step = {};
    // The next phase may set up another step: take it out first.
    const std::function<void()> next = std::exchange(m_next, {});
    if (next)
        next();
}

void EditorJob::setCancellable(bool cancellable)
{
    m_cancellable = cancellable;
    if (m_dialog && !cancellable)
        m_dialog->setCancelButton(nullptr);
}

void EditorJob::layOutTo(int position, std::function<void()> next)
{
    auto pacer = std::make_shared<LayoutPacer>(m_box ? m_box->document() : nullptr, position);
    repeat(
        [this, pacer] {
            const bool more = pacer->step(SliceSizer::SliceMs);
            setProgress(pacer->fraction());
            return more;
        },
        std::move(next));
}

void EditorJob::layOutToTheEnd(std::function<void()> next)
{
    layOutTo(std::numeric_limits<int>::max(), std::move(next));
}

void EditorJob::setProgress(qreal fraction)
{
    m_fraction = qBound<qreal>(0, fraction, 1);
    if (m_dialog)
        m_dialog->setValue(qRound(m_fraction * 1000));
}

void EditorJob::showProgress()
{
    if (m_finished || m_dialog || !m_box)
        return;
    auto *dialog = new JobProgress(m_label, m_cancellable, m_box->window());
    connect(dialog, &QProgressDialog::canceled, this, &EditorJob::cancel);
    m_dialog = dialog;
    dialog->setValue(qRound(m_fraction * 1000));
    dialog->show();
}

void EditorJob::finish(Outcome outcome, const QString &message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_turn.stop();
    m_showTimer.stop();
    delete m_dialog;
    if (m_box && m_box->job() == this)
        m_box->endJob(outcome == Outcome::Done && m_changed);
    emit finished(outcome, message);
    deleteLater();
}

SliceSizer::SliceSizer(int initial)
    : m_size(initial)
{
}

void SliceSizer::took(qint64 ms)
{
    const double ideal = ms > 0 ? double(m_size) * SliceMs / ms : m_size * 2.0;
    m_size = int(qBound(m_size / 4.0, ideal, m_size * 2.0));
    m_size = qMax(m_size, 1024);
}
