#include "assist/assist_exports.h"
#include "assist/magnifier_wnd.h"
#include "assist/mask_dlg.h"
#include "assist/presentation_aids_model.h"
#include "platform/message_box.h"
#include "platform/notice.h"
#include "support_main/private_bus.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr QRgb kBehind = 0xFFC8783C; // (200, 120, 60)

QImage screenShot()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

void settle(int ms = 400)
{
    qmtest::waitFor([] { return false; }, ms);
}

void saveShot(const QImage& shot, const char* name)
{
    const QByteArray folder = qgetenv("QM_SHOT_DIR");
    if (!folder.isEmpty())
        shot.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

// origin: where the window lies on the desktop, as the aid placed it.
void sendMouse(
    QWidget* w, QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons, const QPoint& origin = {})
{
    const QPointF local = QPointF(global - origin);
    QMouseEvent event(type, local, QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// A known picture behind the aids: one colour over the screen but its last row, so that the window manager
// does not take it for a full-screen window and stack it above everything.
class AidsDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        behind_ = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        behind_->setAutoFillBackground(true);
        QPalette pal;
        pal.setColor(QPalette::Window, QColor::fromRgb(kBehind));
        behind_->setPalette(pal);
        behind_->setGeometry(0, 0, 1920, 1079);
        behind_->show();
        ASSERT_TRUE(qmtest::waitFor([&] { return behind_->windowHandle()->isExposed(); }));
        SetScreenRect(0, 0, 1920, 1080);
        settle();
    }
    void TearDown() override { SetScreenRect(0, 0, 0, 0); }

    std::unique_ptr<QWidget> behind_;
};

} // namespace

TEST_F(AidsDesktop, TheSpotlightShowsTheRealScreenInItsSpotAndAFlagOfZeroOnlyRemovesIt)
{
    int flag = 1;
    StartSpoltLight(&flag, 300);
    QWidget* spot = qmhelp::spotlightWindow();
    ASSERT_NE(spot, nullptr);
    ASSERT_TRUE(qmtest::waitFor([&] { return spot->windowHandle() && spot->windowHandle()->isExposed(); }));
    settle();
    QImage shot = screenShot();
    saveShot(shot, "spotlight.png");
    EXPECT_EQ(shot.pixel(960, 540), kBehind);
    EXPECT_EQ(shot.pixel(960 + 100, 540), kBehind);
    EXPECT_EQ(shot.pixel(20, 20), qRgb(150, 70, 10));
    EXPECT_EQ(shot.pixel(960 + 150 + 11, 540), DIALOG::aids::kSpotRingColour);
    EXPECT_EQ(flag, 1);

    int off = 0;
    StartSpoltLight(&off, 300);
    EXPECT_EQ(qmhelp::spotlightWindow(), nullptr);
    settle();
    shot = screenShot();
    EXPECT_EQ(shot.pixel(20, 20), kBehind);
    EXPECT_EQ(shot.pixel(960, 540), kBehind);
    EXPECT_EQ(off, 0);
}

TEST_F(AidsDesktop, APressMovesTheSpotAndTheExitPictureClosesIt)
{
    int flag = 1;
    StartSpoltLight(&flag, 200);
    QWidget* spot = qmhelp::spotlightWindow();
    ASSERT_NE(spot, nullptr);
    ASSERT_TRUE(qmtest::waitFor([&] { return spot->windowHandle() && spot->windowHandle()->isExposed(); }));
    sendMouse(spot, QEvent::MouseButtonPress, {400, 300}, Qt::LeftButton);
    sendMouse(spot, QEvent::MouseButtonRelease, {400, 300}, Qt::NoButton);
    settle();
    const QImage shot = screenShot();
    EXPECT_EQ(shot.pixel(400, 300), kBehind);
    EXPECT_EQ(shot.pixel(960, 540), qRgb(150, 70, 10));
    // The exit picture: 40 pixels wide and high, 60 from the right edge and 31 from the bottom.
    sendMouse(spot, QEvent::MouseButtonPress, {1920 - 60 - 20, 1080 - 31 - 20}, Qt::LeftButton);
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(spot->isVisible());
}

TEST_F(AidsDesktop, IsMaskEffectIsZeroBeforeTheFirstMask)
{
    EXPECT_EQ(IsMaskEffect(), 0);
    EXPECT_EQ(GetMaskDlg(), nullptr);
}

