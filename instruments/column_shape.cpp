#include "instruments/column_shape.h"

#include "platform/gdi.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace DIALOG {

namespace {

void drawHiddenHalf(QPainter& painter, const ColumnShape::Geometry& g)
{
    painter.save();
    painter.setPen(platform::gdiDotPen());
    platform::gdiArc(
        painter, g.x0, g.bottomTop, g.x1, g.bottomBottom, QPoint(g.x1, g.yb), QPoint(g.x0, g.yb));
    painter.restore();
}

} // namespace

ColumnShape::Geometry ColumnShape::geometry() const
{
    const Frame f = frame();
    const double e = 3.0 * f.w / 5.0;
    Geometry g;
    g.x0 = f.x0;
    g.x1 = f.x1;
    g.yb = f.yb;
    g.yt = int(std::trunc(f.yb - f.h));
    g.bottomTop = int(std::trunc(g.yb - e / 2));
    g.bottomBottom = int(std::trunc(g.yb + e / 2));
    g.topTop = int(std::trunc(g.yt - e / 2));
    g.topBottom = int(std::trunc(g.yt + e / 2));
    return g;
}

void ColumnShape::Draw(QPainter& painter)
{
    const Geometry g = geometry();
    painter.save();
    platform::beginGdi(painter);
    painter.drawLine(g.x0, g.yb, g.x0, g.yt);
    painter.drawLine(g.x1, g.yb, g.x1, g.yt);
    platform::gdiArc(painter, g.x0, g.topTop, g.x1, g.topBottom, QPoint(g.x0, g.yt), QPoint(g.x1, g.yt));
    platform::gdiArc(painter, g.x0, g.topTop, g.x1, g.topBottom, QPoint(g.x1, g.yt), QPoint(g.x0, g.yt));
    platform::gdiArc(
        painter, g.x0, g.bottomTop, g.x1, g.bottomBottom, QPoint(g.x0, g.yb), QPoint(g.x1, g.yb));
    painter.restore();
    drawHiddenHalf(painter, g);
}

void ColumnShape::DrawSmooth(QPainter& painter, int width, COLORREF colour)
{
    const Geometry g = geometry();
    painter.save();
    platform::beginGdiplus(painter);
    painter.setPen(platform::gdiplusPen(colour, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(g.x0, g.yb, g.x0, g.yt);
    painter.drawLine(g.x1, g.yb, g.x1, g.yt);
    const QRectF top(QPointF(g.x0, g.topTop), QPointF(g.x1, g.topBottom));
    if (!top.isEmpty())
        painter.drawEllipse(top);
    painter.drawPath(platform::gdiArcPath(
        g.x0, g.bottomTop, g.x1, g.bottomBottom, QPoint(g.x0, g.yb), QPoint(g.x1, g.yb)));
    painter.restore();
    drawHiddenHalf(painter, g);
}

BOOL ColumnShape::HitEdges(int x, int y)
{
    const Geometry g = geometry();
    const QPoint p(x, y);
    return NearEllipse(p, g.x0, g.bottomTop, g.x1, g.bottomBottom)
        || NearSegment(p, QPoint(g.x0, g.yb), QPoint(g.x0, g.yt))
        || NearSegment(p, QPoint(g.x1, g.yb), QPoint(g.x1, g.yt))
        || NearEllipse(p, g.x0, g.topTop, g.x1, g.topBottom);
}

} // namespace DIALOG
