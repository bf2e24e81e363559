#include "assist/countdown_timer_model.h"

#include <gtest/gtest.h>

using namespace DIALOG::timer;

namespace {

void ticks(CountdownTimer& timer, int n)
{
    for (int i = 0; i < n; ++i)
        timer.tick();
}

} // namespace

TEST(TimerMinutesText, RefusedTextsLeaveTheTimeAsItWas)
{
    CountdownTimer timer;
    timer.setMinutesText(QStringLiteral("5"));
    ASSERT_EQ(timer.seconds(), 300);
    for (const char* text : {"0", "1441", "5a", "", " 5", "-5", "+5", "5.0", "99999999999", "０"}) {
        timer.setMinutesText(QString::fromUtf8(text));
        EXPECT_EQ(timer.seconds(), 300) << text;
        EXPECT_FALSE(secondsForMinutesText(QString::fromUtf8(text))) << text;
    }
}

TEST(TimerMinutesText, AcceptedTextsSetMinutesAndAFullDayShowsAsMidnight)
{
    CountdownTimer timer;
    timer.setMinutesText(QStringLiteral("1440"));
    EXPECT_EQ(timer.seconds(), 86400);
    EXPECT_EQ(timer.text(), QStringLiteral("00:00:00"));
    timer.setMinutesText(QStringLiteral("0005"));
    EXPECT_EQ(timer.seconds(), 300);
    EXPECT_EQ(timer.text(), QStringLiteral("00:05:00"));
    timer.setMinutesText(QStringLiteral("1439"));
    EXPECT_EQ(timer.text(), QStringLiteral("23:59:00"));
    EXPECT_EQ(formatTimerSeconds(3 * 3600 + 4 * 60 + 5), QStringLiteral("03:04:05"));
}

TEST(TimerCounting, PauseAndResumeKeepTheRemainingTime)
{
    CountdownTimer timer;
    timer.setMinutesText(QStringLiteral("2"));
    ASSERT_TRUE(timer.startOrPause());
    ticks(timer, 10);
    EXPECT_EQ(timer.seconds(), 110);
    ASSERT_TRUE(timer.startOrPause());
    EXPECT_EQ(timer.state(), RunState::Paused);
    ticks(timer, 5);
    EXPECT_EQ(timer.seconds(), 110);
    ASSERT_TRUE(timer.startOrPause());
    EXPECT_EQ(timer.state(), RunState::Running);
    EXPECT_EQ(timer.seconds(), 110);
    timer.tick();
    EXPECT_EQ(timer.seconds(), 109);
}

TEST(TimerCounting, CountUpRestartsFromZeroAfterStop)
{
    CountdownTimer timer;
    timer.setCountUp();
    ASSERT_EQ(timer.mode(), kModeCountUp);
    ASSERT_TRUE(timer.startOrPause());
    ticks(timer, 7);
    EXPECT_EQ(timer.text(), QStringLiteral("00:00:07"));
    timer.stop();
    EXPECT_EQ(timer.seconds(), 7);
    ASSERT_TRUE(timer.startOrPause());
    EXPECT_EQ(timer.seconds(), 0);
    timer.tick();
    EXPECT_EQ(timer.seconds(), 1);
}

TEST(TimerCounting, CountDownStopsAtZeroWithTheLastSecondRed)
{
    CountdownTimer timer;
    timer.setMinutesText(QStringLiteral("1"));
    ASSERT_TRUE(timer.startOrPause());
    ticks(timer, 58);
    EXPECT_FALSE(timer.lastSecond());
    EXPECT_EQ(timer.tick(), CountdownTimer::Step::Counted);
    EXPECT_EQ(timer.seconds(), 1);
    EXPECT_TRUE(timer.lastSecond());
    EXPECT_EQ(timer.tick(), CountdownTimer::Step::Finished);
    EXPECT_EQ(timer.seconds(), 0);
    EXPECT_EQ(timer.state(), RunState::Stopped);
    EXPECT_EQ(timer.tick(), CountdownTimer::Step::Idle);
    EXPECT_EQ(timer.seconds(), 0);
    // A fresh start reads the minutes again and the digits turn back to green.
    ASSERT_TRUE(timer.startOrPause());
    EXPECT_EQ(timer.seconds(), 60);
    EXPECT_FALSE(timer.lastSecond());
}

TEST(TimerCounting, CountDownWithNothingToCountDoesNotStart)
{
    CountdownTimer timer;
    timer.setCountUp();
    timer.setCountDown();
    timer.setMinutesText(QStringLiteral("0"));
    ASSERT_EQ(timer.seconds(), 0);
    EXPECT_FALSE(timer.startOrPause());
    EXPECT_EQ(timer.state(), RunState::Stopped);
    EXPECT_EQ(timer.tick(), CountdownTimer::Step::Idle);
    EXPECT_EQ(timer.seconds(), 0);
}

TEST(TimerCounting, ModesDoNotChangeWhileACountRunsOrIsPaused)
{
    CountdownTimer timer;
    timer.setMinutesText(QStringLiteral("3"));
    ASSERT_TRUE(timer.startOrPause());
    timer.tick();
    timer.setCountUp();
    EXPECT_EQ(timer.mode(), kModeCountDown);
    EXPECT_EQ(timer.seconds(), 179);
    timer.startOrPause();
    timer.setCountUp();
    EXPECT_EQ(timer.mode(), kModeCountDown);
}

TEST(TimerCounting, APausedCountReadsTheMinutesAgainAfterTheWindowWasClosed)
{
    CountdownTimer timer;
    timer.setMinutesText(QStringLiteral("5"));
    ASSERT_TRUE(timer.startOrPause());
    ticks(timer, 3);
    timer.startOrPause();
    timer.requireReRead();
    ASSERT_TRUE(timer.startOrPause());
    EXPECT_EQ(timer.seconds(), 300);
    EXPECT_EQ(timer.state(), RunState::Running);
}
