#pragma once
// Two fingers holding an instrument: it follows them as one rigid piece, carried with the midpoint of the
// fingers and turned by the angle the line between them turned. Worked out from where the hold began, so
// that rounding to whole pixels never adds up over a long drag.
#include <QPoint>
#include <QPointF>

#include <utility>

namespace DIALOG {

struct HandHold {
    // The instrument's origin and handle when the hold began.
    QPoint origin;
    QPoint handle;
    // The two fingers then.
    QPointF first;
    QPointF second;
};

// The instrument's origin and handle with the fingers at first and second now. Fingers that began on one
// spot carry the instrument without turning it.
std::pair<QPoint, QPoint> HeldPlace(const HandHold& hold, QPointF first, QPointF second);

} // namespace DIALOG
