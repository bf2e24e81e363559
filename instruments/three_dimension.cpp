#include "instruments/three_dimension.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace DIALOG {

void ThreeDimension::Draw(QPainter&)
{
}

BOOL ThreeDimension::IsHit(int, int)
{
    return 0;
}

BOOL ThreeDimension::HitEdges(int, int)
{
    return 1;
}

ThreeDimension::Frame ThreeDimension::frame() const
{
    Frame f;
    f.w = std::fabs(double(ptFirst.x()) - double(ptSecond.x()));
    f.h = std::fabs(double(ptFirst.y()) - double(ptSecond.y()));
    f.x0 = std::min(ptFirst.x(), ptSecond.x());
    f.x1 = int(std::trunc(f.x0 + f.w));
    f.yb = std::max(ptFirst.y(), ptSecond.y());
    return f;
}

bool NearSegment(QPoint p, QPoint a, QPoint b)
{
    constexpr double tolerance = 2.5;
    const double px = p.x();
    const double py = p.y();
    if (a.x() == b.x()) {
        return std::fabs(px - a.x()) < tolerance && py >= std::min(a.y(), b.y())
            && py <= std::max(a.y(), b.y());
    }
    if (px < std::min(a.x(), b.x()) || px > std::max(a.x(), b.x()) || py < std::min(a.y(), b.y())
        || py > std::max(a.y(), b.y()))
        return false;
    const double dx = double(b.x()) - a.x();
    const double dy = double(b.y()) - a.y();
    const double cross = dx * (py - a.y()) - dy * (px - a.x());
    return std::fabs(cross) / std::hypot(dx, dy) < tolerance;
}

bool NearEllipse(QPoint p, int left, int top, int right, int bottom)
{
    constexpr double tolerance = 5.0;
    const double l = std::min(left, right);
    const double r = std::max(left, right);
    const double t = std::min(top, bottom);
    const double b = std::max(top, bottom);
    const double px = p.x();
    const double py = p.y();
    if (px < l || px > r || py < t || py > b)
        return false;
    const double a = (r - l) / 2;
    const double bb = (b - t) / 2;
    const double dx = px - (l + r) / 2;
    const double dy = py - (t + b) / 2;
    // A flat ellipse is the segment across its box.
    if (a <= 0 || bb <= 0)
        return true;
    const double dist = std::hypot(dx, dy);
    if (dist == 0)
        return std::min(a, bb) < tolerance;
    // The outline's distance along the ray from the centre through the point.
    const double c = dx / dist;
    const double s = dy / dist;
    const double rim = a * bb / std::hypot(bb * c, a * s);
    return std::fabs(dist - rim) < tolerance;
}

} // namespace DIALOG
