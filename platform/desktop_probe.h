#pragma once
// Looking at and steering other programs' windows: what lies under a point, key chords, the slide-show
// windows of the presentation programs, and global hot keys.
#include "platform/platform_export.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace platform::desktop {

// The topmost viewable client window that contains the point (root coordinates); 0 when none.
QMPLATFORM_EXPORT unsigned long windowAt(const QPoint& point);
// Gives the keyboard focus to a window without raising it.
QMPLATFORM_EXPORT bool giveFocus(unsigned long xid);
// Presses a chord such as {"Control_L", "a"} (keys go down in order and up in reverse).
QMPLATFORM_EXPORT bool pressChord(const QStringList& keysyms);
// Moves a window of another program.
QMPLATFORM_EXPORT bool moveWindow(unsigned long xid, const QPoint& topLeft);
QMPLATFORM_EXPORT QRect windowGeometry(unsigned long xid);
// Hides (unmaps) a window of another program, as ShowWindow(SW_HIDE) did.
QMPLATFORM_EXPORT bool hideWindow(unsigned long xid);
// Shows a window of another program again after hideWindow.
QMPLATFORM_EXPORT bool showWindow(unsigned long xid);

} // namespace platform::desktop

namespace platform::presentation {

// The programs that play slide shows here, and how their windows are told apart. A show is a top-level
// window of one of these classes that covers a whole screen.
struct ShowProgram {
    QString name; // as the user knows it
    QStringList windowClasses; // WM_CLASS class or instance, compared without case
    QString mainTitleSuffix; // the title of its editing window ends with this
};
QMPLATFORM_EXPORT const QList<ShowProgram>& showPrograms();

// The running slide show's window, or 0 when no show runs.
QMPLATFORM_EXPORT unsigned long findSlideShow();
// The active window is a slide show that fills its screen exactly: keys sent now reach the show.
QMPLATFORM_EXPORT bool showInFront();
// Editing windows of the presentation programs, topmost first (at most 255).
QMPLATFORM_EXPORT QList<unsigned long> findPresentationWindows();
// A word processor or presentation program's main window is open.
QMPLATFORM_EXPORT bool officeWindowPresent();

} // namespace platform::presentation

namespace platform::hotkey {

// Registers a global hot key on the root window (with and without Caps and Num Lock). The callback runs on
// the UI thread. False when the key is taken by another program or there is no X display.
QMPLATFORM_EXPORT bool RegisterHotKey(
    int id, Qt::KeyboardModifiers modifiers, const QString& keysym, std::function<void()> callback);
QMPLATFORM_EXPORT void UnregisterHotKey(int id);

} // namespace platform::hotkey
