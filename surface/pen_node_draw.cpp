// Drawing a page's objects: each kind as the page has always shown it, with widths and coordinates from a
// damaged record kept to what a painter can take.
#include "surface/pen_node.h"

#include "instruments/column_shape.h"
#include "instruments/cube_shape.h"
#include "platform/gdi.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace DIALOG {

namespace {

// Widths past this are clamped when drawing (never in the model), so that a damaged record cannot
// ask for a font or a brush bitmap of gigabytes.
constexpr int kMaxDrawWidth = 2048;

int drawWidth(int w)
{
    return std::clamp(w, 0, kMaxDrawWidth);
}

QPoint pointAt(const std::vector<PenPoint>& points, std::size_t i)
{
    // A two-point kind read from a record with one point is spanned by that point alone.
    const PenPoint& p = points[std::min(i, points.size() - 1)];
    return QPoint(p.x, p.y);
}

// A stored solid is drawn again from its two corners every time the page is drawn.
template<class Solid>
void drawSolid(QPainter& painter, const std::vector<PenPoint>& points, int width, COLORREF colour)
{
    Solid solid;
    solid.ptFirst = pointAt(points, 0);
    solid.ptSecond = pointAt(points, 1);
    solid.DrawSmooth(painter, width, colour);
}

QPolygon polygonOf(const std::vector<PenPoint>& points, std::size_t count)
{
    QPolygon poly;
    poly.reserve(qsizetype(count));
    for (std::size_t i = 0; i < count; ++i)
        poly << QPoint(points[i].x, points[i].y);
    return poly;
}

// Saves the painter's state and sets it as every object but a stroke starts: the solid pen of the object's
// colour and width, no fill, plain copying.
void beginObject(QPainter& painter, COLORREF colour, int w)
{
    painter.save();
    platform::beginGdi(painter);
    painter.setPen(platform::gdiPen(colour, w));
    painter.setBrush(Qt::NoBrush);
    platform::setRop2(painter, platform::R2_COPYPEN);
}

// Each segment of a speed stroke has the width the pen's speed gave it.
void drawSpeedPen(QPainter& painter, const std::vector<PenPoint>& points, COLORREF colour)
{
    for (std::size_t i = 1; i < points.size(); ++i)
        platform::gdiLine(painter, QPoint(points[i - 1].x, points[i - 1].y), QPoint(points[i].x, points[i].y),
            colour, drawWidth(points[i].segWidth));
}

// An antialiased outline in the pen's colour and width, as the shapes are drawn.
template<class Draw>
void drawSmooth(QPainter& painter, COLORREF colour, int w, Draw draw)
{
    platform::beginGdiplus(painter);
    painter.setPen(platform::gdiplusPen(colour, w));
    draw();
}

// A placed picture, turned by angle (radians) about its centre.
void drawPicture(QPainter& painter, const QImage& image, QPoint centre, QSizeF size, double angle)
{
    platform::beginGdiplus(painter);
    painter.translate(centre);
    painter.rotate(angle * 180.0 / std::numbers::pi);
    painter.drawImage(QRectF(-size.width() / 2.0, -size.height() / 2.0, size.width(), size.height()), image);
}

void drawDashPen(QPainter& painter, const std::vector<PenPoint>& points, COLORREF colour, int w)
{
    platform::beginGdiplus(painter);
    QPen pen = platform::gdiplusPen(colour, w);
    pen.setDashPattern({5.0, 5.0});
    painter.setPen(pen);
    QPainterPath path(QPointF(points[0].x, points[0].y));
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i].x, points[i].y);
    painter.drawPath(path);
}

void drawRectangle(QPainter& painter, const std::vector<PenPoint>& points)
{
    const QPoint a = pointAt(points, 0);
    const QPoint b = pointAt(points, 1);
    QPainterPath path(a);
    path.lineTo(b.x(), a.y());
    path.lineTo(b);
    path.lineTo(a.x(), b.y());
    path.closeSubpath();
    painter.drawPath(path);
}

void drawEraseTrail(QPainter& painter, const std::vector<PenPoint>& points, const QImage* background, int w)
{
    if (!background || w <= 0)
        return;
    std::vector<QPoint> centres;
    centres.reserve(points.size());
    for (const PenPoint& p : points)
        centres.emplace_back(p.x, p.y);
    platform::copySquares(painter, *background, centres.data(), centres.size(), w);
}

