#pragma once
// What the ruler, the set squares and the protractor share: a scale of ticks and numbers that take the
// inverse colour of the page where they end, so that they stay readable on any background, and the
// regions and discs they are built from.
#include <QColor>
#include <QPoint>
#include <QPointF>
#include <QRegion>

#include <span>
#include <vector>

class QImage;
class QPainter;

namespace DIALOG {

// The inverse of the page pixel at p (each of red, green and blue turned to 255 − value). Outside the page
// there is no pixel to read: the mark is black there, as over white.
QColor InverseOfPixelAt(const QImage& page, QPoint p);

// One tick, drawn from `from` towards `to` in the inverse colour of the page at `to`.
struct ScaleTick {
    QPoint from;
    QPoint to;
};

// One number of a scale: `value` written with its text cell's top-left corner at `origin`, in the inverse
// colour of the page at `anchor`.
struct ScaleNumber {
    QPoint anchor;
    QPoint origin;
    int value = 0;
};

struct ScaleMarks {
    std::vector<ScaleTick> ticks;
    std::vector<ScaleNumber> numbers;
};

// Draws the ticks and numbers, aliased, in the painter's font; the painter's state is kept.
void PaintScaleMarks(QPainter& painter, const QImage& page, const ScaleMarks& marks);

// Text with its cell's top-left corner at topLeft, in the painter's pen colour and font.
void TextOut(QPainter& painter, QPoint topLeft, const QString& text);

// A straight edge from a to b: the signs of the vector, its absolute components and its length, and the
// offset of a tick of a given length, the edge direction turned by +90° on the screen (below an edge laid
// from left to right). The edge must have a length.
struct Edge {
    Edge(QPoint a, QPoint b);
    int sx = 0;
    int sy = 0;
    double ax = 0;
    double ay = 0;
    double length = 0;
    QPointF along(double distance) const;
    QPointF tick(double len) const;
};

QPoint Truncated(QPointF p);

// GDI's elliptic region and Ellipse for the box (left, top, right, bottom), right and bottom excluded.
QRegion EllipticRegion(int left, int top, int right, int bottom);
void PaintDisc(QPainter& painter, QPoint centre, int radius);
// The union of copies of r shifted by each offset.
QRegion Widened(const QRegion& r, std::span<const QPoint> shifts);
// The widening of the ruler and the protractor: 10 pixels in all eight directions.
QRegion WidenedByTen(const QRegion& r);

} // namespace DIALOG
