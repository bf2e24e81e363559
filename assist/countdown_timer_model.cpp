#include "assist/countdown_timer_model.h"

#include <algorithm>

namespace DIALOG::timer {

std::optional<std::int64_t> secondsForMinutesText(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    int minutes = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        // Stays above the limit once past it, however many digits follow.
        minutes = std::min(minutes * 10 + (c.unicode() - u'0'), kMaxMinutes + 1);
    }
    if (minutes < 1 || minutes > kMaxMinutes)
        return std::nullopt;
    return std::int64_t(minutes) * 60;
}

QString formatTimerSeconds(std::int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    const std::int64_t withinDay = seconds % (24 * 3600);
    return QStringLiteral("%1:%2:%3")
        .arg(withinDay / 3600, 2, 10, QLatin1Char('0'))
        .arg(withinDay / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(withinDay % 60, 2, 10, QLatin1Char('0'));
}

void CountdownTimer::setMinutesText(const QString& text)
{
    minutesText_ = text;
    readMinutesText();
}

void CountdownTimer::readMinutesText()
{
    if (const auto seconds = secondsForMinutesText(minutesText_))
        seconds_ = *seconds;
    lastSecond_ = false;
}

bool CountdownTimer::startOrPause()
{
    if (state_ == RunState::Running) {
        state_ = RunState::Paused;
        return true;
    }
    if (mode_ == kModeCountDown && (state_ == RunState::Stopped || reReadPending_))
        readMinutesText();
    else if (mode_ == kModeCountUp && state_ == RunState::Stopped)
        seconds_ = 0;
    reReadPending_ = false;
    // A count-down from 0 (an unreadable text after a finished run) would run below zero for ever.
    if (mode_ == kModeCountDown && seconds_ <= 0)
        return false;
    state_ = RunState::Running;
    return true;
}

void CountdownTimer::stop()
{
    state_ = RunState::Stopped;
}

CountdownTimer::Step CountdownTimer::tick()
{
    if (state_ != RunState::Running)
        return Step::Idle;
    if (mode_ == kModeCountUp) {
        ++seconds_;
        return Step::Counted;
    }
    --seconds_;
    if (seconds_ == 1)
        lastSecond_ = true;
    if (seconds_ <= 0) {
        seconds_ = 0;
        state_ = RunState::Stopped;
        return Step::Finished;
    }
    return Step::Counted;
}

void CountdownTimer::setCountUp()
{
    // The mode buttons are disabled while a count runs or is paused.
    if (state_ != RunState::Stopped)
        return;
    mode_ = kModeCountUp;
    seconds_ = 0;
}

void CountdownTimer::setCountDown()
{
    if (state_ != RunState::Stopped)
        return;
    mode_ = kModeCountDown;
    lastSecond_ = false;
}

} // namespace DIALOG::timer
