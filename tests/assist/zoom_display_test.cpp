#include "assist/assist_exports.h"
#include "assist/my_wboard.h"
#include "support_main/test_util.h"
#include "picture_on_screen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Every pixel differs from its neighbours, so that a view off by one pixel shows.
QImage knownPicture(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 30 + (y / 256) * 7));
    return image;
}

using qmtest::PictureWidget;
using qmtest::screenShot;

void settle(int ms = 300)
{
    qmtest::waitFor([] { return false; }, ms);
}

DIALOG::CMyWboard* shownZoom()
{
    auto* w = static_cast<DIALOG::CMyWboard*>(qmhelp::zoomWindow());
    if (!w || !qmtest::waitFor([&] { return w->windowHandle() && w->windowHandle()->isExposed(); }))
        return nullptr;
    settle();
    return w;
}

void sendMouse(QWidget* w, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent event(
        type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

class ZoomDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        known_ = knownPicture(QSize(1920, 1079));
        behind_ = std::make_unique<PictureWidget>(known_);
        behind_->setGeometry(0, 0, 1920, 1079);
        behind_->show();
        ASSERT_TRUE(qmtest::waitFor([&] { return behind_->windowHandle()->isExposed(); }));
        SetScreenRect(0, 0, 1920, 1080);
        settle(400);
    }
    void TearDown() override
    {
        PictuerZoomOut(nullptr);
        settle(100);
        SetScreenRect(0, 0, 0, 0);
    }

    QImage known_;
    std::unique_ptr<PictureWidget> behind_;
};

} // namespace

TEST_F(ZoomDesktop, OpensTwiceAsLargeAroundTheMiddleAndTheFlagFollowsTheWindow)
{
    int flag = 1;
    PictuerZoomOut(&flag);
    DIALOG::CMyWboard* zoom = shownZoom();
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(zoom->windowTitle(), QStringLiteral("图片处理"));
    EXPECT_EQ(zoom->view().factor(), 2);
    const QImage shot = screenShot();
    if (const QByteArray folder = qgetenv("QM_SHOT_DIR"); !folder.isEmpty())
        shot.save(QString::fromLocal8Bit(folder) + QStringLiteral("/zoom_factor2.png"));
    // The screen's middle stays in the middle; each snapshot pixel is a block of 2 x 2.
    EXPECT_EQ(shot.pixel(960, 540), known_.pixel(960, 540));
    EXPECT_EQ(shot.pixel(0, 0), known_.pixel(480, 270));
    EXPECT_EQ(shot.pixel(1, 1), known_.pixel(480, 270));
    EXPECT_EQ(shot.pixel(2, 0), known_.pixel(481, 270));
    EXPECT_EQ(shot.pixel(1900, 1000), known_.pixel(480 + 950, 270 + 500));

    for (int i = 0; i < 12; ++i)
        PictuerEnlarge();
    EXPECT_EQ(zoom->view().factor(), 10);
    for (int i = 0; i < 8; ++i)
        PictuerSmall();
    EXPECT_EQ(zoom->view().factor(), 2);
    EXPECT_EQ(flag, 1);
    // Down to the natural size: the window goes and the caller's button with it.
    PictuerSmall();
    EXPECT_EQ(qmhelp::zoomWindow(), nullptr);
    EXPECT_EQ(flag, 0);
}

TEST_F(ZoomDesktop, EachExportOpensAClosedWindowAtItsOwnFactor)
{
    int flag = 0;
    PictuerZoomOut(&flag);
    EXPECT_EQ(qmhelp::zoomWindow(), nullptr);
    PictuerEnlarge();
    ASSERT_NE(shownZoom(), nullptr);
    EXPECT_EQ(static_cast<DIALOG::CMyWboard*>(qmhelp::zoomWindow())->view().factor(), 2);
    EXPECT_EQ(flag, 1);
    PictuerNoChange();
    EXPECT_EQ(qmhelp::zoomWindow(), nullptr);
    EXPECT_EQ(flag, 0);
    PictuerNoChange();
    ASSERT_NE(shownZoom(), nullptr);
    EXPECT_EQ(static_cast<DIALOG::CMyWboard*>(qmhelp::zoomWindow())->view().factor(), 1);
    EXPECT_EQ(flag, 1);
    // At the natural size the screen looks as it did.
    EXPECT_EQ(screenShot().copy(0, 0, 1920, 1079), known_);
    PictuerZoomOut(nullptr);
    EXPECT_EQ(qmhelp::zoomWindow(), nullptr);
    PictuerSmall();
    ASSERT_NE(shownZoom(), nullptr);
    EXPECT_EQ(static_cast<DIALOG::CMyWboard*>(qmhelp::zoomWindow())->view().factor(), 1);
}

TEST_F(ZoomDesktop, DraggingPansUpToThePicturesEdgeAndNoFurther)
{
    int flag = 1;
    PictuerZoomOut(&flag);
    DIALOG::CMyWboard* zoom = shownZoom();
    ASSERT_NE(zoom, nullptr);
    // The view follows the hand: dragging left by 200 shows what lay 100 snapshot pixels to the right.
    sendMouse(zoom, QEvent::MouseButtonPress, {1000, 500});
    sendMouse(zoom, QEvent::MouseMove, {800, 500});
    EXPECT_EQ(zoom->view().centre(), QPointF(1060, 540));
    // Far beyond the right edge: the view stops where the snapshot ends.
    for (int x = 780; x > -2000; x -= 100)
        sendMouse(zoom, QEvent::MouseMove, {x, 500});
    sendMouse(zoom, QEvent::MouseButtonRelease, {-2000, 500}, Qt::NoButton);
    EXPECT_LE(zoom->view().sourceRect().right(), 1920.0);
    EXPECT_GE(zoom->view().sourceRect().right(), 1920.0 - 50);
    settle();
    const QImage shot = screenShot();
    const QRectF source = zoom->view().sourceRect();
    EXPECT_EQ(shot.pixel(1919, 0), known_.pixel(int(source.right()) - 1, int(source.top())));

    // Without the program folder's pictures there are no buttons, and a press there pans instead.
    EXPECT_TRUE(zoom->closeRect().isEmpty());
    EXPECT_EQ(flag, 1);
}
