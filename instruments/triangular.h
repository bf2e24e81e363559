#pragma once
// The 30°/60°/90° set square: its second leg is the measuring leg's length over √3, so the angle at
// ptHandle is 30°.
#include "instruments/my_shape.h"

#include <cmath>

namespace DIALOG {

class Triangular : public MyShape {
public:
    using MyShape::MyShape;

    static inline const double kSecondLegRatio = std::sqrt(3.0) / 3.0;

    void Draw(QPainter& painter, const QImage& page) override;
    BOOL HitBody(int x, int y) const override;
    BOOL HitRect(int left, int top, int right, int bottom) const override;
    void UpdateRegions() override;
};

} // namespace DIALOG
