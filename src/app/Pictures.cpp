#include "app/Pictures.h"

#include "app/AppSetup.h"

#include <QGuiApplication>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>

#include <cstring>

namespace {

qreal pixelRatio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

// A picture rendered at build time (the format is tools/prerender_pictures.cpp's),
// or a null image when there is none or it was made on another kind of machine.
QImage prepared(const QString &name, QSize size)
{
    const QResource resource(QStringLiteral(":/prerendered/%1-%2x%3.pixels").arg(name).arg(size.width()).arg(size.height()));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return {};
    const auto *data = reinterpret_cast<const char *>(resource.data());
    quint32 header[4] = {};
    if (resource.size() < qint64(4 + sizeof header) || std::memcmp(data, "VPIX", 4) != 0)
        return {};
    std::memcpy(header, data + 4, sizeof header);
    const auto format = QImage::Format(header[3]);
    const QSize stored{int(header[1]), int(header[2])};
    if (header[0] != 0x01020304u || (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)
        || stored.isEmpty() || resource.size() != qint64(4 + sizeof header) + qint64(stored.width()) * stored.height() * 4)
        return {};
    QImage image(stored, format);
    std::memcpy(image.bits(), data + 4 + sizeof header, size_t(image.sizeInBytes()));
    return image;
}

} // namespace

namespace Pictures {

QPixmap pixmap(const QString &name, QSize size)
{
    return pixmap(name, size, size);
}

QPixmap pixmap(const QString &name, QSize size, QSize shown)
{
    AppSetup::initResources();
    // Prepared at one pixel per pixel only: sharper screens get the drawing.
    if (pixelRatio() == 1.0) {
        QImage image = prepared(name, size);
        const QSize needed = shown.boundedTo(size);
        if (image.width() >= needed.width() && image.height() >= needed.height())
            return QPixmap::fromImage(std::move(image));
    }
    return draw(name, size);
}

QPixmap draw(const QString &name, QSize size)
{
    AppSetup::initResources();
    const qreal ratio = pixelRatio();
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
