#include "platform/gdi.h"
#include "platform/wide_line.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

QImage page(int w, int h, QRgb fill = kWhite, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    img.fill(fill);
    return img;
}

// What QPainter makes of the same GDI pen: the picture the rasteriser has to reproduce.
void paintWithQt(QImage& img, const std::vector<QPoint>& points, int width, COLORREF colour, int rop2)
{
    QPainter p(&img);
    platform::beginGdi(p);
    p.setPen(platform::gdiPen(colour, width));
    platform::setRop2(p, rop2);
    p.drawPolyline(points.data(), int(points.size()));
}

void drawDirect(QImage& img, const std::vector<QPoint>& points, int width, COLORREF colour, int rop2)
{
    platform::drawWidePolyline(img, points.data(), points.size(), width, colour, rop2);
}

struct Comparison {
    long ink = 0;
    long differing = 0;
    long offEdge = 0; // differing pixels with no edge of the reference next to them
};

// A differing pixel is on the reference's edge when its 3 × 3 neighbourhood in the reference holds
// both an inked and an uninked pixel.
Comparison compare(const QImage& reference, const QImage& drawn, QRgb paper = kWhite)
{
    Comparison c;
    const int w = reference.width(), h = reference.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            c.ink += reference.pixel(x, y) != paper;
            if (reference.pixel(x, y) == drawn.pixel(x, y))
                continue;
            ++c.differing;
            bool inked = false, blank = false;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, h - 1); ++ny)
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, w - 1); ++nx)
                    (reference.pixel(nx, ny) != paper ? inked : blank) = true;
            c.offEdge += !(inked && blank);
        }
    return c;
}

std::vector<QPoint> randomStroke(std::mt19937& rng, int size, int steps, int reach)
{
    std::uniform_int_distribution<int> start(-10, size + 10), step(-reach, reach), length(2, steps);
    std::vector<QPoint> points;
    QPoint p(start(rng), start(rng));
    for (int n = length(rng); n > 0; --n) {
        points.push_back(p);
        p += QPoint(step(rng), step(rng));
    }
    return points;
}

} // namespace

TEST(WideLine, RandomStrokesMatchQtWithinEdgePixels)
{
    std::mt19937 rng(2024);
    for (int width : {2, 3, 4, 5, 6, 8, 11, 16, 30}) {
        Comparison total;
        for (int s = 0; s < 150; ++s) {
            // Long jumps give long diagonals and sharp turns; the start may lie off the image.
            const std::vector<QPoint> stroke = randomStroke(rng, 120, 12, s % 3 == 0 ? 60 : 8);
            QImage reference = page(120, 120);
            QImage drawn = page(120, 120);
            paintWithQt(reference, stroke, width, RGB(0, 0, 0), platform::R2_COPYPEN);
            drawDirect(drawn, stroke, width, RGB(0, 0, 0), platform::R2_COPYPEN);
            const Comparison c = compare(reference, drawn);
            total.ink += c.ink;
            total.differing += c.differing;
            total.offEdge += c.offEdge;
        }
        ASSERT_GT(total.ink, 0);
        EXPECT_LE(double(total.differing), 0.01 * double(total.ink)) << "width " << width;
        EXPECT_EQ(total.offEdge, 0) << "width " << width;
    }
}

TEST(WideLine, EverySegmentInksExactlyThePixelCentresWithinHalfThePenWidth)
{
    // A centre on the edge counts as lying a hair up and to the left, as Qt takes it.
    const auto within = [](int x, int y, QPoint a, QPoint b, int width) {
        const long double cx = x + 0.5L - 1e-6L, cy = y + 0.5L - 1e-6L;
        const long double dx = b.x() - a.x(), dy = b.y() - a.y();
        const long double t
            = std::clamp(((cx - a.x()) * dx + (cy - a.y()) * dy) / (dx * dx + dy * dy), 0.0L, 1.0L);
        const long double ex = a.x() + t * dx - cx, ey = a.y() + t * dy - cy;
        return ex * ex + ey * ey <= width * width / 4.0L;
    };
    // Short segments, as a hand gives them, and longer ones; thin and wide pens; starts inside the image
    // and beside its edges.
    long checked = 0;
    for (int width : {2, 3, 8, 11, 32, 33}) {
        for (int dx = -18; dx <= 18; dx += 3) {
            for (int dy = -18; dy <= 18; dy += 3) {
                for (const QPoint a : {QPoint(40, 45), QPoint(-5, 50), QPoint(50, 97)}) {
                    const QPoint b = a + QPoint(dx, dy);
                    if (a == b)
                        continue;
                    QImage drawn = page(100, 100);
                    drawDirect(drawn, {a, b}, width, RGB(0, 0, 0), platform::R2_COPYPEN);
                    // Nothing is inked further away than the pen reaches.
                    const QRect near
                        = QRect(a, b).normalized().adjusted(-width, -width, width, width) & drawn.rect();
                    long inkNear = 0;
                    for (int y = near.top(); y <= near.bottom(); ++y) {
                        for (int x = near.left(); x <= near.right(); ++x, ++checked) {
                            const bool inked = drawn.pixel(x, y) != kWhite;
                            inkNear += inked;
                            ASSERT_EQ(inked, within(x, y, a, b, width))
                                << "width " << width << " from " << a.x() << "," << a.y() << " by " << dx
                                << "," << dy << " at " << x << "," << y;
                        }
                    }
                    ASSERT_EQ(compare(page(100, 100), drawn).differing, inkNear);
                }
            }
        }
    }
    EXPECT_GT(checked, 1000000);
}

