#include "editor/BusyScope.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

BusyScope::BusyScope(QWidget *owner, const QString &label)
    : m_window(owner ? owner->window() : nullptr)
    , m_label(label)
{
    m_clock.start();
    if (m_window)
        m_window->installEventFilter(this);
}

BusyScope::~BusyScope()
{
    delete m_dialog;
    if (!m_window)
        return;
    m_window->removeEventFilter(this);
    if (m_closeRequested)
        QTimer::singleShot(0, m_window, &QWidget::close);
}

bool BusyScope::eventFilter(QObject *watched, QEvent *event)
{
    // The work belongs to the window: it may not close under it, nor may the
    // progress dialog be dismissed.
    if (event->type() == QEvent::Close) {
        event->ignore();
        if (watched == m_window)
            m_closeRequested = true;
        return true;
    }
    if (watched == m_dialog && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        return true;
    return false;
}

void BusyScope::closeDialog()
{
    delete m_dialog;
    m_dialogLabel = nullptr;
    m_bar = nullptr;
    m_clock.invalidate(); // not shown again
}

void BusyScope::setLabel(const QString &label)
{
    m_label = label;
    if (m_dialogLabel)
        m_dialogLabel->setText(label);
}

void BusyScope::showProgress(qreal fraction)
{
    if (!m_dialog && m_clock.isValid() && m_clock.elapsed() >= ShowAfterMs && m_window) {
        auto *dialog = new QDialog(m_window, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        dialog->setWindowTitle(QStringLiteral("Vellumor"));
        dialog->setWindowModality(Qt::WindowModal);
        auto *layout = new QVBoxLayout(dialog);
        m_dialogLabel = new QLabel(m_label, dialog);
        m_bar = new QProgressBar(dialog);
        m_bar->setRange(0, 1000);
        m_bar->setMinimumWidth(280);
        layout->addWidget(m_dialogLabel);
        layout->addWidget(m_bar);
        dialog->installEventFilter(this);
        m_dialog = dialog;
        dialog->show();
    }
    if (m_bar)
        m_bar->setValue(qBound(0, qRound(fraction * 1000), 1000));
}

void BusyScope::progress(qreal fraction)
{
    showProgress(fraction);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BusyScope::runOnWorker(const std::function<void(std::atomic<int> &permille)> &job)
{
    std::atomic<int> permille{0};
    std::unique_ptr<QThread> worker(QThread::create([&job, &permille] { job(permille); }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    tick.setInterval(50);
    connect(&tick, &QTimer::timeout, this, [&] { showProgress(permille.load() / 1000.0); });
    worker->start();
    tick.start();
    if (!worker->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
}
