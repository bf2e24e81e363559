#include "assist/bitmap_ex.h"

#include <QPainter>

namespace UICONTROL {

bool CBitmapEx::LoadResource(int id)
{
    return LoadFile(QStringLiteral(":/qmhelp/%1.png").arg(id));
}

bool CBitmapEx::LoadFile(const QString& path)
{
    image_ = QImage(path);
    drawn_ = QRect();
    return !image_.isNull();
}

void CBitmapEx::Attach(const QImage& image)
{
    image_ = image;
    drawn_ = QRect();
}

void CBitmapEx::Draw(QPainter& painter, const QPoint& topLeft)
{
    if (image_.isNull())
        return;
    painter.drawImage(topLeft, image_);
    drawn_ = QRect(topLeft, image_.size());
}

void CBitmapEx::DrawStretch(QPainter& painter, const QRect& target)
{
    if (image_.isNull())
        return;
    painter.drawImage(target, image_);
    drawn_ = target;
}

void CBitmapEx::DrawTransparent(QPainter& painter, const QPoint& topLeft, QRgb transparent)
{
    if (image_.isNull())
        return;
    QImage keyed = image_.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                line[x] = 0;
    }
    painter.drawImage(topLeft, keyed);
    drawn_ = QRect(topLeft, image_.size());
}

bool CBitmapEx::CopyFrom(const CBitmapEx& other, const QRect& sub)
{
    const QRect part = sub & other.image_.rect();
    if (part.isEmpty())
        return false;
    Attach(other.image_.copy(part));
    return true;
}

QRegion CBitmapEx::Region() const
{
    QRegion region;
    for (int y = 0; y < image_.height(); ++y) {
        int start = -1;
        for (int x = 0; x <= image_.width(); ++x) {
            const bool black = x == image_.width() || (image_.pixel(x, y) & 0xFFFFFF) == 0;
            if (!black && start < 0)
                start = x;
            if (black && start >= 0) {
                region += QRect(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    return region;
}

} // namespace UICONTROL
