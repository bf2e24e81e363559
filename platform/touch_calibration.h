#pragma once
// The four-point calibration of a touch frame, as arithmetic: the teacher touches four crosses, and the
// touches give the matrix the touch driver applies to what the frame reports. A matrix maps a point of the
// frame, in fractions of its width and height (0 to 1), to a point of the screen in the same fractions:
// x' = m[0] x + m[1] y + m[2], y' = m[3] x + m[4] y + m[5], the last row 0 0 1. This is libinput's
// "libinput Calibration Matrix"; evdev's "Evdev Axis Calibration" holds only a scale and an offset per axis,
// as the minimum and maximum raw values that span the screen.
#include "platform/platform_export.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>

namespace platform {

struct QMPLATFORM_EXPORT CalibrationMatrix {
    std::array<double, 9> m {1, 0, 0, 0, 1, 0, 0, 0, 1};

    // No calibration: the frame's points as they come.
    static CalibrationMatrix Identity() { return {}; }
    bool IsIdentity() const;
    QPointF Map(QPointF point) const;
    // The matrix that undoes this one; none when it flattens the plane.
    std::optional<CalibrationMatrix> Inverse() const;
    // Applies after this one.
    CalibrationMatrix Then(const CalibrationMatrix& after) const;

    // Nine numbers separated by blanks, as the profile keeps them; none for text that is not that.
    QString ToText() const;
    static std::optional<CalibrationMatrix> FromText(const QString& text);
};

// The crosses the teacher touches, in order: top left, top right, bottom right, bottom left, each an eighth
// of the screen in from its corner.
std::array<QPointF, 4> QMPLATFORM_EXPORT CalibrationTargets(QSizeF screen);

// The calibration that sends each of touches (where the frame put the four touches on a screen of that size,
// under the calibration current then) to its target, the best fit of a rotation, scaling, shear and shift
// over the four. None when the touches cannot be a calibration: two of them on one spot, all on one line,
// or a fit that misses a cross by more than tolerance pixels or scales by more than three times (a touch
// beside its cross, or crosses touched out of order).
std::optional<CalibrationMatrix> QMPLATFORM_EXPORT FitCalibration(const std::array<QPointF, 4>& targets,
    const std::array<QPointF, 4>& touches, QSizeF screen, const CalibrationMatrix& current,
    double tolerance = 40.0);

// evdev's four values (raw x at the screen's left and right, raw y at its top and bottom) for a frame whose
// raw axes run from min to max; the matrix's turn and shear are left out, since evdev cannot hold them.
std::array<int, 4> QMPLATFORM_EXPORT EvdevAxisCalibration(
    const CalibrationMatrix& matrix, int minX, int maxX, int minY, int maxY);

} // namespace platform
