#include "instrument_pages.h"
#include "instruments/ruler_entity.h"

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

// Ink of colour within the text cell that starts at origin.
int inkInCell(const QImage& img, QPoint origin, QRgb colour)
{
    int n = 0;
    for (int y = origin.y(); y < origin.y() + 14; ++y)
        for (int x = origin.x(); x < origin.x() + 8; ++x)
            n += img.valid(x, y) && img.pixel(x, y) == colour;
    return n;
}

} // namespace

TEST(RulerScale, TwoHundredPixelsLeftToRight)
{
    auto ruler = laid<RulerEntity>({100, 300}, {300, 300});
    const auto layout = ruler->Scale();
    ASSERT_TRUE(layout);
    const auto& ticks = layout->marks.ticks;
    ASSERT_EQ(ticks.size(), 40u);
    for (int i = 0; i < 40; ++i) {
        const int len = i % 10 == 0 ? 28 : (i % 5 == 0 ? 18 : 10);
        EXPECT_EQ(ticks[std::size_t(i)].from, QPoint(105 + 5 * i, 300)) << i;
        EXPECT_EQ(ticks[std::size_t(i)].to, QPoint(105 + 5 * i, 300 + len)) << i;
    }
    EXPECT_EQ(values(layout->marks), (std::vector<int> {0, 1, 2, 3}));
    EXPECT_EQ(layout->marks.numbers[1].origin, QPoint(155, 328));
    // The back edge runs one step past the measuring edge.
    EXPECT_EQ(layout->startCorner, QPoint(100, 380));
    EXPECT_EQ(layout->endCorner, QPoint(305, 380));
}

TEST(RulerScale, LaidLeftwardsTicksRiseAndNumbersLiftByHalfATick)
{
    auto ruler = laid<RulerEntity>({300, 300}, {100, 300});
    const auto layout = ruler->Scale();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->marks.ticks[0].to, QPoint(295, 272));
    EXPECT_EQ(layout->marks.numbers[0].origin, QPoint(295, 258));
    const QImage img = drawnOver(*ruler, page());
    EXPECT_TRUE(isInk(img.pixel(290, 295)));
    EXPECT_FALSE(isInk(img.pixel(290, 305)));
}

TEST(RulerScale, LaidDownwardsTicksHangLeftAndNumbersMoveLeft)
{
    auto ruler = laid<RulerEntity>({300, 100}, {300, 300});
    const auto layout = ruler->Scale();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->marks.ticks[0].to, QPoint(272, 105));
    EXPECT_EQ(layout->marks.numbers[0].origin, QPoint(258, 105));
    const QImage img = drawnOver(*ruler, page());
    EXPECT_TRUE(isInk(img.pixel(295, 110)));
    EXPECT_FALSE(isInk(img.pixel(305, 110)));
}

TEST(RulerScale, ALongerRulerThanItsCapKeepsItsTickSpacing)
{
    auto ruler = laid<RulerEntity>({100, 300}, {300, 300});
    ruler->maxLength = 100;
    const auto layout = ruler->Scale();
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->marks.ticks.size(), 20u);
    EXPECT_EQ(layout->marks.ticks.back().from, QPoint(200, 300));
}

TEST(RulerDraw, TicksEndWhereTheirLengthSaysOnAWhitePageInBlack)
{
    auto ruler = laid<RulerEntity>({100, 300}, {300, 300});
    const QImage img = drawnOver(*ruler, page());
    EXPECT_EQ(img.pixel(110, 305), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(110, 310), qRgb(255, 255, 255)); // the short tick stops before its end point
    EXPECT_EQ(img.pixel(130, 316), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(130, 320), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(155, 325), qRgb(0, 0, 0));
    EXPECT_GT(inkInCell(img, {155, 328}, qRgb(0, 0, 0)), 5); // the number 1
    EXPECT_EQ(img.pixel(103, 300), kRed); // measuring edge
    EXPECT_EQ(img.pixel(302, 380), kRed); // back edge, 5 pixels longer
    EXPECT_EQ(img.pixel(100, 340), kRed);
}

TEST(RulerDraw, TicksAndNumbersAreWhiteOverBlack)
{
    auto ruler = laid<RulerEntity>({100, 300}, {300, 300});
    const QImage img = drawnOver(*ruler, page(Qt::black));
    EXPECT_EQ(img.pixel(110, 305), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(155, 325), qRgb(255, 255, 255));
    EXPECT_GT(inkInCell(img, {155, 328}, qRgb(255, 255, 255)), 5);
}

TEST(RulerDraw, EachTickTakesTheInverseOfThePagePixelAtItsEnd)
{
    QImage under = page(QColor(40, 200, 90));
    under.setPixel(110, 310, qRgb(10, 20, 30));
    auto ruler = laid<RulerEntity>({100, 300}, {300, 300});
    const QImage img = drawnOver(*ruler, under);
    EXPECT_EQ(img.pixel(110, 305), qRgb(245, 235, 225));
    EXPECT_EQ(img.pixel(115, 305), qRgb(215, 55, 165));
}

TEST(RulerDraw, CoincidingPointsDrawNothingAndKeepTheRegions)
{
    auto ruler = laid<RulerEntity>({100, 300}, {300, 300});
    drawnOver(*ruler, page());
    const QRegion body = *ruler->bodyRgn;
    const QRegion dirty = ruler->dirtyRgn;
    ruler->ptHandle = ruler->ptOrigin;
    const QImage blank = page();
    EXPECT_EQ(drawnOver(*ruler, blank), blank);
    EXPECT_EQ(*ruler->bodyRgn, body);
    EXPECT_EQ(ruler->dirtyRgn, dirty);
}

TEST(RulerDraw, ATickEndingOffThePageIsBlack)
{
    auto ruler = laid<RulerEntity>({-60, 10}, {140, 10});
    const QImage img = drawnOver(*ruler, page(QColor(128, 128, 128), 200, 30));
    EXPECT_EQ(img.pixel(45, 15), qRgb(0, 0, 0)); // a long tick, ending below the page
    EXPECT_EQ(img.pixel(50, 15), qRgb(127, 127, 127));
}

TEST(RulerRegions, BodyIsTheBandAndDirtyReachesPastTheHandle)
{
    auto ruler = laid<RulerEntity>({100, 300}, {300, 300});
    EXPECT_FALSE(ruler->HitBody(200, 340)); // nothing is laid out yet
    ruler->UpdateRegions();
    EXPECT_TRUE(ruler->HitBody(200, 340));
    EXPECT_FALSE(ruler->HitBody(200, 390));
    EXPECT_TRUE(ruler->HitHandle(310, 305));
    EXPECT_FALSE(ruler->HitHandle(320, 300));
    EXPECT_TRUE(ruler->dirtyRgn.contains(QPoint(324, 300)));
    EXPECT_FALSE(ruler->dirtyRgn.contains(QPoint(330, 300)));
    EXPECT_TRUE(ruler->HitRect(150, 370, 160, 500));
    EXPECT_FALSE(ruler->HitRect(0, 385, 1000, 500));
    EXPECT_FALSE(ruler->HitRect(200, 340, 100, 300)); // an empty rectangle
}
