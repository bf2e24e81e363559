#pragma once
// The screen recorder's exports.
#include "recorder/qmvidio_export.h"

#include <QStringList>

extern "C" {
// The start/pause button's action.
QMVIDIO_EXPORT void StartRecordScreen();
QMVIDIO_EXPORT void PauseRecordScreen();
QMVIDIO_EXPORT void StopRecordScreen();
// 1 while a recording is in progress (also while paused).
QMVIDIO_EXPORT int IsPlaying();
QMVIDIO_EXPORT int IsRecordVisible();
QMVIDIO_EXPORT void ShowRecordWindow();
QMVIDIO_EXPORT void HideRecordWindow();
// Toggles the record control window; then, unless a save dialog is open, the start/pause button's action.
QMVIDIO_EXPORT void ShowRecordControlWindow();
QMVIDIO_EXPORT void DestroyRecordControlWindow();
// The microphones the sound server offers, by name and by description: 1 when a sound server answered, 0
// when none did. It waits up to two seconds for the server: call it off the user-interface thread.
QMVIDIO_EXPORT int GetSoundSources(QStringList* names, QStringList* descriptions);
}