void drawEraseLasso(QPainter& painter, const std::vector<PenPoint>& points, const QImage* background)
{
    if (!background)
        return;
    const QPolygon poly = polygonOf(points, std::min<std::size_t>(points.size(), kMaxLassoPoints));
    painter.setClipRect(background->rect(), Qt::IntersectClip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(*background));
    painter.setBrushOrigin(0, 0);
    painter.drawPolygon(poly, Qt::WindingFill);
}

void drawText(
    QPainter& painter, const std::vector<PenPoint>& points, const QColor& colour, int w, const QString& text)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(w > 0 ? w : 12);
    painter.setFont(font);
    painter.setPen(colour);
    const QPoint a = pointAt(points, 0);
    const QPoint b = pointAt(points, 1);
    const QRect box(a.x(), a.y(), b.x() - a.x(), b.y() - a.y());
    if (!box.isEmpty())
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
}

void drawCompassArc(
    QPainter& painter, const std::vector<PenPoint>& points, std::int64_t cx, std::int64_t cy, double radius)
{
    if (!std::isfinite(radius))
        return;
    const std::int64_t r = std::llround(std::clamp(radius, 0.0, double(1 << 24)));
    if (r <= 0)
        return;
    if (cx - r < INT32_MIN || cx + r > INT32_MAX || cy - r < INT32_MIN || cy + r > INT32_MAX)
        return;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPoint from(points[i - 1].x, points[i - 1].y);
        const QPoint to(points[i].x, points[i].y);
        // Counter-clockwise from each point to the next. A point on the ray of the one before adds
        // nothing: drawn, it would be the whole circle.
        const double a1 = std::atan2(-double(from.y() - cy), double(from.x() - cx));
        const double a2 = std::atan2(-double(to.y() - cy), double(to.x() - cx));
        if (from == to || a1 == a2)
            continue;
        platform::gdiArc(painter, int(cx - r), int(cy - r), int(cx + r), int(cy + r), from, to);
    }
}

void drawArrow(QPainter& painter, const std::vector<PenPoint>& points, COLORREF colour, int w)
{
    const QPoint p0 = pointAt(points, 0);
    const QPoint p1 = pointAt(points, 1);
    QPoint wing1;
    QPoint wing2;
    const bool head = ArrowHead(p0, p1, &wing1, &wing2);
    const QPoint shaftEnd = head ? (wing1 + wing2) / 2 : p1;
    painter.save();
    platform::beginGdiplus(painter);
    painter.setPen(platform::gdiplusPen(colour, w));
    painter.drawLine(p0, shaftEnd);
    painter.restore();
    if (head) {
        painter.setBrush(platform::colorFromRef(colour));
        platform::gdiPolygon(painter, QPolygon({p1, wing1, wing2}));
    }
}

void drawBrushPen(QPainter& painter, const std::vector<PenPoint>& points, COLORREF colour, int w)
{
    const QImage dot = BrushDot(w, colour);
    if (dot.isNull())
        return;
    const int half = w / 2;
    auto stamp = [&](int x, int y) { painter.drawImage(x - half, y - half, dot); };
    if (points.size() == 1) {
        stamp(points[0].x, points[0].y);
        return;
    }
    // Dots wholly off the target are not walked at all, so a far-flung point costs nothing.
    const QRect reach = painter.device()
        ? QRect(0, 0, painter.device()->width(), painter.device()->height()).adjusted(-w, -w, w, w)
        : QRect();
    bool any = false;
    QPoint last;
    for (std::size_t i = 1; i < points.size(); ++i) {
        platform::lineDda(
            points[i - 1].x, points[i - 1].y, points[i].x, points[i].y,
            [&](int x, int y) {
                if (any && last == QPoint(x, y))
                    return;
                stamp(x, y);
                last = QPoint(x, y);
                any = true;
            },
            reach.isEmpty() ? nullptr : &reach);
    }
}

} // namespace

