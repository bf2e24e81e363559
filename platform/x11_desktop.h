#pragma once
// The desktop as other programs see it: top-level windows of every process, closing them as the window
// manager does, and synthesised keyboard and mouse input. Uses a connection of its own to the X display, so
// it works from any process, with or without a Qt GUI.
#include "platform/platform_export.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace platform::desktop {

struct TopWindow {
    unsigned long xid = 0;
    QString title;
    QString className; // WM_CLASS class part
    QString instanceName; // WM_CLASS instance part
    QString windowClass; // the class a window of the system registers its messages under (QM_WINDOW_CLASS)
    QStringList otherTitles; // titles it is also found by (QM_WINDOW_TITLES), one a line

    bool viewable = false;
    QRect geometry; // root coordinates
    bool inputOutput = true; // false for a window that only takes input and shows nothing
    bool overrideRedirect = false; // stacked by its program, outside the window manager's reach
    int stackLayer
        = -1; // the layer the system's window stack gives its windows (_QM_STACK_LAYER); -1 for others
};

QMPLATFORM_EXPORT bool available();
// Client windows of the desktop, topmost last, hidden ones (viewable false) included.
QMPLATFORM_EXPORT QList<TopWindow> topLevelWindows();
// The first viewable window with this title and class (a null argument matches any); the title matches the
// window's own or one of its other titles, the class either part of WM_CLASS or the window's
// QM_WINDOW_CLASS. 0 when none.
QMPLATFORM_EXPORT unsigned long findWindow(const QString& title, const QString& className = QString());
// The same, shown or hidden, as windows have always been found: a shown window is preferred.
QMPLATFORM_EXPORT unsigned long findAnyWindow(const QString& title, const QString& className = QString());
QMPLATFORM_EXPORT bool windowExists(unsigned long xid);
// Asks the window to close exactly as the window manager's close button does (WM_DELETE_WINDOW).
QMPLATFORM_EXPORT bool requestClose(unsigned long xid);
// Gives the window the input focus and raises it.
QMPLATFORM_EXPORT bool activate(unsigned long xid);
// The window the window manager calls active (_NET_ACTIVE_WINDOW), else the one with the input focus; 0 when
// none.
QMPLATFORM_EXPORT unsigned long activeWindow();
// XTest input. keysym names as XStringToKeysym takes them ("Return", "Escape", "a").
QMPLATFORM_EXPORT bool pressKey(const QString& keysym);
QMPLATFORM_EXPORT bool moveMouse(int x, int y);
QMPLATFORM_EXPORT bool mouseButton(int button, bool press);
QMPLATFORM_EXPORT void flush();

} // namespace platform::desktop
