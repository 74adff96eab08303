#include "BuildConfig.h"
#include "app/AppSetup.h"
#include "app/CommandLine.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    // The command line is read before QApplication exists: --help, --version
    // and a usage message must work without a display. QCoreApplication gives
    // the arguments as the system passed them (Unicode on Windows too).
    const CommandLine commandLine = [&] {
        const QCoreApplication core(argc, argv);
        return CommandLine::parse(QCoreApplication::arguments());
    }();
    if (commandLine.action() == CommandLine::Action::Print) {
        std::fputs(commandLine.text().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (commandLine.action() == CommandLine::Action::Refuse) {
        std::fputs(commandLine.text().toLocal8Bit().constData(), stderr);
        return CommandLine::UsageError;
    }

    QApplication app(argc, argv);
    AppSetup::prepare(app);
    // Docks, task bars and Wayland match the windows to the installed menu entry by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELLUMOR_APP_ID));
    // The main window is a tool window and ends the program itself; closing
    // the help screen must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    frmSplash splash([] {
        auto window = std::make_unique<frmMain>(QStringLiteral(VELLUMOR_DATA_DIR));
        // Unsaved work survives a crash; what a crash left is offered once the window is up.
        window->enableRecovery();
        return window;
    });
    commandLine.openFileAfterEnter(splash);
    splash.show();
    return QApplication::exec();
}
