#pragma once
// X display connections that a library opened for itself and left open: the 3D engine opens its own
// connection for a device in a window it is given, and does not close it when the device is dropped, which
// keeps the graphics driver's screen and its threads alive.
#include "platform/platform_export.h"

namespace platform {

// Closes a connection opened with XOpenDisplay (an Xlib Display*); nothing for null.
QMPLATFORM_EXPORT void closeDisplayConnection(void* display);

} // namespace platform
