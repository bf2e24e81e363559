#include "assist/presentation_aids_model.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace DIALOG::aids;

namespace {

QImage stripes(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
    return image;
}

} // namespace

TEST(SpotlightPictures, DarkeningLowersEachChannelAndStopsAtZero)
{
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(30, 100, 200));
    picture.setPixel(1, 0, qRgb(255, 50, 49));
    const QImage dark = darkened(picture, kSpotlightDarkening);
    EXPECT_EQ(dark.pixel(0, 0), qRgb(0, 50, 150));
    EXPECT_EQ(dark.pixel(1, 0), qRgb(205, 0, 0));
}

TEST(SpotlightGeometry, TheRingReachesTwentyPixelsEachSideOfTheEdge)
{
    const QRect square = spotSquare(QPoint(500, 400), 300);
    EXPECT_EQ(square, QRect(QPoint(350, 250), QPoint(650, 550)));
    EXPECT_TRUE(onSpotRing(square, QPoint(500 + 150 + 19, 400)));
    EXPECT_TRUE(onSpotRing(square, QPoint(500, 400 - 150 + 19)));
    EXPECT_FALSE(onSpotRing(square, QPoint(500 + 150 + 21, 400)));
    EXPECT_FALSE(onSpotRing(square, QPoint(500 + 150 - 21, 400)));
    EXPECT_FALSE(onSpotRing(square, QPoint(500, 400)));
    // An odd diameter loses its last pixel, as half of it is taken on each side.
    EXPECT_EQ(spotSquare(QPoint(10, 10), 7).width(), 7);
}

TEST(SpotlightPainting, AMoveRepaintsOnlyWhatChangedAndEndsAsAFullRepaint)
{
    const QImage screen = stripes({640, 480});
    const QImage dark = darkened(screen, kSpotlightDarkening);
    QImage frame = dark.copy();
    const QRect first = spotSquare({200, 200}, 120);
    paintSpot(frame, screen, first);
    const QRect second = spotSquare({420, 300}, 120);
    const QImage before = frame.copy();
    const QRect changed = moveSpot(frame, dark, screen, first, second);

    QImage reference = dark.copy();
    paintSpot(reference, screen, second);
    int differing = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            differing += frame.pixel(x, y) != reference.pixel(x, y);
            if (before.pixel(x, y) != frame.pixel(x, y)) {
                ASSERT_TRUE(changed.contains(x, y)) << x << "," << y << " changed outside the reported area";
            }
        }
    EXPECT_EQ(differing, 0);
    EXPECT_LT(changed.width() * changed.height(), frame.width() * frame.height() / 2);
    // Inside the spot the real screen shows; far from it the darkened one; around it the ring.
    EXPECT_EQ(frame.pixel(420, 300), screen.pixel(420, 300));
    EXPECT_EQ(frame.pixel(10, 470), dark.pixel(10, 470));
    EXPECT_EQ(frame.pixel(420 + 60 + 11, 300), kSpotRingColour);
    EXPECT_EQ(frame.pixel(200, 200), dark.pixel(200, 200)) << "the old spot stays lit";
}

TEST(MaskEdges, BandsLieAlongEachEdgeWithoutTheCorners)
{
    const QSize size(400, 300);
    EXPECT_EQ(maskBandAt(size, {5, 150}), kDragLeft);
    EXPECT_EQ(maskBandAt(size, {395, 150}), kDragRight);
    EXPECT_EQ(maskBandAt(size, {200, 5}), kDragTop);
    EXPECT_EQ(maskBandAt(size, {200, 295}), kDragBottom);
    EXPECT_EQ(maskBandAt(size, {5, 5}), kDragNone);
    EXPECT_EQ(maskBandAt(size, {200, 150}), kDragNone);
}

TEST(MaskEdges, AnEdgeStopsAtTheMinimumAndAtTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QRect mask(0, 540, 1920, 540);
    EXPECT_EQ(dragMaskEdge(mask, kDragLeft, {1919, 700}, screen), QRect(1920 - 128, 540, 128, 540));
    EXPECT_EQ(dragMaskEdge(mask, kDragLeft, {415, 700}, screen), QRect(400, 540, 1520, 540));
    EXPECT_EQ(dragMaskEdge(mask, kDragRight, {0, 700}, screen), QRect(0, 540, 128, 540));
    EXPECT_EQ(dragMaskEdge(mask, kDragTop, {900, 1079}, screen), QRect(0, 1080 - 128, 1920, 128));
    EXPECT_EQ(dragMaskEdge(mask, kDragTop, {900, -300}, screen), QRect(0, 0, 1920, 1080));
    const QRect narrow(100, 100, 300, 300);
    EXPECT_EQ(dragMaskEdge(narrow, kDragRight, {5000, 0}, screen).right(), 1919);
    EXPECT_EQ(dragMaskEdge(narrow, kDragBottom, {0, 5000}, screen).bottom(), 1079);
    EXPECT_EQ(dragMaskEdge(narrow, kDragBottom, {0, 0}, screen).height(), 128);
}

TEST(MagnifierGeometry, TheBandIsClippedToTheScreen)
{
    const QSize screen(1920, 1080);
    EXPECT_EQ(clipToScreen(QRect(QPoint(-50, -20), QPoint(99, 79)), screen), QRect(0, 0, 100, 80));
    EXPECT_EQ(clipToScreen(QRect(1900, 1000, 100, 200), screen), QRect(1900, 1000, 20, 80));
    // A band drawn from bottom right to top left counts the same.
    EXPECT_EQ(clipToScreen(bandBetween({300, 200}, {100, 100}), screen), QRect(100, 100, 201, 101));
}

TEST(MagnifierGeometry, EachLevelGrowsTheAreaAroundTheSameCentreAndTheBarStaysOnScreen)
{
    EXPECT_EQ(magnifiedRect({500, 400}, {100, 60}, 1), QRect(450, 370, 100, 60));
    EXPECT_EQ(magnifiedRect({500, 400}, {100, 60}, 3), QRect(350, 310, 300, 180));
    const QSize screen(1920, 1080);
    const QSize bar(132, 40);
    const QRect below = magnifierBarRect(QRect(100, 100, 400, 300), bar, screen);
    EXPECT_EQ(below.right(), QRect(100, 100, 400, 300).right());
    EXPECT_GT(below.top(), 399);
    const QRect corner = magnifierBarRect(QRect(1700, 900, 400, 300), bar, screen);
    EXPECT_LE(corner.right(), 1919);
    EXPECT_LE(corner.bottom(), 1079);
}

TEST(MagnifierPainting, AMoveRestoresTheSnapshotWhereTheEnlargementWas)
{
    const QImage screen = stripes({640, 480});
    QImage frame = screen.copy();
    QImage magnified(80, 60, QImage::Format_RGB32);
    magnified.fill(Qt::magenta);
    const QRect first(100, 100, 80, 60);
    moveMagnified(frame, screen, magnified, QRect(), first);
    const QRect second(300, 200, 80, 60);
    const QRect changed = moveMagnified(frame, screen, magnified, first, second);
    EXPECT_TRUE(changed.contains(first) && changed.contains(second));
    EXPECT_EQ(frame.pixel(120, 120), screen.pixel(120, 120));
    EXPECT_EQ(frame.pixel(320, 220), QColor(Qt::magenta).rgb());
    EXPECT_EQ(frame.pixel(500, 400), screen.pixel(500, 400));
}