TEST(WideLine, StraightLinesAndEvenWidthsAreExact)
{
    // Horizontal, vertical and a turn: the edges Qt takes on the bottom and right, not the top and left.
    const std::vector<std::vector<QPoint>> strokes
        = {{{10, 20}, {90, 20}}, {{30, 5}, {30, 95}}, {{20, 80}, {70, 80}, {70, 30}}, {{90, 90}, {15, 60}}};
    for (int width : {2, 3, 4, 7, 8, 9}) {
        for (const auto& stroke : strokes) {
            QImage reference = page(100, 100);
            QImage drawn = page(100, 100);
            paintWithQt(reference, stroke, width, RGB(200, 10, 40), platform::R2_COPYPEN);
            drawDirect(drawn, stroke, width, RGB(200, 10, 40), platform::R2_COPYPEN);
            if (stroke.size() == 2 && stroke[0].x() != stroke[1].x() && stroke[0].y() != stroke[1].y()
                && width % 2 != 0)
                continue; // odd widths on a slant: edge ties, covered by the tolerance above
            EXPECT_EQ(reference, drawn)
                << "width " << width << " from " << stroke[0].x() << "," << stroke[0].y();
        }
    }
}

TEST(WideLine, MaskPenAndsTheColourIntoWhatLiesBelow)
{
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        QImage below = page(100, 60, kWhite, format);
        {
            QPainter p(&below);
            p.fillRect(50, 0, 50, 60, QColor(0, 0, 255));
            p.fillRect(0, 45, 100, 15, QColor(90, 200, 30));
        }
        const std::vector<QPoint> stroke = {{5, 10}, {95, 50}};
        QImage reference = below;
        QImage drawn = below;
        paintWithQt(reference, stroke, 10, RGB(255, 255, 0), platform::R2_MASKPEN);
        drawDirect(drawn, stroke, 10, RGB(255, 255, 0), platform::R2_MASKPEN);
        EXPECT_EQ(reference, drawn) << format;
        EXPECT_EQ(drawn.pixel(60, 34), qRgb(0, 0, 0)); // yellow over blue
        EXPECT_EQ(drawn.pixel(93, 49), qRgb(90, 200, 0));
        EXPECT_EQ(drawn.pixel(20, 16), qRgb(255, 255, 0));
    }
}

TEST(WideLine, CoincidentPointsDrawNothingAndFarPointsAreClipped)
{
    QImage img = page(200, 60);
    drawDirect(img, {{40, 30}, {40, 30}, {40, 30}}, 8, RGB(0, 0, 0), platform::R2_COPYPEN);
    EXPECT_EQ(img, page(200, 60));

    // A damaged record's far-flung points: only the rows and columns on the image are visited.
    drawDirect(img, {{-2000000000, 30}, {2000000000, 30}, {2000000000, -2000000000}}, 9, RGB(0, 0, 0),
        platform::R2_COPYPEN);
    for (int x : {0, 100, 199}) {
        EXPECT_EQ(img.pixel(x, 26), qRgb(0, 0, 0));
        EXPECT_EQ(img.pixel(x, 34), qRgb(0, 0, 0));
        EXPECT_EQ(img.pixel(x, 25), kWhite);
        EXPECT_EQ(img.pixel(x, 35), kWhite);
    }
}

TEST(GdiPolyline, PaintsThroughQtWhereTheImageCannotBeWrittenDirectly)
{
    const QPolygon stroke({QPoint(10, 10), QPoint(60, 40), QPoint(90, 15)});
    auto viaHelper = [&](auto&& setUp) {
        QImage img = page(100, 60);
        QPainter p(&img);
        setUp(p);
        platform::gdiPolyline(p, stroke, RGB(0, 90, 0), 5);
        p.end();
        return img;
    };
    auto viaQt = [&](auto&& setUp) {
        QImage img = page(100, 60);
        QPainter p(&img);
        setUp(p);
        platform::beginGdi(p);
        p.setPen(platform::gdiPen(RGB(0, 90, 0), 5));
        p.drawPolyline(stroke);
        p.end();
        return img;
    };
    const auto translated = [](QPainter& p) { p.translate(3.5, 2); };
    const auto clipped = [](QPainter& p) { p.setClipRect(0, 0, 50, 60); };
    const auto faint = [](QPainter& p) { p.setOpacity(0.5); };
    EXPECT_EQ(viaHelper(translated), viaQt(translated));
    EXPECT_EQ(viaHelper(clipped), viaQt(clipped));
    EXPECT_EQ(viaHelper(faint), viaQt(faint));
}

TEST(GdiPolyline, LeavesThePainterAsItWas)
{
    QImage img = page(100, 60);
    QPainter p(&img);
    const QPen pen(Qt::red, 2);
    p.setPen(pen);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::Antialiasing);
    platform::gdiPolyline(
        p, QPolygon({QPoint(10, 10), QPoint(60, 40)}), RGB(0, 0, 0), 6, platform::R2_MASKPEN);
    platform::gdiLine(p, QPoint(10, 50), QPoint(90, 50), RGB(0, 0, 0), 1);
    EXPECT_EQ(p.pen(), pen);
    EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_Source);
    EXPECT_TRUE(p.testRenderHint(QPainter::Antialiasing));
    p.end();
    EXPECT_EQ(img.pixel(35, 25), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(50, 50), qRgb(0, 0, 0));
}
