#pragma once
// The 3D board's exports.
#include "board3d/qmplay_export.h"

extern "C" {
QMPLAY_EXPORT bool Create3DScreenPen();
QMPLAY_EXPORT bool Hide3DWindow();
QMPLAY_EXPORT void Destroy3DScreen();
}
