#pragma once
// The screens the pen surface covers: their union, the primary one, and a still picture of all of them.
#include <QImage>
#include <QPoint>
#include <QRect>

namespace DIALOG {

// The union of all screens, in desktop coordinates: the surface's window. 1920 × 1080 without a screen.
QRect VirtualScreenRect();
// Paints what every screen shows onto picture, whose top left corner lies at origin.
void CopyScreens(QImage& picture, QPoint origin);

} // namespace DIALOG
