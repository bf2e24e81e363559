#pragma once
// The desktop session the program runs in. The program is an X11 program: in a Wayland session it runs
// through XWayland, on purpose, because only X11 lets it keep its windows above others, find other programs'
// windows and be found by them. Screen pictures are the one thing XWayland cannot give (see
// screen_capture.h).
#include "platform/platform_export.h"

#include <QByteArray>
#include <QString>

namespace platform {

// The environment variables the choice depends on, as the process was started with them.
struct SessionVariables {
    QByteArray qpaPlatform; // QT_QPA_PLATFORM
    QByteArray sessionType; // XDG_SESSION_TYPE
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray display; // DISPLAY
};

QMPLATFORM_EXPORT SessionVariables CurrentSessionVariables();

// A Wayland session: the session says so, or, when it names no type, a Wayland display is there. A session
// that says x11 is one, whatever else is set.
QMPLATFORM_EXPORT bool IsWaylandSession(const SessionVariables& session);

// The Qt platform to set before the application exists: "xcb", unless the user chose one, which is kept.
QMPLATFORM_EXPORT QByteArray PlatformToSet(const SessionVariables& session);

// The line the program writes to its log at start about the session; empty on a plain X11 session.
QMPLATFORM_EXPORT QString SessionLogLine(const SessionVariables& session);

// Sets the platform chosen above and writes the log line to standard error. Called first thing in main(),
// before a QApplication exists.
QMPLATFORM_EXPORT void ChooseX11Platform();

// The session of this process.
QMPLATFORM_EXPORT bool InWaylandSession();

} // namespace platform
