// Baseline for the start-up benchmark: the least a Qt Widgets program does
// to put a window of the splash's size on the screen. With --first-paint it
// reports its first paint (see FirstPaint.h) and ends.
#include "FirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.resize(447, 331);
    if (QCoreApplication::arguments().contains(QStringLiteral("--first-paint")))
        new FirstPaint(&window);
    window.show();
    return QApplication::exec();
}
