#include "lumo/engine/image_spider.h"
#include "lumo/engine/wall_rules.h"

#include "support_main/test_util.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace Qt::StringLiterals;
using namespace lumo::wall;

namespace {

TEST(WallLayout, ThreeRowsOfNPlusOneOverThree)
{
    EXPECT_EQ(itemsPerRow(0), 1);
    EXPECT_EQ(itemsPerRow(1), 1);
    EXPECT_EQ(itemsPerRow(12), 4);
    EXPECT_EQ(itemsPerRow(60), 20);
    // 12 pictures: four a row, top row first, 550 apart.
    EXPECT_EQ(tilePlace(0, 12).x, 0.0f);
    EXPECT_EQ(tilePlace(0, 12).y, 540.0f);
    EXPECT_EQ(tilePlace(3, 12).x, 1650.0f);
    EXPECT_EQ(tilePlace(4, 12).x, 0.0f);
    EXPECT_EQ(tilePlace(4, 12).y, 0.0f);
    EXPECT_EQ(tilePlace(11, 12).y, -540.0f);
    EXPECT_EQ(tilePlace(11, 12).x, 1650.0f);
    EXPECT_EQ(wallLength(11), 1650.0f);
    EXPECT_EQ(wallLength(59), 19 * 550.0f);
}

TEST(WallLayout, NoTileLiesOnAnotherWhenTheRowsDoNotDivideEvenly)
{
    for (int n : {1, 2, 4, 7, 10, 13, 61}) {
        std::set<std::pair<float, float>> places;
        for (int i = 0; i < n; ++i) {
            const TilePlace p = tilePlace(i, n);
            EXPECT_TRUE(places.insert({p.x, p.y}).second) << "tile " << i << " of " << n;
            EXPECT_GE(p.y, -540.0f);
        }
    }
    // Four pictures: one a row, and the fourth beside the third instead of on it.
    EXPECT_EQ(tilePlace(3, 4).y, -540.0f);
    EXPECT_EQ(tilePlace(3, 4).x, 550.0f);
}

TEST(WallZoom, EqualShapesGiveExactly960By720AndOthersKeepTheirShape)
{
    EXPECT_EQ(zoomFit(QSize(1280, 960)), QSize(960, 720));
    EXPECT_EQ(zoomFit(QSize(4000, 3000)), QSize(960, 720));
    EXPECT_EQ(zoomFit(QSize(96, 72)), QSize(960, 720));
    EXPECT_EQ(zoomFit(QSize(1920, 1080)), QSize(960, 540)); // wider: width 960
    EXPECT_EQ(zoomFit(QSize(3000, 4000)), QSize(540, 720)); // taller: height 720
    EXPECT_EQ(zoomFit(QSize(10, 7000)), QSize(1, 720));
    EXPECT_EQ(zoomFit(QSize()), QSize(960, 720));
}

TEST(WallZoom, TilesKeepTheirSizeWhileTheirTexturesShrink)
{
    EXPECT_EQ(tileSize(QSize(4000, 3000)), QSizeF(500, 375));
    EXPECT_EQ(tileSize(QSize(400, 300)), QSizeF(500, 375));
    EXPECT_EQ(tileTextureSize(QSize(4000, 3000)), QSize(512, 384));
    EXPECT_EQ(tileTextureSize(QSize(400, 300)), QSize(400, 300)); // never enlarged
    EXPECT_EQ(tileTextureSize(QSize(6000, 10)), QSize(512, 1));
}

TEST(WallScale, ATileOnTheScreensPixelsLiesUnderTheLogicalRectangleThatCoversIt)
{
    EXPECT_EQ(logicalCovering(QRect(100, 50, 301, 200), 1.0), QRect(100, 50, 301, 200));
    // Device pixels 101..401 across: logical 50 to 200, both half-covered ones included.
    EXPECT_EQ(logicalCovering(QRect(101, 50, 301, 200), 2.0), QRect(50, 25, 151, 100));
    EXPECT_TRUE(logicalCovering(QRect(), 2.0).isNull()) << "no tile selected";
}

TEST(WallClicks, AClickCountsTwoSecondsAfterTheLastOneThatCounted)
{
    EXPECT_FALSE(acceptWallClick(1999, 0));
    EXPECT_TRUE(acceptWallClick(2000, 0));
    EXPECT_FALSE(acceptWallClick(500, 1000)); // a clock that went back
}

TEST(WallFiles, PicturesAreKnownByTheLastThreeLettersInAnyCase)
{
    EXPECT_TRUE(isPictureFile(u"Lesson 1_001.png"_s));
    EXPECT_TRUE(isPictureFile(u"Lesson 1_001.PNG"_s)); // as the slide converter names them
    EXPECT_TRUE(isPictureFile(u"IMG_0001.JPG"_s));
    EXPECT_TRUE(isPictureFile(u"a.jpg"_s));
    EXPECT_TRUE(isPictureFile(u"b.bmp"_s));
    EXPECT_FALSE(isPictureFile(u"c.jpeg"_s));
    EXPECT_FALSE(isPictureFile(u"flag.dat"_s));
    EXPECT_EQ(slideNumberOfTile(u"/x/Lesson 1_012.PNG"_s), 12);
    EXPECT_EQ(slideNumberOfTile(u"Deck_2024_003.png"_s), 3);
    EXPECT_EQ(slideNumberOfTile(u"photo.jpg"_s), 0);
}

TEST(WallFiles, TheSpiderListsPicturesInNumberOrderAndLoadsThemSmall)
{
    QTemporaryDir dir;
    QImage big(2000, 1000, QImage::Format_RGB32);
    big.fill(Qt::blue);
    ASSERT_TRUE(big.save(dir.filePath(u"s_10.png"_s)));
    ASSERT_TRUE(big.save(dir.filePath(u"s_2.png"_s)));
    qmtest::writeFile(dir.filePath(u"broken.jpg"_s), "not a picture");
    qmtest::writeFile(dir.filePath(u"notes.txt"_s), "text");
    lumo::spider::CLocalImageSpider spider(dir.path());
    auto items = spider.Crawl();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[0]->FilePath().endsWith(u"broken.jpg"_s));
    EXPECT_TRUE(items[1]->FilePath().endsWith(u"s_2.png"_s));
    EXPECT_TRUE(items[2]->FilePath().endsWith(u"s_10.png"_s));
    EXPECT_TRUE(items[0]->Load(kTileTextureSide).isNull());
    const QImage small = items[1]->Load(kTileTextureSide);
    EXPECT_EQ(small.size(), QSize(512, 256));
    EXPECT_EQ(small.pixelColor(10, 10), QColor(Qt::blue));
    EXPECT_EQ(items[1]->LoadFitted(zoomFit(items[1]->OriginalSize())).size(), QSize(960, 480));
}

