#include "BuildConfig.h"
#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppSetup::prepare(app);
    // The main window is a tool window and ends the program itself; closing
    // the help screen must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    frmSplash splash([] {
        auto window = std::make_unique<frmMain>(QStringLiteral(VELLUMOR_DATA_DIR));
        // Unsaved work survives a crash; what a crash left is offered once the window is up.
        window->enableRecovery();
        return window;
    });
    splash.show();
    return QApplication::exec();
}
