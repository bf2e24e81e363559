#pragma once
// The screen assistant tools' plain exports.
#include "assist/qmhelp_export.h"

#include <QImage>
#include <QRect>

class QWidget;

extern "C" {
// The screen rectangle the tools cover: left, top, right, bottom in virtual-screen pixels.
QMHELP_EXPORT void SetScreenRect(int left, int top, int right, int bottom);
// Kept for callers of the full-screen capture; it has never had an effect.
QMHELP_EXPORT void CapFullScreen();
// Takes the screen rectangle as the last capture, then lets the teacher select a part of it to copy or save;
// returns when the capture window closes. Before SetScreenRect there is nothing to capture and no window.
QMHELP_EXPORT void BeginCapSelect();
// Prints the last capture across as many pages as its width needs; nothing while there is none.
QMHELP_EXPORT void PrintLastCapBmp();
// Opens (flag non-zero) or closes (zero or null) the picture zoom window; the library writes 0 into the
// caller's flag when the user closes it.
QMHELP_EXPORT void PictuerZoomOut(int* openFlag);
// One step closer (at most 10 times); opens the zoom window at twice the size when it is closed.
QMHELP_EXPORT void PictuerEnlarge();
// One step back; at the natural size the zoom window closes. Opens it at the natural size when it is closed.
QMHELP_EXPORT void PictuerSmall();
// Back to the natural size, which closes the zoom window; opens it at the natural size when it is closed.
QMHELP_EXPORT void PictuerNoChange();
// Shows (flag non-zero) or hides (zero) the timer window, creating it on first use and centring it on the
// screen rectangle. The library writes 0 into the caller's flag when the user closes the window.
QMHELP_EXPORT void AlarmClock(int* flag);
// Puts a spotlight of the given diameter on the screen rectangle (flag non-zero) after removing the one that
// is there; a flag of 0 only removes it. The library writes 0 into the flag when the user leaves it.
QMHELP_EXPORT void StartSpoltLight(int* flag, int diameter);
// Shows the mask over the lower half of the screen rectangle (flag 1) or hides it (0). The result means
// nothing to callers.
QMHELP_EXPORT int MaskEffect(int* flag);
// 0 before the first MaskEffect, else the current value of the caller's flag.
QMHELP_EXPORT int IsMaskEffect();
// Freezes the screen rectangle for the magnifier (flag non-zero) or hides it (0), after hiding the spotlight
// and the mask. The two further arguments are not used; the result means nothing to callers.
QMHELP_EXPORT int StartMagnifier(int* flag, int, int);
// The mask window, null before the first MaskEffect.
QMHELP_EXPORT QWidget* GetMaskDlg();
// 1 when a process named "AVP.exe" runs.
QMHELP_EXPORT int Find360Process();
// Asks for a slide deck and converts it into slide pictures on a worker; the wall opens on them when done.
QMHELP_EXPORT void ConvertPPTToFolder();
// Asks the panel to show the picture wall on the folder of the conversion just finished, or on a folder the
// user chooses.
QMHELP_EXPORT void StartPicturePlayByWallglide();
}

namespace qmhelp {
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
QMHELP_EXPORT ScreenRect screenRect();
// The screen rectangle as a QRect; empty before SetScreenRect.
QMHELP_EXPORT QRect screenQRect();
// The last capture: the screen rectangle at the last BeginCapSelect, or the selection saved since.
QMHELP_EXPORT QImage lastCapture();
// The capture window while BeginCapSelect runs it; null otherwise.
QMHELP_EXPORT QWidget* captureWindow();
// The picture zoom window while it is open; null otherwise.
QMHELP_EXPORT QWidget* zoomWindow();
// The desktop's pixels under rect, as they are now; null, after the teacher was told why, when the desktop
// gave none.
QMHELP_EXPORT QImage grabScreen(const QRect& rect);
// The timer window when it exists (to hide it while another aid takes its snapshot); null otherwise.
QWidget* existingTimerWindow();
// The magnifier window, null before the first StartMagnifier.
QMHELP_EXPORT QWidget* magnifierWindow();
// The spotlight window, null when there is none.
QMHELP_EXPORT QWidget* spotlightWindow();
} // namespace qmhelp
