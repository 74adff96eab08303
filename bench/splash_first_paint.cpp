// The splash window started as the program starts it, reporting its first
// paint (see FirstPaint.h) and ending there: the start-up benchmark runs it
// beside bare_window --first-paint. With --settle it goes on until what the
// first paint queued is done (the look kept for the next start is written),
// then quits. With --ready it also reports "ready <epoch ns> <cpu ms>" once
// all its controls have been painted (the window can be used), and ends there.
#include "FirstPaint.h"
#include "app/AppSetup.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include <QApplication>
#include <QLabel>

namespace {

// Reports the first paint of a control on the screen and ends the process,
// once the window's first paint has been reported too.
class ControlPainted : public QObject {
public:
    ControlPainted(QWidget *control, FirstPaint *window)
        : QObject(control)
        , m_window(window)
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *control = static_cast<QWidget *>(watched);
        // Paints into an image before the window is on the screen do not count.
        if (event->type() != QEvent::Paint || !control->window()->windowHandle()->isExposed())
            return false;
        control->removeEventFilter(this);
        QCoreApplication::sendEvent(watched, event);
        FirstPaintReport::print("ready");
        if (m_window->reported())
            std::_Exit(0);
        m_window->setThen(FirstPaint::Then::Exit);
        return true;
    }

private:
    FirstPaint *m_window;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppSetup::prepare(app);
    QApplication::setQuitOnLastWindowClosed(false);
    frmSplash splash([] { return std::unique_ptr<frmMain>(); });
    const QStringList args = QCoreApplication::arguments();
    const bool ready = args.contains(QStringLiteral("--ready"));
    auto *firstPaint = new FirstPaint(&splash, ready ? FirstPaint::Then::Continue
                                              : args.contains(QStringLiteral("--settle")) ? FirstPaint::Then::Settle
                                                                                          : FirstPaint::Then::Exit);
    // Controls paint in the order they were made: Image1 is the last.
    if (ready)
        new ControlPainted(splash.Image1, firstPaint);
    splash.show();
    return QApplication::exec();
}