TEST_F(AidsDesktop, TheMaskCoversTheLowerHalfAndItsLeftEdgeStops128PixelsBeforeTheRight)
{
    int flag = 1;
    MaskEffect(&flag);
    QWidget* mask = GetMaskDlg();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(IsMaskEffect(), 1);
    ASSERT_TRUE(qmtest::waitFor([&] { return mask->windowHandle() && mask->windowHandle()->isExposed(); }));
    settle();
    QImage shot = screenShot();
    saveShot(shot, "mask_lower_half.png");
    EXPECT_EQ(shot.pixel(960, 300), kBehind);
    EXPECT_EQ(shot.pixel(700, 800), DIALOG::aids::kMaskBodyColour);

    auto* dlg = dynamic_cast<DIALOG::CMaskDlg*>(mask);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->maskRect(), QRect(0, 540, 1920, 540));
    sendMouse(mask, QEvent::MouseButtonPress, {10, 810}, Qt::LeftButton, dlg->maskRect().topLeft());
    for (int x = 100; x <= 1919; x += 300)
        sendMouse(mask, QEvent::MouseMove, {x, 810}, Qt::LeftButton, dlg->maskRect().topLeft());
    sendMouse(mask, QEvent::MouseMove, {1919, 810}, Qt::LeftButton, dlg->maskRect().topLeft());
    sendMouse(mask, QEvent::MouseButtonRelease, {1919, 810}, Qt::NoButton, dlg->maskRect().topLeft());
    EXPECT_EQ(dlg->maskRect(), QRect(1920 - 128, 540, 128, 540));
    settle(600);
    shot = screenShot();
    saveShot(shot, "mask_dragged.png");
    EXPECT_EQ(shot.pixel(1920 - 128 - 2, 800), kBehind);
    EXPECT_EQ(shot.pixel(1920 - 128 + 40, 700), DIALOG::aids::kMaskBodyColour);
    EXPECT_EQ(shot.pixel(1920 - 128 + 5, 400), kBehind);

    flag = 0;
    MaskEffect(&flag);
    EXPECT_FALSE(mask->isVisible());
    EXPECT_EQ(IsMaskEffect(), 0);
}

TEST_F(AidsDesktop, TheSpotlightHidesTheMaskAndZeroesItsFlag)
{
    int maskFlag = 1;
    MaskEffect(&maskFlag);
    ASSERT_NE(GetMaskDlg(), nullptr);
    int spotFlag = 1;
    StartSpoltLight(&spotFlag, 300);
    EXPECT_EQ(maskFlag, 0);
    EXPECT_FALSE(GetMaskDlg()->isVisible());
    EXPECT_EQ(IsMaskEffect(), 0);
    settle();
    // The snapshot was taken with the mask gone: the lower half is the picture behind, darkened.
    EXPECT_EQ(screenShot().pixel(700, 1000), qRgb(150, 70, 10));
    maskFlag = 1;
    MaskEffect(&maskFlag);
    EXPECT_EQ(spotFlag, 0);
    EXPECT_FALSE(qmhelp::spotlightWindow()->isVisible());
}

TEST_F(AidsDesktop, TheMagnifierHidesTheMaskAndTheSpotlightAndZeroesBothFlags)
{
    int maskFlag = 1;
    MaskEffect(&maskFlag);
    int spotFlag = 1;
    StartSpoltLight(&spotFlag, 300);
    // Both on at once, as a caller that drives the windows itself could leave them.
    GetMaskDlg()->show();
    maskFlag = 1;
    settle();
    int magnifierFlag = 1;
    StartMagnifier(&magnifierFlag, 0, 0);
    EXPECT_EQ(maskFlag, 0);
    EXPECT_EQ(spotFlag, 0);
    EXPECT_FALSE(GetMaskDlg()->isVisible());
    EXPECT_FALSE(qmhelp::spotlightWindow()->isVisible());
    QWidget* magnifier = qmhelp::magnifierWindow();
    ASSERT_NE(magnifier, nullptr);
    EXPECT_TRUE(magnifier->isVisible());
    EXPECT_EQ(magnifierFlag, 1);
}

