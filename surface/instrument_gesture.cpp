#include "surface/instrument_gesture.h"

#include "recorder/recorder_exports.h"
#include "surface/pen_node.h"
#include "surface/stroke_rules.h"

#include <QPainter>

namespace DIALOG {

namespace {

bool recorderRecording()
{
    return IsPlaying() != 0;
}

InstrumentGesture::RecordingProbe recordingProbe = recorderRecording;

// The system's cursors under their Windows numbers, our open hand under its own.
QCursor cursorOfNumber(int number)
{
    switch (number) {
    case kCursorHand:
        return QCursor(Qt::PointingHandCursor);
    case kCursorOpenHand:
        return ResourceCursor(kCursorOpenHand);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

} // namespace

InstrumentGesture::InstrumentGesture(GestureHost& host)
    : Gesture(host)
{
}

void InstrumentGesture::SetRecordingProbe(RecordingProbe probe)
{
    recordingProbe = probe ? probe : recorderRecording;
}

Gesture::Press InstrumentGesture::press(QPoint point)
{
    if (!host_.instrumentMode())
        return Press::Declined;
    const InstrumentStep step = table_.Press(scale().toLogical(point));
    if (step.compassGrabbed)
        host_.object().kind = CompassArc;
    repaint(step);
    return Press::Captured;
}

void InstrumentGesture::move(QPoint point)
{
    const DeviceScale s = scale();
    const QRect strip = host_.toolStrip();
    const InstrumentStep step = table_.Move(
        s.toLogical(point), QRect(s.toLogical(strip.topLeft()), s.toLogical(strip.bottomRight())));
    if (step.pencilPoint) {
        // Every drag step of the compass is one more pencil point of the arc under way.
        CPenNode& arc = host_.object();
        const CompassStroke& stroke = table_.CurrentArc();
        const QPoint centre = s.toDevice(QPointF(stroke.centre));
        const QPoint pencil = s.toDevice(QPointF(*step.pencilPoint));
        arc.kind = CompassArc;
        arc.arcCentreX = centre.x();
        arc.arcCentreY = centre.y();
        arc.arcRadius = s.length(stroke.radius);
        arc.AddPoint(pencil.x(), pencil.y());
    }
    repaint(step);
}

void InstrumentGesture::release(QPoint point)
{
    const DeviceScale s = scale();
    InstrumentStep step = table_.Release(s.toLogical(point));
    CPenNode& object = host_.object();
    if (step.arc) {
        // The arc is kept in the order it is drawn in: counter-clockwise, whichever way the hand went.
        const QPoint centre = s.toDevice(QPointF(step.arc->centre));
        object.kind = CompassArc;
        object.arcCentreX = centre.x();
        object.arcCentreY = centre.y();
        object.arcRadius = s.length(step.arc->radius);
        object.points.clear();
        for (const QPoint& p : CounterClockwiseArc(step.arc->centre, step.arc->points)) {
            const QPoint d = s.toDevice(QPointF(p));
            object.AddPoint(d.x(), d.y());
        }
        if (object.points.size() >= 2)
            host_.commitCurrentObject(s.toDevice(step.dirty.boundingRect()));
    }
    // A drag that drew less than an arc, or moved the compass, leaves nothing behind.
    object.points.clear();
    repaint(step);
}

int InstrumentGesture::HoldableAt(QPoint point) const
{
    return table_.HoldableAt(scale().toLogical(point));
}

void InstrumentGesture::BeginHold(int index, QPointF first, QPointF second)
{
    const MyShape* shape = index >= 0 && index < kInstrumentEntries ? table_.shape(index) : nullptr;
    if (!shape || !shape->visible)
        return;
    table_.BeginHold(index);
    hold_ = HandHold {shape->ptOrigin, shape->ptHandle, scale().toLogical(first), scale().toLogical(second)};
    holdIndex_ = index;
    host_.canvas().Compose(host_.canvas().rect());
}

void InstrumentGesture::MoveHold(QPointF first, QPointF second)
{
    if (holdIndex_ < 0)
        return;
    const auto [origin, handle] = HeldPlace(hold_, scale().toLogical(first), scale().toLogical(second));
    repaint(table_.PlaceHeld(holdIndex_, origin, handle));
}

void InstrumentGesture::EndHold()
{
    holdIndex_ = -1;
}

void InstrumentGesture::cancel()
{
    table_.ResetArc();
}

void InstrumentGesture::RemoveInstrument(int index)
{
    const MyShape* shape = index >= 0 && index < kInstrumentEntries ? table_.shape(index) : nullptr;
    const QRect where = shape && shape->visible ? shape->dirtyRgn.boundingRect() : QRect();
    table_.RemoveInstrument(index);
    host_.canvas().Compose(scale().toDevice(where));
}

std::optional<QCursor> InstrumentGesture::cursor(QPoint point) const
{
    if (!host_.instrumentMode())
        return std::nullopt;
    table_.Hover(scale().toLogical(point));
    return cursorOfNumber(table_.CursorNumber());
}

void InstrumentGesture::paintOverlay(QPainter& painter) const
{
    // The arc being drawn, as the page will keep it.
    const CPenNode& object = host_.object();
    if (object.kind == CompassArc && object.points.size() >= 2) {
        std::vector<QPoint> pencil;
        pencil.reserve(object.points.size());
        for (const PenPoint& p : object.points)
            pencil.emplace_back(p.x, p.y);
        CPenNode preview = object;
        preview.points.clear();
        for (const QPoint& p : CounterClockwiseArc(QPoint(object.arcCentreX, object.arcCentreY), pencil))
            preview.AddPoint(p.x(), p.y());
        preview.Draw(painter, nullptr);
    }
    // The instruments keep their physical size: they are laid out in logical pixels and drawn scaled.
    painter.save();
    painter.scale(scale().ratio, scale().ratio);
    table_.Paint(painter, host_.canvas().pageBitmap());
    painter.restore();
}

void InstrumentGesture::repaint(const InstrumentStep& step)
{
    Canvas& canvas = host_.canvas();
    switch (step.repaint) {
    case InstrumentStep::Repaint::None:
        return;
    case InstrumentStep::Repaint::Changed:
        if (recordingProbe()) {
            // One rebuild of the box around where it was and is: a turned instrument's region is a rectangle
            // for every scan line, and a rebuild for each would cost more than the whole screen.
            canvas.Compose(scale().toDevice(step.dirty.boundingRect()));
            return;
        }
        canvas.Compose(canvas.rect());
        return;
    case InstrumentStep::Repaint::Whole:
        canvas.Compose(canvas.rect());
        return;
    }
}

} // namespace DIALOG
