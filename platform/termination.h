#pragma once
// SIGTERM, SIGINT and SIGHUP (a desktop logging out, Ctrl+C in a terminal) as an orderly request to end,
// delivered on the UI thread through the event loop rather than inside the signal handler.
#include "platform/platform_export.h"

#include <functional>

namespace platform {

// Calls request on the UI thread when one of the signals arrives. A second signal while the first is being
// handled ends the process as the signal normally would. Needs a running QCoreApplication.
QMPLATFORM_EXPORT void onTerminationSignal(std::function<void()> request);

} // namespace platform
