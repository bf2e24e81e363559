#pragma once
// The one service that takes pictures of the screen: the frozen desktop under the pen, the spotlight, the
// magnifier, the zoom and the capture all ask it. On X11 it reads the X server's pixels. In a Wayland session
// the X server holds no pixels of native windows (a grab gives black), so it asks the desktop's Screenshot
// portal instead.
#include "platform/platform_export.h"

#include <QImage>
#include <QRect>

#include <QString>

namespace platform {

// Why there is no picture. The values are the program's own; the teacher reads a sentence for each.
enum class CaptureFailure {
    None,
    NoPortal, // no screenshot portal on the session bus
    Refused, // the desktop or the teacher said no
    NoAnswer, // nothing came back in time
    BadPicture, // an answer without a readable picture file
    NoFrames, // a screen cast that gives no stream or no pictures
    SessionClosed, // the desktop ended the screen cast
};

enum class CaptureBackend { X11, Portal };

// The backend a session needs: the portal in a Wayland session, the X server otherwise.
QMPLATFORM_EXPORT CaptureBackend CaptureBackendFor(bool waylandSession);
QMPLATFORM_EXPORT CaptureBackend CaptureBackendInUse();

// Whether the program's own windows are taken off the screen while the picture is taken. The portal's
// picture holds every window of the desktop, so through it they always are.
enum class OwnWindows { Shown, Hidden };

struct ScreenPicture {
    QImage image; // RGB32, the size of the area asked for times the ratio asked for; null on failure
    CaptureFailure failure = CaptureFailure::None;
    QString detail;
};

// The picture of area, in the coordinates of the whole desktop (all monitors), with ratio pixels of the
// picture to each of the program's pixels: a scaled desktop's ratio gives the screen's full resolution.
QMPLATFORM_EXPORT ScreenPicture CaptureScreen(const QRect& area, OwnWindows own, double ratio = 1.0);

// The part of a picture of the whole desktop that shows area. desktop is the desktop's rectangle in the
// program's coordinates; a picture of another size (a scaled desktop) is scaled to it first. Parts of area
// outside the desktop are black.
QMPLATFORM_EXPORT QImage CropDesktopPicture(const QImage& whole, const QRect& desktop, const QRect& area);

// Tests put the bus connection of that name (QDBusConnection::connectToBus) and a shorter limit in place of
// the session bus and the 10-second limit; an empty name puts them back.
QMPLATFORM_EXPORT void SetPortalForTests(const QString& connectionName, int timeoutMs);
// The connection name set above; empty for the session bus.
QMPLATFORM_EXPORT QString PortalConnectionForTests();

} // namespace platform
