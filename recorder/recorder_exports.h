#pragma once
// The screen recorder's exports.
#include "recorder/qmvidio_export.h"

extern "C" {
QMVIDIO_EXPORT void ShowRecordControlWindow();
QMVIDIO_EXPORT void StopRecordScreen();
QMVIDIO_EXPORT void DestroyRecordControlWindow();
// 1 while a recording is in progress (also while paused).
QMVIDIO_EXPORT int IsPlaying();
}
