#include "surface/freehand_gesture.h"

#include "platform/gdi.h"
#include "surface/pen_node.h"

#include <QPainter>

namespace DIALOG {

namespace {
int penRop2(const CPenNode& o)
{
    return o.highlight ? platform::R2_MASKPEN : platform::R2_COPYPEN;
}
} // namespace

Gesture::Press FreehandGesture::press(QPoint p)
{
    CPenNode& o = host_.object();
    drawing_ = true;
    lastPoint_ = dragStart_ = p;
    pressured_ = pressure_ >= 0.0 && host_.eraseMode() == kEraseModeNone
        && ((o.kind == Pen && !o.highlight) || o.kind == SpeedPen);
    if (pressured_) {
        o.AddPoint(p.x(), p.y(), 1, pressureWidth());
        return Press::Captured;
    }
    if (o.kind == SpeedPen && host_.eraseMode() == kEraseModeNone) {
        speed_.Begin(p, host_.clock());
        // The stroke starts where the pen went down, so that the first segment is kept with it.
        o.AddPoint(p.x(), p.y(), 1, speed_.speedWidth);
        return Press::Captured;
    }
    if (o.kind == BrushPen) {
        brushDot_ = BrushDot(o.width, o.colour);
        stamped_ = false;
    }
    o.AddPoint(p.x(), p.y(), 1, 0);
    return Press::Captured;
}

void FreehandGesture::move(QPoint p)
{
    if (!drawing_)
        return;
    CPenNode& o = host_.object();
    Canvas& canvas = host_.canvas();
    if (pressured_) {
        const int width = pressureWidth();
        canvas.LiveSegment(lastPoint_, p, o.colour, width, platform::R2_COPYPEN);
        o.AddPoint(p.x(), p.y(), 1, width);
        lastPoint_ = p;
        return;
    }
    switch (o.kind) {
    case Pen:
        canvas.LiveSegment(lastPoint_, p, o.colour, o.width, penRop2(o));
        o.AddPoint(p.x(), p.y(), 1, 0);
        lastPoint_ = p;
        break;
    case BrushPen:
        liveBrush(lastPoint_, p);
        o.AddPoint(p.x(), p.y(), 1, 0);
        lastPoint_ = p;
        break;
    case DashPen: {
        const bool drawn = dash_.Step(lastPoint_, p, host_.deviceScale().ratio);
        if (drawn)
            canvas.LiveSegment(lastPoint_, p, o.colour, o.width, platform::R2_COPYPEN);
        o.AddPoint(p.x(), p.y(), drawn ? 1 : 0, 0);
        lastPoint_ = p;
        break;
    }
    case SpeedPen: {
        const QPoint from = speed_.speedLastPoint;
        const int width = speed_.Step(p, host_.clock(), host_.deviceScale().ratio);
        o.AddPoint(p.x(), p.y(), 1, width);
        canvas.LiveSegment(from, p, o.colour, width, platform::R2_COPYPEN);
        break;
    }
    default:
        break;
    }
}

void FreehandGesture::release(QPoint p)
{
    if (!drawing_)
        return;
    drawing_ = false;
    CPenNode& o = host_.object();
    if (!IsClick(o, p)) {
        const int width = pressured_ ? pressureWidth() : o.kind == SpeedPen ? speed_.speedWidth : 0;
        o.AddPoint(p.x(), p.y(), 1, width);
    }
    dash_.Reset();
    if (o.kind != Picture) {
        stamped_ = false;
        // A pressed stroke is kept with its widths; a tap stays the pen's dot.
        const NodeKind kind = o.kind;
        if (pressured_ && o.points.size() > 1)
            o.kind = SpeedPen;
        host_.commitCurrentObject(QRect(dragStart_, p).normalized());
        o.kind = kind;
    }
    pressured_ = false;
}

int FreehandGesture::pressureWidth() const
{
    return PressureWidth(host_.object().width, pressure_);
}

void FreehandGesture::liveBrush(QPoint from, QPoint to)
{
    if (brushDot_.isNull())
        return;
    std::vector<QPoint> centres;
    platform::lineDda(from.x(), from.y(), to.x(), to.y(), [&](int x, int y) {
        if (stamped_ && lastStamp_ == QPoint(x, y))
            return;
        centres.emplace_back(x, y);
        lastStamp_ = QPoint(x, y);
        stamped_ = true;
    });
    host_.canvas().LiveStamps(brushDot_, centres);
}

std::optional<QCursor> FreehandGesture::cursor(QPoint) const
{
    const CPenNode& o = host_.object();
    if (o.highlight)
        return ResourceCursor(534);
    switch (o.kind) {
    case SpeedPen:
        return ResourceCursor(663);
    case BrushPen:
        return ResourceCursor(878);
    case DashPen:
        return ResourceCursor(535);
    default:
        return ResourceCursor(537);
    }
}

void FreehandGesture::paintOverlay(QPainter& p) const
{
    const CPenNode& o = host_.object();
    if (o.points.empty())
        return;
    const auto at = [&](std::size_t i) { return QPoint(o.points[i].x, o.points[i].y); };
    p.save();
    platform::beginGdi(p);
    switch (pressured_ ? SpeedPen : o.kind) {
    case Pen:
        platform::setRop2(p, penRop2(o));
        p.setPen(platform::gdiPen(o.colour, o.width));
        for (std::size_t i = 1; i < o.points.size(); ++i)
            p.drawLine(at(i - 1), at(i));
        break;
    case DashPen:
        p.setPen(platform::gdiPen(o.colour, o.width));
        for (std::size_t i = 1; i < o.points.size(); ++i) {
            if (o.points[i].linked)
                p.drawLine(at(i - 1), at(i));
        }
        break;
    case SpeedPen:
        for (std::size_t i = 1; i < o.points.size(); ++i) {
            p.setPen(platform::gdiPen(o.colour, o.points[i].segWidth));
            p.drawLine(at(i - 1), at(i));
        }
        break;
    case BrushPen:
        if (o.points.size() > 1)
            o.Draw(p, nullptr);
        break;
    default:
        break;
    }
    p.restore();
}

} // namespace DIALOG
