#pragma once
// The 45°/45°/90° set square: both legs are equally long.
#include "instruments/my_shape.h"

namespace DIALOG {

class ISOTriangular : public MyShape {
public:
    using MyShape::MyShape;

    static constexpr double kSecondLegRatio = 1.0;

    void Draw(QPainter& painter, const QImage& page) override;
    BOOL HitBody(int x, int y) const override;
    BOOL HitRect(int left, int top, int right, int bottom) const override;
    void UpdateRegions() override;
};

} // namespace DIALOG
