#include "surface/eraser_gesture.h"

#include "platform/gdi.h"
#include "surface/lesson.h"
#include "surface/page_model.h"
#include "surface/stroke_rules.h"
#include "surface/surface_state.h"

#include <QPainter>

namespace DIALOG {

namespace {
// The eraser square is restored only while it is a real square, not the start value of a gesture.
constexpr int kEraserRestoreLimit = 300;
const QRect kNoSquareYet(0, 0, 400, 400);
} // namespace

bool EraserGesture::pointEraser() const
{
    return host_.object().kind == EraseTrail && host_.eraseMode() == kEraseModePoint;
}

Gesture::Press EraserGesture::press(QPoint p)
{
    CPenNode& o = host_.object();
    if (!pointEraser() && o.kind != EraseLasso)
        return Press::Declined;
    drawing_ = true;
    lastPoint_ = p;
    if (pointEraser())
        eraserRect_ = kNoSquareYet;
    o.AddPoint(p.x(), p.y(), 1, 0);
    return Press::Captured;
}

void EraserGesture::move(QPoint p)
{
    if (!drawing_)
        return;
    CPenNode& o = host_.object();
    if (pointEraser()) {
        liveEraser(p);
    } else if (o.kind == EraseLasso) {
        host_.canvas().LiveSegment(lastPoint_, p, o.colour, kLassoWidth, platform::R2_COPYPEN);
        o.AddPoint(p.x(), p.y(), 1, 0);
        lastPoint_ = p;
    }
}

void EraserGesture::liveEraser(QPoint to)
{
    host_.lesson().Pages().ClearRedo();
    const std::vector<QPoint> path = EraserPath(lastPoint_, to);
    const QRect restore = eraserRect_.width() < kEraserRestoreLimit ? eraserRect_ : QRect();
    const QRect square = EraserSquare(to, eraserSize_);
    const QRect swept
        = QRect(lastPoint_, to).normalized().adjusted(-eraserSize_, -eraserSize_, eraserSize_, eraserSize_);
    host_.canvas().LiveEraser(path, eraserSize_, restore, square, swept);
    eraserRect_ = square;
    CPenNode& o = host_.object();
    for (const QPoint& point : path)
        o.AddPoint(point.x(), point.y(), 1, 0);
    lastPoint_ = to;
}

void EraserGesture::release(QPoint p)
{
    if (!drawing_)
        return;
    drawing_ = false;
    CPenNode& o = host_.object();
    if (!IsClick(o, p)) {
        // The eraser also goes the way from the last move to the release.
        if (pointEraser() && p != lastPoint_)
            liveEraser(p);
        else
            o.AddPoint(p.x(), p.y(), 1, 0);
    }
    if (host_.eraseMode() == kEraseModePoint)
        host_.commitCurrentObject(eraserRect_.width() < kEraserRestoreLimit ? eraserRect_ : QRect());
    else if (o.kind == EraseLasso)
        lassoRelease(p);
}

void EraserGesture::lassoRelease(QPoint point)
{
    CPenNode& o = host_.object();
    if (!LassoClosed(o.points, host_.deviceScale().ratio)) {
        o.points.clear();
        host_.canvas().Compose(host_.canvas().rect());
        return;
    }
    QPolygon outline;
    for (const PenPoint& pt : o.points)
        outline << QPoint(pt.x, pt.y);
    const QRect bounds
        = outline.boundingRect().adjusted(-kLassoWidth, -kLassoWidth, kLassoWidth, kLassoWidth);
    o.points = ThinLasso(o.points);
    host_.commitCurrentObject(bounds | QRect(point.x() - 5, point.y() - 5, 10, 10));
}

std::optional<QCursor> EraserGesture::cursor(QPoint) const
{
    if (pointEraser())
        return ResourceCursor(684);
    if (host_.object().kind == EraseLasso)
        return ResourceCursor(665);
    return std::nullopt;
}

void EraserGesture::paintOverlay(QPainter& p) const
{
    const CPenNode& o = host_.object();
    if (o.points.empty())
        return;
    if (o.kind == EraseLasso) {
        p.save();
        platform::beginGdi(p);
        p.setPen(platform::gdiPen(o.colour, o.width));
        for (std::size_t i = 1; i < o.points.size(); ++i)
            p.drawLine(QPoint(o.points[i - 1].x, o.points[i - 1].y), QPoint(o.points[i].x, o.points[i].y));
        p.restore();
    } else if (pointEraser()) {
        p.save();
        platform::beginGdi(p);
        o.Draw(p, &host_.eraserSource());
        p.restore();
    }
}

} // namespace DIALOG
