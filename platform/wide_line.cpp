#include "platform/wide_line.h"

#include "platform/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace platform {

namespace {

// Pixel centres are taken this far up and to the left of the true centre, so that a centre lying
// exactly on the pen's edge falls the way Qt's fill takes it: inside on the bottom and right edges.
constexpr double kNudge = 1e-6;

// The pen's disc around an integer point: for each row offset from top, the first and last pixel
// offset inked on that row.
struct Disc {
    int top = 0;
    int bottom = -1;
    int minLeft = 0;
    int maxRight = 0;
    std::vector<int> left;
    std::vector<int> right;
};

Disc discOf(int width)
{
    Disc disc;
    const double r = width / 2.0;
    disc.top = int(std::ceil(-r - 0.5 + kNudge));
    disc.bottom = int(std::floor(r - 0.5 + kNudge));
    for (int k = disc.top; k <= disc.bottom; ++k) {
        const double t = k + 0.5 - kNudge;
        const double half = std::sqrt(std::max(r * r - t * t, 0.0));
        disc.left.push_back(int(std::ceil(-half - 0.5 + kNudge)));
        disc.right.push_back(int(std::floor(half - 0.5 + kNudge)));
    }
    disc.minLeft = *std::min_element(disc.left.begin(), disc.left.end());
    disc.maxRight = *std::max_element(disc.right.begin(), disc.right.end());
    return disc;
}

// floor and ceil of a value clamped to [-1, limit]; the clamp keeps the conversion defined and lets a
// truncation do the rounding, which is far cheaper per scanline than the library calls.
std::int64_t floorWithin(double v, double limit)
{
    v = std::clamp(v, -1.0, limit);
    return std::int64_t(v + 2.0) - 2;
}

std::int64_t ceilWithin(double v, double limit)
{
    v = std::clamp(v, -1.0, limit);
    const std::int64_t f = std::int64_t(v + 2.0) - 2;
    return double(f) < v ? f + 1 : f;
}

struct Target {
    uchar* bits;
    qsizetype stride;
    int width;
    int height;
    QRgb pixel;
};

struct CopyPen {
    static void apply(QRgb* line, std::int64_t n, QRgb pixel) { std::fill_n(line, n, pixel); }
};

struct MaskPen {
    static void apply(QRgb* line, std::int64_t n, QRgb pixel)
    {
        for (std::int64_t i = 0; i < n; ++i)
            line[i] &= pixel;
    }
};

// Scanline by scanline, the segment swept by the disc is the union of the discs at its ends and the
// band between them; the union is convex, so each row is one run of pixels.
template<typename Op>
void drawSegment(const Target& target, QPoint a, QPoint b, const Disc& disc, double r)
{
    const std::int64_t ax = a.x();
    const std::int64_t ay = a.y();
    const std::int64_t bx = b.x();
    const std::int64_t by = b.y();
    if (std::min(ax, bx) + disc.minLeft >= target.width || std::max(ax, bx) + disc.maxRight < 0)
        return;
    const std::int64_t rowFirst = std::max<std::int64_t>(std::min(ay, by) + disc.top, 0);
    const std::int64_t rowLast = std::min<std::int64_t>(std::max(ay, by) + disc.bottom, target.height - 1);
    if (rowFirst > rowLast)
        return;

    const double dx = double(bx - ax);
    const double dy = double(by - ay);
    const double lengthSquared = dx * dx + dy * dy;
    const double reach = r * std::sqrt(lengthSquared);
    const double invDx = dx != 0 ? 1.0 / dx : 0.0;
    const double invDy = dy != 0 ? 1.0 / dy : 0.0;
    const double lastColumn = target.width;
    constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();

    auto discRun
        = [&](std::int64_t y, std::int64_t cx, std::int64_t cy, std::int64_t& from, std::int64_t& to) {
              const std::int64_t k = y - cy;
              if (k < disc.top || k > disc.bottom)
                  return;
              from = std::min(from, cx + disc.left[std::size_t(k - disc.top)]);
              to = std::max(to, cx + disc.right[std::size_t(k - disc.top)]);
          };

    for (std::int64_t y = rowFirst; y <= rowLast; ++y) {
        std::int64_t from = kNone;
        std::int64_t to = -kNone;
        discRun(y, ax, ay, from, to);
        discRun(y, bx, by, from, to);

        // The band, as an interval of x - ax: within r of the line and between the two ends' normals.
        const double ty = double(y - ay) + 0.5 - kNudge;
        double lo = -std::numeric_limits<double>::infinity();
        double hi = std::numeric_limits<double>::infinity();
        bool band = true;
        if (dy != 0) {
            double u1 = (dx * ty - reach) * invDy;
            double u2 = (dx * ty + reach) * invDy;
            if (u1 > u2)
                std::swap(u1, u2);
            lo = std::max(lo, u1);
            hi = std::min(hi, u2);
        } else {
            band = std::abs(ty) <= r;
        }
        if (dx != 0) {
            double v1 = -dy * ty * invDx;
            double v2 = (lengthSquared - dy * ty) * invDx;
            if (v1 > v2)
                std::swap(v1, v2);
            lo = std::max(lo, v1);
            hi = std::min(hi, v2);
        } else {
            const double along = dy * ty;
            band = band && along >= 0 && along <= lengthSquared;
        }
        if (band && lo <= hi) {
            // Clamped before the conversion, since a far-off point puts the run far outside the image.
            const std::int64_t first = ceilWithin(double(ax) + lo - 0.5 + kNudge, lastColumn);
            const std::int64_t last = floorWithin(double(ax) + hi - 0.5 + kNudge, lastColumn);
            if (first <= last) {
                from = std::min(from, first);
                to = std::max(to, last);
            }
        }

        from = std::max<std::int64_t>(from, 0);
        to = std::min<std::int64_t>(to, target.width - 1);
        if (from <= to) {
            auto* line = reinterpret_cast<QRgb*>(target.bits + y * target.stride);
            Op::apply(line + from, to - from + 1, target.pixel);
        }
    }
}

template<typename Op>
void drawSegments(const Target& target, const QPoint* points, std::size_t count, int width)
{
    const Disc disc = discOf(width);
    const double r = width / 2.0;
    for (std::size_t i = 1; i < count; ++i) {
        // A repeated point adds nothing: its disc is the neighbouring segments' end.
        if (points[i] != points[i - 1])
            drawSegment<Op>(target, points[i - 1], points[i], disc, r);
    }
}

} // namespace

bool wideLineSupports(QImage::Format format, int rop2)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return rop2 == R2_COPYPEN || rop2 == R2_MASKPEN;
    case QImage::Format_ARGB32:
        return rop2 == R2_COPYPEN;
    default:
        return false;
    }
}

void drawWidePolyline(
    QImage& image, const QPoint* points, std::size_t count, int width, COLORREF colour, int rop2)
{
    if (count < 2 || width < 2 || image.isNull() || !wideLineSupports(image.format(), rop2))
        return;
    const Target target {
        image.bits(), image.bytesPerLine(), image.width(), image.height(), argbFromRef(colour)};
    if (rop2 == R2_MASKPEN)
        drawSegments<MaskPen>(target, points, count, width);
    else
        drawSegments<CopyPen>(target, points, count, width);
}

} // namespace platform
