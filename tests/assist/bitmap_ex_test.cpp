#include "assist/bitmap_ex.h"

#include <QPainter>

#include <gtest/gtest.h>

using UICONTROL::CBitmapEx;

TEST(BitmapExButtons, TheLastDrawnRectangleIsTheHitArea)
{
    CBitmapEx picture;
    ASSERT_TRUE(picture.LoadResource(3002));
    EXPECT_EQ(picture.Width(), 40);
    QImage window(400, 300, QImage::Format_RGB32);
    window.fill(Qt::white);
    QPainter painter(&window);
    EXPECT_FALSE(picture.Hit({10, 10})) << "a picture never drawn is not hit";
    picture.Draw(painter, {100, 50});
    EXPECT_TRUE(picture.Hit({100, 50}));
    EXPECT_TRUE(picture.Hit({139, 89}));
    EXPECT_FALSE(picture.Hit({140, 89}));
    picture.DrawStretch(painter, {0, 0, 200, 100});
    EXPECT_TRUE(picture.Hit({199, 99}));
    EXPECT_FALSE(picture.Hit({100 + 20, 150}));
}

TEST(BitmapExButtons, AMissingPictureDrawsNothingAndIsNeverHit)
{
    CBitmapEx picture;
    EXPECT_FALSE(picture.LoadFile(QStringLiteral("/nonexistent/ZoomClose.png")));
    QImage window(100, 100, QImage::Format_RGB32);
    window.fill(Qt::white);
    QPainter painter(&window);
    picture.Draw(painter, {10, 10});
    painter.end();
    EXPECT_FALSE(picture.Hit({10, 10}));
    EXPECT_EQ(window.pixel(10, 10), qRgb(255, 255, 255));
}

TEST(BitmapExPixels, TransparentColourRegionAndCopiedPart)
{
    QImage source(4, 2, QImage::Format_RGB32);
    source.fill(Qt::black);
    source.setPixel(1, 0, qRgb(255, 0, 255));
    source.setPixel(2, 0, qRgb(10, 20, 30));
    source.setPixel(3, 1, qRgb(10, 20, 30));
    CBitmapEx picture;
    picture.Attach(source);

    const QRegion region = picture.Region();
    EXPECT_TRUE(region.contains(QPoint(1, 0)));
    EXPECT_TRUE(region.contains(QPoint(2, 0)));
    EXPECT_TRUE(region.contains(QPoint(3, 1)));
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(3, 0)));

    QImage window(4, 2, QImage::Format_RGB32);
    window.fill(Qt::white);
    {
        QPainter painter(&window);
        picture.DrawTransparent(painter, {0, 0}, qRgb(255, 0, 255));
    }
    EXPECT_EQ(window.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(window.pixel(2, 0), qRgb(10, 20, 30));
    EXPECT_EQ(window.pixel(0, 0), qRgb(0, 0, 0));

    CBitmapEx part;
    ASSERT_TRUE(part.CopyFrom(picture, QRect(2, 0, 10, 10)));
    EXPECT_EQ(part.Width(), 2);
    EXPECT_EQ(part.image().pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_FALSE(part.CopyFrom(picture, QRect(50, 50, 5, 5)));
}
