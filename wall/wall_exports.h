#pragma once
// The 3D picture wall's exports.
#include "wall/qmshow_export.h"

extern "C" {
QMSHOW_EXPORT void ShowMainFrame();
// The library copies the path; the caller keeps ownership.
QMSHOW_EXPORT void SetShowPath(const char* path);
}
