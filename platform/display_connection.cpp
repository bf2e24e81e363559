#include "platform/display_connection.h"

#include <X11/Xlib.h>

namespace platform {

void closeDisplayConnection(void* display)
{
    if (display)
        XCloseDisplay(static_cast<Display*>(display));
}

} // namespace platform
