#pragma once
// The video player's exports: one video at a time, played inside a caller's window.
//
// The caller attaches a window, loads a file and drives it. The video's events go to the parent of the
// attached window: kMsgGraphNotify (answer it with vpHandleGraphEvent), then kMsgPlaybackComplete when the
// video has played to its end. Times are whole seconds; a volume is in hundredths of a decibel, 0 full and
// -10000 silent.
#include "player/player_rules.h"
#include "player/qmdirect_export.h"

#include <QString>

class QWidget;

extern "C" {
QMDIRECT_EXPORT void vpInitialize();
// Stops the video and releases what plays it; the player answers as stopped until the next load.
QMDIRECT_EXPORT void vpUninitialize();
// The window the next loaded video is shown in.
QMDIRECT_EXPORT void vpAttach(QWidget* owner);
// Ends the video loaded before and loads path, stopped, its first frame shown. A null path builds nothing;
// a file that cannot be played leaves no player.
QMDIRECT_EXPORT void vpLoad(const QString& path);
QMDIRECT_EXPORT void vpPlay();
QMDIRECT_EXPORT void vpPause();
// Pauses and goes back to the start.
QMDIRECT_EXPORT void vpStop();
QMDIRECT_EXPORT void vpSeekToBegin();
QMDIRECT_EXPORT void vpSeekToEnd();
QMDIRECT_EXPORT int vpGetTotalTime();
QMDIRECT_EXPORT int vpGetCurrentPosition();
QMDIRECT_EXPORT void vpSetCurrentPosition(int seconds);
// 0 without a player or without sound.
QMDIRECT_EXPORT int vpGetVolume();
QMDIRECT_EXPORT void vpSetVolume(int volume);
// The video fills the monitor of the attached window (Escape or a double click leave it), or goes back.
QMDIRECT_EXPORT void vpPutFullMode(bool on);
// Fits the video to the attached window, as it is now.
QMDIRECT_EXPORT void vpAdjustToWindow();
// VPPLAYSTATE.
QMDIRECT_EXPORT int vpGetPlayState();
// Whether the file holds a video stream (not a still picture) that this desktop decodes.
QMDIRECT_EXPORT bool vpIsFileCanBeDecoded(const QString& path);
// Answers the events waiting for the owner: a video at its end posts kMsgPlaybackComplete.
QMDIRECT_EXPORT long vpHandleGraphEvent();
// A message of the owner window for the video; WM_SHOWWINDOW shows or hides window first. 1 without a video.
QMDIRECT_EXPORT long vpNotifyOwnerMessage(QWidget* window, UINT message, long wParam, long lParam);
QMDIRECT_EXPORT QString vpSecondToLoalTime(int seconds);
// Ends the video and removes its player.
QMDIRECT_EXPORT void vpQuit();
// Plays path in a window of its own, owned by owner, with a player of its own: the video loaded through the
// functions above goes on. The window, or null when the file cannot be played.
QMDIRECT_EXPORT QWidget* vpPlayInOwnWindow(const QString& path, QWidget* owner);
}
