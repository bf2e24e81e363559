#include "instruments/hand_hold.h"

#include <cmath>

namespace DIALOG {

namespace {

// Fingers closer than this at the start give no direction to turn by.
constexpr double kLeastSpan = 1.0;

QPoint rounded(QPointF p)
{
    return QPoint(int(std::lround(p.x())), int(std::lround(p.y())));
}

} // namespace

std::pair<QPoint, QPoint> HeldPlace(const HandHold& hold, QPointF first, QPointF second)
{
    const QPointF from = (hold.first + hold.second) / 2.0;
    const QPointF to = (first + second) / 2.0;
    const QPointF before = hold.second - hold.first;
    const QPointF now = second - first;
    double turn = 0.0;
    if (std::hypot(before.x(), before.y()) >= kLeastSpan && std::hypot(now.x(), now.y()) >= kLeastSpan)
        turn = std::atan2(now.y(), now.x()) - std::atan2(before.y(), before.x());
    const double c = std::cos(turn), s = std::sin(turn);
    const auto place = [&](QPoint p) {
        const QPointF d = QPointF(p) - from;
        return rounded(to + QPointF(d.x() * c - d.y() * s, d.x() * s + d.y() * c));
    };
    return {place(hold.origin), place(hold.handle)};
}

} // namespace DIALOG
