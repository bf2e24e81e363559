#pragma once
// The desktop's ScreenCast portal (org.freedesktop.portal.ScreenCast): the way an XWayland program records a
// Wayland desktop. A session for the whole screen, with the cursor drawn in, hands back a PipeWire connection
// (a file descriptor) and the node of its video stream. The desktop asks the teacher once whether to share
// the screen; the restore token it gives back, passed next time, spares the question.
#include "platform/platform_export.h"
#include "platform/screen_capture.h"
#include "platform/screenshot_portal.h"

#include <QDBusConnection>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

struct ScreenCastStream {
    CaptureFailure failure = CaptureFailure::None;
    QString detail; // for the log
    int fd = -1; // the PipeWire connection, the caller's to close
    uint node = 0; // the stream on it
    QSize size; // as the desktop tells it; empty when it does not
    QString restoreToken; // to pass next time; empty when the desktop gave none
};

// The teacher may read the desktop's share question for a while before answering it.
inline constexpr int kShareQuestionMs = 60000;

class QMPLATFORM_EXPORT ScreenCastPortal {
public:
    explicit ScreenCastPortal(
        const QDBusConnection& bus, int answerMs = kPortalTimeoutMs, int questionMs = kShareQuestionMs);
    ~ScreenCastPortal(); // closes the session
    ScreenCastPortal(const ScreenCastPortal&) = delete;
    ScreenCastPortal& operator=(const ScreenCastPortal&) = delete;

    // Creates the session, chooses the monitor (with restoreToken when there is one) and starts it, waiting
    // in a local event loop of the calling thread; cancelled is asked ten times a second while it waits.
    ScreenCastStream start(const QString& restoreToken, const std::function<bool()>& cancelled = {});
    // Whether the desktop closed the session; first handles what the bus brought to this thread.
    bool closedByDesktop();
    // Ends the session (nothing when none was created or the desktop closed it).
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
