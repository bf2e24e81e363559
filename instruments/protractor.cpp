#include "instruments/protractor.h"

#include "platform/gdi.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>
#include <numbers>

namespace DIALOG {

namespace {

constexpr double kPi = std::numbers::pi;

} // namespace

Protractor::Circle Protractor::circle() const
{
    const QPoint a = ptOrigin;
    const QPoint b = ptHandle;
    Circle c;
    c.r = Distance(a, b) / 2;
    const QPoint centre((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
    const QPoint topLeft = Truncated(QPointF(centre.x() - c.r, centre.y() - c.r));
    const QPoint bottomRight = Truncated(QPointF(centre.x() + c.r, centre.y() + c.r));
    c.box = QRect(topLeft, bottomRight - QPoint(1, 1));
    return c;
}

double Protractor::startAngle() const
{
    const QPoint a = ptOrigin;
    const QPoint b = ptHandle;
    double theta = std::acos((double(b.x()) - a.x()) / Distance(a, b));
    const int direction = Direction(a.x(), a.y(), b.x(), b.y());
    if (direction == 2 || direction == 3 || (direction == 6 && b.y() > a.y()))
        theta = 2 * kPi - theta;
    return theta;
}

std::optional<ScaleMarks> Protractor::Scale() const
{
    if (ptOrigin == ptHandle)
        return std::nullopt;
    const double r = Distance(ptOrigin, ptHandle) / 2;
    const QPointF centre((ptOrigin.x() + ptHandle.x()) / 2, (ptOrigin.y() + ptHandle.y()) / 2);
    const double theta0 = startAngle();
    const auto onRadius = [&](double radius, double theta) {
        return Truncated(centre + QPointF(radius * std::cos(theta), -radius * std::sin(theta)));
    };
    ScaleMarks marks;
    for (int k = 0; k <= 180; ++k) {
        const double theta = theta0 + k * kPi / 180;
        double len = 8;
        if (k % 5 == 0)
            len = 15;
        if (k % 10 == 0)
            len = 20;
        marks.ticks.push_back({onRadius(r, theta), onRadius(r - len, theta)});
    }
    for (int k = 10; k <= 170; k += 10) {
        const double theta = theta0 + k * kPi / 180;
        const QPoint anchor = onRadius(r - 20, theta);
        const double q = theta > 2 * kPi ? theta - 2 * kPi : theta;
        // The anchor's direction in tens of degrees shifts the number so that it sits inside the rim.
        const int w = int(std::trunc(q * 18 / kPi));
        const QPoint c = Truncated(centre);
        QPoint offset;
        switch (Direction(c.x(), c.y(), anchor.x(), anchor.y())) {
        case 0:
            offset = QPoint(w - 9, 0);
            break;
        case 1:
            offset = QPoint(9 - w, 0);
            break;
        case 2:
            offset = QPoint((w - 18) / 2, 18 - w);
            break;
        case 3:
            offset = QPoint(2 * (27 - w), 2 * w - 72);
            break;
        case 5:
            offset = anchor.x() > ptOrigin.x() ? QPoint(-8, 0) : QPoint(0, 0);
            break;
        case 6:
            offset = anchor.y() > ptOrigin.y() ? QPoint(0, -9) : QPoint(0, 0);
            break;
        default:
            break;
        }
        marks.numbers.push_back({anchor, anchor + offset, k});
    }
    return marks;
}

void Protractor::UpdateRegions()
{
    if (ptOrigin == ptHandle)
        return;
    const QPoint a = ptOrigin;
    const QPoint b = ptHandle;
    ptCentre = QPoint((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
    const Circle c = circle();
    // The half-disc is what the circle keeps once the half on the tick side of the diameter is cut away.
    const QPointF t = Edge(a, b).tick(c.r);
    const QPolygon cut({a, b, Truncated(QPointF(b) + t), Truncated(QPointF(a) + t)});
    const QRect& box = c.box;
    bodyRgn = EllipticRegion(box.left(), box.top(), box.right() + 1, box.bottom() + 1)
        - QRegion(cut, Qt::WindingFill);
    const QRegion handle = EllipticRegion(b.x() - 15, b.y() - 15, b.x() + 15, b.y() + 15);
    const QRegion dot
        = EllipticRegion(ptCentre.x() - 5, ptCentre.y() - 5, ptCentre.x() + 5, ptCentre.y() + 5);
    dirtyRgn = WidenedByTen(*bodyRgn + handle + dot);
}

void Protractor::Draw(QPainter& painter, const QImage& page)
{
    const auto marks = Scale();
    if (!marks)
        return;
    UpdateRegions();
    PaintScaleMarks(painter, page, *marks);
    const QRect& box = circle().box;
    painter.save();
    platform::beginGdi(painter);
    painter.setPen(platform::gdiPen(RGB(255, 0, 0), 1));
    platform::gdiArc(painter, box.left(), box.top(), box.right() + 1, box.bottom() + 1, ptHandle, ptOrigin);
    painter.drawLine(ptOrigin, ptHandle);
    painter.restore();
    PaintDisc(painter, ptCentre, 5);
    PaintDisc(painter, ptHandle, 15);
}

BOOL Protractor::HitBody(int x, int y) const
{
    return bodyRgn && bodyRgn->contains(QPoint(x, y));
}

BOOL Protractor::CanReach(int x, int y) const
{
    const double d = Distance(ptOrigin, QPoint(x, y));
    return d <= double(screenWidth()) && d >= kMinimumSpan;
}

BOOL Protractor::HitRect(int left, int top, int right, int bottom) const
{
    return BodyRegionMeets(left, top, right, bottom);
}

QPoint Protractor::TurnPoint(int x, int y) const
{
    const QPoint o = ptOrigin;
    if (x == o.x())
        return QPoint(o.x(), int(std::trunc(y >= o.y() ? o.y() + span : o.y() - span)));
    if (y == o.y())
        return QPoint(int(std::trunc(x >= o.x() ? o.x() + span : o.x() - span)), o.y());
    const double d = Distance(o, QPoint(x, y));
    return Truncated(QPointF(o) + QPointF(double(x) - o.x(), double(y) - o.y()) * (span / d));
}

void Protractor::PlaceAt(QPoint p)
{
    ptOrigin = QPoint(p.x() - 250, p.y());
    ptHandle = QPoint(p.x() + 250, p.y());
    span = Distance(ptOrigin, ptHandle);
    visible = 1;
    UpdateRegions();
}

} // namespace DIALOG
