#pragma once
// A call to one of the desktop's portals (org.freedesktop.portal.Desktop) that answers through a request
// object's Response signal, as the Screenshot and ScreenCast calls do.
#include "platform/platform_export.h"
#include "platform/screen_capture.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

namespace platform {

extern const QString kPortalService;
extern const QString kPortalObject;

struct PortalAnswer {
    QVariantMap results;
    CaptureFailure failure = CaptureFailure::None;
    QString detail;
};

// The request object a portal makes for a call from uniqueName (the bus's name of the caller) with token.
QMPLATFORM_EXPORT QString portalRequestPath(const QString& uniqueName, const QString& token);

// Calls interface.method(arguments..., options) with a fresh handle_token and waits, in a local event loop
// that takes no user input, for its Response: subscribed before the call, since the answer may come before
// the call's reply does. A failed call, no answer within limitMs, an answer other than success (Refused),
// or cancelled() turning true (checked ten times a second; Refused) give the failure and its reason.
QMPLATFORM_EXPORT PortalAnswer askPortal(QDBusConnection& bus, const QString& interface,
    const QString& method, const QVariantList& arguments, QVariantMap options, int limitMs,
    const std::function<bool()>& cancelled = {});

// Why a call to a portal failed: no answer in time, or no portal at all.
QMPLATFORM_EXPORT CaptureFailure failureOfPortalCall(const QDBusError& error);

} // namespace platform
