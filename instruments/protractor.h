#pragma once
// The half-disc protractor: its diameter runs from ptOrigin to ptHandle and the half-disc lies where the
// arc turns counter-clockwise from ptHandle to ptOrigin (above a diameter laid from left to right). A tick
// for every degree, numbers 10 to 170 counted from the ptHandle end. A click places it 500 pixels wide; it
// never gets smaller than that, and a handle drag that would break its bounds turns it about ptOrigin.
#include "instruments/my_shape.h"
#include "instruments/scale_marks.h"

namespace DIALOG {

class Protractor : public MyShape {
public:
    using MyShape::MyShape;

    // The smallest diameter, and the size a click places it at.
    static constexpr double kMinimumSpan = 500.0;

    // 181 degree ticks from the rim inwards and 17 numbers, as Draw lays them out; nothing while the two
    // points coincide.
    std::optional<ScaleMarks> Scale() const;
    // The point on the circle of radius span about ptOrigin in the direction of (x, y).
    QPoint TurnPoint(int x, int y) const;
    // Lays it out around a placing click at p: 500 pixels wide, centred on p, visible.
    void PlaceAt(QPoint p);

    void Draw(QPainter& painter, const QImage& page) override;
    BOOL HitBody(int x, int y) const override;
    // No nearer to ptOrigin than 500 pixels and no farther than the screen is wide.
    BOOL CanReach(int x, int y) const override;
    BOOL HitRect(int left, int top, int right, int bottom) const override;
    void UpdateRegions() override;

    // Midpoint of the diameter, recomputed by every layout.
    QPoint ptCentre;
    // Length of the diameter: 500 when placed; it follows the handle while the handle is dragged.
    double span = 0.0;

private:
    struct Circle {
        double r = 0;
        QRect box;
    };
    Circle circle() const;
    // The direction from the centre to ptHandle, counter-clockwise from the right, in [0, 2π).
    double startAngle() const;
};

} // namespace DIALOG
