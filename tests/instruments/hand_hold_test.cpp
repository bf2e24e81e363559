// Two fingers holding an instrument carry it with their midpoint and turn it with their line, as one rigid
// piece, worked out from where the hold began.
#include "instruments/hand_hold.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace DIALOG;

TEST(HandHold, FingersMovedTogetherCarryTheInstrumentWithoutTurningIt)
{
    const HandHold hold {{100, 200}, {500, 200}, {200, 220}, {400, 220}};
    const auto [origin, handle] = HeldPlace(hold, {230, 180}, {430, 180});
    EXPECT_EQ(origin, QPoint(130, 160));
    EXPECT_EQ(handle, QPoint(530, 160));
}

TEST(HandHold, FingersTurnedAboutTheirMidpointTurnTheInstrumentByTheSameAngle)
{
    // A quarter turn clockwise on the screen about the midpoint (300, 200).
    const HandHold hold {{100, 200}, {500, 200}, {200, 200}, {400, 200}};
    const auto [origin, handle] = HeldPlace(hold, {300, 100}, {300, 300});
    EXPECT_EQ(origin, QPoint(300, 0));
    EXPECT_EQ(handle, QPoint(300, 400));

    // Fingers that spread or close turn it without stretching it.
    const auto [o2, h2] = HeldPlace(hold, {250, 200}, {350, 200});
    EXPECT_EQ(o2, QPoint(100, 200));
    EXPECT_EQ(h2, QPoint(500, 200));

    // Worked from the start, a turn back after many steps lands where it began.
    QPoint o3, h3;
    for (int step = 0; step <= 360; ++step) {
        const double a = step * 3.14159265358979323846 / 180.0;
        const QPointF arm(100 * std::cos(a), 100 * std::sin(a));
        std::tie(o3, h3) = HeldPlace(hold, QPointF(300, 200) - arm, QPointF(300, 200) + arm);
    }
    EXPECT_EQ(o3, QPoint(100, 200));
    EXPECT_EQ(h3, QPoint(500, 200));
}

TEST(HandHold, FingersStartedOnOneSpotOnlyCarryIt)
{
    const HandHold hold {{100, 200}, {500, 200}, {300, 300}, {300, 300}};
    const auto [origin, handle] = HeldPlace(hold, {300, 350}, {400, 350});
    EXPECT_EQ(origin, QPoint(150, 250));
    EXPECT_EQ(handle, QPoint(550, 250));
}
