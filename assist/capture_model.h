#pragma once
// What the capture window decides without a window: when a rubber band counts as a selection, where its
// button bar goes, and how a saved capture is written.
#include "assist/qmhelp_export.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <array>

namespace DIALOG::capture {

// How much the capture window's background is darkened.
constexpr int kCaptureDarkening = 30;

// A band of at most 9 x 9 pixels is no selection yet: the next drag replaces it.
QMHELP_EXPORT bool isSmallBand(const QRect& band);
// A double click saves only inside a selection more than 10 pixels high or wide.
QMHELP_EXPORT bool doubleClickSaves(const QRect& selection, const QPoint& point);

// The button bar's pictures in the order copy-and-close, cancel, save, re-select, standing side by side
// from right to left 2 pixels below the selection, the first with its right edge 2 pixels left of the
// selection's; against the screen's bottom-right corner (2-pixel margin) when it would leave the screen.
QMHELP_EXPORT std::array<QRect, 4> captureButtonBar(
    const QRect& selection, const std::array<QSize, 4>& pictures, const QSize& screen);

// Writes picture in the format the name's extension says: PNG for ".png", JPEG for ".jpg" and ".jpeg",
// GIF for ".gif" when this system can write it, BMP for any other name. False when nothing was written.
QMHELP_EXPORT bool saveCapture(const QImage& picture, const QString& path);
// The save dialog's filter: only the formats saveCapture can write.
QMHELP_EXPORT QString captureSaveFilter();

} // namespace DIALOG::capture
