#include "platform/gdi.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Points = std::vector<QPoint>;

// The stepping loop of LineDDA, step by step.
Points steppedLine(int x1, int y1, int x2, int y2)
{
    Points out;
    int dx = x2 - x1, dy = y2 - y1, xadd = 1, yadd = 1;
    if (dx < 0) {
        dx = -dx;
        xadd = -1;
    }
    if (dy < 0) {
        dy = -dy;
        yadd = -1;
    }
    const bool xMajor = dx > dy;
    const int major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
    int err = 2 * minor - major;
    for (int i = 0; i < major; ++i) {
        out.emplace_back(x1, y1);
        if (err > 0) {
            (xMajor ? y1 : x1) += xMajor ? yadd : xadd;
            err += 2 * minor - 2 * major;
        } else {
            err += 2 * minor;
        }
        (xMajor ? x1 : y1) += xMajor ? xadd : yadd;
    }
    return out;
}

Points walked(int x1, int y1, int x2, int y2, const QRect* clip = nullptr)
{
    Points out;
    platform::lineDda(
        x1, y1, x2, y2, [&](int x, int y) { out.emplace_back(x, y); }, clip);
    return out;
}

} // namespace

TEST(GdiColour, ColourReferencesAreBgr)
{
    EXPECT_EQ(platform::colorFromRef(RGB(10, 20, 30)), QColor(10, 20, 30));
    EXPECT_EQ(platform::colorFromRef(0xFF0000FF), QColor(255, 0, 0));
    EXPECT_EQ(platform::refFromColor(QColor(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(platform::argbFromRef(RGB(0x12, 0x34, 0x56)), 0xFF123456u);
}

TEST(GdiLineDda, VisitsEveryPointButTheLast)
{
    EXPECT_EQ(walked(0, 0, 3, 1), (Points {{0, 0}, {1, 0}, {2, 1}}));
    EXPECT_EQ(walked(5, 5, 5, 2), (Points {{5, 5}, {5, 4}, {5, 3}}));
    EXPECT_TRUE(walked(7, 7, 7, 7).empty());
}

TEST(GdiLineDda, ClosedFormAndClippingMatchTheSteppedWalk)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-60, 60);
    const QRect clip(-20, -15, 35, 30);
    for (int i = 0; i < 3000; ++i) {
        const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        const Points reference = steppedLine(x1, y1, x2, y2);
        ASSERT_EQ(walked(x1, y1, x2, y2), reference) << x1 << ',' << y1 << " → " << x2 << ',' << y2;
        Points inside;
        for (const QPoint& p : reference)
            if (clip.contains(p))
                inside.push_back(p);
        ASSERT_EQ(walked(x1, y1, x2, y2, &clip), inside) << x1 << ',' << y1 << " → " << x2 << ',' << y2;
    }
}

TEST(GdiLineDda, HugeClippedLineVisitsOnlyTheClip)
{
    const QRect clip(0, 0, 100, 100);
    const Points points = walked(-2000000000, -1999999950, 2000000000, 2000000050, &clip);
    EXPECT_FALSE(points.empty());
    EXPECT_LE(points.size(), 100u);
    for (const QPoint& p : points)
        EXPECT_TRUE(clip.contains(p));
}

TEST(GdiRasterOps, MaskAndNotOnRgb32)
{
    EXPECT_EQ(platform::compositionForRop2(platform::R2_COPYPEN), QPainter::CompositionMode_SourceOver);
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(qRgb(0x30, 0xF0, 0x0F));
    {
        QPainter p(&img);
        platform::beginGdi(p);
        platform::setRop2(p, platform::R2_NOT);
        p.fillRect(0, 0, 10, 20, Qt::black);
        platform::setRop2(p, platform::R2_MASKPEN);
        p.fillRect(10, 0, 10, 20, QColor(0xFF, 0x0F, 0xFF));
    }
    EXPECT_EQ(img.pixel(5, 5), qRgb(0xCF, 0x0F, 0xF0));
    EXPECT_EQ(img.pixel(15, 5), qRgb(0x30, 0x00, 0x0F));
}

TEST(GdiArc, RunsCounterClockwiseOnScreen)
{
    auto arcImage = [](QPoint start, QPoint end) {
        QImage img(120, 120, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setPen(platform::gdiPen(0, 1));
        platform::gdiArc(p, 10, 30, 110, 90, start, end);
        return img;
    };
    auto inkedIn = [](const QImage& img, int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixel(x, y) != qRgb(255, 255, 255);
        return n;
    };
    // From the left end to the right end counter-clockwise is the lower half.
    const QImage lower = arcImage({0, 60}, {200, 60});
    EXPECT_GT(inkedIn(lower, 62, 120), 50);
    EXPECT_EQ(inkedIn(lower, 0, 58), 0);
    const QImage upper = arcImage({200, 60}, {0, 60});
    EXPECT_EQ(inkedIn(upper, 62, 120), 0);
    // A start ray pointing at (60, 0) meets the ellipse at its top, not where a circle would.
    const QImage whole = arcImage({60, 0}, {60, 0});
    EXPECT_GT(inkedIn(whole, 0, 58), 50);
    EXPECT_GT(inkedIn(whole, 62, 120), 50);
}

TEST(GdiPolygon, FillRules)
{
    // A pentagram: its centre is inside by winding, outside by alternate fill.
    const QPolygon star({{50, 5}, {79, 95}, {2, 39}, {98, 39}, {21, 95}});
    for (Qt::FillRule rule : {Qt::WindingFill, Qt::OddEvenFill}) {
        QImage img(100, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            platform::gdiPolygon(p, star, rule);
        }
        EXPECT_EQ(img.pixel(50, 55) == qRgb(0, 0, 0), rule == Qt::WindingFill);
        EXPECT_EQ(img.pixel(50, 20), qRgb(0, 0, 0));
    }
}
