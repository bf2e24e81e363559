#include "instruments/compass.h"

#include "instruments/scale_marks.h"
#include "platform/gdi.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace DIALOG {

namespace {

constexpr COLORREF kLegFill = RGB(239, 239, 239);
constexpr COLORREF kLegOutline = RGB(185, 185, 185);
constexpr COLORREF kHingeColour = RGB(169, 169, 169);
constexpr COLORREF kTipFill = RGB(161, 173, 151);

int trunc(double v)
{
    return int(std::trunc(v));
}

QPoint at(double x, double y)
{
    return QPoint(trunc(x), trunc(y));
}

QRegion polygonRegion(const QPolygon& polygon)
{
    return QRegion(polygon, Qt::WindingFill);
}

// A band of half-width 2.5 pixels along the segment from a to b.
QRegion band(QPoint a, QPoint b)
{
    const double dx = double(b.x()) - a.x();
    const double dy = double(b.y()) - a.y();
    const double len = std::hypot(dx, dy);
    if (len == 0)
        return QRegion(QRect(a.x() - 2, a.y() - 2, 5, 5));
    const QPointF n(-dy / len * 2.5, dx / len * 2.5);
    return QRegion(QPolygonF({QPointF(a) + n, QPointF(b) + n, QPointF(b) - n, QPointF(a) - n}).toPolygon(),
        Qt::WindingFill);
}

void paintPart(QPainter& painter, const QPolygon& polygon, const QRegion& region, COLORREF fill,
    std::optional<COLORREF> outline)
{
    const QColor colour = platform::colorFromRef(fill);
    for (const QRect& r : region)
        painter.fillRect(r, colour);
    if (outline) {
        painter.setPen(platform::gdiPen(*outline, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(polygon);
    }
}

} // namespace

int Compass::Direction(int x0, int y0, int x1, int y1) const
{
    if (x0 == x1 && y0 == y1)
        return 4;
    if (y0 == y1)
        return 5;
    if (x0 == x1)
        return 6;
    if (x1 > x0)
        return y1 < y0 ? 0 : 1;
    return y1 > y0 ? 2 : 3;
}

QPoint Compass::Hinge() const
{
    const QPoint a = ptOrigin;
    const QPoint b = ptHandle;
    const QPoint mid((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
    // Legs pulled wider than they reach lie flat: the hinge comes down to the midpoint, never past it.
    const double phi = std::acos(std::min(Distance(a, b) / (2 * legLength), 1.0));
    return mid - QPoint(0, trunc(legLength * std::sin(phi)));
}

void Compass::layOut()
{
    const QPoint a = ptOrigin;
    const QPoint b = ptHandle;
    const QPoint h = Hinge();
    if (a == b) {
        legSlant = legWidth;
        const int x = a.x();
        const int y = a.y();
        const int top = trunc(y - legLength);
        const int tip = trunc(std::sqrt(tipLength * tipLength - legWidth * legWidth));
        const int side = trunc(legWidth);
        const int half = side + 1;
        needleLeg = QPolygon({a, QPoint(x - side, y - tip), QPoint(x - side, top), QPoint(x, top)});
        pencilLeg = QPolygon({a, QPoint(x + side, y - tip), QPoint(x + side, top), QPoint(x, top)});
        hinge = QPolygon(
            {QPoint(x - 3, top + half + 15), QPoint(x - half, top + half), QPoint(x - half, top - half),
                QPoint(x + half, top - half), QPoint(x + half, top + half), QPoint(x + 3, top + half + 15)});
        grip = QPolygon(
            {QPoint(x - 7, top), QPoint(x - 7, top - 65), QPoint(x + 7, top - 65), QPoint(x + 7, top)});
        pencilTip = QPolygon({a, QPoint(x + side, y - tip), QPoint(x, y - tip)});
    } else {
        const double d = Distance(a, b);
        const double dxAbs = std::fabs(double(b.x()) - a.x());
        const double dyAbs = std::fabs(double(b.y()) - a.y());
        const double f = dxAbs / d;
        legSlant = f * legWidth;
        const double beta = std::asin(std::min(legSlant / tipLength, 1.0));
        struct Leg {
            QPolygon polygon;
            QPoint corner;
            QPointF along;
        };
        // A leg from its foot to the hinge, its breadth on the side away from the other foot.
        const auto leg = [&](QPoint foot, QPoint other) {
            QPointF u = QPointF(h - foot);
            const double len = std::hypot(u.x(), u.y());
            u = len > 0 ? u / len : QPointF(0, -1);
            QPointF n(u.y(), -u.x());
            const double away = n.x() * (other.x() - foot.x()) + n.y() * (other.y() - foot.y());
            if (away > 1e-9 || (std::fabs(away) <= 1e-9 && n.y() > 0))
                n = -n;
            const QPointF c = QPointF(foot) + tipLength * (std::cos(beta) * u + std::sin(beta) * n);
            const QPointF top = QPointF(h) + legSlant * n;
            const QPoint corner = at(c.x(), c.y());
            return Leg {QPolygon({foot, corner, at(top.x(), top.y()), h}), corner, u};
        };
        const Leg needle = leg(a, b);
        const Leg pencil = leg(b, a);
        needleLeg = needle.polygon;
        pencilLeg = pencil.polygon;
        const QPointF sharpened = QPointF(b) + tipLength * std::cos(beta) * pencil.along;
        pencilTip = QPolygon({b, pencil.corner, at(sharpened.x(), sharpened.y())});

        const int direction = Direction(a.x(), a.y(), b.x(), b.y());
        const bool fallsRight = direction == 1 || direction == 3;
        // The hinge and the grip are sheared along the line from needle to pencil.
        double t = 21.0 * dyAbs / d;
        if (fallsRight)
            t = -t;
        const double hx = h.x();
        const double hy = h.y();
        hinge = QPolygon({at(hx - 3 * f, hy + 36), at(hx - 21 * f, hy + 21 + t), at(hx - 21 * f, hy - 21 + t),
            at(hx + 21 * f, hy - 21 - t), at(hx + 21 * f, hy + 21 - t), at(hx + 3 * f, hy + 36)});
        const int g = trunc(7 * f);
        const double slant = b.x() == a.x() ? 0.0 : g * dyAbs / dxAbs;
        const double leftTop = fallsRight ? hy - 65 - slant : hy - 65;
        const double rightTop = fallsRight ? hy - 65 : hy - 65 - slant;
        grip = QPolygon(
            {QPoint(h.x() - g, h.y()), at(hx - g, leftTop), at(hx + g, rightTop), QPoint(h.x() + g, h.y())});
    }
    needleLegRgn = polygonRegion(needleLeg);
    pencilLegRgn = polygonRegion(pencilLeg);
    hingeRgn = polygonRegion(hinge);
    gripRgn = polygonRegion(grip);
    tipRgn = polygonRegion(pencilTip);
    legBands_ = band(a, h) + band(b, h);
    // The grip is where a hand takes a compass: a press on it moves the compass rather than drawing.
    bodyRgn = *hingeRgn + *gripRgn + *needleLegRgn + ((*pencilLegRgn + legBands_) - *tipRgn);

    const QPoint mid((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
    const QRect reach(QPoint(std::min(a.x(), b.x()) - 50, std::max(a.y(), b.y()) - 600),
        QPoint(std::max(a.x(), b.x()) + 50 - 1, std::max(a.y(), b.y()) + 50 - 1));
    dirtyRgn = QRegion(reach) + QRegion(QRect(mid, labelSize_)) + QRegion(handleBox());
}

void Compass::UpdateRegions()
{
    layOut();
}

void Compass::Draw(QPainter& painter, const QImage&)
{
    layOut();
    painter.save();
    platform::beginGdi(painter);
    paintPart(painter, needleLeg, *needleLegRgn, kLegFill, kLegOutline);
    paintPart(painter, pencilLeg, *pencilLegRgn, kLegFill, kLegOutline);
    if (ptOrigin != ptHandle)
        paintPart(painter, pencilTip, *tipRgn, kTipFill, std::nullopt);
    paintPart(painter, hinge, *hingeRgn, kHingeColour, kHingeColour);
    paintPart(painter, grip, *gripRgn, kHingeColour, kHingeColour);
    if (ptOrigin == ptHandle)
        paintPart(painter, pencilTip, *tipRgn, kTipFill, std::nullopt);
    painter.restore();

    const QPoint a = ptOrigin;
    const QPoint b = ptHandle;
    const QPoint mid((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
    const QString label = Label();
    painter.save();
    platform::beginGdi(painter);
    TextOut(painter, mid, label);
    labelSize_ = QSize(painter.fontMetrics().horizontalAdvance(label), painter.fontMetrics().height());
    painter.setPen(platform::gdiDotPen());
    painter.drawLine(a, b);
    painter.restore();
    dirtyRgn += QRegion(QRect(mid, labelSize_));
}

QString Compass::Label() const
{
    return QString::asprintf("r = %.1f", Distance(ptOrigin, ptHandle) / 50.0).left(7);
}

BOOL Compass::OnPencilLeg(int x, int y) const
{
    if (!pencilLegRgn || !tipRgn)
        return 0;
    const QPoint p(x, y);
    return pencilLegRgn->contains(p) && !tipRgn->contains(p);
}

BOOL Compass::HitBody(int x, int y) const
{
    return bodyRgn && bodyRgn->contains(QPoint(x, y));
}

QRect Compass::handleBox() const
{
    if (!tipRgn)
        return QRect();
    // The tip of a compass seen edge-on has no area; its corner points still say where it is.
    const QRect box = tipRgn->boundingRect() | pencilTip.boundingRect();
    return box.adjusted(-10, 0, 10, 0);
}

BOOL Compass::HitHandle(int x, int y) const
{
    return handleBox().contains(QPoint(x, y));
}

BOOL Compass::CanReach(int x, int y) const
{
    return Distance(ptOrigin, QPoint(x, y)) <= 2 * legLength - 10;
}

QRegion Compass::hitRegion() const
{
    if (!bodyRgn)
        return QRegion();
    return *bodyRgn + QRegion(handleBox());
}

BOOL Compass::HitRect(int left, int top, int right, int bottom) const
{
    if (right < left || bottom < top)
        return 0;
    return hitRegion().intersects(QRect(QPoint(left, top), QPoint(right, bottom)));
}

QPoint Compass::PencilPoint(int x, int y) const
{
    const QPoint o = ptOrigin;
    const int r = radius;
    if (x == o.x())
        return QPoint(x, y >= o.y() ? o.y() + r : o.y() - r);
    if (y == o.y())
        return QPoint(x >= o.x() ? o.x() + r : o.x() - r, y);
    const double d = Distance(o, QPoint(x, y));
    const int px = trunc(o.x() + r * (double(x) - o.x()) / d);
    const double dx = double(px) - o.x();
    const int py = trunc(std::sqrt(std::max(0.0, double(r) * r - dx * dx)));
    return QPoint(px, y > o.y() ? o.y() + py : o.y() - py);
}

std::optional<QPoint> Compass::DrawTowards(QPoint p)
{
    if (radius <= 0)
        return std::nullopt;
    const QPoint q = PencilPoint(p.x(), p.y());
    ptHandle = q;
    arcPoints.push_back(q);
    return q;
}

void Compass::FileArc()
{
    // Only what was drawn is filed: a move of an idle compass leaves no empty record behind.
    if (arcPoints.empty())
        return;
    arcs.push_back({std::move(arcPoints), double(radius), ptOrigin, arcTags});
    arcPoints.clear();
}

} // namespace DIALOG