bool ArrowHead(QPoint p0, QPoint p1, QPoint* wing1, QPoint* wing2)
{
    if (p0 == p1)
        return false;
    constexpr double L = 20.0;
    // The offsets are 50 radians, not degrees: that is the head shape the system has always drawn.
    constexpr double offset = 50.0;
    const double theta
        = p0.x() == p1.x() ? 1.5707963 : std::atan(double(p1.y() - p0.y()) / double(p1.x() - p0.x()));
    const bool back = p0.x() < p1.x() || (p0.x() == p1.x() && p0.y() < p1.y());
    const double s = back ? -1.0 : 1.0;
    *wing1 = QPoint(
        int(p1.x() + s * L * std::cos(theta + offset)), int(p1.y() + s * L * std::sin(theta + offset)));
    *wing2 = QPoint(
        int(p1.x() + s * L * std::cos(theta - offset)), int(p1.y() + s * L * std::sin(theta - offset)));
    return true;
}

QImage BrushDot(int w, COLORREF colour)
{
    if (w < 1)
        return QImage();
    QImage dot(w, w, QImage::Format_ARGB32_Premultiplied);
    if (dot.isNull())
        return dot;
    dot.fill(Qt::white);
    {
        QPainter p(&dot);
        platform::beginGdi(p);
        p.setPen(Qt::NoPen);
        p.setBrush(platform::colorFromRef(colour));
        p.drawEllipse(QRect(0, 0, w, w));
    }
    const int cx = w / 2;
    const int cy = w / 2;
    const int r = w / 2;
    for (int y = 0; y < w; ++y) {
        auto* line = reinterpret_cast<QRgb*>(dot.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(double(x - cx), double(y - cy));
            // A one-pixel dot has no radius: its only pixel is the centre, at full strength.
            const int a = r > 0 ? std::clamp(150 - int(150.0 * d / r), 0, 150) : 150;
            const QRgb px = line[x];
            line[x] = qRgba(qRed(px) * a / 255, qGreen(px) * a / 255, qBlue(px) * a / 255, a);
        }
    }
    return dot;
}

void CPenNode::Draw(QPainter& painter, const QImage* background) const
{
    if (erased || cleared)
        return;
    if (points.empty() && kind != Picture)
        return;
    if (kind == Pen && points.size() > 1) {
        // Strokes are most of a page, so they skip the painter's state, which the helper leaves alone.
        platform::gdiPolyline(painter, polygonOf(points, points.size()), colour, drawWidth(width),
            highlight ? platform::R2_MASKPEN : platform::R2_COPYPEN);
        return;
    }

    const int w = drawWidth(width);
    beginObject(painter, colour, w);
    switch (kind) {
    case Pen:
        painter.fillRect(QRect(points[0].x, points[0].y, 1, 1), platform::colorFromRef(colour));
        break;
    case DashPen:
        drawDashPen(painter, points, colour, w);
        break;
    case GuideLine:
        painter.setPen(platform::gdiDotPen());
        painter.drawLine(pointAt(points, 0), pointAt(points, 1));
        break;
    case Rectangle:
        drawRectangle(painter, points);
        break;
    case Ellipse:
        drawSmooth(painter, colour, w, [&] {
            painter.drawEllipse(
                QRectF(QPointF(pointAt(points, 0)), QPointF(pointAt(points, 1))).normalized());
        });
        break;
    case EraseTrail:
        drawEraseTrail(painter, points, background, w);
        break;
    case Polyline:
        if (points.size() > 1)
            drawSmooth(painter, colour, w, [&] { painter.drawPolyline(polygonOf(points, points.size())); });
        break;
    case SpeedPen:
        drawSpeedPen(painter, points, colour);
        break;
    case Text:
        drawText(painter, points, platform::colorFromRef(colour), w, EditText());
        break;
    case Cube:
        drawSolid<CubeShape>(painter, points, w, colour);
        break;
    case Cylinder:
        drawSolid<ColumnShape>(painter, points, w, colour);
        break;
    case EraseLasso:
        drawEraseLasso(painter, points, background);
        break;
    case CompassArc:
        drawCompassArc(painter, points, arcCentreX, arcCentreY, arcRadius);
        break;
    case Picture:
        if (image && !image->isNull() && std::isfinite(boxAngle))
            drawPicture(
                painter, *image, QPoint(boxCentreX, boxCentreY), QSizeF(boxWidth, boxHeight), boxAngle);
        break;
    case Flash:
    case Video:
        break;
    case Line:
        drawSmooth(painter, colour, w, [&] { painter.drawLine(pointAt(points, 0), pointAt(points, 1)); });
        break;
    case Arrow:
        drawArrow(painter, points, colour, w);
        break;
    case BrushPen:
        drawBrushPen(painter, points, colour, w);
        break;
    }
    painter.restore();
}

} // namespace DIALOG
