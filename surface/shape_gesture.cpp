#include "surface/shape_gesture.h"

#include "platform/gdi.h"
#include "surface/lesson.h"
#include "surface/page_model.h"
#include "surface/stroke_rules.h"
#include "surface/surface_messages.h"

#include <QPainter>

#include <algorithm>

namespace DIALOG {

namespace {
bool handles(NodeKind kind)
{
    return IsShapeKind(kind) || kind == Polyline;
}
} // namespace

Gesture::Press ShapeGesture::press(QPoint p)
{
    CPenNode& o = host_.object();
    if (!handles(o.kind))
        return Press::Declined;
    drawing_ = true;
    // A polyline under way goes on from its last vertex and adds nothing on the press.
    if (o.kind != Polyline || o.points.empty()) {
        dragStart_ = p;
        o.AddPoint(p.x(), p.y(), 1, 0);
    }
    return Press::Captured;
}

void ShapeGesture::move(QPoint p)
{
    if (!drawing_)
        return;
    const CPenNode& o = host_.object();
    host_.moveBand(Band {o.kind, dragStart_, p, std::max(o.width, 1)});
    if (o.kind == Polyline)
        host_.notifyOwner(ScreenPenMsg::kPolyline, 1);
}

void ShapeGesture::release(QPoint p)
{
    if (!drawing_)
        return;
    drawing_ = false;
    CPenNode& o = host_.object();
    o.AddPoint(p.x(), p.y(), 1, 0);
    Canvas& canvas = host_.canvas();
    if (o.kind == Polyline) {
        host_.removeBand();
        canvas.LiveSegment(
            dragStart_, p, o.colour, o.width, o.highlight ? platform::R2_MASKPEN : platform::R2_COPYPEN);
        dragStart_ = p;
        return;
    }
    const QRect band = host_.bandBounds();
    host_.removeBand();
    host_.commitCurrentObject(QRect(dragStart_, p).normalized() | band);
}

void ShapeGesture::finish()
{
    const CPenNode& o = host_.object();
    if (!host_.windowExists() || o.kind != Polyline || host_.lesson().Pen().kind != Polyline
        || o.points.empty())
        return;
    host_.removeBand();
    drawing_ = false;
    host_.commitCurrentObject(QRect());
    host_.notifyOwner(ScreenPenMsg::kPolyline, 0);
}

std::optional<QCursor> ShapeGesture::cursor(QPoint) const
{
    const CPenNode& o = host_.object();
    if (!handles(o.kind))
        return std::nullopt;
    return ResourceCursor(o.highlight ? 534 : 537);
}

void ShapeGesture::paintOverlay(QPainter& p) const
{
    const CPenNode& o = host_.object();
    if (o.kind != Polyline || o.points.empty())
        return;
    p.save();
    platform::beginGdi(p);
    if (o.highlight)
        platform::setRop2(p, platform::R2_MASKPEN);
    p.setPen(platform::gdiPen(o.colour, o.width));
    for (std::size_t i = 1; i < o.points.size(); ++i)
        p.drawLine(QPoint(o.points[i - 1].x, o.points[i - 1].y), QPoint(o.points[i].x, o.points[i].y));
    p.restore();
}

} // namespace DIALOG
