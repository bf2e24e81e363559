#include "assist/capture_model.h"

#include "platform/bmp_writer.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace DIALOG::capture {

namespace {

bool canWriteGif()
{
    return QImageWriter::supportedImageFormats().contains("gif");
}

} // namespace

QRect rubberBand(const QPoint& press, const QPoint& pointer)
{
    return QRect(QPoint(std::min(press.x(), pointer.x()), std::min(press.y(), pointer.y())),
        QSize(std::abs(pointer.x() - press.x()), std::abs(pointer.y() - press.y())));
}

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
    return saveCapture(picture, path, OWNERBITMAP::BitmapDepthFor(OWNERBITMAP::DisplayBits()));
}

bool saveCapture(const QImage& picture, const QString& path, int bmpDepth)
{
    if (picture.isNull() || path.isEmpty())
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (qstrcmp(format, "BMP") == 0) {
        if (OWNERBITMAP::WriteBitmap(file, picture, bmpDepth) < 0) {
            file.cancelWriting();
            return false;
        }
    } else {
        QImageWriter writer(&file, format);
        if (!writer.write(picture)) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

QString captureSaveFilter()
{
    QString filter = QStringLiteral("BMP(*.bmp);;PNG(*.png);;JPEG(*.jpg *.jpeg)");
    if (canWriteGif())
        filter += QStringLiteral(";;GIF(*.gif)");
    return filter;
}

int printPageCount(int bitmapWidth, int pageWidth, double scale)
{
    if (bitmapWidth <= 0 || pageWidth <= 0 || scale <= 0)
        return 0;
    const auto scaled = static_cast<long long>(std::llround(bitmapWidth * scale));
    return int((pageWidth + scaled - 1) / pageWidth);
}

PrintStrip printStrip(int page, const QSize& bitmap, int pageWidth, double scaleX, double scaleY)
{
    // A page holds this many screen pixels across.
    const double perPage = pageWidth / scaleX;
    const int left = int(std::lround(page * perPage));
    const int right = std::min(bitmap.width(), int(std::lround((page + 1) * perPage)));
    const int height = int(std::lround(bitmap.height() * scaleY));
    PrintStrip strip;
    strip.source = QRect(left, 0, std::max(0, right - left), bitmap.height());
    strip.target = QRect(0, 0, int(std::lround(strip.source.width() * scaleX)), height);
    return strip;
}

QString printPageLabel(int page, int pages)
{
    return QStringLiteral("Page:%1   of   %2").arg(page).arg(pages);
}

bool CMyTracker::hasHandle(TrackerHit handle) const
{
    // The side handles stand between the corner handles only when there is room for three of them.
    const QRect r = rect.normalized();
    if (handle == kHitTop || handle == kHitBottom)
        return r.width() > 3 * kHandleSize;
    if (handle == kHitLeft || handle == kHitRight)
        return r.height() > 3 * kHandleSize;
    return handle >= kHitTopLeft && handle <= kHitBottomLeft;
}

QRect CMyTracker::handleRect(TrackerHit handle) const
{
    const QRect r = rect.normalized();
    const int s = kHandleSize;
    const int left = r.left() - s;
    const int right = r.left() + r.width();
    const int top = r.top() - s;
    const int bottom = r.top() + r.height();
    const int midX = r.left() + (r.width() - s) / 2;
    const int midY = r.top() + (r.height() - s) / 2;
    switch (handle) {
    case kHitTopLeft:
        return QRect(left, top, s, s);
    case kHitTopRight:
        return QRect(right, top, s, s);
    case kHitBottomRight:
        return QRect(right, bottom, s, s);
    case kHitBottomLeft:
        return QRect(left, bottom, s, s);
    case kHitTop:
        return QRect(midX, top, s, s);
    case kHitRight:
        return QRect(right, midY, s, s);
    case kHitBottom:
        return QRect(midX, bottom, s, s);
    case kHitLeft:
        return QRect(left, midY, s, s);
    default:
        return {};
    }
}

TrackerHit CMyTracker::hitTest(const QPoint& point) const
{
    const QRect r = rect.normalized();
    if (r.width() == 0 && r.height() == 0)
        return kHitNothing;
    for (int i = kHitTopLeft; i <= kHitLeft; ++i) {
        const auto handle = TrackerHit(i);
        if (hasHandle(handle) && handleRect(handle).contains(point))
            return handle;
    }
    // The outline belongs to the rectangle.
    return r.adjusted(-1, -1, 1, 1).contains(point) ? kHitMiddle : kHitNothing;
}

QRect CMyTracker::tracked(const QRect& start, TrackerHit hit, const QPoint& delta, const QRect& bounds)
{
    const QRect r = start.normalized();
    int left = r.left();
    int top = r.top();
    int right = r.left() + r.width();
    int bottom = r.top() + r.height();
    const int bx0 = bounds.left();
    const int by0 = bounds.top();
    const int bx1 = bounds.left() + bounds.width();
    const int by1 = bounds.top() + bounds.height();
    if (hit == kHitMiddle) {
        const int dx = std::clamp(delta.x(), bx0 - left, std::max(bx0 - left, bx1 - right));
        const int dy = std::clamp(delta.y(), by0 - top, std::max(by0 - top, by1 - bottom));
        return r.translated(dx, dy);
    }
    if (hit == kHitTopLeft || hit == kHitBottomLeft || hit == kHitLeft)
        left += delta.x();
    if (hit == kHitTopRight || hit == kHitBottomRight || hit == kHitRight)
        right += delta.x();
    if (hit == kHitTopLeft || hit == kHitTopRight || hit == kHitTop)
        top += delta.y();
    if (hit == kHitBottomLeft || hit == kHitBottomRight || hit == kHitBottom)
        bottom += delta.y();
    left = std::clamp(left, bx0, bx1);
    right = std::clamp(right, bx0, bx1);
    top = std::clamp(top, by0, by1);
    bottom = std::clamp(bottom, by0, by1);
    // An edge dragged across the other turns the rectangle over, as a band drawn backwards does.
    return QRect(QPoint(std::min(left, right), std::min(top, bottom)),
        QSize(std::abs(right - left), std::abs(bottom - top)));
}

} // namespace DIALOG::capture
