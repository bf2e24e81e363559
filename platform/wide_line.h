#pragma once
// GDI's wide round pen drawn straight into an image's scanlines. A pixel is inked when its centre lies
// within half the pen width of the line, which is what Qt's aliased stroker fills for a round-capped,
// round-joined pen, without building and scan-converting an outline for every stroke.
#include "platform/platform_export.h"
#include "platform/win_types.h"

#include <QImage>
#include <QPoint>

#include <cstddef>

namespace platform {

// Whether drawWidePolyline can draw into an image of this format with this raster operation: copy into
// 32-bit formats, mask into RGB32 and premultiplied ARGB32 (where AND on the stored words is what Qt does).
QMPLATFORM_EXPORT bool wideLineSupports(QImage::Format format, int rop2);

// Draws the polyline with a round pen of the given width (2 or more) and raster operation, clipped to
// the image. Each pixel is written once per segment that covers it, which copy and mask both forgive.
// A polyline whose points all coincide draws nothing, as QPainter's does. The rows of short segments of
// pens up to 32 pixels wide are worked out once per thread and width, and then copied.
QMPLATFORM_EXPORT void drawWidePolyline(
    QImage& image, const QPoint* points, std::size_t count, int width, COLORREF colour, int rop2);

} // namespace platform
