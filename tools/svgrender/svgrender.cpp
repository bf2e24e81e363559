// svgrender [--scale N] IN.svg OUT.(png|jpg|bmp|ico) [WIDTH HEIGHT]
// Renders an SVG at its own size (or the size given), times N for a screen of N device pixels to the pixel
// (the "@2x" picture beside the plain one). JPEG and BMP get a white background; PNG keeps transparency.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int scale = 1;
    if (argc > 2 && std::strcmp(argv[1], "--scale") == 0) {
        scale = std::atoi(argv[2]);
        argc -= 2;
        argv += 2;
    }
    if ((argc != 3 && argc != 5) || scale < 1) {
        std::fprintf(stderr, "usage: svgrender [--scale N] IN.svg OUT [WIDTH HEIGHT]\n");
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "svgrender: cannot read %s\n", argv[1]);
        return 1;
    }
    QSize size = renderer.defaultSize();
    if (argc == 5)
        size = QSize(std::atoi(argv[3]), std::atoi(argv[4]));
    size *= scale;
    const QString out = QString::fromLocal8Bit(argv[2]);
    const bool opaque = !out.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    QImage image(size, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::white : Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(out)) {
        std::fprintf(stderr, "svgrender: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
