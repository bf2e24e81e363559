#include "assist/alarm_sound.h"
#include "assist/assist_exports.h"
#include "assist/countdown_timer_dlg.h"
#include "support/language.h"
#include "support_main/test_util.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

using DIALOG::CTimerDlg;

namespace {

QImage screenAt(const QRect& area)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

struct Colours {
    int green = 0;
    int red = 0;
};

// The digits' pixels in the window's left part, left of the control column.
Colours digitColours(const QImage& shot)
{
    Colours colours;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < std::min(shot.width(), shot.height()); ++x) {
            const QRgb p = shot.pixel(x, y) | 0xFF000000;
            colours.green += p == CTimerDlg::kDigitsColour;
            colours.red += p == CTimerDlg::kLastSecondColour;
        }
    return colours;
}

void saveShot(const QImage& shot, const char* name)
{
    const QByteArray folder = qgetenv("QM_SHOT_DIR");
    if (!folder.isEmpty())
        shot.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

void click(QWidget* button)
{
    auto* b = qobject_cast<QAbstractButton*>(button);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(b->isEnabled());
    b->click();
}

class TimerDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        cwd_ = std::make_unique<qmtest::ScopedCurrentDir>(dir_.path());
        CTimerDlg::setManualClock(true);
        CTimerDlg::setAlarmHook([this] { ++alarms_; });
    }
    void TearDown() override
    {
        CTimerDlg::setManualClock(false);
        CTimerDlg::setAlarmHook({});
        SetLanguage(QStringLiteral("Chinese"));
    }

    QTemporaryDir dir_;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd_;
    int alarms_ = 0;
};

} // namespace

TEST_F(TimerDesktop, AlarmClockShowsTheWindowCentredAndCloseZeroesTheFlag)
{
    SetScreenRect(100, 50, 1100, 850);
    int flag = 1;
    AlarmClock(&flag);
    CTimerDlg* timer = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = dynamic_cast<CTimerDlg*>(w))
            timer = found;
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(qmtest::waitFor([&] { return timer->isVisible() && timer->windowHandle()->isExposed(); }));
    EXPECT_EQ(timer->size(), CTimerDlg::kSmallSize);
    // Where the user sees it: the green digits lie in the centred rectangle and nowhere else.
    const QRect expected(457, 354, 286, 192);
    qmtest::waitFor([] { return false; }, 500);
    const QImage screen = screenAt(QGuiApplication::primaryScreen()->geometry());
    saveShot(screen.copy(expected), "timer_small.png");
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if ((screen.pixel(x, y) | 0xFF000000) == CTimerDlg::kDigitsColour)
                ++(expected.contains(x, y) ? inside : outside);
    EXPECT_GT(inside, 500) << "the green digits do not show";
    EXPECT_EQ(outside, 0);

    click(timer->control(DIALOG::kIdTimerClose));
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(timer->isVisible());
    flag = 1;
    AlarmClock(&flag);
    EXPECT_TRUE(timer->isVisible());
    flag = 0;
    AlarmClock(&flag);
    EXPECT_FALSE(timer->isVisible());
    SetScreenRect(0, 0, 0, 0);
}

TEST_F(TimerDesktop, TheLastSecondShowsRedAndTheEndRingsTheAlarmOnce)
{
    CTimerDlg dlg(nullptr);
    dlg.show();
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg.windowHandle() && dlg.windowHandle()->isExposed(); }));
    auto* minutes = qobject_cast<QLineEdit*>(dlg.control(DIALOG::kIdTimerMinutes));
    ASSERT_NE(minutes, nullptr);
    minutes->setText(QStringLiteral("1"));
    click(dlg.control(DIALOG::kIdTimerStart));
    EXPECT_FALSE(minutes->isEnabled());
    EXPECT_TRUE(dlg.control(DIALOG::kIdTimerStop)->isEnabled());
    for (int i = 0; i < 59; ++i)
        dlg.OnTimer();
    ASSERT_EQ(dlg.model().seconds(), 1);
    qmtest::waitFor([] { return false; }, 300);
    QImage shot = screenAt(dlg.geometry());
    saveShot(shot, "timer_last_second.png");
    Colours colours = digitColours(shot);
    EXPECT_GT(colours.red, 500);
    EXPECT_EQ(colours.green, 0);
    EXPECT_EQ(alarms_, 0);
    dlg.OnTimer();
    dlg.OnTimer();
    EXPECT_EQ(alarms_, 1);
    EXPECT_EQ(dlg.model().seconds(), 0);
    EXPECT_TRUE(minutes->isEnabled());
    EXPECT_FALSE(dlg.control(DIALOG::kIdTimerStop)->isEnabled());
}

