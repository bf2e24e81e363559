#pragma once
// The platform layer's own connection to the X display, shared by everything in the layer that looks at or
// steers windows of other programs. Internal to qmplatform; include it only from .cpp files that use Xlib
// anyway, since X11 headers define macros that break Qt code.
#include <X11/Xlib.h>

namespace platform::x11 {

// On the same display as the application's when there is one; null when no display can be reached.
Display* connection();

// Catches the X errors of the calls made during its lifetime. A window of another program can vanish at any
// moment, and an uncaught BadWindow ends the whole process.
class ErrorTrap {
public:
    ErrorTrap();
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Whether any call so far has failed.
    bool failed();

private:
    static int record(Display*, XErrorEvent*);
    static inline bool failed_ = false;
    XErrorHandler previous_ = nullptr;
};

} // namespace platform::x11
