// Fingers writing at once on a board page of a real display: the touch events reach the surface's window,
// and every stroke shows on the screen the teacher sees. With QM_SHOT_DIR set, the screen is kept there as
// a picture for each case.
#include "surface/screen_pen_wnd.h"

#include "platform/shell.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace DIALOG;

namespace {

class TouchDisplay : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::desktop::available()) << "needs the virtual desktop";
        lesson_.SetBoardMode(kBoardWhite);
        owner_ = std::make_unique<QWidget>();
        surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_);
        surface_->SetPen(6, RGB(0, 0, 200));
        ASSERT_TRUE(qmtest::waitFor(
            [&] { return surface_->windowHandle() && surface_->windowHandle()->isExposed(); }));
    }
    void TearDown() override
    {
        surface_.reset();
        owner_.reset();
    }

    static QImage screen()
    {
        QCoreApplication::processEvents();
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
            QImage::Format_RGB32);
    }

    Lesson lesson_ {platform::programFolder()};
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<CScreenPenWnd> surface_;
};

// Blue pixels along the row y between the x ends.
int blueOnRow(const QImage& img, int y, int from, int to)
{
    int n = 0;
    for (int x = from; x <= to; ++x)
        n += img.pixel(x, y) == 0xFF0000C8;
    return n;
}

} // namespace

TEST_P(TouchDisplay, EveryFingerWritingAtOnceShowsItsOwnStroke)
{
    const int fingers = GetParam();
    QPointingDevice* frame = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen,
        QInputDevice::Capability::Position | QInputDevice::Capability::Area);
    QWidget* w = surface_.get();
    const QRect area = surface_->rect();
    // Each finger writes a wave of its own across the page, all at the same time.
    const auto at = [&](int f, int k) {
        const int row = area.height() * (f + 1) / (fingers + 1);
        return QPoint(200 + k * 12, row + int(25 * std::sin(k / 6.0 + f)));
    };
    auto touch = QTest::touchEvent(w, frame, false);
    for (int f = 0; f < fingers; ++f)
        touch.press(f, at(f, 0), w);
    touch.commit();
    for (int k = 1; k <= 100; ++k) {
        for (int f = 0; f < fingers; ++f)
            touch.move(f, at(f, k), w);
        touch.commit();
    }
    // Half way, the strokes are all under way: live on the screen, none on the page yet.
    const QImage live = screen();
    for (int f = 0; f < fingers; ++f)
        touch.release(f, at(f, 100), w);
    touch.commit();
    const QImage kept = screen();

    ASSERT_EQ(lesson_.Pages().nodes.size(), std::size_t(fingers));
    for (int f = 0; f < fingers; ++f) {
        const QPoint start = at(f, 0);
        EXPECT_GT(blueOnRow(live, start.y(), start.x() - 3, start.x() + 3), 0) << "finger " << f;
        EXPECT_GT(blueOnRow(kept, start.y(), start.x() - 3, start.x() + 3), 0) << "finger " << f;
    }
    if (const QString dir = qEnvironmentVariable("QM_SHOT_DIR"); !dir.isEmpty()) {
        QDir().mkpath(dir);
        kept.save(QStringLiteral("%1/fingers-%2.png").arg(dir).arg(fingers));
    }
}

INSTANTIATE_TEST_SUITE_P(TwoAndTen, TouchDisplay, ::testing::Values(2, 10));
