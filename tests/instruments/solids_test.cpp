#include "instruments/column_shape.h"
#include "instruments/cube_shape.h"
#include "platform/gdi.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

template<typename Shape>
Shape dragged(QPoint from, QPoint to)
{
    Shape shape;
    shape.ptFirst = from;
    shape.ptSecond = to;
    return shape;
}

QImage drawn(ThreeDimension& shape, COLORREF colour = RGB(255, 0, 0))
{
    QImage img(500, 500, QImage::Format_RGB32);
    img.fill(kWhite);
    QPainter p(&img);
    p.setPen(platform::gdiPen(colour, 1));
    shape.Draw(p);
    return img;
}

} // namespace

TEST(CubeShapeGeometry, EitherDragDirectionGivesTheSameBox)
{
    const auto a = dragged<CubeShape>({300, 400}, {100, 250}).corners();
    const auto b = dragged<CubeShape>({100, 250}, {300, 400}).corners();
    for (const auto& c : {a, b}) {
        EXPECT_EQ(c.F1, QPoint(100, 400));
        EXPECT_EQ(c.F2, QPoint(300, 400));
        EXPECT_EQ(c.F3, QPoint(300, 250));
        EXPECT_EQ(c.F4, QPoint(100, 250));
        EXPECT_EQ(c.K1, QPoint(200, 284));
        EXPECT_EQ(c.K2, QPoint(400, 284));
        EXPECT_EQ(c.K3, QPoint(400, 134));
        EXPECT_EQ(c.K4, QPoint(200, 134));
    }
}

TEST(CubeShapeDraw, VisibleEdgesInThePenHiddenEdgesDottedBlack)
{
    auto cube = dragged<CubeShape>({100, 250}, {300, 400});
    const QImage img = drawn(cube);
    EXPECT_EQ(img.pixel(200, 400), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(300, 300), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(300, 134), qRgb(255, 0, 0)); // back top edge K4→K3
    int black = 0;
    int white = 0;
    for (int x = 210; x < 390; ++x)
        (img.pixel(x, 284) == qRgb(0, 0, 0) ? black : white) += img.pixel(x, 284) != qRgb(255, 0, 0);
    EXPECT_GT(black, 40);
    EXPECT_GT(white, 40);
}

TEST(CubeShapeDraw, SmoothDrawingUsesItsOwnPen)
{
    auto cube = dragged<CubeShape>({100, 250}, {300, 400});
    QImage img(500, 500, QImage::Format_RGB32);
    img.fill(kWhite);
    {
        QPainter p(&img);
        cube.DrawSmooth(p, 5, RGB(0, 0, 255));
    }
    EXPECT_EQ(img.pixel(100, 320), qRgb(0, 0, 255));
    int dots = 0; // K1→K4 stays a one-pixel dotted black line
    for (int y = 150; y < 270; ++y)
        dots += img.pixel(200, y) == qRgb(0, 0, 0) && img.pixel(199, y) == kWhite;
    EXPECT_GT(dots, 20);
}

TEST(SolidsDegenerate, NoWidthGivesVerticalLines)
{
    auto cube = dragged<CubeShape>({150, 100}, {150, 300});
    auto column = dragged<ColumnShape>({150, 100}, {150, 300});
    for (ThreeDimension* shape :
        {static_cast<ThreeDimension*>(&cube), static_cast<ThreeDimension*>(&column)}) {
        const QImage img = drawn(*shape);
        int off = 0;
        int on = 0;
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 500; ++x)
                if (img.pixel(x, y) != kWhite)
                    (x == 150 ? on : off)++;
        EXPECT_EQ(off, 0);
        EXPECT_GE(on, 200);
    }
    const auto c = cube.corners();
    EXPECT_EQ(c.K1, c.F1);
    EXPECT_EQ(c.K3, c.F3);
}

TEST(CubeShapeHit, EveryEdgeHiddenOnesIncluded)
{
    auto cube = dragged<CubeShape>({300, 400}, {100, 250});
    EXPECT_TRUE(cube.IsHit(150, 342)); // on K1→F1
    EXPECT_TRUE(cube.IsHit(250, 284)); // on K1→K2
    EXPECT_TRUE(cube.IsHit(200, 200)); // on K1→K4
    EXPECT_TRUE(cube.IsHit(300, 300));
    EXPECT_TRUE(cube.IsHit(302, 300));
    EXPECT_FALSE(cube.IsHit(303, 300));
    EXPECT_TRUE(cube.IsHit(150, 344)); // within 2.5 pixels of the slanted hidden edge
    EXPECT_FALSE(cube.IsHit(150, 346));
    EXPECT_FALSE(cube.IsHit(250, 350));
    EXPECT_FALSE(cube.IsHit(450, 200));
}

TEST(ColumnShapeGeometry, EllipsesAreThreeFifthsOfTheWidth)
{
    const auto g = dragged<ColumnShape>({300, 400}, {100, 250}).geometry();
    EXPECT_EQ(g.x0, 100);
    EXPECT_EQ(g.x1, 300);
    EXPECT_EQ(g.yt, 250);
    EXPECT_EQ(g.bottomTop, 340);
    EXPECT_EQ(g.bottomBottom, 460);
    EXPECT_EQ(g.topTop, 190);
    EXPECT_EQ(g.topBottom, 310);
}

TEST(ColumnShapeDraw, BackHalfOfTheBottomIsDotted)
{
    auto column = dragged<ColumnShape>({100, 250}, {300, 400});
    const QImage img = drawn(column);
    auto colourAt = [&](int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y)
            if (img.pixel(x, y) != kWhite)
                return img.pixel(x, y);
        return kWhite;
    };
    EXPECT_EQ(colourAt(200, 455, 462), qRgb(255, 0, 0)); // front of the bottom ellipse
    EXPECT_EQ(colourAt(200, 188, 193), qRgb(255, 0, 0)); // back of the top ellipse
    EXPECT_EQ(colourAt(200, 305, 312), qRgb(255, 0, 0)); // front of the top ellipse
    int dots = 0;
    for (int x = 120; x < 280; ++x)
        dots += colourAt(x, 338, 370) == qRgb(0, 0, 0);
    EXPECT_GT(dots, 30);
    EXPECT_LT(dots, 140);
}

TEST(ColumnShapeHit, OutlineAndSidesHitTheInsideDoesNot)
{
    auto column = dragged<ColumnShape>({100, 250}, {300, 400});
    EXPECT_TRUE(column.IsHit(200, 458));
    EXPECT_TRUE(column.IsHit(200, 342)); // hidden back half of the bottom
    EXPECT_TRUE(column.IsHit(101, 330));
    EXPECT_TRUE(column.IsHit(200, 192));
    EXPECT_FALSE(column.IsHit(200, 250));
    EXPECT_FALSE(column.IsHit(200, 380));
    EXPECT_FALSE(column.IsHit(320, 330));
}
