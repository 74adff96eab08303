#include "BuildConfig.h"
#include "app/AppSetup.h"
#include "app/CommandLine.h"
#include "app/FocusRing.h"
#include "app/HeldKeyFilter.h"
#include "app/OpenRequests.h"
#include "app/SingleInstance.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <QApplication>
#include <cstdio>

namespace {

// Whether QApplication may find a display. Without one it ends the program
// with its own message, before a usage problem could be told.
bool displayMayExist(const QStringList &arguments)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return arguments.contains(QStringLiteral("-platform")) || arguments.contains(QStringLiteral("-display"));
#else
    Q_UNUSED(arguments)
    return true;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version must work without a display: they are looked for
    // before QApplication exists, under a QCoreApplication that gives the
    // arguments as the system passed them (Unicode on Windows too). Qt's own
    // options are still in the list then, so nothing is refused here unless
    // there is no display for QApplication to start on anyway.
    {
        const QCoreApplication core(argc, argv);
        const CommandLine early = CommandLine::parse(QCoreApplication::arguments());
        if (early.action() == CommandLine::Action::Print) {
            std::fputs(early.text().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (early.action() == CommandLine::Action::Refuse && !displayMayExist(QCoreApplication::arguments())) {
            std::fputs(early.text().toLocal8Bit().constData(), stderr);
            return CommandLine::UsageError;
        }
    }

    QApplication app(argc, argv);
    // QApplication has taken out its own options (-style, -platform, -session...).
    const CommandLine commandLine = CommandLine::parse(QApplication::arguments());
    if (commandLine.action() != CommandLine::Action::Start) {
        const bool refused = commandLine.action() == CommandLine::Action::Refuse;
        std::fputs(commandLine.text().toLocal8Bit().constData(), refused ? stderr : stdout);
        return refused ? CommandLine::UsageError : 0;
    }

    // Already running for this user on this display: the documents go there.
    SingleInstance instance;
    if (instance.claim(SingleInstance::serverName(), commandLine.files()) == SingleInstance::Role::HandedOver)
        return 0;

    AppSetup::prepare(app);
    // Docks, task bars and Wayland match the windows to the installed menu entry by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELLUMOR_APP_ID));
    // The main window is a tool window and ends the program itself; closing
    // the help screen must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    app.installEventFilter(new HeldKeyFilter(&app));
    new FocusRing(&app);

    frmSplash splash([] {
        auto window = std::make_unique<frmMain>(QStringLiteral(VELLUMOR_DATA_DIR));
        // Unsaved work survives a crash; what a crash left is offered once the window is up.
        window->enableRecovery();
        return window;
    });
    OpenRequests requests(splash);
    QObject::connect(&instance, &SingleInstance::requested, &requests, &OpenRequests::request);
    splash.show();
    requests.request(commandLine.files());
    return QApplication::exec();
}
