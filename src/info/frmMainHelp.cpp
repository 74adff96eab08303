#include "app/frmMain.h"

#include "info/frmAbout.h"
#include "info/frmHelp.h"

void frmMain::mnuHelpContents_Click()
{
    if (!m_help) {
        // No owner: the help screen has its own task-bar button and is
        // minimised on its own. It closes itself, or with this window.
        m_help = new frmHelp(nullptr);
        registerWindow(m_help);
        connect(this, &QObject::destroyed, m_help.data(), &QObject::deleteLater);
    }
    if (m_help->isMinimized())
        m_help->setWindowState(m_help->windowState() & ~Qt::WindowMinimized);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void frmMain::mnuHelpAbout_Click()
{
    // A new box each time; closing it destroys it.
    auto *about = new frmAbout(this);
    about->exec();
}
