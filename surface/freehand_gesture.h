#pragma once
// The freehand pens: pen and highlighter, brush, dashed pen and speed pen. Each move inks its segment live
// and adds its point; the release commits the stroke. Last in the surface's chain, it also takes the press
// of any kind no other gesture claims: the points of press and release are kept and committed.
#include "surface/gesture.h"
#include "surface/stroke_rules.h"

#include <QImage>

namespace DIALOG {

class FreehandGesture : public Gesture {
public:
    using Gesture::Gesture;

    Press press(QPoint point) override;
    void move(QPoint point) override;
    void release(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;
    // The stroke drawn so far, for areas of the window rebuilt while it is drawn.
    void paintOverlay(QPainter& painter) const override;
    void cancel() override { drawing_ = pressured_ = false; }

    // A stylus's pressure (0 to 1) for the next press, move or release; negative for a pointer without
    // one. A pen (not a highlighter) or speed pen pressed with pressure draws each segment in the width the
    // pressure gives, and is kept as a stroke of widths per point, the form the speed pen's strokes have.
    void SetPressure(double pressure) { pressure_ = pressure; }
    // The speed pen's range, for a second writer that draws with the surface's speed pen.
    void SetSpeed(const SpeedPenWidth& speed) { speed_ = speed; }

    // SetSpeedPen: the speed pen's width range from the chosen width; returns the pen width.
    // width is the panel's; the speed pen's widths are in the page's device pixels.
    int SetSpeedWidth(int width, const DeviceScale& scale = DeviceScale())
    {
        speed_.SetWidth(width);
        speed_.speedMinWidth = scale.length(speed_.speedMinWidth);
        speed_.speedWidth = speed_.speedMaxWidth = scale.length(speed_.speedMaxWidth);
        return speed_.speedMaxWidth;
    }
    const SpeedPenWidth& speed() const { return speed_; }

private:
    void liveBrush(QPoint from, QPoint to);
    int pressureWidth() const;

    bool drawing_ = false;
    double pressure_ = -1.0;
    // The press under way draws with the stylus's pressure.
    bool pressured_ = false;
    QPoint lastPoint_;
    QPoint dragStart_;
    DashRhythm dash_;
    SpeedPenWidth speed_;
    QImage brushDot_;
    QPoint lastStamp_;
    bool stamped_ = false;
};

} // namespace DIALOG
