// Renders one of the program's SVG pictures at build time into the pixels
// the program copies instead of drawing the picture at start-up
// (cmake/PrerenderedPictures.cmake, read by Pictures::pixmap).
// Usage: prerender_pictures <svg> <output> <width> <height> [<shown width> <shown height>]
// The picture is drawn at width x height as Pictures draws it; only its top
// left part of the shown size is kept (what a window of that size shows).
//
// Output: "VPIX", then four 32-bit numbers in this machine's byte order
// (0x01020304, so that a reader can tell; width; height; the QImage format,
// RGB32 for an opaque picture or ARGB32_Premultiplied), then the rows of
// pixels as QImage holds them, width * 4 bytes each. Decoding a PNG or BMP
// costs more at start-up than drawing from the SVG does.

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5 && args.size() != 7) {
        std::fprintf(stderr, "usage: prerender_pictures <svg> <output> <width> <height> [<shown width> <shown height>]\n");
        return 2;
    }
    const QSize size(args.at(3).toInt(), args.at(4).toInt());
    const QSize shown = args.size() == 7 ? QSize(args.at(5).toInt(), args.at(6).toInt()).boundedTo(size) : size;
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid() || size.isEmpty() || shown.isEmpty()) {
        std::fprintf(stderr, "prerender_pictures: cannot render %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    image = image.copy(QRect(QPoint(0, 0), shown));
    bool opaque = true;
    for (int y = 0; y < image.height() && opaque; ++y)
        for (int x = 0; x < image.width() && opaque; ++x)
            opaque = qAlpha(image.pixel(x, y)) == 255;
    if (opaque)
        image = image.convertToFormat(QImage::Format_RGB32);

    QFile out(args.at(2));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "prerender_pictures: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    const quint32 header[] = {0x01020304u, quint32(image.width()), quint32(image.height()), quint32(image.format())};
    out.write("VPIX", 4);
    out.write(reinterpret_cast<const char *>(header), sizeof header);
    for (int y = 0; y < image.height(); ++y)
        out.write(reinterpret_cast<const char *>(image.constScanLine(y)), qint64(image.width()) * 4);
    return out.error() == QFileDevice::NoError ? 0 : 1;
}
