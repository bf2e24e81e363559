// The four-point calibration's arithmetic: four touches give the matrix that sends them to their crosses,
// whatever calibration was set before, and a matrix goes to the profile's text, to evdev's axis values and
// back.
#include "platform/touch_calibration.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace platform;

namespace {

const QSizeF kScreen(1920, 1080);

// A frame that reports a point of the screen p as this matrix gives it, in pixels.
std::array<QPointF, 4> touchesThrough(const CalibrationMatrix& frame, const std::array<QPointF, 4>& targets)
{
    std::array<QPointF, 4> touches;
    for (std::size_t i = 0; i < 4; ++i) {
        const QPointF f
            = frame.Map(QPointF(targets[i].x() / kScreen.width(), targets[i].y() / kScreen.height()));
        touches[i] = QPointF(f.x() * kScreen.width(), f.y() * kScreen.height());
    }
    return touches;
}

void expectSends(const CalibrationMatrix& m, QPointF from, QPointF to)
{
    const QPointF got = m.Map(QPointF(from.x() / kScreen.width(), from.y() / kScreen.height()));
    EXPECT_NEAR(got.x() * kScreen.width(), to.x(), 0.5);
    EXPECT_NEAR(got.y() * kScreen.height(), to.y(), 0.5);
}

// A frame mounted a little off: shifted, stretched, turned half a degree.
CalibrationMatrix skewedFrame()
{
    const double t = 0.5 * 3.14159265358979323846 / 180.0;
    CalibrationMatrix m;
    m.m = {1.04 * std::cos(t), -std::sin(t), 0.02, std::sin(t), 0.97 * std::cos(t), -0.015, 0, 0, 1};
    return m;
}

} // namespace

TEST(TouchCalibration, FourTouchesOfAnOffFrameGiveTheMatrixThatUndoesIt)
{
    const auto targets = CalibrationTargets(kScreen);
    EXPECT_EQ(targets[0], QPointF(240, 135));
    EXPECT_EQ(targets[2], QPointF(1680, 945));
    const CalibrationMatrix frame = skewedFrame();
    const auto fit
        = FitCalibration(targets, touchesThrough(frame, targets), kScreen, CalibrationMatrix::Identity());
    ASSERT_TRUE(fit);
    // Raw touches anywhere on the screen land where the finger was, not only at the crosses.
    const CalibrationMatrix corrected = frame.Then(*fit);
    for (QPointF p : {QPointF(0, 0), QPointF(960, 540), QPointF(1919, 1079), QPointF(100, 1000)})
        expectSends(corrected, p, p);
}

TEST(TouchCalibration, ACalibrationAlreadySetIsTakenOutOfTheTouchesFirst)
{
    const auto targets = CalibrationTargets(kScreen);
    const CalibrationMatrix frame = skewedFrame();
    // An older, wrong calibration is in force: the touches come through it.
    CalibrationMatrix old;
    old.m = {0.9, 0, 0.05, 0, 1.1, -0.04, 0, 0, 1};
    const auto fit = FitCalibration(targets, touchesThrough(frame.Then(old), targets), kScreen, old);
    ASSERT_TRUE(fit);
    for (QPointF p : {QPointF(10, 10), QPointF(1500, 700)})
        expectSends(frame.Then(*fit), p, p);

    // A frame that needs none gives none back.
    const auto none = FitCalibration(targets, targets, kScreen, CalibrationMatrix::Identity());
    ASSERT_TRUE(none);
    for (double v : {none->m[0] - 1, none->m[1], none->m[2], none->m[4] - 1, none->m[5]})
        EXPECT_NEAR(v, 0.0, 1e-9);
}

TEST(TouchCalibration, TouchesThatCannotBeACalibrationAreRefused)
{
    const auto targets = CalibrationTargets(kScreen);
    const CalibrationMatrix one = CalibrationMatrix::Identity();
    // All four on one spot, on one line, one far beside its cross, and crosses touched in the wrong order.
    EXPECT_FALSE(FitCalibration(targets, {targets[0], targets[0], targets[0], targets[0]}, kScreen, one));
    EXPECT_FALSE(FitCalibration(targets,
        {QPointF(100, 500), QPointF(600, 500), QPointF(1100, 500), QPointF(1600, 500)}, kScreen, one));
    auto beside = targets;
    beside[2] += QPointF(-300, -200);
    EXPECT_FALSE(FitCalibration(targets, beside, kScreen, one));
    EXPECT_FALSE(FitCalibration(targets, {targets[1], targets[0], targets[2], targets[3]}, kScreen, one));
    EXPECT_FALSE(FitCalibration(targets, targets, QSizeF(), one));
}

TEST(TouchCalibration, AMatrixGoesToTextAndEvdevAxesAndBack)
{
    const CalibrationMatrix m = skewedFrame();
    const auto read = CalibrationMatrix::FromText(m.ToText());
    ASSERT_TRUE(read);
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_NEAR(read->m[i], m.m[i], 1e-9);
    EXPECT_TRUE(CalibrationMatrix::Identity().IsIdentity());
    EXPECT_FALSE(m.IsIdentity());
    EXPECT_FALSE(CalibrationMatrix::FromText(u"1 0 0 0 1 0 0 0"_qs));
    EXPECT_FALSE(CalibrationMatrix::FromText(u"1 0 0 0 one 0 0 0 1"_qs));
    EXPECT_FALSE(CalibrationMatrix::FromText(QString()));

    const auto inverse = m.Inverse();
    ASSERT_TRUE(inverse);
    EXPECT_TRUE(std::abs(m.Then(*inverse).m[0] - 1) < 1e-9 && std::abs(m.Then(*inverse).m[5]) < 1e-9);
    CalibrationMatrix flat;
    flat.m = {1, 2, 0, 2, 4, 0, 0, 0, 1};
    EXPECT_FALSE(flat.Inverse());

    // evdev keeps the raw values at the screen's edges: none gives the axes' own range.
    EXPECT_EQ(EvdevAxisCalibration(CalibrationMatrix::Identity(), 0, 4095, 0, 4095),
        (std::array<int, 4> {0, 4095, 0, 4095}));
    CalibrationMatrix stretch;
    stretch.m = {1.25, 0, -0.125, 0, 2, -0.5, 0, 0, 1};
    EXPECT_EQ(EvdevAxisCalibration(stretch, 0, 4000, 100, 2100), (std::array<int, 4> {400, 3600, 600, 1600}));
}
