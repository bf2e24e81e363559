#include "surface/text_tracker.h"

#include <gtest/gtest.h>

using namespace DIALOG;

TEST(TextTrackerDropRule, SmallBoxesAreTakenForSlips)
{
    EXPECT_TRUE(IsTextBoxTooSmall(QRect(0, 0, 31, 32)));
    EXPECT_TRUE(IsTextBoxTooSmall(QRect(0, 0, 0, 0)));
    EXPECT_FALSE(IsTextBoxTooSmall(QRect(0, 0, 31, 33))); // narrow but tall: a column of text
    EXPECT_FALSE(IsTextBoxTooSmall(QRect(0, 0, 32, 10))); // low but wide: one line
}

TEST(TextTrackerRubberBand, DragUpAndLeftGivesTheNormalisedBox)
{
    TextTracker t;
    EXPECT_TRUE(t.IsOffScreen());
    EXPECT_EQ(t.HitTest(QPoint(0, 0)), TextTracker::HitNothing);
    t.BeginRubberBand(QPoint(300, 200));
    t.TrackTo(QPoint(100, 150));
    EXPECT_EQ(t.End(), QRect(100, 150, 200, 50));
    EXPECT_FALSE(t.Tracking());
    EXPECT_FALSE(t.IsOffScreen());
}

TEST(TextTrackerTrack, HandlesResizeAndTheFrameMoves)
{
    TextTracker t;
    t.SetRect(QRect(100, 100, 200, 100));
    const QPoint bottomRight(100 + 200 + TextTracker::kFrame - 2, 100 + 100 + TextTracker::kFrame - 2);
    ASSERT_EQ(t.HitTest(bottomRight), TextTracker::HitBottomRight);
    t.BeginTrack(bottomRight, TextTracker::HitBottomRight);
    t.TrackTo(bottomRight + QPoint(50, 20));
    EXPECT_EQ(t.End(), QRect(100, 100, 250, 120));

    const QPoint frameTop(200 - 30, 100 - 3);
    ASSERT_EQ(t.HitTest(frameTop), TextTracker::HitMiddle);
    t.BeginTrack(frameTop, TextTracker::HitMiddle);
    t.TrackTo(frameTop + QPoint(-40, 60));
    EXPECT_EQ(t.End(), QRect(60, 160, 250, 120));
    EXPECT_EQ(t.HitTest(QPoint(5, 5)), TextTracker::HitNothing);
}

TEST(TextTrackerTrack, DraggingAnEdgePastTheOtherFlipsTheBox)
{
    TextTracker t;
    t.SetRect(QRect(100, 100, 200, 100));
    t.BeginTrack(QPoint(98, 150), TextTracker::HitLeft);
    t.TrackTo(QPoint(398, 150));
    EXPECT_EQ(t.End(), QRect(300, 100, 100, 100));
}
