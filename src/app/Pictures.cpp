#include "app/Pictures.h"

#include "app/AppSetup.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

namespace Pictures {

QPixmap pixmap(const QString &name, QSize size)
{
    AppSetup::initResources();
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (renderer.isValid()) {
        QPainter painter(&pm);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return pm;
}

QIcon icon(const QString &name)
{
    QIcon result;
    result.addPixmap(pixmap(name, QSize(16, 16)));
    return result;
}

} // namespace Pictures
