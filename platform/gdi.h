#pragma once
// How the system's GDI and GDI+ drawing calls are carried out on a QPainter. GDI draws aliased with
// round-capped, round-joined pens; GDI+ draws antialiased in its high-quality mode.
#include "platform/platform_export.h"
#include "platform/win_types.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

// Binary raster operations (SetROP2), with their Windows numbers.
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// An opaque colour from a colour reference (0x00BBGGRR); the top byte is ignored.
QMPLATFORM_EXPORT QColor colorFromRef(COLORREF colour);
QMPLATFORM_EXPORT COLORREF refFromColor(const QColor& colour);
// The 0xAARRGGBB value of an opaque colour reference, as GDI+ colours are built.
QMPLATFORM_EXPORT std::uint32_t argbFromRef(COLORREF colour);

// A GDI pen: a width of 0 or 1 is one pixel; round caps and joins.
QMPLATFORM_EXPORT QPen gdiPen(COLORREF colour, int width, Qt::PenStyle style = Qt::SolidLine);
// The black one-pixel dotted pen (PS_DOT) that marks hidden edges.
QMPLATFORM_EXPORT QPen gdiDotPen();
// A GDI+ pen at full opacity: flat caps and mitred joins, GDI+'s defaults.
QMPLATFORM_EXPORT QPen gdiplusPen(COLORREF colour, double width);

// Puts the painter into GDI mode (no antialiasing) or GDI+ mode (antialiased, smooth pictures).
QMPLATFORM_EXPORT void beginGdi(QPainter& painter);
QMPLATFORM_EXPORT void beginGdiplus(QPainter& painter);

// SetROP2 on a painter; an unknown operation paints normally. Raster operations take effect on
// aliased drawing into Format_RGB32 images.
QMPLATFORM_EXPORT QPainter::CompositionMode compositionForRop2(int rop2);
QMPLATFORM_EXPORT void setRop2(QPainter& painter, int rop2);

// Walks the line from (x1, y1) towards (x2, y2) as LineDDA does: every point of the line except
// the end point, in order. When clip is given, only the points inside it are visited, and the walk
// skips the parts outside without stepping through them.
QMPLATFORM_EXPORT void lineDda(
    int x1, int y1, int x2, int y2, const std::function<void(int, int)>& visit, const QRect* clip = nullptr);

// GDI Arc in the box (left, top, right, bottom): the part of the inscribed ellipse that runs
// counter-clockwise, as seen on the screen, from the ray through start to the ray through end;
// equal rays give the whole ellipse. An empty box draws nothing.
QMPLATFORM_EXPORT void gdiArc(
    QPainter& painter, int left, int top, int right, int bottom, QPoint start, QPoint end);
// The outline of that arc, for callers that stroke it with a pen of their own.
QMPLATFORM_EXPORT QPainterPath gdiArcPath(int left, int top, int right, int bottom, QPoint start, QPoint end);

// GDI Polyline and LineTo with a solid pen of the given width and raster operation; the painter's state is
// kept. Wide pens into a 32-bit image painted without transform, clip or opacity are drawn straight into
// its scanlines (wide_line.h), many times faster than QPainter strokes them; anything else is painted.
QMPLATFORM_EXPORT void gdiPolyline(
    QPainter& painter, const QPolygon& points, COLORREF colour, int width, int rop2 = R2_COPYPEN);
QMPLATFORM_EXPORT void gdiLine(
    QPainter& painter, QPoint from, QPoint to, COLORREF colour, int width, int rop2 = R2_COPYPEN);

// BitBlt of the square (x − half, y − half)–(x + half, y + half) around each centre from source onto the
// painter at the same place, clipped to source. The squares are merged first when that is cheaper, so the
// cost grows with their count plus the area they cover, never with the two multiplied: ten thousand squares
// of 4096 pixels a side cost about what one full-page copy does.
QMPLATFORM_EXPORT void copySquares(
    QPainter& painter, const QImage& source, const QPoint* centres, std::size_t count, int half);

// GDI Polygon: fills with the painter's brush by the given rule and outlines with its pen, aliased.
QMPLATFORM_EXPORT void gdiPolygon(
    QPainter& painter, const QPolygon& polygon, Qt::FillRule rule = Qt::OddEvenFill);

} // namespace platform
