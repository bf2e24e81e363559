#pragma once
// The window flags of the system's floating tool windows (the main panel and everything that opens beside
// it).
#include <Qt>

namespace platform {

// Frameless, above everything and never taking the keyboard focus from the presentation underneath. They are
// also outside the window manager's stacking rules: a window manager puts a borderless window that covers
// the screen, such as the pen surface, above every managed window, and the panel must stay above the page.
inline constexpr Qt::WindowFlags kFloatingToolFlags = Qt::Tool | Qt::FramelessWindowHint
    | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;

// The aids a teacher calls up over the page (mask, spotlight, magnifier, zoom): the same, so that the window
// stack puts them between the page and the panel whatever the window manager does with a window that covers the
// screen.
inline constexpr Qt::WindowFlags kAidFlags = kFloatingToolFlags;

} // namespace platform
