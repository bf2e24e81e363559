#pragma once
#include "instruments/three_dimension.h"

namespace DIALOG {

// A box: the dragged rectangle is its front face, the back face is shifted up and right.
class CubeShape : public ThreeDimension {
public:
    struct Corners {
        QPoint F1, F2, F3, F4; // front: bottom left, bottom right, top right, top left
        QPoint K1, K2, K3, K4; // back, in the same order; K1 is the hidden corner
    };
    Corners corners() const;

    void Draw(QPainter& painter) override;
    BOOL IsHit(int x, int y) override { return HitEdges(x, y); }
    BOOL HitEdges(int x, int y) override;
    // The visible edges antialiased in a pen of width and colour; the hidden ones dotted as in Draw.
    void DrawSmooth(QPainter& painter, int width, COLORREF colour);
};

} // namespace DIALOG
