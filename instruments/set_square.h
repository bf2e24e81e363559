#pragma once
// The drawing that the two set squares share: a transparent right triangle with a red outline, the right
// angle at ptOrigin, the measuring leg from ptOrigin to ptHandle and the second leg standing perpendicular
// to it at ptOrigin, on the side where the ruler's ticks hang. Both legs carry a scale like the ruler's.
#include "instruments/my_shape.h"
#include "instruments/scale_marks.h"

namespace DIALOG {

struct SetSquareLayout {
    // Along the measuring leg: tick i (0, 1, …) stands (i + 4)·step from the right angle, and the scale
    // stops 8 steps short of the sharp corner.
    ScaleMarks main;
    // Along the second leg: a short tick at the right angle, then tick i at (i + 4)·step, numbers from 1.
    ScaleMarks second;
    // The end of the second leg.
    QPoint corner;
    // Length of the second leg.
    double secondLeg = 0;
};

// secondLegRatio is the second leg's length over the measuring leg's. Nothing while the points coincide.
std::optional<SetSquareLayout> LaySetSquare(const MyShape& shape, double secondLegRatio);
// Sets bodyRgn and dirtyRgn; the squares differ in one of the shifts of the dirty region, (dirtyShiftX, 0).
void SetSquareRegions(MyShape& shape, const SetSquareLayout& layout, int dirtyShiftX);
void DrawSetSquare(
    MyShape& shape, QPainter& painter, const QImage& page, double secondLegRatio, int dirtyShiftX);

} // namespace DIALOG
