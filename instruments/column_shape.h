#pragma once
#include "instruments/three_dimension.h"

#include <QRect>

namespace DIALOG {

// A cylinder standing on the bottom edge of the dragged rectangle; its ellipses are as wide as the
// rectangle and three fifths of that high.
class ColumnShape : public ThreeDimension {
public:
    struct Geometry {
        int x0 = 0, x1 = 0, yb = 0, yt = 0;
        // GDI boxes (left, top, right, bottom) of the two ellipses.
        int bottomTop = 0, bottomBottom = 0;
        int topTop = 0, topBottom = 0;
    };
    Geometry geometry() const;

    void Draw(QPainter& painter) override;
    BOOL IsHit(int x, int y) override { return HitEdges(x, y); }
    BOOL HitEdges(int x, int y) override;
    // The visible outline antialiased in a pen of width and colour; the hidden half dotted as in Draw.
    void DrawSmooth(QPainter& painter, int width, COLORREF colour);
};

} // namespace DIALOG
