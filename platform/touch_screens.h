#pragma once
// The touch screens the X server knows, and the calibration their driver keeps: libinput's
// "libinput Calibration Matrix" or evdev's "Evdev Axis Calibration", written through XInput so that it acts
// at once, for every program.
#include "platform/platform_export.h"
#include "platform/touch_calibration.h"

#include <QString>

#include <optional>
#include <vector>

namespace platform {

struct TouchScreen {
    enum class Driver {
        NoCalibration, // a touch screen whose driver keeps none
        Libinput,
        Evdev,
    };
    int id = 0;
    QString name;
    Driver driver = Driver::NoCalibration;
    // The raw range of its axes, which evdev's calibration is given in.
    int minX = 0;
    int maxX = 0;
    int minY = 0;
    int maxY = 0;
};

// The direct-touch devices of the display, in the server's order; empty without XInput 2.2 or a display.
QMPLATFORM_EXPORT std::vector<TouchScreen> TouchScreens();
// The first of them whose driver keeps a calibration, else the first of them; none without one.
QMPLATFORM_EXPORT std::optional<TouchScreen> CalibratableTouchScreen();

// Sets matrix as the device's calibration (for evdev, its scale and shift); false when the server refused.
QMPLATFORM_EXPORT bool WriteCalibration(const TouchScreen& screen, const CalibrationMatrix& matrix);
// The calibration the device has now; for evdev the scale and shift its axis values give. None when it keeps
// none or the values cannot be read.
QMPLATFORM_EXPORT std::optional<CalibrationMatrix> ReadCalibration(const TouchScreen& screen);

} // namespace platform