TEST(CameraGlide, EachValueApproachesItsTargetAtItsRateAndNeverPassesIt)
{
    // √100 × 40 × 0.1 = 40 units in a tenth of a second.
    EXPECT_FLOAT_EQ(approach(0, 100, 40, 0.1f), 40.0f);
    EXPECT_FLOAT_EQ(approach(0, -100, 40, 0.1f), -40.0f);
    EXPECT_FLOAT_EQ(approach(99, 100, 40, 0.1f), 100.0f); // the step would pass: it snaps
    EXPECT_FLOAT_EQ(animatorDt(5.0f), 0.02f);
    EXPECT_FLOAT_EQ(animatorDt(0.5f), 0.5f);

    CameraState c;
    c.targetX = 1000;
    c.targetZ = kDragZ;
    stepCamera(c, 0.1f);
    EXPECT_FLOAT_EQ(c.lookX, std::sqrt(1000.0f) * 40 * 0.1f);
    EXPECT_GT(c.posX, 0.0f);
    EXPECT_LE(c.posX, c.lookX);
    EXPECT_FLOAT_EQ(c.posZ, kStartZ + std::sqrt(1100.0f) * 20 * 0.1f);
    for (int i = 0; i < 2000; ++i)
        stepCamera(c, 0.02f);
    EXPECT_EQ(c.lookX, 1000.0f);
    EXPECT_EQ(c.posX, 1000.0f);
    EXPECT_EQ(c.posZ, kDragZ);
}

TEST(CameraGlide, ASelectedTileDrawsTheCameraInFrontOfItAndTurnsToward180)
{
    CameraState c;
    c.selected = true;
    c.tileX = 550;
    c.tileY = -540;
    c.targetZ = kSelectedZ;
    EXPECT_EQ(zoomState(true, true, c), 1); // still on the way
    for (int i = 0; i < 3000; ++i)
        stepCamera(c, 0.02f);
    EXPECT_EQ(c.posX, 550.0f);
    EXPECT_EQ(c.posY, -540.0f);
    EXPECT_EQ(c.tileRotation, -180.0f);
    EXPECT_EQ(zoomState(true, true, c), 2);
    EXPECT_EQ(zoomState(true, false, c), 1);
    EXPECT_EQ(zoomState(false, false, c), 0);
}

TEST(CameraGlide, DragsMoveTheWallTheOtherWayWithinItsLengthAndTheWheelStaysInRange)
{
    CameraState c;
    c.maxX = 5000;
    c.targetX = 2500;
    dragBy(c, -9); // the pointer moves left by 9 px: the camera goes right by 200
    EXPECT_FLOAT_EQ(c.targetX, 2700.0f);
    dragBy(c, 10000);
    EXPECT_EQ(c.targetX, 0.0f);
    dragBy(c, -10000);
    EXPECT_EQ(c.targetX, 5000.0f);
    c.selected = true;
    dragBy(c, 90);
    EXPECT_EQ(c.targetX, 5000.0f); // a selected tile holds the camera
    EXPECT_EQ(wheelZ(-2500, 1), -2200.0f);
    EXPECT_EQ(wheelZ(-300, 1), kNearestZ);
    EXPECT_EQ(wheelZ(-2700, -1), kFarthestZ);
}

} // namespace
