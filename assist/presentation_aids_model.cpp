#include "assist/presentation_aids_model.h"

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>

namespace DIALOG::aids {

QImage darkened(const QImage& picture, int amount)
{
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    // One table for the three channels: the loop over a whole screen then stays a few milliseconds.
    std::array<QRgb, 256> lowered {};
    for (int v = 0; v < 256; ++v)
        lowered[std::size_t(v)] = QRgb(std::max(v - amount, 0));
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            line[x] = 0xFF000000u | lowered[(p >> 16) & 0xFF] << 16 | lowered[(p >> 8) & 0xFF] << 8
                | lowered[p & 0xFF];
        }
    }
    return out;
}

QRect spotSquare(const QPoint& centre, unsigned diameter)
{
    const int half = int(diameter >> 1);
    return QRect(QPoint(centre.x() - half, centre.y() - half), QPoint(centre.x() + half, centre.y() + half));
}

double distanceFromSpotEdge(const QRect& square, const QPoint& point)
{
    const double cx = (square.left() + square.right()) / 2.0;
    const double cy = (square.top() + square.bottom()) / 2.0;
    const double r = (square.right() - square.left()) / 2.0;
    return std::hypot(point.x() - cx, point.y() - cy) - r;
}

bool onSpotRing(const QRect& square, const QPoint& point)
{
    return std::abs(distanceFromSpotEdge(square, point)) < kSpotRingReach;
}

QRect spotPaintedArea(const QRect& square)
{
    // The ring lies just outside the spot's outline; two pixels more for antialiasing.
    const int margin = kSpotRingWidth + 4;
    return square.adjusted(-margin, -margin, margin, margin);
}

void paintSpot(QImage& frame, const QImage& snapshot, const QRect& square)
{
    QPainter painter(&frame);
    // The real screen shows through the spot; the antialiased outline hides the clip's stepped edge.
    QPainterPath circle;
    circle.addEllipse(QRectF(square));
    painter.setClipPath(circle);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(square, snapshot, square);
    painter.setClipping(false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgb(kSpotOutlineColour), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(square);
    const int ring = kSpotRingWidth / 2 + 1;
    painter.setPen(QPen(QColor::fromRgb(kSpotRingColour), kSpotRingWidth));
    painter.drawEllipse(square.adjusted(-ring, -ring, ring, ring));
}

QRect moveSpot(QImage& frame, const QImage& darkenedSnapshot, const QImage& snapshot, const QRect& oldSquare,
    const QRect& newSquare)
{
    const QRect changed = (spotPaintedArea(oldSquare) | spotPaintedArea(newSquare)) & frame.rect();
    {
        QPainter painter(&frame);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(spotPaintedArea(oldSquare), darkenedSnapshot, spotPaintedArea(oldSquare));
    }
    paintSpot(frame, snapshot, newSquare);
    return changed;
}

int maskBandAt(const QSize& size, const QPoint& p)
{
    const int g = kMaskGrabWidth;
    const int w = size.width();
    const int h = size.height();
    const bool midY = p.y() >= g && p.y() < h - g;
    const bool midX = p.x() >= g && p.x() < w - g;
    if (p.x() >= 0 && p.x() < g && midY)
        return kDragLeft;
    if (p.x() >= w - g && p.x() < w && midY)
        return kDragRight;
    if (p.y() >= 0 && p.y() < g && midX)
        return kDragTop;
    if (p.y() >= h - g && p.y() < h && midX)
        return kDragBottom;
    return kDragNone;
}

QRect dragMaskEdge(const QRect& mask, int mode, const QPoint& pointer, const QRect& screen)
{
    // Edges as the half-open sides of the rectangle: right and bottom lie one past the last pixel.
    int left = mask.left();
    int top = mask.top();
    int right = mask.left() + mask.width();
    int bottom = mask.top() + mask.height();
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    const int half = kMaskGrabWidth / 2;
    switch (mode) {
    case kDragLeft:
        left = std::min(std::max(pointer.x() - half, screen.left()), right - kMaskMinimum);
        break;
    case kDragRight:
        right = std::max(std::min(pointer.x() + half, screenRight), left + kMaskMinimum);
        break;
    case kDragTop:
        top = std::min(std::max(pointer.y() - half, screen.top()), bottom - kMaskMinimum);
        break;
    case kDragBottom:
        bottom = std::max(std::min(pointer.y() + half, screenBottom), top + kMaskMinimum);
        break;
    default:
        break;
    }
    return QRect(left, top, right - left, bottom - top);
}

QRect bandBetween(const QPoint& a, const QPoint& b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
        QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

QRect clipToScreen(const QRect& band, const QSize& screen)
{
    const QRect r = band.normalized();
    const int left = std::max(r.left(), 0);
    const int top = std::max(r.top(), 0);
    const int right = std::min(r.left() + r.width(), screen.width());
    const int bottom = std::min(r.top() + r.height(), screen.height());
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

QRect magnifiedRect(const QPoint& centre, const QSize& source, int level)
{
    const QSize size = source * level;
    return QRect(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
}

QRect magnifierBarRect(const QRect& area, const QSize& bar, const QSize& screen)
{
    int x = area.left() + area.width() - bar.width();
    int y = area.top() + area.height() + 4;
    x = std::clamp(x, 0, std::max(0, screen.width() - bar.width()));
    y = std::clamp(y, 0, std::max(0, screen.height() - bar.height()));
    return QRect(QPoint(x, y), bar);
}

QRect moveMagnified(QImage& frame, const QImage& snapshot, const QImage& magnified, const QRect& oldRect,
    const QRect& newRect)
{
    QPainter painter(&frame);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect old = oldRect & frame.rect();
    painter.drawImage(old, snapshot, old);
    painter.drawImage(newRect.topLeft(), magnified);
    return (old | newRect) & frame.rect();
}

} // namespace DIALOG::aids
