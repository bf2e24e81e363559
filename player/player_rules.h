#pragma once
// The player's rules that need no media framework: the messages it posts, its play states, how seconds are
// shown and how a volume in hundredths of a decibel becomes a gain.
#include "platform/win_types.h"

#include <QString>

// What the player posts to the parent of the attached window.
constexpr UINT kMsgGraphNotify = WM_APP + 1; // events wait in the queue: call vpHandleGraphEvent
constexpr UINT kMsgPlaybackComplete = 0x2937; // the video played to its end; wParam and lParam 0

// What vpGetPlayState answers.
enum VPPLAYSTATE : int {
    VPS_PLAYING = 0,
    VPS_NOTPLAYING = 1, // loaded, and paused or stopped
    VPS_NOPLAYER = 2,
};

// The player's own state.
constexpr int kStateStopped = 0;
constexpr int kStatePaused = 1;
constexpr int kStatePlaying = 2;

// Event codes of the queue vpHandleGraphEvent drains.
constexpr long kEventComplete = 1;
constexpr long kEventErrorAbort = 3;
// What vpHandleGraphEvent answers once the queue is empty: the queue's "nothing more" result.
constexpr long kEventQueueEmpty = long(std::int32_t(0x80004004));

// Full volume and silence, in hundredths of a decibel.
constexpr int kVolumeFull = 0;
constexpr int kVolumeSilent = -10000;

namespace player {

// "hh:mm:ss"; "00:00:00" for 0 or less.
QString SecondsAsClock(int seconds);
// The linear gain of a volume: 10^(v/2000), 0 at kVolumeSilent and below, 1 at full volume and above.
double VolumeGain(int volume);
// A volume as the player keeps it: within silence and full volume.
int ClampVolume(int volume);

} // namespace player
