#pragma once
// The 3D solids that the pen surface draws as wire frames in oblique projection: the user drags a
// rectangle and its two corners define the solid.
#include "platform/win_types.h"

#include <QPoint>

class QPainter;

namespace DIALOG {

class ThreeDimension {
public:
    virtual ~ThreeDimension() = default;

    // Draws with aliased lines in the painter's current pen.
    virtual void Draw(QPainter& painter);
    virtual BOOL IsHit(int x, int y);
    virtual BOOL HitEdges(int x, int y);

    // The corners of the dragged rectangle, in either order.
    QPoint ptFirst;
    QPoint ptSecond;

protected:
    // The measures both solids start from.
    struct Frame {
        double w = 0;
        double h = 0;
        int x0 = 0;
        int x1 = 0;
        int yb = 0;
    };
    Frame frame() const;
};

// A point is near a segment when it lies in the segment's bounding box and less than 2.5 pixels from
// its line; near a vertical segment when within 2.5 pixels of its x and between its ends.
bool NearSegment(QPoint p, QPoint a, QPoint b);
// A point is near an ellipse when it lies in the ellipse's box and less than 5 pixels from the outline.
bool NearEllipse(QPoint p, int left, int top, int right, int bottom);

} // namespace DIALOG
