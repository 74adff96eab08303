// The splash window started as the program starts it, reporting its first
// paint (see FirstPaint.h) and ending there: the start-up benchmark runs it
// beside bare_window --first-paint.
#include "FirstPaint.h"
#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppSetup::prepare(app);
    QApplication::setQuitOnLastWindowClosed(false);
    frmSplash splash([] { return std::unique_ptr<frmMain>(); });
    new FirstPaint(&splash);
    splash.show();
    return QApplication::exec();
}
