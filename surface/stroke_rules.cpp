#include "surface/stroke_rules.h"

#include "platform/gdi.h"

#include <algorithm>
#include <cmath>

namespace DIALOG {

bool DashRhythm::Step(QPoint from, QPoint to, double ratio)
{
    dashDistance += std::hypot(double(to.x() - from.x()), double(to.y() - from.y())) / ratio;
    if (dashDistance >= kSwitchLength) {
        dashDistance -= kSwitchLength;
        dashGap = !dashGap;
    }
    return !dashGap;
}

int SpeedPenWidth::SetWidth(int width)
{
    const int w = std::max(width, 8);
    speedMaxWidth = w;
    speedMinWidth = w - (w - 8) / 3 - 5;
    speedWidth = speedMaxWidth;
    return w;
}

void SpeedPenWidth::Begin(QPoint point, qint64 now)
{
    speedPrev = 0.0;
    speedDistance = 0.0;
    speedClock = now;
    speedWidth = speedMaxWidth;
    speedLastPoint = point;
}

int SpeedPenWidth::Step(QPoint point, qint64 now, double ratio)
{
    speedDistance
        += std::hypot(double(point.x() - speedLastPoint.x()), double(point.y() - speedLastPoint.y())) / ratio;
    if (speedDistance >= kJudgeDistance) {
        // Two moves within one millisecond are as fast as the clock can tell, not infinitely fast.
        const double t = double(std::max<qint64>(now - speedClock, 1));
        const double v = speedDistance / t;
        if (speedPrev != 0.0 && v >= kSlowest) {
            if (v > speedPrev) {
                if (speedWidth > speedMinWidth)
                    --speedWidth;
            } else if (speedWidth < speedMinWidth + 2) {
                ++speedWidth;
            }
        }
        speedPrev = v;
        speedDistance = 0.0;
        speedClock = now;
    }
    speedLastPoint = point;
    return speedWidth;
}

bool LassoClosed(const std::vector<PenPoint>& points, double ratio)
{
    if (points.empty())
        return false;
    const PenPoint& first = points.front();
    const PenPoint& last = points.back();
    return int(std::hypot(double(first.x - last.x), double(first.y - last.y)) / ratio) <= kLassoClosing;
}

std::vector<PenPoint> ThinLasso(const std::vector<PenPoint>& points)
{
    if (points.size() <= std::size_t(kMaxLassoPoints))
        return points;
    std::vector<PenPoint> kept;
    kept.reserve(kMaxLassoPoints);
    for (std::size_t i = 0; i < std::size_t(kMaxLassoPoints); ++i)
        kept.push_back(points[i * (points.size() - 1) / (kMaxLassoPoints - 1)]);
    return kept;
}

bool IsShapeKind(NodeKind kind)
{
    return kind == Line || kind == GuideLine || kind == Arrow || kind == Rectangle || kind == Ellipse
        || kind == Cube || kind == Cylinder;
}

int PressureWidth(int chosen, double pressure)
{
    const double p = std::clamp(pressure, 0.0, 1.0);
    return std::max(1, int(std::lround(std::max(chosen, 1) * std::exp2(2.0 * p - 1.0))));
}

bool IsClick(const CPenNode& object, QPoint release)
{
    return object.points.size() == 1 && !IsShapeKind(object.kind) && object.kind != Polyline
        && QPoint(object.points[0].x, object.points[0].y) == release;
}

QRect ObjectBounds(const CPenNode& node)
{
    if (node.points.empty())
        return QRect();
    int left = node.points.front().x, right = left, top = node.points.front().y, bottom = top;
    for (const PenPoint& p : node.points) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    const int w = right - left;
    // 22 pixels hold the arrow head beyond the pen.
    int m = std::max(node.width, 1) + 22;
    for (const PenPoint& p : node.points)
        m = std::max(m, p.segWidth + 2);
    QRect r(QPoint(left, top), QPoint(right, bottom));
    if (node.kind == Cube)
        r.adjust(0, -(w * 3 / 5 + 2), w / 2 + 2, 0);
    if (node.kind == Cylinder)
        r.adjust(0, -(w * 3 / 10 + 2), 0, w * 3 / 10 + 2);
    return r.adjusted(-m, -m, m, m);
}

QRect SegmentRect(QPoint from, QPoint to, int width)
{
    const int m = std::max(width, 1) / 2 + 2;
    return QRect(from, to).normalized().adjusted(-m, -m, m, m);
}

std::vector<QPoint> EraserPath(QPoint from, QPoint to)
{
    std::vector<QPoint> path;
    platform::lineDda(from.x(), from.y(), to.x(), to.y(), [&](int x, int y) {
        if (QPoint(x, y) != from)
            path.emplace_back(x, y);
    });
    path.push_back(to);
    return path;
}

QRect EraserSquare(QPoint point, int size)
{
    return QRect(point.x() - size, point.y() - size, 2 * size, 2 * size);
}

std::vector<QPoint> CounterClockwiseArc(QPoint centre, const std::vector<QPoint>& pencil)
{
    std::vector<QPoint> distinct;
    for (const QPoint& p : pencil)
        if (p != centre && (distinct.empty() || distinct.back() != p))
            distinct.push_back(p);
    if (distinct.size() < 2)
        return distinct;

    // The angle of each point counter-clockwise on the screen (y grows downwards), followed through the
    // drag without jumps: each step goes the short way, so a sweep past a full turn goes past 2π.
    const auto angleOf
        = [centre](QPoint p) { return std::atan2(-double(p.y() - centre.y()), double(p.x() - centre.x())); };
    constexpr double kTurn = 2.0 * 3.14159265358979323846;
    struct Swept {
        double angle;
        QPoint point;
    };
    std::vector<Swept> swept;
    swept.reserve(distinct.size());
    double angle = angleOf(distinct.front());
    swept.push_back({angle, distinct.front()});
    for (std::size_t i = 1; i < distinct.size(); ++i) {
        double step = angleOf(distinct[i]) - angleOf(distinct[i - 1]);
        step -= kTurn * std::round(step / kTurn);
        angle += step;
        swept.push_back({angle, distinct[i]});
    }
    std::stable_sort(
        swept.begin(), swept.end(), [](const Swept& a, const Swept& b) { return a.angle < b.angle; });

    const double from = swept.front().angle;
    const bool wholeTurn = swept.back().angle - from >= kTurn;
    std::vector<QPoint> arc;
    for (const Swept& s : swept) {
        if (wholeTurn && s.angle >= from + kTurn)
            break;
        // Keep only points that go on counter-clockwise: a point at the angle of the one before adds
        // nothing, and drawn from an equal ray would be the whole circle.
        if (!arc.empty() && (s.point == arc.back() || angleOf(s.point) == angleOf(arc.back())))
            continue;
        arc.push_back(s.point);
    }
    if (wholeTurn && arc.size() > 1)
        arc.push_back(arc.front());
    return arc;
}

} // namespace DIALOG
