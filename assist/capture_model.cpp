#include "assist/capture_model.h"

#include <QFileInfo>
#include <QImageWriter>

namespace DIALOG::capture {

namespace {

bool canWriteGif()
{
    return QImageWriter::supportedImageFormats().contains("gif");
}

} // namespace

bool isSmallBand(const QRect& band)
{
    const QRect r = band.normalized();
    return r.width() <= 9 && r.height() <= 9;
}

bool doubleClickSaves(const QRect& selection, const QPoint& point)
{
    const QRect r = selection.normalized();
    return r.contains(point) && (r.width() > 10 || r.height() > 10);
}

std::array<QRect, 4> captureButtonBar(
    const QRect& selection, const std::array<QSize, 4>& pictures, const QSize& screen)
{
    int width = 0;
    int height = 0;
    for (const QSize& size : pictures) {
        width += size.width();
        height = std::max(height, size.height());
    }
    const QRect r = selection.normalized();
    int right = r.left() + r.width() - 2;
    int top = r.top() + r.height() + 2;
    if (top + height > screen.height() - 2 || right > screen.width() - 2 || right - width < 0) {
        right = screen.width() - 2;
        top = screen.height() - 2 - height;
    }
    std::array<QRect, 4> bar;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        bar[i] = QRect(QPoint(right - pictures[i].width(), top), pictures[i]);
        right -= pictures[i].width();
    }
    return bar;
}

bool saveCapture(const QImage& picture, const QString& path)
{
    if (picture.isNull())
        return false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const char* format = "BMP";
    if (suffix == QLatin1String("png"))
        format = "PNG";
    else if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        format = "JPEG";
    else if (suffix == QLatin1String("gif")) {
        // A GIF name must not get another format's bytes.
        if (!canWriteGif())
            return false;
        format = "GIF";
    }
    QImageWriter writer(path, format);
    return writer.write(picture);
}

QString captureSaveFilter()
{
    QString filter = QStringLiteral("BMP(*.bmp);;PNG(*.png);;JPEG(*.jpg *.jpeg)");
    if (canWriteGif())
        filter += QStringLiteral(";;GIF(*.gif)");
    return filter;
}

} // namespace DIALOG::capture
