#include "surface/canvas.h"

#include "platform/gdi.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

// A filled square over the page, as a preview or a button would be.
class SquareOverlay : public Overlay {
public:
    SquareOverlay(QRect square, QRgb colour)
        : square_(square)
        , colour_(colour)
    {
    }
    void paintOverlay(QPainter& p) const override { p.fillRect(square_, QColor::fromRgb(colour_)); }

private:
    QRect square_;
    QRgb colour_;
};

CPenNode stroke(QPoint from, QPoint to, int width, COLORREF colour = RGB(0, 0, 0))
{
    CPenNode node(colour, width, 0, Pen);
    node.AddPoint(from.x(), from.y());
    node.AddPoint(to.x(), to.y());
    return node;
}

int count(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

class CanvasTest : public ::testing::Test {
protected:
    CanvasTest()
        : canvas_(QSize(200, 100))
    {
        canvas_.SetRepaint([this](const QRect& r) { repainted_ |= r; });
    }

    Canvas canvas_;
    QRect repainted_;
};

} // namespace

TEST_F(CanvasTest, ComposeShowsThePageWithTheOverlaysInTheirOrder)
{
    const SquareOverlay red(QRect(10, 10, 20, 20), qRgb(255, 0, 0));
    const SquareOverlay blue(QRect(20, 20, 20, 20), qRgb(0, 0, 255));
    canvas_.AddOverlay(&red);
    canvas_.AddOverlay(&blue);
    canvas_.RedrawPage({stroke(QPoint(0, 50), QPoint(199, 50), 3)}, nullptr);
    EXPECT_EQ(canvas_.windowImage().pixel(100, 50), kWhite);
    canvas_.Compose(QRect(0, 0, 60, 60));
    EXPECT_EQ(repainted_, QRect(0, 0, 60, 60));
    EXPECT_EQ(canvas_.windowImage().pixel(15, 15), qRgb(255, 0, 0));
    EXPECT_EQ(canvas_.windowImage().pixel(25, 25), qRgb(0, 0, 255));
    EXPECT_EQ(canvas_.windowImage().pixel(50, 50), qRgb(0, 0, 0));
    // Outside the area the window image is as it was, and the page never holds an overlay.
    EXPECT_EQ(canvas_.windowImage().pixel(100, 50), kWhite);
    EXPECT_EQ(canvas_.pageBitmap().pixel(15, 15), kWhite);
}

TEST_F(CanvasTest, LiveInkGoesOnlyToTheWindowAndIsRepaintedWhereItLies)
{
    canvas_.LiveSegment(QPoint(10, 10), QPoint(60, 40), RGB(0, 0, 255), 5, platform::R2_COPYPEN);
    EXPECT_EQ(count(canvas_.pageBitmap(), kWhite), 200 * 100);
    const int inked = 200 * 100 - count(canvas_.windowImage(), kWhite);
    EXPECT_GT(inked, 0);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool inked = canvas_.windowImage().pixel(x, y) != kWhite;
            ASSERT_TRUE(!inked || repainted_.contains(x, y)) << x << "," << y;
        }
    }
    // A rebuilt area shows the page again.
    canvas_.Compose(canvas_.rect());
    EXPECT_EQ(canvas_.windowImage(), canvas_.pageBitmap());

    repainted_ = QRect();
    const QImage dot = BrushDot(6, RGB(255, 0, 0));
    canvas_.LiveStamps(dot, {QPoint(100, 50), QPoint(150, 50)});
    EXPECT_NE(canvas_.windowImage().pixel(100, 50), kWhite);
    EXPECT_NE(canvas_.windowImage().pixel(150, 50), kWhite);
    EXPECT_TRUE(repainted_.contains(QRect(97, 47, 56, 6)));
}

TEST_F(CanvasTest, ABandDrawnTwiceLeavesNothingAndLiesOverTheOverlays)
{
    const SquareOverlay green(QRect(40, 20, 40, 40), qRgb(0, 160, 0));
    canvas_.AddOverlay(&green);
    canvas_.RedrawPage({stroke(QPoint(0, 30), QPoint(199, 30), 4)}, nullptr);
    canvas_.Compose(canvas_.rect());
    const QImage before = canvas_.windowImage().copy();

    canvas_.MoveBand(Band {Rectangle, QPoint(60, 10), QPoint(120, 80), 1});
    EXPECT_TRUE(canvas_.BandShown());
    // The band inverts what lies beneath it, the overlay too: it is the topmost thing shown.
    EXPECT_EQ(canvas_.windowImage().pixel(90, 10), qRgb(0, 0, 0));
    EXPECT_EQ(canvas_.windowImage().pixel(60, 45), qRgb(255, 95, 255));
    canvas_.Compose(canvas_.rect());
    EXPECT_EQ(canvas_.windowImage().pixel(60, 45), qRgb(255, 95, 255));
    // Moving it or taking it away gives back what was beneath, also after a rebuild while it showed.
    canvas_.MoveBand(Band {Ellipse, QPoint(50, 5), QPoint(190, 95), 3});
    canvas_.MoveBand(Band {Line, QPoint(0, 0), QPoint(199, 99), 2});
    canvas_.RemoveBand();
    EXPECT_FALSE(canvas_.BandShown());
    EXPECT_TRUE(canvas_.BandBounds().isEmpty());
    EXPECT_EQ(canvas_.windowImage(), before);
}

