#include "instrument_pages.h"
#include "instruments/protractor.h"

#include <gtest/gtest.h>

using namespace DIALOG;
using namespace instrument_test;

namespace {

const ScaleNumber& numberOf(const ScaleMarks& marks, int value)
{
    for (const ScaleNumber& n : marks.numbers)
        if (n.value == value)
            return n;
    static const ScaleNumber none;
    return none;
}

std::unique_ptr<Protractor> placedAt(QPoint p)
{
    auto protractor = std::make_unique<Protractor>(screen());
    protractor->PlaceAt(p);
    return protractor;
}

} // namespace

TEST(ProtractorPlacing, AClickLaysItFiveHundredWideAroundThePoint)
{
    auto protractor = placedAt({600, 400});
    EXPECT_EQ(protractor->ptOrigin, QPoint(350, 400));
    EXPECT_EQ(protractor->ptHandle, QPoint(850, 400));
    EXPECT_EQ(protractor->span, 500.0);
    EXPECT_TRUE(protractor->visible);
    EXPECT_EQ(protractor->ptCentre, QPoint(600, 400));
}

TEST(ProtractorScale, OneTickADegreeAndSeventeenNumbers)
{
    auto protractor = placedAt({600, 400});
    const auto marks = protractor->Scale();
    ASSERT_TRUE(marks);
    EXPECT_EQ(marks->ticks.size(), 181u);
    ASSERT_EQ(marks->numbers.size(), 17u);
    EXPECT_EQ(marks->numbers.front().value, 10);
    EXPECT_EQ(marks->numbers.back().value, 170);
    // 90 stands straight above the centre, 20 pixels inside the rim.
    EXPECT_EQ(numberOf(*marks, 90).origin, QPoint(600, 170));
    // Counted from the handle end: 10 is on the right, 170 on the left.
    EXPECT_GT(numberOf(*marks, 10).anchor.x(), 800);
    EXPECT_LT(numberOf(*marks, 170).anchor.x(), 400);
    EXPECT_EQ(marks->ticks[90].from, QPoint(600, 150));
    EXPECT_EQ(marks->ticks[90].to, QPoint(600, 170));
    EXPECT_EQ(marks->ticks[1].to.x() - marks->ticks[1].from.x(), -8); // a one-degree tick is 8 long
}

TEST(ProtractorDraw, HalfDiscAboveTicksInverseOfThePage)
{
    auto protractor = placedAt({600, 400});
    const QImage white = drawnOver(*protractor, page());
    EXPECT_EQ(white.pixel(600, 160), qRgb(0, 0, 0));
    EXPECT_EQ(white.pixel(600, 300), qRgb(255, 255, 255));
    EXPECT_EQ(white.pixel(500, 400), qRgb(255, 0, 0)); // the diameter
    const QImage black = drawnOver(*protractor, page(Qt::black));
    EXPECT_EQ(black.pixel(600, 160), qRgb(255, 255, 255));
    EXPECT_TRUE(protractor->HitBody(600, 300));
    EXPECT_FALSE(protractor->HitBody(600, 450));
    EXPECT_TRUE(protractor->HitHandle(860, 400));
}

TEST(ProtractorDraw, LaidBackwardsTheHalfDiscIsBelowAndNumbersRunFromTheHandle)
{
    auto protractor = laid<Protractor>({850, 400}, {350, 400});
    const auto marks = protractor->Scale();
    ASSERT_TRUE(marks);
    EXPECT_LT(numberOf(*marks, 10).anchor.x(), 400);
    EXPECT_GT(numberOf(*marks, 90).anchor.y(), 600);
    const QImage img = drawnOver(*protractor, page());
    EXPECT_TRUE(protractor->HitBody(600, 500));
    EXPECT_FALSE(protractor->HitBody(600, 300));
    EXPECT_EQ(img.pixel(600, 640), qRgb(0, 0, 0));
}

TEST(ProtractorReach, NeverUnderFiveHundredNorWiderThanTheScreen)
{
    auto protractor = placedAt({600, 400});
    EXPECT_FALSE(protractor->CanReach(350 + 499, 400));
    EXPECT_TRUE(protractor->CanReach(350 + 500, 400));
    EXPECT_TRUE(protractor->CanReach(350, 400 + kScreenWidth));
    EXPECT_FALSE(protractor->CanReach(350, 401 + kScreenWidth));
}

TEST(ProtractorTurn, TheTurnPointKeepsTheSpanTowardsTheMouse)
{
    auto protractor = placedAt({600, 400});
    EXPECT_EQ(protractor->TurnPoint(350, 900), QPoint(350, 900));
    EXPECT_EQ(protractor->TurnPoint(350, 0), QPoint(350, -100));
    EXPECT_EQ(protractor->TurnPoint(0, 400), QPoint(-150, 400));
    EXPECT_EQ(protractor->TurnPoint(350, 400), QPoint(350, 900));
    EXPECT_EQ(protractor->TurnPoint(380, 440), QPoint(650, 800));
}
