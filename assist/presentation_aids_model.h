#pragma once
// The geometry and pictures of the spotlight and the mask, without a window: the darkened snapshot, the spot
// and its resize ring, what a spot move has to repaint, and how a dragged mask edge is held in bounds.
#include "assist/qmhelp_export.h"

#include <QImage>
#include <QRect>

namespace DIALOG::aids {

// How much the spotlight lowers each colour channel of the screen around the spot.
constexpr int kSpotlightDarkening = 50;
// A press or pointer this close to the spot's edge resizes the spot.
constexpr int kSpotRingReach = 20;
// The ring drawn around the spot: pen width and colour.
constexpr int kSpotRingWidth = 20;
constexpr QRgb kSpotRingColour = 0xFF274F83;
constexpr QRgb kSpotOutlineColour = 0xFF808080;

// The mask's grab bands are this wide; the mask is never narrower or lower than its minimum.
constexpr int kMaskGrabWidth = 30;
constexpr int kMaskMinimum = 128;
constexpr QRgb kMaskBodyColour = 0xFF35568B;

enum MaskDrag { kDragNone = 0, kDragLeft = 1, kDragRight = 2, kDragTop = 3, kDragBottom = 4 };

// A copy of picture (RGB32) with each channel lowered by amount and floored at 0.
QMHELP_EXPORT QImage darkened(const QImage& picture, int amount);

// The spot's bounding square: half the diameter (rounded down) on each side of centre.
QMHELP_EXPORT QRect spotSquare(const QPoint& centre, unsigned diameter);
// The distance of point from the spot's centre minus the spot's radius.
QMHELP_EXPORT double distanceFromSpotEdge(const QRect& square, const QPoint& point);
QMHELP_EXPORT bool onSpotRing(const QRect& square, const QPoint& point);
// Everything a spot inside its square and ring touches, with a pixel of antialiasing to spare.
QMHELP_EXPORT QRect spotPaintedArea(const QRect& square);

// Draws the spot at square over frame (which already holds the darkened screen): the real screen inside the
// circle, its outline and the ring.
QMHELP_EXPORT void paintSpot(QImage& frame, const QImage& snapshot, const QRect& square);
// Moves the spot from oldSquare to newSquare in frame and returns the area that changed.
QMHELP_EXPORT QRect moveSpot(QImage& frame, const QImage& darkenedSnapshot, const QImage& snapshot,
    const QRect& oldSquare, const QRect& newSquare);

// Which band of the mask's client rectangle (size) holds point: a MaskDrag value.
QMHELP_EXPORT int maskBandAt(const QSize& size, const QPoint& point);
// The mask's rectangle (screen coordinates) after the edge of mode followed the pointer (screen coordinates),
// held inside screen and never smaller than the minimum across the dragged edge.
QMHELP_EXPORT QRect dragMaskEdge(const QRect& mask, int mode, const QPoint& pointer, const QRect& screen);

// The rubber band between the press and the pointer, whichever way it was drawn; both corners inside.
QMHELP_EXPORT QRect bandBetween(const QPoint& a, const QPoint& b);
// The magnifier's rubber band clipped to the screen (size): left and top at least 0, right and bottom at most
// the width and height.
QMHELP_EXPORT QRect clipToScreen(const QRect& band, const QSize& screen);
// The magnified area: level times the source size, centred on centre.
QMHELP_EXPORT QRect magnifiedRect(const QPoint& centre, const QSize& source, int level);
// The magnifier's picture bar: below area and right-aligned with it, moved back inside the screen.
QMHELP_EXPORT QRect magnifierBarRect(const QRect& area, const QSize& bar, const QSize& screen);
// Puts the magnified picture at newRect over frame (the snapshot elsewhere) and returns the area that
// changed.
QMHELP_EXPORT QRect moveMagnified(QImage& frame, const QImage& snapshot, const QImage& magnified,
    const QRect& oldRect, const QRect& newRect);

} // namespace DIALOG::aids
