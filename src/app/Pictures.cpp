#include "app/Pictures.h"

#include "app/AppSetup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QResource>
#include <QSaveFile>
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

// A kept picture's file: "VKEP", then five 32-bit numbers in this machine's
// byte order (0x01020304, so that a reader can tell; width; height; the
// QImage format; the label's length in bytes), the label in UTF-8, then the
// rows of pixels as QImage holds them. Raw pixels: the file is read at
// start-up, where decoding a PNG would cost more than the copy.
constexpr char KeptMagic[4] = {'V', 'K', 'E', 'P'};
constexpr int KeptHeaderWords = 5;
constexpr int MaxKeptSide = 16384;
constexpr quint32 MaxKeptLabel = 1 << 16;

bool keptFormat(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
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

Kept readKept(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    char magic[4] = {};
    quint32 header[KeptHeaderWords] = {};
    if (in.read(magic, 4) != 4 || std::memcmp(magic, KeptMagic, 4) != 0
        || in.read(reinterpret_cast<char *>(header), sizeof header) != qint64(sizeof header))
        return {};
    const auto format = QImage::Format(header[3]);
    if (header[0] != 0x01020304u || header[1] == 0 || header[1] > quint32(MaxKeptSide) || header[2] == 0
        || header[2] > quint32(MaxKeptSide) || !keptFormat(format) || header[4] > MaxKeptLabel)
        return {};
    const qint64 pixels = qint64(header[1]) * header[2] * 4;
    if (in.size() != 4 + qint64(sizeof header) + header[4] + pixels)
        return {};
    const QByteArray label = in.read(header[4]);
    QImage image(QSize{int(header[1]), int(header[2])}, format);
    if (image.isNull() || label.size() != qsizetype(header[4]) || image.sizeInBytes() != pixels
        || in.read(reinterpret_cast<char *>(image.bits()), pixels) != pixels)
        return {};
    return {image, QString::fromUtf8(label)};
}

bool writeKept(const QString &file, const Kept &kept)
{
    QImage image = kept.image;
    if (image.isNull())
        return false;
    if (!keptFormat(image.format()))
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QByteArray label = kept.label.toUtf8();
    if (quint32(label.size()) > MaxKeptLabel)
        return false;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const quint32 header[KeptHeaderWords] = {0x01020304u, quint32(image.width()), quint32(image.height()),
                                             quint32(image.format()), quint32(label.size())};
    out.write(KeptMagic, 4);
    out.write(reinterpret_cast<const char *>(header), sizeof header);
    out.write(label);
    for (int y = 0; y < image.height(); ++y)
        out.write(reinterpret_cast<const char *>(image.constScanLine(y)), qint64(image.width()) * 4);
    return out.commit();
}

} // namespace Pictures
