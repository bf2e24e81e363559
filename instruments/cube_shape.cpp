#include "instruments/cube_shape.h"

#include "platform/gdi.h"

#include <QPainter>

#include <array>
#include <cmath>
#include <utility>

namespace DIALOG {

namespace {

using Edge = std::pair<QPoint, QPoint>;

std::array<Edge, 9> visibleEdges(const CubeShape::Corners& c)
{
    return {{{c.F1, c.F2}, {c.F2, c.F3}, {c.F3, c.F4}, {c.F4, c.F1}, {c.F4, c.K4}, {c.K4, c.K3}, {c.K3, c.F3},
        {c.F2, c.K2}, {c.K2, c.K3}}};
}

std::array<Edge, 3> hiddenEdges(const CubeShape::Corners& c)
{
    return {{{c.K1, c.F1}, {c.K1, c.K2}, {c.K1, c.K4}}};
}

void drawHidden(QPainter& painter, const CubeShape::Corners& c)
{
    painter.save();
    platform::beginGdi(painter);
    painter.setPen(platform::gdiDotPen());
    for (const Edge& e : hiddenEdges(c))
        painter.drawLine(e.first, e.second);
    painter.restore();
}

} // namespace

CubeShape::Corners CubeShape::corners() const
{
    const Frame f = frame();
    const double d = f.w * std::sqrt(3.0) / 3.0;
    const int yt = int(std::trunc(f.yb - f.h));
    const int back0 = int(std::trunc(f.x0 + f.w / 2));
    const int back1 = int(std::trunc(f.x1 + f.w / 2));
    const int backBottom = int(std::trunc(f.yb - d));
    Corners c;
    c.F1 = QPoint(f.x0, f.yb);
    c.F2 = QPoint(f.x1, f.yb);
    c.F3 = QPoint(f.x1, yt);
    c.F4 = QPoint(f.x0, yt);
    c.K1 = QPoint(back0, backBottom);
    c.K2 = QPoint(back1, backBottom);
    c.K3 = QPoint(back1, int(std::trunc(backBottom - f.h)));
    c.K4 = QPoint(back0, int(std::trunc(f.yb - d - f.h)));
    return c;
}

void CubeShape::Draw(QPainter& painter)
{
    const Corners c = corners();
    painter.save();
    platform::beginGdi(painter);
    painter.drawPolyline(QPolygon({c.F1, c.F2, c.F3, c.F4, c.F1}));
    painter.drawPolyline(QPolygon({c.F4, c.K4, c.K3, c.F3}));
    painter.drawPolyline(QPolygon({c.F2, c.K2, c.K3}));
    painter.restore();
    drawHidden(painter, c);
}

void CubeShape::DrawSmooth(QPainter& painter, int width, COLORREF colour)
{
    const Corners c = corners();
    painter.save();
    platform::beginGdiplus(painter);
    painter.setPen(platform::gdiplusPen(colour, width));
    for (const Edge& e : visibleEdges(c))
        painter.drawLine(e.first, e.second);
    painter.restore();
    drawHidden(painter, c);
}

BOOL CubeShape::HitEdges(int x, int y)
{
    const Corners c = corners();
    const QPoint p(x, y);
    for (const Edge& e : visibleEdges(c)) {
        if (NearSegment(p, e.first, e.second))
            return 1;
    }
    for (const Edge& e : hiddenEdges(c)) {
        if (NearSegment(p, e.first, e.second))
            return 1;
    }
    return 0;
}

} // namespace DIALOG
