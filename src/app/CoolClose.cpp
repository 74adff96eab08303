#include "app/CoolClose.h"

#include "app/Twips.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace CoolClose {

QRectF geometryTwips(const QWidget *window)
{
    const QRect r = window->frameGeometry();
    return {Twips::fromPx(r.x()), Twips::fromPx(r.y()), Twips::fromPx(r.width()), Twips::fromPx(r.height())};
}

void setGeometryTwips(QWidget *window, const QRectF &twips)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const int extraW = frame.width() - client.width();
    const int extraH = frame.height() - client.height();
    window->move(Twips::toPx(twips.x()), Twips::toPx(twips.y()));
    window->resize(qMax(0, Twips::toPx(twips.width()) - extraW), qMax(0, Twips::toPx(twips.height()) - extraH));
}

void shrink(QWidget *window, short speed)
{
    if (speed <= 0)
        return;
    // 16-bit products, as the speed is a 16-bit value.
    const auto sizeStep = float(qint16(10 * speed));
    const auto edgeStep = float(qint16(5 * speed));
    if (sizeStep <= 0)
        return;

    QPointer<QWidget> guard(window);
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    // Let the window go smaller than its layout would like.
    window->setMinimumSize(0, 0);

    // The steps run on the intended geometry in twips, so that pixel
    // rounding does not pile up and move the centre; what the window really
    // got is only read to see whether a step was refused.
    QRectF intended = geometryTwips(window);
    auto step = [&](bool vertical) {
        for (;;) {
            QCoreApplication::processEvents();
            if (!guard)
                return;
            const float size = float(vertical ? intended.height() : intended.width());
            if (!(size > (vertical ? 405.0f : 1680.0f)))
                return;
            if (vertical) {
                intended.moveTop(float(intended.y()) + edgeStep);
                intended.setHeight(size - sizeStep);
            } else {
                intended.moveLeft(float(intended.x()) + edgeStep);
                intended.setWidth(size - sizeStep);
            }
            setGeometryTwips(window, intended);
            const QRectF after = geometryTwips(window);
            const double got = vertical ? after.height() : after.width();
            const double wanted = vertical ? intended.height() : intended.width();
            if (got > wanted + Twips::PerPixel) {
                // The window system stopped short of the step (a minimum
                // size): keep the centre and stop this direction, rather
                // than loop for ever.
                QRectF centred = after;
                centred.moveCenter(intended.center());
                setGeometryTwips(window, centred);
                intended = geometryTwips(window);
                return;
            }
        }
    };
    // The window system may apply a minimum size only once events run:
    // put the centre back where the steps meant it to be.
    auto recentre = [&] {
        QCoreApplication::processEvents();
        if (!guard)
            return;
        QRectF actual = geometryTwips(window);
        if (qAbs(actual.center().x() - intended.center().x()) > Twips::PerPixel ||
            qAbs(actual.center().y() - intended.center().y()) > Twips::PerPixel) {
            actual.moveCenter(intended.center());
            setGeometryTwips(window, actual);
        }
        intended = geometryTwips(window);
    };
    step(true);
    recentre();
    if (!guard)
        return;
    step(false);
    recentre();
}

} // namespace CoolClose
