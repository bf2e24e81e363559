#pragma once
// What the system does to a window it found with FindWindow or the lookups below: a window of another
// program, or one of this process. The one way the program reaches other windows; their X ids stay inside
// the platform layer. Each call on a null window, or on one that is gone, does nothing and answers false
// or an empty rectangle.
#include "platform/messages.h"
#include "platform/platform_export.h"

#include <QList>
#include <QPoint>
#include <QRect>

namespace platform {

// The window class of the on-screen keyboard, which stands in for osk.exe's "OSKMainClass".
inline const QString kScreenKeyboardClass = QStringLiteral("Onboard");

// The topmost shown window that contains the point (desktop coordinates).
QMPLATFORM_EXPORT WindowRef WindowFromPoint(const QPoint& point);
// The running slide show's window; null when no show runs.
QMPLATFORM_EXPORT WindowRef FindSlideShow();
// A slide show filling its screen is the active window, so that keys reach it.
QMPLATFORM_EXPORT bool IsSlideShowInFront();
// Editing windows of the presentation programs, topmost first.
QMPLATFORM_EXPORT QList<WindowRef> FindPresentationWindows();

// The active window: one of this process's as its widget, another program's by its id; null when none.
QMPLATFORM_EXPORT WindowRef GetForegroundWindow();
// Raises the window and gives it the input focus.
QMPLATFORM_EXPORT bool SetForegroundWindow(const WindowRef& window);
// Gives the window the keyboard focus without raising it.
QMPLATFORM_EXPORT bool SetFocus(const WindowRef& window);
// Asks the window to close, as the window manager's close button does.
QMPLATFORM_EXPORT bool RequestClose(const WindowRef& window);
// Shows or hides the window, as ShowWindow with SW_SHOW or SW_HIDE.
QMPLATFORM_EXPORT bool ShowWindow(const WindowRef& window, bool shown);
// The window's rectangle in desktop coordinates.
QMPLATFORM_EXPORT QRect GetWindowRect(const WindowRef& window);
QMPLATFORM_EXPORT bool MoveWindow(const WindowRef& window, const QPoint& topLeft);

} // namespace platform