TEST_F(CanvasTest, CommittedObjectsAreDrawnOnThePageAndRedrawnFromTheBackground)
{
    const QRect bounds = canvas_.DrawOnPage(stroke(QPoint(50, 50), QPoint(150, 50), 6), nullptr);
    EXPECT_TRUE(bounds.contains(QRect(47, 47, 107, 7)));
    EXPECT_EQ(canvas_.pageBitmap().pixel(100, 50), qRgb(0, 0, 0));
    EXPECT_EQ(canvas_.windowImage().pixel(100, 50), kWhite);

    // A copy taken of the page keeps what it showed when the page is drawn again.
    const QImage held = canvas_.pageBitmap();
    canvas_.background().fill(qRgb(0, 128, 255));
    canvas_.RedrawPage({stroke(QPoint(10, 10), QPoint(20, 10), 3, RGB(255, 0, 0))}, nullptr);
    EXPECT_EQ(held.pixel(100, 50), qRgb(0, 0, 0));
    EXPECT_EQ(held.pixel(5, 5), kWhite);
    EXPECT_EQ(canvas_.pageBitmap().pixel(100, 50), qRgb(0, 128, 255));
    EXPECT_EQ(canvas_.pageBitmap().pixel(15, 10), qRgb(255, 0, 0));
    // Drawn again in place: the same pixels, whatever the page showed before.
    const QImage first = canvas_.pageBitmap().copy();
    canvas_.DrawOnPage(stroke(QPoint(0, 90), QPoint(199, 90), 8), nullptr);
    canvas_.RedrawPage({stroke(QPoint(10, 10), QPoint(20, 10), 3, RGB(255, 0, 0))}, nullptr);
    EXPECT_EQ(canvas_.pageBitmap(), first);
    EXPECT_EQ(canvas_.PageWith({}, nullptr), canvas_.backgroundBitmap());
}

TEST_F(CanvasTest, EraserStepRestoresTheBackgroundAndOutlinesItsSquare)
{
    canvas_.background().fill(qRgb(200, 200, 0));
    canvas_.RedrawPage({stroke(QPoint(0, 50), QPoint(199, 50), 30)}, nullptr);
    canvas_.Compose(canvas_.rect());
    canvas_.LiveEraser(
        {QPoint(50, 50), QPoint(51, 50)}, 8, QRect(), QRect(43, 42, 16, 16), QRect(42, 42, 18, 16));
    const QImage& w = canvas_.windowImage();
    EXPECT_EQ(w.pixel(43, 46), qRgb(0, 0, 0));
    EXPECT_EQ(w.pixel(50, 50), kWhite);
    EXPECT_EQ(w.pixel(42, 50), qRgb(200, 200, 0));
    EXPECT_EQ(w.pixel(30, 50), qRgb(0, 0, 0));
    // The next step restores the last square from the background: no outline is left behind.
    canvas_.LiveEraser(
        {QPoint(90, 50)}, 8, QRect(43, 42, 16, 16), QRect(82, 42, 16, 16), QRect(82, 42, 16, 16));
    EXPECT_EQ(w.pixel(43, 46), qRgb(200, 200, 0));
    EXPECT_EQ(w.pixel(50, 50), qRgb(200, 200, 0));
    EXPECT_EQ(w.pixel(70, 50), qRgb(0, 0, 0));
    EXPECT_TRUE(repainted_.contains(QRect(42, 42, 56, 16)));
}

TEST_F(CanvasTest, StoredPagePictureKeepsItsPixelPlacesOnWhite)
{
    QImage picture(50, 20, QImage::Format_ARGB32);
    picture.fill(qRgb(10, 20, 30));
    canvas_.PlacePagePicture(picture);
    EXPECT_EQ(canvas_.backgroundBitmap().size(), QSize(200, 100));
    EXPECT_EQ(canvas_.backgroundBitmap().pixel(49, 19), qRgb(10, 20, 30));
    EXPECT_EQ(canvas_.backgroundBitmap().pixel(50, 19), kWhite);
    EXPECT_EQ(canvas_.backgroundBitmap().pixel(49, 20), kWhite);
}
