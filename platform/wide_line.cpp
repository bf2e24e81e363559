#include "platform/wide_line.h"

#include "platform/gdi.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
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

// One segment from a to b of a pen with this disc: the run of each row y, found as the union of the
// discs at its ends and the band between them (the union is convex, so each row is one run).
class SegmentRows {
public:
    SegmentRows(QPoint a, QPoint b, const Disc& disc, double r)
        : disc_(disc)
        , r_(r)
        , ax_(a.x())
        , ay_(a.y())
        , bx_(b.x())
        , by_(b.y())
        , dx_(double(bx_ - ax_))
        , dy_(double(by_ - ay_))
        , lengthSquared_(dx_ * dx_ + dy_ * dy_)
        , reach_(r * std::sqrt(lengthSquared_))
        , invDx_(dx_ != 0 ? 1.0 / dx_ : 0.0)
        , invDy_(dy_ != 0 ? 1.0 / dy_ : 0.0)
    {
    }

    std::int64_t firstRow() const { return std::min(ay_, by_) + disc_.top; }
    std::int64_t lastRow() const { return std::max(ay_, by_) + disc_.bottom; }

    // The run of row y in *from..*to; *from > *to when the row has none. With a lastColumn, the band's
    // part is only worked out within columns -1 to lastColumn (cut to the image, as far-off points need);
    // without one it is exact wherever it lies.
    void run(std::int64_t y, std::optional<double> lastColumn, std::int64_t* from, std::int64_t* to) const
    {
        constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
        *from = kNone;
        *to = -kNone;
        discRun(y, ax_, ay_, from, to);
        discRun(y, bx_, by_, from, to);

        // The band, as an interval of x - ax: within r of the line and between the two ends' normals.
        const double ty = double(y - ay_) + 0.5 - kNudge;
        double lo = -std::numeric_limits<double>::infinity();
        double hi = std::numeric_limits<double>::infinity();
        bool band = true;
        if (dy_ != 0) {
            double u1 = (dx_ * ty - reach_) * invDy_;
            double u2 = (dx_ * ty + reach_) * invDy_;
            if (u1 > u2)
                std::swap(u1, u2);
            lo = std::max(lo, u1);
            hi = std::min(hi, u2);
        } else {
            band = std::abs(ty) <= r_;
        }
        if (dx_ != 0) {
            double v1 = -dy_ * ty * invDx_;
            double v2 = (lengthSquared_ - dy_ * ty) * invDx_;
            if (v1 > v2)
                std::swap(v1, v2);
            lo = std::max(lo, v1);
            hi = std::min(hi, v2);
        } else {
            const double along = dy_ * ty;
            band = band && along >= 0 && along <= lengthSquared_;
        }
        if (band && lo <= hi) {
            // Clamped before the conversion, since a far-off point puts the run far outside the image.
            const double firstCentre = double(ax_) + lo - 0.5 + kNudge;
            const double lastCentre = double(ax_) + hi - 0.5 + kNudge;
            const std::int64_t first
                = lastColumn ? ceilWithin(firstCentre, *lastColumn) : std::int64_t(std::ceil(firstCentre));
            const std::int64_t last
                = lastColumn ? floorWithin(lastCentre, *lastColumn) : std::int64_t(std::floor(lastCentre));
            if (first <= last) {
                *from = std::min(*from, first);
                *to = std::max(*to, last);
            }
        }
    }

private:
    void discRun(std::int64_t y, std::int64_t cx, std::int64_t cy, std::int64_t* from, std::int64_t* to) const
    {
        const std::int64_t k = y - cy;
        if (k < disc_.top || k > disc_.bottom)
            return;
        *from = std::min(*from, cx + disc_.left[std::size_t(k - disc_.top)]);
        *to = std::max(*to, cx + disc_.right[std::size_t(k - disc_.top)]);
    }

    const Disc& disc_;
    double r_;
    std::int64_t ax_, ay_, bx_, by_;
    double dx_, dy_, lengthSquared_, reach_, invDx_, invDy_;
};

template<typename Op>
void fillRun(const Target& target, std::int64_t y, std::int64_t from, std::int64_t to)
{
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, target.width - 1);
    if (from <= to) {
        auto* line = reinterpret_cast<QRgb*>(target.bits + y * target.stride);
        Op::apply(line + from, to - from + 1, target.pixel);
    }
}

