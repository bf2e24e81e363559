#include "instruments/ruler_entity.h"

#include "platform/gdi.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace DIALOG {

std::optional<RulerEntity::Layout> RulerEntity::Scale() const
{
    const QPoint a = ptOrigin;
    if (a == ptHandle)
        return std::nullopt;
    const Edge edge(a, ptHandle);
    // Only the length of the scale is capped: its ticks keep their spacing along the true edge, so that a
    // ruler longer than maxLength never reads wrong.
    const int n = int(std::trunc(std::min(edge.length, maxLength) / step));
    Layout layout;
    QPointF p = a;
    for (int i = -1; i <= n; ++i) {
        double len = 10;
        if (i % 5 == 0)
            len = 18;
        if (i % 10 == 0)
            len = 28;
        if (i == -1 || i == n)
            len = width;
        const QPointF t = edge.tick(len);
        const QPoint e = Truncated(p + t);
        const QPoint base = Truncated(p);
        if (i == -1) {
            layout.startCorner = e;
        } else if (i == n) {
            layout.endCorner = e;
        } else {
            layout.marks.ticks.push_back({base, e});
            if (i % 10 == 0) {
                // Numbers are lifted by half a tick on a ruler laid leftwards and moved left by half a tick
                // on one laid straight down, so that they stay clear of the ticks.
                const int oy = edge.sx < 0 ? int(std::trunc(0.5 * t.y())) : 0;
                const int ox = edge.sx == 0 && edge.sy > 0 ? int(std::trunc(0.5 * t.x())) : 0;
                layout.marks.numbers.push_back({e, e + QPoint(ox, oy), i / 10});
            }
        }
        p = QPointF(Truncated(QPointF(a) + edge.along((i + 2) * step)));
    }
    return layout;
}

void RulerEntity::setRegions(const Layout& layout)
{
    bodyRgn = QRegion(QPolygon({ptOrigin, ptHandle, layout.endCorner, layout.startCorner}), Qt::WindingFill);
    const QPoint b = ptHandle;
    dirtyRgn = WidenedByTen(*bodyRgn + EllipticRegion(b.x() - 15, b.y() - 15, b.x() + 15, b.y() + 15));
}

void RulerEntity::UpdateRegions()
{
    if (const auto layout = Scale())
        setRegions(*layout);
}

void RulerEntity::Draw(QPainter& painter, const QImage& page)
{
    const auto layout = Scale();
    if (!layout)
        return;
    PaintScaleMarks(painter, page, layout->marks);
    painter.save();
    platform::beginGdi(painter);
    painter.setPen(platform::gdiPen(RGB(255, 0, 0), 1));
    painter.drawLine(ptOrigin, ptHandle);
    painter.drawLine(layout->startCorner, layout->endCorner);
    painter.drawLine(ptOrigin, layout->startCorner);
    painter.drawLine(ptHandle, layout->endCorner);
    painter.restore();
    setRegions(*layout);
    PaintDisc(painter, ptHandle, 15);
}

BOOL RulerEntity::HitBody(int x, int y) const
{
    return bodyRgn && bodyRgn->contains(QPoint(x, y));
}

BOOL RulerEntity::HitRect(int left, int top, int right, int bottom) const
{
    return BodyRegionMeets(left, top, right, bottom);
}

} // namespace DIALOG
