#include "app/OpenRequests.h"

#include "app/RainButton.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "editor/RichTextBox.h"

#include <QApplication>
#include <utility>

namespace {

// How often a request waiting for a dialog to close looks again.
constexpr int RetryMs = 100;

void bringToFront(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

OpenRequests::OpenRequests(frmSplash &splash, QObject *parent)
    : QObject(parent)
    , m_splash(splash)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, &OpenRequests::deliver);
    // Connected after the splash's own handler: runs once the main window
    // is shown and the screen warning has been answered.
    connect(splash.RainButton1, &RainButton::clicked, this, &OpenRequests::deliver);
}

void OpenRequests::request(const QStringList &files)
{
    // One document is open at a time: the latest request is the one wanted.
    if (!files.isEmpty())
        m_pending = files;
    frmMain *main = m_splash.mainWindow();
    bringToFront(main ? static_cast<QWidget *>(main) : static_cast<QWidget *>(&m_splash));
    deliver();
}

void OpenRequests::deliver()
{
    frmMain *main = m_splash.mainWindow();
    if (!main || m_pending.isEmpty())
        return;
    // The question must not open over another dialog, nor the file while a
    // long command runs: after them.
    if (QApplication::activeModalWidget() || main->RichTextBox1->isBusy()) {
        m_retry.start();
        return;
    }
    main->openFromOutside(std::exchange(m_pending, {}));
}
