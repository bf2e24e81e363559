#include "instruments/scale_marks.h"

#include "platform/gdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace DIALOG {

QColor InverseOfPixelAt(const QImage& page, QPoint p)
{
    if (!page.valid(p))
        return QColor(0, 0, 0);
    const QRgb c = page.pixel(p);
    return QColor(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
}

void TextOut(QPainter& painter, QPoint topLeft, const QString& text)
{
    painter.drawText(topLeft.x(), topLeft.y() + painter.fontMetrics().ascent(), text);
}

void PaintScaleMarks(QPainter& painter, const QImage& page, const ScaleMarks& marks)
{
    painter.save();
    platform::beginGdi(painter);
    // A number is one colour, as GDI writes it, so that it reads as well as the ticks on any background.
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    QFont font = painter.font();
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    // One pixel of the page as the painter scales it: a scaled desktop draws the ticks as thick as at
    // scale 1.
    const QTransform& t = painter.transform();
    QPen pen(QColor(0, 0, 0), std::max(1.0, t.m11()), Qt::SolidLine, Qt::FlatCap);
    pen.setCosmetic(true);
    for (const ScaleTick& tick : marks.ticks) {
        pen.setColor(InverseOfPixelAt(page, t.map(tick.to)));
        painter.setPen(pen);
        // A flat-capped one-pixel line leaves its end pixel out, as GDI's LineTo does.
        painter.drawLine(tick.from, tick.to);
    }
    for (const ScaleNumber& number : marks.numbers) {
        pen.setColor(InverseOfPixelAt(page, t.map(number.anchor)));
        painter.setPen(pen);
        TextOut(painter, number.origin, QString::number(number.value));
    }
    painter.restore();
}

Edge::Edge(QPoint a, QPoint b)
{
    const double dx = double(b.x()) - double(a.x());
    const double dy = double(b.y()) - double(a.y());
    sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    ax = std::fabs(dx);
    ay = std::fabs(dy);
    length = std::sqrt(ax * ax + ay * ay);
}

QPointF Edge::along(double distance) const
{
    return QPointF(distance * sx * ax / length, distance * sy * ay / length);
}

QPointF Edge::tick(double len) const
{
    return QPointF(-sy * len * ay / length, sx * len * ax / length);
}

QPoint Truncated(QPointF p)
{
    return QPoint(int(std::trunc(p.x())), int(std::trunc(p.y())));
}

QRegion EllipticRegion(int left, int top, int right, int bottom)
{
    return QRegion(QRect(left, top, right - left, bottom - top), QRegion::Ellipse);
}

void PaintDisc(QPainter& painter, QPoint centre, int radius)
{
    painter.save();
    platform::beginGdi(painter);
    painter.drawEllipse(QRect(centre.x() - radius, centre.y() - radius, 2 * radius - 1, 2 * radius - 1));
    painter.restore();
}

QRegion Widened(const QRegion& r, std::span<const QPoint> shifts)
{
    QRegion out;
    for (const QPoint& shift : shifts)
        out += r.translated(shift);
    return out;
}

QRegion WidenedByTen(const QRegion& r)
{
    static constexpr QPoint shifts[]
        = {{-10, 0}, {-10, -10}, {0, -10}, {-10, 10}, {10, 0}, {10, -10}, {0, 10}, {10, 10}};
    return Widened(r, shifts);
}

} // namespace DIALOG
