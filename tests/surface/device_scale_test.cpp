#include "surface/device_scale.h"

#include "surface/canvas.h"
#include "surface/gesture.h"

#include <QPainter>
#include <QRegion>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

constexpr double kRatios[] = {1.25, 1.5, 2.0, 3.0};

// Every device rectangle of a small screen with a corner and a size from 0 to 6 pixels.
template<typename Check>
void forSmallRects(Check check)
{
    for (int x = 0; x < 7; ++x)
        for (int y = 0; y < 3; ++y)
            for (int w = 1; w < 7; ++w)
                for (int h = 1; h < 3; ++h)
                    check(QRect(x, y, w, h));
}

// A one-pixel checker of black and white.
QImage checker(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 ? 0xFF000000 : 0xFFFFFFFF);
    return image;
}

} // namespace

TEST(DeviceScale, AtScaleOneEveryMappingIsTheIdentity)
{
    const DeviceScale one;
    forSmallRects([&](const QRect& r) {
        EXPECT_EQ(one.toLogical(r), r);
        EXPECT_EQ(one.toDevice(r), r);
        EXPECT_EQ(one.toLogicalGeometry(r), r);
        EXPECT_EQ(one.toDevice(QPointF(r.topLeft())), r.topLeft());
        EXPECT_EQ(one.toLogical(r.bottomRight()), r.bottomRight());
        EXPECT_EQ(one.length(r.width()), r.width());
        EXPECT_EQ(one.physical(r.width()), r.width());
    });
}

TEST(DeviceScale, AnEventBetweenLogicalPixelsLandsOnItsOwnDevicePixel)
{
    // The X server reports a device pixel; Qt hands it on divided by the ratio.
    for (const double ratio : kRatios) {
        const DeviceScale scale {ratio};
        for (int device = 0; device < 40; ++device) {
            const QPointF logical(device / ratio, (device + 7) / ratio);
            EXPECT_EQ(scale.toDevice(logical), QPoint(device, device + 7)) << ratio;
        }
    }
}

TEST(DeviceScale, ARepaintCoversEveryDevicePixelThatChanged)
{
    for (const double ratio : kRatios) {
        const DeviceScale scale {ratio};
        forSmallRects([&](const QRect& r) {
            const QRect l = scale.toLogical(r);
            EXPECT_LE(l.left() * ratio, r.left()) << ratio;
            EXPECT_LE(l.top() * ratio, r.top()) << ratio;
            EXPECT_GE((l.right() + 1) * ratio, r.right() + 1) << ratio;
            EXPECT_GE((l.bottom() + 1) * ratio, r.bottom() + 1) << ratio;
            // And no more than a logical pixel on each side.
            EXPECT_GT((l.left() + 1) * ratio, r.left()) << ratio;
            EXPECT_LT(l.right() * ratio, r.right() + 1) << ratio;
        });
        EXPECT_TRUE(scale.toLogical(QRect()).isEmpty());
    }
}

TEST(DeviceScale, ChildWindowsAndSizesGoAndComeBackUnchanged)
{
    for (const double ratio : kRatios) {
        const DeviceScale scale {ratio};
        forSmallRects([&](const QRect& logical) {
            EXPECT_EQ(scale.toLogicalGeometry(scale.toDevice(logical)), logical) << ratio;
        });
        // A width the teacher chose grows with the scale, and the panel shows it as chosen again.
        for (int width = 1; width < 60; ++width) {
            EXPECT_GE(scale.length(width), int(width * ratio) - 1) << ratio;
            EXPECT_EQ(scale.physical(scale.length(width)), width) << ratio;
        }
    }
    // A thin pen stays a pen and no size turns into nothing.
    EXPECT_EQ(DeviceScale {0.5}.length(1), 1);
    EXPECT_EQ(DeviceScale {2.0}.length(0), 0);
    EXPECT_EQ(DeviceScale {2.0}.length(3), 6);
}

TEST(DeviceScale, TheWindowShowsEachDevicePixelOfTheCanvasOnce)
{
    // A canvas of 8 x 6 device pixels on a window of 4 x 3 logical ones.
    Canvas canvas(QSize(8, 6));
    canvas.background() = checker(QSize(8, 6));
    canvas.RedrawPage({}, nullptr);
    canvas.Compose(canvas.rect());
    QImage window(QSize(8, 6), QImage::Format_RGB32);
    window.fill(Qt::red);
    window.setDevicePixelRatio(2.0);
    {
        QPainter p(&window);
        canvas.PaintWindow(p, QRegion(QRect(2, 0, 2, 3)), 2.0);
    }
    const QImage expected = checker(QSize(8, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(window.pixel(x, y), x < 4 ? QColor(Qt::red).rgb() : expected.pixel(x, y))
                << x << "," << y;
}

TEST(DeviceScale, ACursorPictureIsAsLargeOnAScaledDesktopAsOnAPlainOne)
{
    QPixmap picture(32, 32);
    picture.fill(Qt::black);
    const QCursor plain = CursorAtScale(picture, QPoint(2, 29), 1.0);
    EXPECT_EQ(plain.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(plain.hotSpot(), QPoint(2, 29));
    // The pen's tip stays under the hot spot.
    const QCursor doubled = CursorAtScale(picture, QPoint(2, 29), 2.0);
    EXPECT_EQ(doubled.pixmap().size(), QSize(64, 64));
    EXPECT_EQ(doubled.hotSpot(), QPoint(4, 58));
}
