#include "assist/picture_zoom_model.h"

#include <gtest/gtest.h>

using DIALOG::zoom::PictureZoom;

namespace {

// The view never shows past the snapshot's edges.
void expectInside(const PictureZoom& zoom, const QSize& display)
{
    const QRectF source = zoom.sourceRect();
    EXPECT_GE(source.left(), -1e-9);
    EXPECT_GE(source.top(), -1e-9);
    EXPECT_LE(source.right(), display.width() + 1e-9);
    EXPECT_LE(source.bottom(), display.height() + 1e-9);
}

} // namespace

TEST(PictureZoomFactor, StaysBetweenOneAndTen)
{
    const QSize display(1920, 1080);
    PictureZoom zoom(display);
    EXPECT_EQ(zoom.factor(), 2);
    for (int i = 0; i < 12; ++i)
        zoom.enlarge();
    EXPECT_EQ(zoom.factor(), 10);
    EXPECT_DOUBLE_EQ(zoom.sourceRect().width(), 192.0);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(zoom.reduce());
    EXPECT_EQ(zoom.factor(), 2);
    EXPECT_FALSE(zoom.reduce()) << "at factor 1 the window closes";
    EXPECT_EQ(zoom.factor(), 1);
    EXPECT_FALSE(zoom.reduce());
    EXPECT_EQ(zoom.factor(), 1);
}

TEST(PictureZoomPanning, EachAxisStopsAtThePictureEdge)
{
    const QSize display(1920, 1080);
    PictureZoom zoom(display, 4);
    // Dragging the picture right shows more of its left side: the centre moves left by offset / factor.
    zoom.pan({1000, 500}, {1400, 500});
    EXPECT_DOUBLE_EQ(zoom.centre().x(), 960 - 100);
    expectInside(zoom, display);
    // Far past the left edge the x move is refused, while y still follows.
    zoom.pan({0, 500}, {4000, 300});
    EXPECT_DOUBLE_EQ(zoom.centre().x(), 860);
    EXPECT_DOUBLE_EQ(zoom.centre().y(), 540 + 50);
    expectInside(zoom, display);
}

TEST(PictureZoomPanning, ReducingPullsTheCentreBackSoTheWindowStaysCovered)
{
    const QSize display(1920, 1080);
    PictureZoom zoom(display, 10);
    // Pan to the top-left corner as far as it goes.
    for (int i = 0; i < 100; ++i)
        zoom.pan({500, 500}, {600, 600});
    expectInside(zoom, display);
    EXPECT_LT(zoom.centre().x(), 200);
    zoom.reduce();
    zoom.reduce();
    EXPECT_EQ(zoom.factor(), 8);
    expectInside(zoom, display);
    EXPECT_DOUBLE_EQ(zoom.sourceRect().left(), 0.0);
    zoom.noChange();
    EXPECT_EQ(zoom.factor(), 1);
    EXPECT_EQ(zoom.sourceRect(), QRectF(0, 0, 1920, 1080));
}
