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

TEST(TextTrackerTrack, OnAScaledDesktopTheFrameAndItsHandlesKeepTheirPhysicalSize)
{
    // A box of device pixels at a scale of 2: the frame is twice as many pixels wide.
    TextTracker t;
    t.SetScale(2.0);
    t.SetRect(QRect(200, 200, 400, 200));
    const int frame = 2 * TextTracker::kFrame;
    EXPECT_EQ(t.HitTest(QPoint(600 + frame - 2, 400 + frame - 2)), TextTracker::HitBottomRight);
    EXPECT_EQ(t.HitTest(QPoint(400, 200 - frame + 1)), TextTracker::HitTop);
    EXPECT_TRUE(
        t.FrameBounds(t.rect()).contains(QRect(200 - frame, 200 - frame, 400 + 2 * frame, 200 + 2 * frame)));
    // A slip of the pen is judged in the same physical size.
    EXPECT_TRUE(IsTextBoxTooSmall(QRect(0, 0, 63, 64), 2.0));
    EXPECT_FALSE(IsTextBoxTooSmall(QRect(0, 0, 64, 20), 2.0));
}

TEST(TextTrackerTrack, DraggingAnEdgePastTheOtherFlipsTheBox)
{
    TextTracker t;
    t.SetRect(QRect(100, 100, 200, 100));
    t.BeginTrack(QPoint(98, 150), TextTracker::HitLeft);
    t.TrackTo(QPoint(398, 150));
    EXPECT_EQ(t.End(), QRect(300, 100, 100, 100));
}
