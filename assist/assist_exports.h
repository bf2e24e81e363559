#pragma once
// The screen assistant tools' plain exports.
#include "assist/qmhelp_export.h"

extern "C" {
// The screen rectangle the tools cover: left, top, right, bottom in virtual-screen pixels.
QMHELP_EXPORT void SetScreenRect(int left, int top, int right, int bottom);
// Opens (flag non-zero) or closes (zero or null) the picture zoom window; the library writes 0 into the
// caller's flag when the user closes it.
QMHELP_EXPORT void PictuerZoomOut(int* openFlag);
// Shows (flag non-zero) or hides (zero) the timer window, creating it on first use and centring it on the
// screen rectangle. The library writes 0 into the caller's flag when the user closes the window.
QMHELP_EXPORT void AlarmClock(int* flag);
// 1 when a process named "AVP.exe" runs.
QMHELP_EXPORT int Find360Process();
QMHELP_EXPORT void ConvertPPTToFolder();
}

namespace qmhelp {
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
QMHELP_EXPORT ScreenRect screenRect();
} // namespace qmhelp
