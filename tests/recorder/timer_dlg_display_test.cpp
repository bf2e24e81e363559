#include "recorder/timer_dlg.h"

#include "support_main/test_util.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

QImage screenAt(const QRect& area)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

} // namespace

TEST(TimerDlgDesktop, OnlyTheRedDigitsShowAtTheTopOfTheScreen)
{
    CTimerDlg dlg;
    dlg.setSeconds(3723); // 01:02:03
    dlg.show();
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg.isVisible() && dlg.windowHandle()->isExposed(); }));
    const QRect area = dlg.frameGeometry();
    EXPECT_EQ(area.top(), 0);
    EXPECT_EQ(area.left(), QGuiApplication::primaryScreen()->geometry().width() / 2);

    const QRegion digits = dlg.digitsRegion();
    ASSERT_FALSE(digits.isEmpty());
    EXPECT_LT(digits.boundingRect().width() * digits.boundingRect().height(), area.width() * area.height());
    qmtest::waitFor([] { return false; }, 300);
    const QImage shot = screenAt(area);
    int red = 0;
    int redOutside = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const bool isRed = shot.pixel(x, y) == qRgb(255, 0, 0);
            if (digits.contains(QPoint(x, y)))
                red += isRed;
            else
                redOutside += isRed;
        }
    }
    EXPECT_GT(red, 100);
    EXPECT_EQ(redOutside, 0) << "the window shows beside its digits";
}

TEST(TimerDlgDesktop, EachTickAddsASecondAndChangesTheOutline)
{
    CTimerDlg dlg;
    const QRegion zero = dlg.digitsRegion();
    dlg.startCounting();
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg.seconds() >= 1; }, 3000));
    dlg.stopCounting();
    EXPECT_NE(dlg.digitsRegion(), zero);
    EXPECT_FALSE(dlg.counting());
}
