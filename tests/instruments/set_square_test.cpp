#include "instrument_pages.h"
#include "instruments/iso_triangular.h"
#include "instruments/set_square.h"
#include "instruments/triangular.h"

#include <gtest/gtest.h>

using namespace DIALOG;
using namespace instrument_test;

namespace {

const QRgb kRed = qRgb(255, 0, 0);

std::vector<int> values(const ScaleMarks& marks)
{
    std::vector<int> out;
    for (const ScaleNumber& n : marks.numbers)
        out.push_back(n.value);
    return out;
}

} // namespace

TEST(SetSquareScale, ThirtySixtyFromLeftToRight)
{
    auto square = laid<Triangular>({100, 100}, {400, 100});
    const auto layout = LaySetSquare(*square, Triangular::kSecondLegRatio);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->corner, QPoint(100, 273)); // 173.2 straight down
    ASSERT_EQ(layout->main.ticks.size(), 53u);
    EXPECT_EQ(layout->main.ticks.front().from, QPoint(120, 100));
    EXPECT_EQ(layout->main.ticks.front().to, QPoint(120, 122));
    EXPECT_EQ(layout->main.ticks.back().from, QPoint(380, 100));
    EXPECT_EQ(values(layout->main), (std::vector<int> {0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(layout->second.ticks.size(), 28u); // i = −1 … 26
    EXPECT_EQ(layout->second.ticks[0].from, QPoint(100, 100));
    EXPECT_EQ(layout->second.ticks[0].to, QPoint(106, 100)); // pointing into the triangle
    EXPECT_EQ(layout->second.ticks[1].from, QPoint(100, 120));
    EXPECT_EQ(values(layout->second), (std::vector<int> {1, 2}));
}

TEST(SetSquareScale, FortyFiveFromLeftToRight)
{
    auto square = laid<ISOTriangular>({100, 100}, {400, 100});
    const auto layout = LaySetSquare(*square, ISOTriangular::kSecondLegRatio);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->corner, QPoint(100, 400));
    EXPECT_EQ(values(layout->second), (std::vector<int> {1, 2, 3, 4, 5}));
}

TEST(SetSquareDraw, OutlineLegsAndTicksOnThePage)
{
    auto square = laid<Triangular>({100, 100}, {400, 100});
    const QImage img = drawnOver(*square, page());
    EXPECT_NEAR(square->width, 173.2, 0.05);
    EXPECT_EQ(img.pixel(120, 110), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(100, 122), kRed); // second leg, between two of its ticks
    EXPECT_EQ(img.pixel(103, 120), qRgb(0, 0, 0)); // a tick of the second leg
    EXPECT_EQ(img.pixel(250, 100), kRed);
    bool hypotenuse = false;
    for (int y = 180; y < 193; ++y)
        hypotenuse = hypotenuse || img.pixel(250, y) == kRed;
    EXPECT_TRUE(hypotenuse);
    EXPECT_TRUE(square->HitBody(150, 150));
    EXPECT_FALSE(square->HitBody(350, 200));
    const QImage black = drawnOver(*square, page(Qt::black));
    EXPECT_EQ(black.pixel(120, 110), qRgb(255, 255, 255));
}

TEST(SetSquareDraw, CoincidingPointsDrawNothing)
{
    auto square = laid<ISOTriangular>({100, 100}, {100, 100});
    const QImage blank = page();
    EXPECT_EQ(drawnOver(*square, blank), blank);
    EXPECT_FALSE(square->bodyRgn);
}

TEST(SetSquareDraw, AVeryShortSquareHasOnlyItsOutlineAndHandle)
{
    auto square = laid<Triangular>({100, 100}, {130, 100});
    const auto layout = LaySetSquare(*square, Triangular::kSecondLegRatio);
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->main.ticks.empty());
    EXPECT_TRUE(layout->main.numbers.empty());
    EXPECT_TRUE(layout->second.ticks.empty());
    const QImage img = drawnOver(*square, page());
    EXPECT_EQ(img.pixel(105, 100), kRed);
    EXPECT_EQ(img.pixel(144, 100), qRgb(0, 0, 0)); // the rim of the handle disc
    EXPECT_EQ(img.pixel(135, 100), qRgb(255, 255, 255)); // inside the disc
}