template<typename Op>
void drawSegment(const Target& target, QPoint a, QPoint b, const Disc& disc, double r)
{
    // The band reaches half the pen width beside its ends, a little further than the discs' pixels.
    const std::int64_t reach = std::int64_t(std::ceil(r));
    if (std::min<std::int64_t>(a.x(), b.x()) - reach >= target.width
        || std::max<std::int64_t>(a.x(), b.x()) + reach < 0)
        return;
    const SegmentRows rows(a, b, disc, r);
    const std::int64_t rowFirst = std::max<std::int64_t>(rows.firstRow(), 0);
    const std::int64_t rowLast = std::min<std::int64_t>(rows.lastRow(), target.height - 1);
    for (std::int64_t y = rowFirst; y <= rowLast; ++y) {
        std::int64_t from = 0;
        std::int64_t to = 0;
        rows.run(y, target.width, &from, &to);
        fillRun<Op>(target, y, from, to);
    }
}

// The rows of every short segment of one pen width, each worked out once: a segment's pixels depend only
// on where its end lies relative to its start, so a stroke of many short segments, as a hand draws them,
// copies runs from here instead of working each row out again.
class ShortSegments {
public:
    // Segments whose ends differ by at most this much in x and in y.
    static constexpr int kReach = 12;
    static constexpr int kSide = 2 * kReach + 1;
    // Pens up to this width.
    static constexpr int kMaxWidth = 32;

    struct Run {
        int left;
        int right;
    };
    struct Shape {
        int top = 0;
        int rows = -1; // -1 until worked out
        std::size_t first = 0; // index of its first run
    };

    explicit ShortSegments(int width)
        : disc_(discOf(width))
        , r_(width / 2.0)
    {
    }

    static bool covers(std::int64_t dx, std::int64_t dy)
    {
        return std::abs(dx) <= kReach && std::abs(dy) <= kReach;
    }

    const Disc& disc() const { return disc_; }

    const Shape& shape(QPoint d)
    {
        Shape& s = shapes_[std::size_t((d.y() + kReach) * kSide + d.x() + kReach)];
        if (s.rows < 0)
            workOut(s, d);
        return s;
    }
    const Run* runs() const { return runs_.data(); }

private:
    void workOut(Shape& s, QPoint d)
    {
        const SegmentRows rows(QPoint(0, 0), d, disc_, r_);
        s.top = int(rows.firstRow());
        s.rows = int(rows.lastRow() - rows.firstRow() + 1);
        s.first = runs_.size();
        for (std::int64_t y = rows.firstRow(); y <= rows.lastRow(); ++y) {
            std::int64_t from = 0;
            std::int64_t to = 0;
            rows.run(y, std::nullopt, &from, &to);
            runs_.push_back(from <= to ? Run {int(from), int(to)} : Run {1, 0});
        }
    }

    Disc disc_;
    double r_;
    std::array<Shape, kSide * kSide> shapes_ {};
    std::vector<Run> runs_;
};

// One table per pen width in use, per thread.
ShortSegments& shortSegmentsOf(int width)
{
    thread_local std::array<std::unique_ptr<ShortSegments>, ShortSegments::kMaxWidth + 1> tables;
    auto& table = tables[std::size_t(width)];
    if (!table)
        table = std::make_unique<ShortSegments>(width);
    return *table;
}

template<typename Op>
void drawShortSegment(
    const Target& target, QPoint a, const ShortSegments::Shape& shape, const ShortSegments::Run* runs)
{
    const std::int64_t y0 = std::int64_t(a.y()) + shape.top;
    const std::int64_t first = std::max<std::int64_t>(0, -y0);
    const std::int64_t last = std::min<std::int64_t>(shape.rows, target.height - y0) - 1;
    const ShortSegments::Run* run = runs + shape.first;
    for (std::int64_t i = first; i <= last; ++i)
        fillRun<Op>(target, y0 + i, std::int64_t(a.x()) + run[i].left, std::int64_t(a.x()) + run[i].right);
}

template<typename Op>
void drawSegments(const Target& target, const QPoint* points, std::size_t count, int width)
{
    const double r = width / 2.0;
    if (width <= ShortSegments::kMaxWidth) {
        ShortSegments& table = shortSegmentsOf(width);
        for (std::size_t i = 1; i < count; ++i) {
            const QPoint a = points[i - 1];
            const std::int64_t dx = std::int64_t(points[i].x()) - a.x();
            const std::int64_t dy = std::int64_t(points[i].y()) - a.y();
            // A repeated point adds nothing: its disc is the neighbouring segments' end.
            if (dx == 0 && dy == 0)
                continue;
            if (ShortSegments::covers(dx, dy)) {
                // Worked out first: working out a new shape may move the runs.
                const ShortSegments::Shape& shape = table.shape(QPoint(int(dx), int(dy)));
                drawShortSegment<Op>(target, a, shape, table.runs());
            } else {
                drawSegment<Op>(target, a, points[i], table.disc(), r);
            }
        }
        return;
    }
    const Disc disc = discOf(width);
    for (std::size_t i = 1; i < count; ++i) {
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
