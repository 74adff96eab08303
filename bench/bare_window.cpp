// Baseline for the start-up benchmark: the least a Qt Widgets program does
// to put a window of the splash's size on the screen. With --first-paint it
// reports its first paint (see FirstPaint.h) and ends. With --with-text it
// also shows the splash's texts in the faces that stand in for the splash's
// fonts here (the Liberation fonts), as plain labels: what the texts alone cost.
#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.resize(447, 331);
    if (QCoreApplication::arguments().contains(QStringLiteral("--with-text"))) {
        auto font = [](const char *family, double points, bool bold) {
            QFont f(QString::fromLatin1(family));
            f.setPointSizeF(points);
            f.setBold(bold);
            return f;
        };
        const struct {
            const char *text;
            QFont font;
            QRect at;
        } texts[] = {
            {"ENTER", font("Liberation Serif", 18, true), {80, 168, 121, 41}},
            {"VELLUMOR", font("Liberation Sans Narrow", 18, true), {112, 24, 321, 33}},
            {"WIN95/98", font("Liberation Serif", 12, true), {320, 264, 97, 17}},
            {"VER 1.36", font("Liberation Serif", 12, true), {320, 288, 81, 33}},
            {"This program is free: you may copy it and give it away to anyone, but you may not sell it.",
             font("Liberation Sans", 8.25, false), {40, 224, 225, 73}},
            {" Jesus did many other things as well. If every one of them were written down, I suppose that "
             "even the whole world would not have room for the books that would be written. ",
             font("Liberation Sans", 8.25, false), {152, 56, 209, 65}},
            {"John 21:25 ", font("Liberation Sans", 8.25, false), {208, 112, 81, 17}},
            {"Press ENTER to begin writing.", font("Liberation Sans", 8.25, false), {40, 296, 185, 33}},
        };
        for (const auto &t : texts) {
            auto *label = new QLabel(QString::fromLatin1(t.text), &window);
            label->setFont(t.font);
            label->setWordWrap(true);
            label->setGeometry(t.at);
        }
    }
    if (QCoreApplication::arguments().contains(QStringLiteral("--first-paint")))
        new FirstPaint(&window);
    window.show();
    return QApplication::exec();
}
