#pragma once
// The screen recorder's exports.
#include "recorder/qmvidio_export.h"

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
}
