#pragma once
// The screens the pen surface covers: their union.
#include <QRect>

namespace DIALOG {

// The union of all screens, in desktop coordinates: the surface's window. 1920 × 1080 without a screen.
QRect VirtualScreenRect();
// Device pixels per logical pixel of the screens (the desktop's scale); 1 without a screen.
double VirtualScreenRatio();

} // namespace DIALOG
