// Where a picture lands and how large it is when the teacher clicks to place it.
#include "surface/picture_rules.h"

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

const QRect kScreen(0, 0, 1920, 1080);

} // namespace

TEST(PicturePlacement, ANarrowPictureGrowsToTheSmallestSide)
{
    EXPECT_EQ(PlacePicture(QSize(10, 40), QPoint(500, 500), kScreen), (PictureBox {25, 101, 500, 500}));
    // A flat one the same way up.
    EXPECT_EQ(PlacePicture(QSize(80, 20), QPoint(500, 500), kScreen), (PictureBox {101, 25, 500, 500}));
}

TEST(PicturePlacement, APictureOfOrdinarySizeKeepsItAtTheClick)
{
    EXPECT_EQ(PlacePicture(QSize(300, 200), QPoint(700, 400), kScreen), (PictureBox {300, 200, 700, 400}));
}

TEST(PicturePlacement, AClickNearTheRightEdgeNarrowsThePicture)
{
    // Its right half would pass the edge: it ends 62 pixels inside it.
    const PictureBox box = PlacePicture(QSize(400, 200), QPoint(1800, 500), kScreen);
    EXPECT_EQ(box.width, 2 * (1920 - 1800) - 124);
    EXPECT_EQ(box.height, 200);
    EXPECT_LE(box.centreX + box.width / 2, 1920);
}

TEST(PicturePlacement, AClickTenPixelsFromTheRightEdgeStaysOnScreen)
{
    const PictureBox box = PlacePicture(QSize(400, 200), QPoint(1910, 500), kScreen);
    EXPECT_GT(box.width, 0);
    EXPECT_LT(box.width, 400);
    EXPECT_GT(box.height, 0);
    EXPECT_GE(box.centreX - box.width / 2, 0);
    EXPECT_LE(box.centreX + (box.width + 1) / 2, 1920);
}

TEST(PicturePlacement, AClickNearTheBottomNarrowsItsHeightAndBothEdgesBoth)
{
    const PictureBox low = PlacePicture(QSize(300, 300), QPoint(800, 1000), kScreen);
    EXPECT_EQ(low.width, 300);
    EXPECT_EQ(low.height, 2 * (1080 - 1000) - 124);
    const PictureBox corner = PlacePicture(QSize(300, 300), QPoint(1800, 1000), kScreen);
    EXPECT_EQ(corner.width, 116);
    EXPECT_EQ(corner.height, 36);
}

TEST(PicturePlacement, ALargePictureTakesAThirdOfTheScreenWithItsShape)
{
    const PictureBox box = PlacePicture(QSize(3000, 1000), QPoint(300, 300), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(box.width, 640);
    EXPECT_EQ(box.height, 213);
}

TEST(PicturePlacement, ScreensThatDoNotStartAtTheOriginCountFromTheirEdges)
{
    const QRect second(1920, 0, 1920, 1080);
    const PictureBox box = PlacePicture(QSize(400, 200), QPoint(3800, 500), second);
    EXPECT_EQ(box.width, kPictureMinSide);
    EXPECT_EQ(box.centreX, 3840 - 62 - 13);
}
