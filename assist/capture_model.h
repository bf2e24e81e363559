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

// The band dragged from press to pointer, whichever way: the pointer's row and column are its outer edge.
QMHELP_EXPORT QRect rubberBand(const QPoint& press, const QPoint& pointer);
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
// GIF for ".gif" when this system can write it, BMP for any other name. A BMP file takes bmpDepth bits per
// pixel (the system's BMP writer; 0 writes nothing). The file is written beside and renamed, so a failed
// save never leaves a truncated picture. False when nothing was written.
QMHELP_EXPORT bool saveCapture(const QImage& picture, const QString& path, int bmpDepth);
// The same, with BMP files in the depth of the display.
QMHELP_EXPORT bool saveCapture(const QImage& picture, const QString& path);
// The save dialog's filter: only the formats saveCapture can write.
QMHELP_EXPORT QString captureSaveFilter();

// How a capture is cut into vertical strips one printed page wide. pageWidth: the printable width in printer
// pixels; scale: printer pixels per screen pixel across.
QMHELP_EXPORT int printPageCount(int bitmapWidth, int pageWidth, double scale);
// The part of the capture (screen pixels) that page (0 first) shows, and where on the page it goes: stretched
// to the page width, the last of several pages only its remaining width; height scaled by scaleY.
struct PrintStrip {
    QRect source;
    QRect target;
};
QMHELP_EXPORT PrintStrip printStrip(
    int page, const QSize& bitmap, int pageWidth, double scaleX, double scaleY);
// The page label.
QMHELP_EXPORT QString printPageLabel(int page, int pages);

// Where a press on the selection tracker lands: the tracker's hit values.
enum TrackerHit {
    kHitNothing = -1,
    kHitTopLeft = 0,
    kHitTopRight = 1,
    kHitBottomRight = 2,
    kHitBottomLeft = 3,
    kHitTop = 4,
    kHitRight = 5,
    kHitBottom = 6,
    kHitLeft = 7,
    kHitMiddle = 8,
};

// The capture window's selection tracker: a solid outline with its resize handles outside the rectangle.
class QMHELP_EXPORT CMyTracker {
public:
    static constexpr int kStyle = 17; // solid line, handles outside
    static constexpr int kHandleSize = 32;
    static constexpr QRgb kLineColour = 0xFF0000FF;

    QRect rect;

    // The handle's square, just outside the rectangle; the side handles only when that side has room for
    // them.
    QRect handleRect(TrackerHit handle) const;
    bool hasHandle(TrackerHit handle) const;
    TrackerHit hitTest(const QPoint& point) const;
    // The rectangle after a drag by delta from start on hit: a handle moves its edges, the middle moves the
    // whole rectangle, kept inside bounds.
    static QRect tracked(const QRect& start, TrackerHit hit, const QPoint& delta, const QRect& bounds);
};

} // namespace DIALOG::capture
