#include "platform/gdi.h"

#include "platform/wide_line.h"

#include <QPaintEngine>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace platform {

QColor colorFromRef(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

COLORREF refFromColor(const QColor& colour)
{
    return RGB(colour.red(), colour.green(), colour.blue());
}

std::uint32_t argbFromRef(COLORREF colour)
{
    return 0xFF000000u | (std::uint32_t(GetRValue(colour)) << 16) | (std::uint32_t(GetGValue(colour)) << 8)
        | std::uint32_t(GetBValue(colour));
}

QPen gdiPen(COLORREF colour, int width, Qt::PenStyle style)
{
    QPen pen(colorFromRef(colour));
    pen.setWidth(std::max(width, 1));
    pen.setStyle(style);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPen gdiDotPen()
{
    // A cosmetic pen keeps the dots one pixel apart under any transform, as PS_DOT does.
    QPen pen(QColor(0, 0, 0));
    pen.setWidth(0);
    pen.setStyle(Qt::DotLine);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QPen gdiplusPen(COLORREF colour, double width)
{
    QPen pen(colorFromRef(colour));
    pen.setWidthF(std::max(width, 0.0));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void beginGdi(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void beginGdiplus(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QPainter::CompositionMode compositionForRop2(int rop2)
{
    switch (rop2) {
    case R2_BLACK:
        return QPainter::RasterOp_ClearDestination;
    case R2_NOTMERGEPEN:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_MASKNOTPEN:
        return QPainter::RasterOp_NotSourceAndDestination;
    case R2_NOTCOPYPEN:
        return QPainter::RasterOp_NotSource;
    case R2_MASKPENNOT:
        return QPainter::RasterOp_SourceAndNotDestination;
    case R2_NOT:
        return QPainter::RasterOp_NotDestination;
    case R2_XORPEN:
        return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTMASKPEN:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_MASKPEN:
        return QPainter::RasterOp_SourceAndDestination;
    case R2_NOTXORPEN:
        return QPainter::RasterOp_NotSourceXorDestination;
    case R2_NOP:
        return QPainter::CompositionMode_Destination;
    case R2_MERGENOTPEN:
        return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MERGEPENNOT:
        return QPainter::RasterOp_SourceOrNotDestination;
    case R2_MERGEPEN:
        return QPainter::RasterOp_SourceOrDestination;
    case R2_WHITE:
        return QPainter::RasterOp_SetDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

void setRop2(QPainter& painter, int rop2)
{
    painter.setCompositionMode(compositionForRop2(rop2));
}

namespace {

// Coordinates span 32 bits, so the products of the closed form need 128.
using Wide = __int128;

std::int64_t ceilDiv(Wide n, Wide d)
{
    return std::int64_t(n >= 0 ? (n + d - 1) / d : -((-n) / d));
}

// The first k in [lo, hi] for which pred holds, pred being false then true; hi + 1 when none.
template<typename Pred>
std::int64_t firstTrue(std::int64_t lo, std::int64_t hi, Pred pred)
{
    std::int64_t end = hi + 1;
    while (lo < end) {
        const std::int64_t mid = lo + (end - lo) / 2;
        if (pred(mid))
            end = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

} // namespace

void lineDda(int x1, int y1, int x2, int y2, const std::function<void(int, int)>& visit, const QRect* clip)
{
    // Bresenham's walk has a closed form: after k steps along the major axis the minor axis has
    // moved ceil((2·minor·k − major) / (2·major)) times. That lets a clipped walk start anywhere.
    std::int64_t dx = std::int64_t(x2) - x1;
    std::int64_t dy = std::int64_t(y2) - y1;
    const int xadd = dx < 0 ? -1 : 1;
    const int yadd = dy < 0 ? -1 : 1;
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    const bool xMajor = dx > dy;
    const std::int64_t major = xMajor ? dx : dy;
    const std::int64_t minor = xMajor ? dy : dx;
    if (major == 0)
        return;
    const std::int64_t majorStart = xMajor ? x1 : y1;
    const std::int64_t minorStart = xMajor ? y1 : x1;
    const int majorAdd = xMajor ? xadd : yadd;
    const int minorAdd = xMajor ? yadd : xadd;
    auto minorAt = [&](std::int64_t k) {
        return minorStart + minorAdd * ceilDiv(Wide(2) * minor * k - major, Wide(2) * major);
    };

    std::int64_t kLo = 0;
    std::int64_t kHi = major - 1;
    if (clip) {
        if (clip->isEmpty())
            return;
        const std::int64_t majorMin = xMajor ? clip->left() : clip->top();
        const std::int64_t majorMax = xMajor ? clip->right() : clip->bottom();
        const std::int64_t minorMin = xMajor ? clip->top() : clip->left();
        const std::int64_t minorMax = xMajor ? clip->bottom() : clip->right();
        // Along the major axis the walk moves one pixel per step.
        std::int64_t a = (majorMin - majorStart) * majorAdd;
        std::int64_t b = (majorMax - majorStart) * majorAdd;
        if (a > b)
            std::swap(a, b);
        kLo = std::max(kLo, a);
        kHi = std::min(kHi, b);
        if (kLo > kHi)
            return;
        // Along the minor axis it moves monotonically, so the steps inside form one run.
        if (minorAdd > 0) {
            kLo = firstTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) >= minorMin; });
            kHi = firstTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) > minorMax; }) - 1;
        } else {
            kLo = firstTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) <= minorMax; });
            kHi = firstTrue(kLo, kHi, [&](std::int64_t k) { return minorAt(k) < minorMin; }) - 1;
        }
    }
    for (std::int64_t k = kLo; k <= kHi; ++k) {
        const std::int64_t m = majorStart + majorAdd * k;
        const std::int64_t n = minorAt(k);
        if (xMajor)
            visit(int(m), int(n));
        else
            visit(int(n), int(m));
    }
}

QPainterPath gdiArcPath(int left, int top, int right, int bottom, QPoint start, QPoint end)
{
    QPainterPath path;
    const QRectF box(QPointF(left, top), QPointF(right, bottom));
    const QRectF norm = box.normalized();
    const double a = norm.width() / 2;
    const double b = norm.height() / 2;
    if (a <= 0 || b <= 0)
        return path;
    const QPointF c = norm.center();
    // Qt's arc angles are parametric; the parameter of the point where a ray from the centre meets
    // the ellipse follows from the ray's direction scaled to the unit circle.
    auto parameter = [&](QPoint p) {
        const double deg = std::atan2(-(p.y() - c.y()) / b, (p.x() - c.x()) / a) * 180.0 / std::numbers::pi;
        return deg < 0 ? deg + 360.0 : deg;
    };
    const double from = parameter(start);
    double span = parameter(end) - from;
    if (span <= 1e-9)
        span += 360.0;
    path.arcMoveTo(norm, from);
    path.arcTo(norm, from, span);
    return path;
}

void gdiArc(QPainter& painter, int left, int top, int right, int bottom, QPoint start, QPoint end)
{
    const QPainterPath path = gdiArcPath(left, top, right, bottom, start, end);
    if (path.isEmpty())
        return;
    painter.save();
    beginGdi(painter);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

namespace {

// The image behind the painter when drawing into it directly gives what the painter would.
QImage* directTarget(QPainter& painter, int width, int rop2)
{
    if (width < 2 || !painter.isActive() || !painter.device()
        || painter.device()->devType() != QInternal::Image)
        return nullptr;
    if (!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster)
        return nullptr;
    if (painter.hasClipping() || painter.opacity() != 1.0 || !painter.combinedTransform().isIdentity())
        return nullptr;
    auto* image = static_cast<QImage*>(painter.device());
    // A shared image would detach on the first write, away from the buffer the painter draws into.
    if (!image->isDetached() || image->devicePixelRatio() != 1.0 || !wideLineSupports(image->format(), rop2))
        return nullptr;
    return image;
}

} // namespace

void gdiPolyline(QPainter& painter, const QPolygon& points, COLORREF colour, int width, int rop2)
{
    if (points.size() >= 2) {
        if (QImage* image = directTarget(painter, width, rop2)) {
            drawWidePolyline(*image, points.constData(), std::size_t(points.size()), width, colour, rop2);
            return;
        }
    }
    painter.save();
    beginGdi(painter);
    painter.setPen(gdiPen(colour, width));
    painter.setBrush(Qt::NoBrush);
    setRop2(painter, rop2);
    painter.drawPolyline(points);
    painter.restore();
}

void gdiLine(QPainter& painter, QPoint from, QPoint to, COLORREF colour, int width, int rop2)
{
    if (QImage* image = directTarget(painter, width, rop2)) {
        const QPoint ends[] = {from, to};
        drawWidePolyline(*image, ends, 2, width, colour, rop2);
        return;
    }
    painter.save();
    beginGdi(painter);
    painter.setPen(gdiPen(colour, width));
    setRop2(painter, rop2);
    painter.drawLine(from, to);
    painter.restore();
}

namespace {

// A square clipped to bounds, in 64-bit arithmetic so that no centre or size can overflow.
bool clippedSquare(QPoint c, int half, const QRect& bounds, QRect* out)
{
    const std::int64_t left = std::max<std::int64_t>(std::int64_t(c.x()) - half, bounds.left());
    const std::int64_t top = std::max<std::int64_t>(std::int64_t(c.y()) - half, bounds.top());
    const std::int64_t right
        = std::min<std::int64_t>(std::int64_t(c.x()) + half, std::int64_t(bounds.right()) + 1);
    const std::int64_t bottom
        = std::min<std::int64_t>(std::int64_t(c.y()) + half, std::int64_t(bounds.bottom()) + 1);
    if (left >= right || top >= bottom)
        return false;
    *out = QRect(int(left), int(top), int(right - left), int(bottom - top));
    return true;
}

// The image behind a painter that copies pixels straight into it would give what the painter gives.
QImage* directCopyTarget(QPainter& painter, const QImage& source)
{
    if (!painter.isActive() || !painter.device() || painter.device()->devType() != QInternal::Image)
        return nullptr;
    if (!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster)
        return nullptr;
    if (painter.hasClipping() || painter.opacity() != 1.0 || !painter.combinedTransform().isIdentity())
        return nullptr;
    auto* image = static_cast<QImage*>(painter.device());
    if (!image->isDetached() || image->devicePixelRatio() != 1.0 || image->format() != source.format()
        || image->depth() != 32)
        return nullptr;
    return image;
}

// Calls fn(start, length) for each run of covered (positive) entries of one coverage row.
template <typename Fn>
void forEachCoveredRun(const std::int32_t* row, int width, Fn fn)
{
    for (int x = 0; x < width;) {
        if (row[x] <= 0) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < width && row[x] > 0)
            ++x;
        fn(start, x - start);
    }
}

} // namespace

void copySquares(QPainter& painter, const QImage& source, const QPoint* centres, std::size_t count, int half)
{
    if (!centres || count == 0 || half <= 0 || source.isNull())
        return;
    QRect bounds = source.rect();
    if (painter.device() && painter.combinedTransform().isIdentity())
        bounds &= QRect(0, 0, painter.device()->width(), painter.device()->height());
    QRect box;
    std::int64_t coveredSum = 0;
    std::size_t inside = 0;
    for (std::size_t i = 0; i < count; ++i) {
        QRect square;
        if (!clippedSquare(centres[i], half, bounds, &square))
            continue;
        box |= square;
        coveredSum += std::int64_t(square.width()) * square.height();
        ++inside;
    }
    if (inside == 0)
        return;

    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Each copy costs its area and a fixed amount besides; merging costs a few passes over the box.
    const std::int64_t boxArea = std::int64_t(box.width()) * box.height();
    if (coveredSum + 256 * std::int64_t(inside) <= 3 * boxArea) {
        for (std::size_t i = 0; i < count; ++i) {
            QRect square;
            if (clippedSquare(centres[i], half, bounds, &square))
                painter.drawImage(square.topLeft(), source, square);
        }
        painter.restore();
        return;
    }

    // Coverage by a two-dimensional difference table over the box: each square adds its four corners, and
    // running sums across and down give how many squares cover each pixel.
    const int w = box.width();
    const int h = box.height();
    const std::size_t stride = std::size_t(w) + 1;
    std::vector<std::int32_t> cover(stride * (std::size_t(h) + 1), 0);
    for (std::size_t i = 0; i < count; ++i) {
        QRect square;
        if (!clippedSquare(centres[i], half, bounds, &square))
            continue;
        const std::size_t l = std::size_t(square.left() - box.left());
        const std::size_t r = l + std::size_t(square.width());
        const std::size_t t = std::size_t(square.top() - box.top());
        const std::size_t b = t + std::size_t(square.height());
        ++cover[t * stride + l];
        --cover[t * stride + r];
        --cover[b * stride + l];
        ++cover[b * stride + r];
    }
    for (int y = 0; y < h; ++y) {
        std::int32_t* row = &cover[std::size_t(y) * stride];
        const std::int32_t* above = y > 0 ? row - stride : nullptr;
        std::int32_t across = 0;
        for (int x = 0; x < w; ++x) {
            across += row[x];
            row[x] = across + (above ? above[x] : 0);
        }
    }

    if (QImage* target = directCopyTarget(painter, source)) {
        for (int y = 0; y < h; ++y) {
            const std::int32_t* row = &cover[std::size_t(y) * stride];
            auto* dst = reinterpret_cast<std::uint32_t*>(target->scanLine(box.top() + y)) + box.left();
            const auto* src
                = reinterpret_cast<const std::uint32_t*>(source.constScanLine(box.top() + y)) + box.left();
            forEachCoveredRun(row, w, [&](int start, int length) {
                std::memcpy(dst + start, src + start, std::size_t(length) * sizeof(std::uint32_t));
            });
        }
        painter.restore();
        return;
    }

    // Any other painter copies the box through a clip of the covered runs, rows with the same runs merged
    // into one band.
    std::vector<QRect> rects;
    std::vector<QRect> band;
    std::vector<QRect> runs;
    auto flush = [&] {
        rects.insert(rects.end(), band.begin(), band.end());
        band.clear();
    };
    for (int y = 0; y < h; ++y) {
        const std::int32_t* row = &cover[std::size_t(y) * stride];
        runs.clear();
        forEachCoveredRun(row, w, [&](int start, int length) {
            runs.emplace_back(box.left() + start, box.top() + y, length, 1);
        });
        const bool same = !band.empty() && band.size() == runs.size()
            && std::equal(runs.begin(), runs.end(), band.begin(),
                [](const QRect& a, const QRect& b) { return a.left() == b.left() && a.width() == b.width(); })
            && band.front().bottom() + 1 == box.top() + y;
        if (same) {
            for (QRect& r : band)
                r.setBottom(r.bottom() + 1);
        } else {
            flush();
            band = runs;
        }
    }
    flush();
    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    painter.setClipRegion(region, Qt::IntersectClip);
    painter.drawImage(box.topLeft(), source, box);
    painter.restore();
}

void gdiPolygon(QPainter& painter, const QPolygon& polygon, Qt::FillRule rule)
{
    painter.save();
    beginGdi(painter);
    painter.drawPolygon(polygon, rule);
    painter.restore();
}

} // namespace platform
