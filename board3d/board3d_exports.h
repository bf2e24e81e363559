#pragma once
// The 3D board's exports. IsPlaying is the recorder's (libQMVidio.so): this library does not export one.
#include "board3d/qmplay_export.h"

extern "C" {
QMPLAY_EXPORT bool Create3DScreenPen();
QMPLAY_EXPORT bool Hide3DWindow();
QMPLAY_EXPORT void Destroy3DScreen();
}
