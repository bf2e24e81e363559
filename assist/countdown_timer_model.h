#pragma once
// What the countdown timer window knows without a window: the minutes text rule, the running state and the
// seconds shown. The window turns button presses and its one-second timer into calls on this model.
#include "assist/qmhelp_export.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace DIALOG::timer {

// The mode values the window's radio buttons stand for.
constexpr int kModeCountUp = 0;
constexpr int kModeCountDown = 1;

enum class RunState { Running = 0, Paused = 1, Stopped = 2 };

// The largest number of minutes the timer takes: one day.
constexpr int kMaxMinutes = 1440;

// The seconds a minutes text stands for: digits only, 1 to 1440; nothing for any other text.
QMHELP_EXPORT std::optional<std::int64_t> secondsForMinutesText(const QString& text);
// "HH:MM:SS" with the hours within the day, so a full day shows as "00:00:00".
QMHELP_EXPORT QString formatTimerSeconds(std::int64_t seconds);

class QMHELP_EXPORT CountdownTimer {
public:
    // What a one-second step did.
    enum class Step { Counted, Finished, Idle };

    // The edit text changed: an accepted text sets the time; any text clears the red last second.
    void setMinutesText(const QString& text);
    QString minutesText() const { return minutesText_; }

    // The start/pause button: starts from stopped (count down from the minutes text, count up from 0),
    // resumes from paused, pauses while running. False when a count-down has nothing left to count.
    bool startOrPause();
    void stop();
    // One second passed. A count-down that reaches 0 stops and reports Finished.
    Step tick();

    void setCountUp();
    void setCountDown();
    // The window was closed: its next start reads the minutes text again.
    void requireReRead() { reReadPending_ = true; }

    std::int64_t seconds() const { return seconds_; }
    bool lastSecond() const { return lastSecond_; }
    int mode() const { return mode_; }
    RunState state() const { return state_; }
    QString text() const { return formatTimerSeconds(seconds_); }

private:
    void readMinutesText();

    std::int64_t seconds_ = 60;
    QString minutesText_ = QStringLiteral("1");
    bool reReadPending_ = false;
    bool lastSecond_ = false;
    int mode_ = kModeCountDown;
    RunState state_ = RunState::Stopped;
};

} // namespace DIALOG::timer
