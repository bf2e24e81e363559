#include "surface/text_tracker.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace DIALOG {

bool IsTextBoxTooSmall(const QRect& box, double scale)
{
    const double limit = 32 * scale;
    return box.width() < limit && box.height() <= limit;
}

void TextTracker::MoveOffScreen()
{
    rect_ = QRect(kOffScreen, kOffScreen, 0, 0);
    mode_ = Mode::Idle;
}

QRect TextTracker::handleRect(const QRect& box, Hit hit) const
{
    const int border = frame();
    const int side = handle();
    const QRect outer = box.adjusted(-border, -border, border, border);
    const int midX = outer.left() + outer.width() / 2 - side / 2;
    const int midY = outer.top() + outer.height() / 2 - side / 2;
    const int right = outer.right() - side + 1;
    const int bottom = outer.bottom() - side + 1;
    switch (hit) {
    case HitTopLeft:
        return QRect(outer.left(), outer.top(), side, side);
    case HitTopRight:
        return QRect(right, outer.top(), side, side);
    case HitBottomRight:
        return QRect(right, bottom, side, side);
    case HitBottomLeft:
        return QRect(outer.left(), bottom, side, side);
    case HitTop:
        return QRect(midX, outer.top(), side, side);
    case HitRight:
        return QRect(right, midY, side, side);
    case HitBottom:
        return QRect(midX, bottom, side, side);
    case HitLeft:
        return QRect(outer.left(), midY, side, side);
    default:
        return QRect();
    }
}

TextTracker::Hit TextTracker::HitTest(QPoint point) const
{
    if (IsOffScreen())
        return HitNothing;
    for (int h = HitTopLeft; h <= HitLeft; ++h) {
        if (handleRect(rect_, Hit(h)).contains(point))
            return Hit(h);
    }
    return FrameBounds(rect_).contains(point) ? HitMiddle : HitNothing;
}

void TextTracker::BeginRubberBand(QPoint point)
{
    mode_ = Mode::RubberBand;
    tracked_ = QRect(point, QSize(0, 0));
    grab_ = point;
}

void TextTracker::BeginTrack(QPoint point, Hit hit)
{
    mode_ = Mode::Track;
    hit_ = hit;
    grab_ = point;
    trackStart_ = rect_;
    tracked_ = rect_;
}

void TextTracker::TrackTo(QPoint point)
{
    if (mode_ == Mode::RubberBand) {
        // Both corners are inclusive in QRect; a band from a point to itself is empty.
        tracked_ = QRect(grab_, QSize(point.x() - grab_.x(), point.y() - grab_.y()));
        return;
    }
    if (mode_ != Mode::Track)
        return;
    const QPoint d = point - grab_;
    int l = trackStart_.left(), t = trackStart_.top();
    int r = l + trackStart_.width(), b = t + trackStart_.height();
    switch (hit_) {
    case HitMiddle:
        l += d.x(), r += d.x(), t += d.y(), b += d.y();
        break;
    case HitTopLeft:
        l += d.x(), t += d.y();
        break;
    case HitTopRight:
        r += d.x(), t += d.y();
        break;
    case HitBottomRight:
        r += d.x(), b += d.y();
        break;
    case HitBottomLeft:
        l += d.x(), b += d.y();
        break;
    case HitTop:
        t += d.y();
        break;
    case HitRight:
        r += d.x();
        break;
    case HitBottom:
        b += d.y();
        break;
    case HitLeft:
        l += d.x();
        break;
    case HitNothing:
        break;
    }
    tracked_ = QRect(l, t, r - l, b - t);
}

QRect TextTracker::End()
{
    if (mode_ != Mode::Idle)
        rect_ = tracked_.normalized();
    mode_ = Mode::Idle;
    return rect_;
}

QRect TextTracker::FrameBounds(const QRect& box) const
{
    const int border = frame();
    return box.normalized().adjusted(-border - 1, -border - 1, border + 1, border + 1);
}

void TextTracker::DrawRubberBand(QPainter& painter, const QRect& box) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    QPen pen(QColor(0, 0, 0), std::max(1, int(std::lround(scale_))), Qt::DotLine);
    painter.setPen(pen);
    const QRect r = box.normalized();
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.restore();
}

void TextTracker::DrawFrame(QPainter& painter, const QRect& box) const
{
    const int border = frame();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A hatched border like the rectangle tracker's, so the box stands out on any page.
    const QRect outer = box.adjusted(-border, -border, border, border);
    QBrush hatch(QColor(0, 0, 0), Qt::BDiagPattern);
    painter.setPen(Qt::NoPen);
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), border), hatch);
    painter.fillRect(QRect(outer.left(), box.bottom() + 1, outer.width(), border), hatch);
    painter.fillRect(QRect(outer.left(), box.top(), border, box.height()), hatch);
    painter.fillRect(QRect(box.right() + 1, box.top(), border, box.height()), hatch);
    for (int h = HitTopLeft; h <= HitLeft; ++h)
        painter.fillRect(handleRect(box, Hit(h)), QColor(0, 0, 0));
    painter.restore();
}

Qt::CursorShape TextTracker::CursorFor(Hit hit)
{
    switch (hit) {
    case HitTopLeft:
    case HitBottomRight:
        return Qt::SizeFDiagCursor;
    case HitTopRight:
    case HitBottomLeft:
        return Qt::SizeBDiagCursor;
    case HitTop:
    case HitBottom:
        return Qt::SizeVerCursor;
    case HitLeft:
    case HitRight:
        return Qt::SizeHorCursor;
    case HitMiddle:
        return Qt::SizeAllCursor;
    case HitNothing:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace DIALOG
