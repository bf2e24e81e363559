#include "instruments/set_square.h"

#include "platform/gdi.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace DIALOG {

namespace {

double tickLength(int i)
{
    if (i % 10 == 0)
        return 22;
    if (i % 5 == 0)
        return 14;
    return 6;
}

ScaleMarks secondScale(QPoint a, QPoint c, double step)
{
    ScaleMarks marks;
    if (a == c)
        return marks;
    const Edge edge(a, c);
    const int m = int(std::trunc(edge.length / step));
    QPointF p = a;
    for (int i = -1; i <= m - 8; ++i) {
        // The ticks of the second leg point into the triangle too: the other way round from the main leg's.
        const QPointF t = -edge.tick(tickLength(i));
        const QPoint e = Truncated(p + t);
        marks.ticks.push_back({Truncated(p), e});
        if (i % 10 == 0 && i != 0 && i != m) {
            const int oy = edge.sx > 0 ? int(std::trunc(t.y() / 2)) : 0;
            const int ox = edge.sx == 0 && edge.sy < 0 ? int(std::trunc(t.x() / 2)) : 0;
            marks.numbers.push_back({e, e + QPoint(ox, oy), i / 10});
        }
        p = QPointF(Truncated(QPointF(a) + edge.along((i + 5) * step)));
    }
    return marks;
}

} // namespace

std::optional<SetSquareLayout> LaySetSquare(const MyShape& shape, double secondLegRatio)
{
    const QPoint a = shape.ptOrigin;
    const QPoint b = shape.ptHandle;
    if (a == b)
        return std::nullopt;
    const Edge edge(a, b);
    // As on the ruler, only the length is capped: the ticks keep their spacing along the true leg.
    const double l = std::min(edge.length, shape.maxLength);
    const int n = int(std::trunc(l / shape.step));
    SetSquareLayout layout;
    layout.secondLeg = l * secondLegRatio;
    QPointF p = a;
    for (int i = -1; i <= n; ++i) {
        double len = tickLength(i);
        if (i == -1)
            len = layout.secondLeg;
        if (i == n)
            len = 0;
        const QPointF t = edge.tick(len);
        const QPoint e = Truncated(p + t);
        if (i == -1) {
            layout.corner = e;
        } else if (i <= n - 8) {
            layout.main.ticks.push_back({Truncated(p), e});
            if (i % 10 == 0) {
                const int oy = edge.sx < 0 ? int(std::trunc(t.y() / 2)) : 0;
                const int ox = edge.sx == 0 && edge.sy > 0 ? int(std::trunc(t.x() / 2)) : 0;
                layout.main.numbers.push_back({e, e + QPoint(ox, oy), i / 10});
            }
        }
        p = QPointF(Truncated(QPointF(a) + edge.along((i + 5) * shape.step)));
    }
    layout.second = secondScale(a, layout.corner, shape.step);
    return layout;
}

void SetSquareRegions(MyShape& shape, const SetSquareLayout& layout, int dirtyShiftX)
{
    const QPoint b = shape.ptHandle;
    shape.bodyRgn = QRegion(QPolygon({shape.ptOrigin, b, layout.corner}), Qt::WindingFill);
    const QPoint shifts[]
        = {{-15, 0}, {-15, -15}, {0, -15}, {-15, 15}, {dirtyShiftX, 0}, {15, -15}, {0, 20}, {15, 15}};
    shape.dirtyRgn
        = Widened(*shape.bodyRgn + EllipticRegion(b.x() - 15, b.y() - 15, b.x() + 15, b.y() + 15), shifts);
}

void DrawSetSquare(
    MyShape& shape, QPainter& painter, const QImage& page, double secondLegRatio, int dirtyShiftX)
{
    const auto layout = LaySetSquare(shape, secondLegRatio);
    if (!layout)
        return;
    shape.width = layout->secondLeg;
    PaintScaleMarks(painter, page, layout->main);
    painter.save();
    platform::beginGdi(painter);
    painter.setPen(platform::gdiPen(RGB(255, 0, 0), 1));
    painter.drawLine(shape.ptOrigin, shape.ptHandle);
    painter.drawLine(shape.ptOrigin, layout->corner);
    painter.drawLine(layout->corner, shape.ptHandle);
    painter.restore();
    SetSquareRegions(shape, *layout, dirtyShiftX);
    PaintScaleMarks(painter, page, layout->second);
    PaintDisc(painter, shape.ptHandle, 15);
}

} // namespace DIALOG
