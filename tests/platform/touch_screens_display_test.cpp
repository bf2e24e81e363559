// The calibration set on a real touch screen of the test desktop through XInput, and read back. Machines
// without one (a plain virtual desktop) skip it and say so.
#include "platform/touch_screens.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(TouchScreens, ACalibrationWrittenIsWhatTheDriverKeeps)
{
    const std::optional<TouchScreen> screen = CalibratableTouchScreen();
    if (!screen || screen->driver == TouchScreen::Driver::NoCalibration)
        GTEST_SKIP() << "no touch screen with a libinput or evdev calibration property on this display";
    const CalibrationMatrix before = ReadCalibration(*screen).value_or(CalibrationMatrix::Identity());
    CalibrationMatrix set;
    set.m = {1.25, 0, -0.125, 0, 2, -0.5, 0, 0, 1};
    ASSERT_TRUE(WriteCalibration(*screen, set));
    const auto read = ReadCalibration(*screen);
    ASSERT_TRUE(read);
    for (std::size_t i : {0u, 2u, 4u, 5u})
        EXPECT_NEAR(read->m[i], set.m[i], 1e-3) << i;
    ASSERT_TRUE(WriteCalibration(*screen, CalibrationMatrix::Identity()));
    EXPECT_TRUE(ReadCalibration(*screen)->IsIdentity());
    WriteCalibration(*screen, before);
}
