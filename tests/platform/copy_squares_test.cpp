// BitBlt of many squares from a source picture: merged or one by one, onto an image or through any painter,
// the pixels are those of copying each square on its own.
#include "platform/gdi.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace platform;

namespace {

QImage pattern(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, (x ^ y) & 255));
    return img.convertToFormat(format);
}

QImage ink(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 0));
    return img;
}

// Each square on its own, clipped to the source, as the eraser has always copied them.
QImage oneByOne(QImage target, const QImage& source, const std::vector<QPoint>& centres, int half)
{
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QPoint& c : centres) {
        const QRect square = QRect(c.x() - half, c.y() - half, 2 * half, 2 * half) & source.rect();
        if (!square.isEmpty())
            p.drawImage(square.topLeft(), source, square);
    }
    return target;
}

QImage merged(QImage target, const QImage& source, const std::vector<QPoint>& centres, int half)
{
    QPainter p(&target);
    copySquares(p, source, centres.data(), centres.size(), half);
    return target;
}

std::vector<QPoint> randomWalk(int count, int step, QRect area, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-step, step);
    std::vector<QPoint> out;
    QPoint p = area.center();
    for (int i = 0; i < count; ++i) {
        p += QPoint(d(rng), d(rng));
        p.setX(std::clamp(p.x(), area.left(), area.right()));
        p.setY(std::clamp(p.y(), area.top(), area.bottom()));
        out.push_back(p);
    }
    return out;
}

} // namespace

TEST(CopySquares, FewSmallSquaresAreCopiedAsTheyAre)
{
    const QImage source = pattern(300, 200);
    const std::vector<QPoint> centres = {{10, 10}, {150, 100}, {299, 199}, {-5, 50}, {400, 400}};
    EXPECT_EQ(merged(ink(300, 200), source, centres, 8), oneByOne(ink(300, 200), source, centres, 8));
    // The square spans from the centre minus half to the centre plus half, the last row and column excluded.
    const QImage one = merged(ink(300, 200), source, {{150, 100}}, 8);
    EXPECT_EQ(one.pixel(142, 92), source.pixel(142, 92));
    EXPECT_EQ(one.pixel(157, 107), source.pixel(157, 107));
    EXPECT_EQ(one.pixel(158, 100), qRgb(0, 0, 0));
    EXPECT_EQ(one.pixel(141, 100), qRgb(0, 0, 0));
}

TEST(CopySquares, ManyWideSquaresGiveTheSamePixels)
{
    const QImage source = pattern(640, 480);
    for (int half : {1, 3, 40, 300, 2048}) {
        SCOPED_TRACE(half);
        const std::vector<QPoint> centres = randomWalk(3000, 6, QRect(-100, -100, 840, 680), unsigned(half));
        EXPECT_EQ(
            merged(ink(640, 480), source, centres, half), oneByOne(ink(640, 480), source, centres, half));
    }
    // Sparse squares far apart leave the ink between them.
    std::vector<QPoint> grid;
    for (int y = 20; y < 480; y += 60)
        for (int x = 20; x < 640; x += 60)
            grid.emplace_back(x, y);
    const QImage sparse = merged(ink(640, 480), source, grid, 12);
    EXPECT_EQ(sparse, oneByOne(ink(640, 480), source, grid, 12));
    EXPECT_EQ(sparse.pixel(50, 50), qRgb(0, 0, 0));
}

TEST(CopySquares, ThroughAnyPainterAndFormat)
{
    // A clipped painter, a transformed one and a source of another format cannot be written straight into.
    const QImage source = pattern(400, 300);
    const std::vector<QPoint> centres = randomWalk(2000, 5, QRect(0, 0, 400, 300), 7);

    QImage clipped = ink(400, 300);
    QImage expected = oneByOne(ink(400, 300), source, centres, 30);
    {
        QPainter p(&clipped);
        p.setClipRect(QRect(50, 40, 200, 150));
        copySquares(p, source, centres.data(), centres.size(), 30);
    }
    const QImage blank = ink(400, 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            const bool inside = QRect(50, 40, 200, 150).contains(x, y);
            ASSERT_EQ(clipped.pixel(x, y), inside ? expected.pixel(x, y) : blank.pixel(x, y))
                << x << ',' << y;
        }

    QImage argbTarget(400, 300, QImage::Format_ARGB32_Premultiplied);
    argbTarget.fill(qRgb(0, 0, 0));
    EXPECT_EQ(merged(argbTarget, source, centres, 30).convertToFormat(QImage::Format_RGB32), expected);
    const QImage argbSource = pattern(400, 300, QImage::Format_ARGB32);
    EXPECT_EQ(merged(ink(400, 300), argbSource, centres, 30), expected);

    // The painter is handed back as it was given.
    QImage target = ink(400, 300);
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    copySquares(p, source, centres.data(), centres.size(), 30);
    EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_Multiply);
    EXPECT_FALSE(p.hasClipping());
}
