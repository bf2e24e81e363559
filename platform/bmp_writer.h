#pragma once
// The system's own BMP writer, shared by the page store and the captures: a bitmap in the bit depth of the
// display, as the page pictures have always been stored (file header, BITMAPINFOHEADER, a colour table for
// the palette depths, bottom-up rows).
#include "platform/platform_export.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>

namespace OWNERBITMAP {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

// The depth a picture is stored in for a display of this many bits per pixel (bits times planes):
// the first of 1, 4, 8, 24 and 32 that holds it; 0 when the display has more than 32.
QMPLATFORM_EXPORT int BitmapDepthFor(int displayBits);

// The bits per pixel of the primary display (24 without one).
QMPLATFORM_EXPORT int DisplayBits();

// The whole file for image in depth (1, 4, 8, 24 or 32); empty for any other depth or a null image.
// Depths 1, 4 and 8 carry a colour table of 2^depth entries and map each pixel to its nearest entry.
QMPLATFORM_EXPORT QByteArray EncodeBitmap(const QImage& image, int depth);
// The same file written to out a row at a time; its size, or -1 for a depth or image EncodeBitmap refuses or
// a failed write.
QMPLATFORM_EXPORT qint64 WriteBitmap(QIODevice& out, const QImage& image, int depth);

} // namespace OWNERBITMAP
