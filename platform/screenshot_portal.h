#pragma once
// The desktop's Screenshot portal (org.freedesktop.portal.Screenshot), the one way an XWayland program gets
// the pixels of native Wayland windows. A call hands back a request object; the picture's file comes in that
// request's Response signal, which may arrive before the call's own reply.
#include "platform/platform_export.h"
#include "platform/screen_capture.h"

#include <QDBusConnection>
#include <QImage>
#include <QString>

namespace platform {

struct PortalPicture {
    QImage image;
    CaptureFailure failure = CaptureFailure::None;
    QString detail; // for the log: the portal's error or the file it named
};

inline constexpr int kPortalTimeoutMs = 10000;

class QMPLATFORM_EXPORT ScreenshotPortal {
public:
    explicit ScreenshotPortal(const QDBusConnection& bus, int timeoutMs = kPortalTimeoutMs);

    // Asks for a picture of the whole desktop without a dialog, waiting in a local event loop that leaves
    // user input alone. parentWindow is "" or "x11:<hex id>". The picture's file is removed once read.
    PortalPicture take(const QString& parentWindow = QString());

    // The object path the portal gives a request of this connection with this token.
    static QString requestPath(const QString& uniqueName, const QString& token);

private:
    QDBusConnection bus_;
    int timeoutMs_;
};

} // namespace platform