TEST_F(TimerDesktop, PausingKeepsTheTimeAndCountUpStartsFromZero)
{
    SetLanguage(QStringLiteral("English"));
    CTimerDlg dlg(nullptr);
    dlg.show();
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg.windowHandle() && dlg.windowHandle()->isExposed(); }));
    auto* start = qobject_cast<QAbstractButton*>(dlg.control(DIALOG::kIdTimerStart));
    EXPECT_EQ(start->text(), QStringLiteral("Start"));
    click(start);
    EXPECT_EQ(start->text(), QStringLiteral("Pause"));
    dlg.OnTimer();
    dlg.OnTimer();
    click(start);
    EXPECT_EQ(start->text(), QStringLiteral("Start"));
    dlg.OnTimer();
    EXPECT_EQ(dlg.model().text(), QStringLiteral("00:00:58"));
    click(start);
    dlg.OnTimer();
    EXPECT_EQ(dlg.model().text(), QStringLiteral("00:00:57"));
    click(dlg.control(DIALOG::kIdTimerStop));

    click(dlg.control(DIALOG::kIdTimerCountUp));
    EXPECT_FALSE(dlg.control(DIALOG::kIdTimerMinutes)->isEnabled());
    click(start);
    dlg.OnTimer();
    dlg.OnTimer();
    click(dlg.control(DIALOG::kIdTimerStop));
    click(start);
    EXPECT_EQ(dlg.model().text(), QStringLiteral("00:00:00"));
    dlg.OnTimer();
    EXPECT_EQ(dlg.model().text(), QStringLiteral("00:00:01"));
}

TEST_F(TimerDesktop, EveryLabelFitsItsControlInBothLanguages)
{
    for (const QString& language : {QStringLiteral("Chinese"), QStringLiteral("English")}) {
        SetLanguage(language);
        CTimerDlg dlg(nullptr);
        dlg.show();
        ASSERT_TRUE(qmtest::waitFor([&] { return dlg.windowHandle() && dlg.windowHandle()->isExposed(); }));
        for (int id : {DIALOG::kIdTimerUnit, DIALOG::kIdTimerCountUp, DIALOG::kIdTimerCountDown,
                 DIALOG::kIdTimerStart, DIALOG::kIdTimerStop}) {
            const QWidget* control = dlg.control(id);
            ASSERT_NE(control, nullptr) << id;
            // "Backward" lost its last letters here.
            EXPECT_LE(control->sizeHint().width(), control->width()) << language.toStdString() << " " << id;
        }
    }
}

TEST_F(TimerDesktop, MaximizeGrowsTheDigitsAndKeepsTheControlsAtTheCorner)
{
    CTimerDlg dlg(nullptr);
    dlg.show();
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg.windowHandle() && dlg.windowHandle()->isExposed(); }));
    QWidget* stop = dlg.control(DIALOG::kIdTimerStop);
    const QPoint fromCorner = QPoint(dlg.width(), dlg.height()) - stop->geometry().bottomRight();
    click(dlg.control(DIALOG::kIdTimerMaximize));
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg.size() == CTimerDlg::kLargeSize; }));
    EXPECT_EQ(QPoint(dlg.width(), dlg.height()) - stop->geometry().bottomRight(), fromCorner);
    qmtest::waitFor([] { return false; }, 300);
    const QImage shot = screenAt(dlg.geometry());
    saveShot(shot, "timer_large.png");
    EXPECT_GT(digitColours(shot).green, 5000);
    click(dlg.control(DIALOG::kIdTimerMaximize));
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg.size() == CTimerDlg::kSmallSize; }));
}

TEST(AlarmSoundDesktop, TheAlarmReachesTheSoundServer)
{
    EXPECT_TRUE(DIALOG::timer::playAlarmAndWait());
}
