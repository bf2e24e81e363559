#include "surface/my_rect_tracker.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace DIALOG {

namespace {

// The handles in the frame's own units: x and y from −1 (left, top) to 1 (right, bottom), clockwise from
// the top-left corner.
constexpr int kHandleX[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
constexpr int kHandleY[8] = {-1, -1, -1, 0, 1, 1, 1, 0};

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

} // namespace

QPointF CMyRectTracker::toScreen(QPointF local) const
{
    const double c = std::cos(frame_.angle);
    const double s = std::sin(frame_.angle);
    return frame_.centre + QPointF(local.x() * c - local.y() * s, local.x() * s + local.y() * c);
}

QPointF CMyRectTracker::toLocal(QPointF screen) const
{
    const QPointF d = screen - frame_.centre;
    const double c = std::cos(frame_.angle);
    const double s = std::sin(frame_.angle);
    return QPointF(d.x() * c + d.y() * s, -d.x() * s + d.y() * c);
}

QPointF CMyRectTracker::HandleCentre(int index) const
{
    return toScreen(QPointF(kHandleX[index] * frame_.width / 2.0, kHandleY[index] * frame_.height / 2.0));
}

QPointF CMyRectTracker::RotateIconCentre() const
{
    return toScreen(QPointF(0.0, -frame_.height / 2.0 - (kRotateIconOffset * scale_)));
}

QPolygonF CMyRectTracker::Outline() const
{
    return QPolygonF({HandleCentre(0), HandleCentre(2), HandleCentre(4), HandleCentre(6)});
}

CMyRectTracker::Part CMyRectTracker::HitTest(QPointF point, int* handle) const
{
    const double iconReach = (kIconSize * scale_) / 2.0;
    if (distance(point, RotateIconCentre()) <= iconReach)
        return Part::Rotate;
    if (distance(point, MoveIconCentre()) <= iconReach)
        return Part::MoveIcon;
    int nearest = -1;
    double best = (kPickDistance * scale_);
    for (int i = 0; i < 8; ++i) {
        if (const double d = distance(point, HandleCentre(i)); d <= best) {
            best = d;
            nearest = i;
        }
    }
    if (nearest >= 0) {
        if (handle)
            *handle = nearest;
        return Part::Handle;
    }
    const QPointF local = toLocal(point);
    if (std::abs(local.x()) <= frame_.width / 2.0 && std::abs(local.y()) <= frame_.height / 2.0)
        return Part::Body;
    return Part::None;
}

void CMyRectTracker::Begin(Part part, int handle, QPointF point)
{
    part_ = part;
    handle_ = std::clamp(handle, 0, 7);
    grab_ = point;
    start_ = frame_;
}

void CMyRectTracker::Drag(QPointF point)
{
    switch (part_) {
    case Part::None:
        return;
    case Part::MoveIcon:
    case Part::Body:
        frame_.centre = start_.centre + (point - grab_);
        return;
    case Part::Rotate: {
        // The icon stands above the top edge: the frame turns so that its top faces the pointer.
        const QPointF d = point - start_.centre;
        if (std::hypot(d.x(), d.y()) < 1.0)
            return;
        frame_.angle = std::atan2(d.y(), d.x()) + std::numbers::pi / 2.0;
        return;
    }
    case Part::Handle: {
        // The opposite handle (or edge) stays where it is; the dragged one follows the pointer in the
        // frame's own directions.
        frame_ = start_;
        const int hx = kHandleX[handle_];
        const int hy = kHandleY[handle_];
        const QPointF local = toLocal(point);
        double left = -start_.width / 2.0;
        double right = start_.width / 2.0;
        double top = -start_.height / 2.0;
        double bottom = start_.height / 2.0;
        if (hx < 0)
            left = std::min(local.x(), right - (kMinSide * scale_));
        if (hx > 0)
            right = std::max(local.x(), left + (kMinSide * scale_));
        if (hy < 0)
            top = std::min(local.y(), bottom - (kMinSide * scale_));
        if (hy > 0)
            bottom = std::max(local.y(), top + (kMinSide * scale_));
        const QPointF centre = toScreen(QPointF((left + right) / 2.0, (top + bottom) / 2.0));
        frame_.centre = centre;
        frame_.width = right - left;
        frame_.height = bottom - top;
        return;
    }
    }
}

QRect CMyRectTracker::Bounds() const
{
    QRectF area = Outline().boundingRect();
    const QPointF icon = RotateIconCentre();
    const double side = kIconSize * scale_;
    area |= QRectF(icon.x() - side / 2.0, icon.y() - side / 2.0, side, side);
    const int margin = int(std::ceil(side / 2.0 + 2.0 * scale_));
    return area.toAlignedRect().adjusted(-margin, -margin, margin, margin);
}

void CMyRectTracker::Draw(QPainter& painter, const QImage& moveIcon, const QImage& rotateIcon) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QColor frameColour(0x1B, 0x4C, 0x8C);
    painter.setPen(QPen(frameColour, 1.5 * scale_, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(Outline());
    painter.drawLine(toScreen(QPointF(0.0, -frame_.height / 2.0)),
        toScreen(
            QPointF(0.0, -frame_.height / 2.0 - (kRotateIconOffset * scale_) + (kIconSize * scale_) / 2.0)));
    painter.setPen(QPen(frameColour, 1.5 * scale_));
    painter.setBrush(Qt::white);
    for (int i = 0; i < 8; ++i)
        painter.drawEllipse(HandleCentre(i), (kHandleRadius * scale_), (kHandleRadius * scale_));
    const double degrees = frame_.angle * 180.0 / std::numbers::pi;
    for (const auto& [icon, centre] :
        {std::pair {&moveIcon, MoveIconCentre()}, std::pair {&rotateIcon, RotateIconCentre()}}) {
        if (icon->isNull())
            continue;
        painter.save();
        painter.translate(centre);
        painter.rotate(degrees);
        const double side = kIconSize * scale_;
        painter.drawImage(QRectF(-side / 2.0, -side / 2.0, side, side), *icon);
        painter.restore();
    }
    painter.restore();
}

} // namespace DIALOG