TEST_F(AidsDesktop, TheMagnifierEnlargesTheSelectedAreaAroundItsCentre)
{
    // A narrow stripe behind the screen's centre: 20 pixels wide, 40 once enlarged twice.
    QWidget stripe(nullptr, Qt::FramelessWindowHint);
    stripe.setAutoFillBackground(true);
    QPalette pal;
    pal.setColor(QPalette::Window, Qt::blue);
    stripe.setPalette(pal);
    stripe.setGeometry(950, 300, 20, 500);
    stripe.show();
    ASSERT_TRUE(qmtest::waitFor([&] { return stripe.windowHandle()->isExposed(); }));
    settle();
    int flag = 1;
    StartMagnifier(&flag, 0, 0);
    auto* magnifier = dynamic_cast<DIALOG::CBackgroundScreen*>(qmhelp::magnifierWindow());
    ASSERT_NE(magnifier, nullptr);
    ASSERT_TRUE(qmtest::waitFor([&] { return magnifier->windowHandle()->isExposed(); }));
    sendMouse(magnifier, QEvent::MouseButtonPress, {900, 500}, Qt::LeftButton);
    sendMouse(magnifier, QEvent::MouseMove, {1020, 580}, Qt::LeftButton);
    sendMouse(magnifier, QEvent::MouseButtonRelease, {1020, 580}, Qt::NoButton);
    EXPECT_EQ(magnifier->trackerRect(), QRect(900, 500, 121, 81));
    const QRect bar = magnifier->barRect();
    ASSERT_FALSE(bar.isEmpty());
    sendMouse(magnifier, QEvent::MouseButtonPress, bar.topLeft() + QPoint(10, 10), Qt::LeftButton);
    sendMouse(magnifier, QEvent::MouseButtonRelease, bar.topLeft() + QPoint(10, 10), Qt::NoButton);
    EXPECT_EQ(magnifier->level(), 2);
    settle();
    const QImage shot = screenShot();
    saveShot(shot, "magnifier.png");
    EXPECT_EQ(shot.pixel(945, 540), QColor(Qt::blue).rgb()) << "the stripe is not enlarged";
    EXPECT_EQ(shot.pixel(975, 540), QColor(Qt::blue).rgb());
    EXPECT_EQ(shot.pixel(985, 540), kBehind);
    EXPECT_EQ(shot.pixel(945, 200), kBehind) << "the screen outside the area changed";
}

TEST_F(AidsDesktop, InAWaylandSessionTheAidsShowThePortalsPictureAndARefusalLeavesEveryButtonOff)
{
    constexpr QRgb kNative = 0xFF3070F0; // what only the portal sees: a native window
    QImage native(1920, 1080, QImage::Format_RGB32);
    native.fill(kNative);
    qmtest::PortalSession session(native);
    ASSERT_TRUE(session.ready());
    platform::setMessageBoxHook([](const platform::MessageBoxRequest&) { return platform::IDOK; });

    int spot = 1;
    StartSpoltLight(&spot, 300);
    ASSERT_NE(qmhelp::spotlightWindow(), nullptr);
    QWidget* window = qmhelp::spotlightWindow();
    ASSERT_TRUE(
        qmtest::waitFor([&] { return window->windowHandle() && window->windowHandle()->isExposed(); }));
    settle();
    EXPECT_EQ(screenShot().pixel(960, 540), kNative) << "the spot shows the desktop the portal gave";
    int off = 0;
    StartSpoltLight(&off, 300);

    session.portal().setAnswer(qmtest::FakeScreenshotPortal::Answer::Refuse);
    spot = 1;
    StartSpoltLight(&spot, 300);
    EXPECT_EQ(spot, 0);
    EXPECT_EQ(qmhelp::spotlightWindow(), nullptr);
    EXPECT_FALSE(platform::CurrentNotice().isEmpty()) << "the teacher is told why";
    int magnifier = 1;
    StartMagnifier(&magnifier, 0, 0);
    EXPECT_EQ(magnifier, 0);
    EXPECT_TRUE(!qmhelp::magnifierWindow() || !qmhelp::magnifierWindow()->isVisible());
    int zoom = 1;
    PictuerZoomOut(&zoom);
    EXPECT_EQ(zoom, 0);
    EXPECT_EQ(qmhelp::zoomWindow(), nullptr);
    // A capture window over a black picture would wait for a selection: closed here if it came.
    bool captureOpened = false;
    QObject watch;
    QTimer::singleShot(3000, &watch, [&] {
        if (QWidget* capture = qmhelp::captureWindow()) {
            captureOpened = true;
            capture->close();
        }
    });
    BeginCapSelect();
    EXPECT_FALSE(captureOpened);
    EXPECT_EQ(session.portal().calls(), 5);
    platform::setMessageBoxHook({});
}
