// The frozen desktop on GNOME Shell (scripts/wayland-test runs it on a headless one): 书写 takes the picture
// of a native Wayland window through the desktop's Screenshot portal, the page shows it, and the ink is drawn
// over it. The permission the desktop would ask for is given beforehand, as a teacher's earlier answer does.
#include "e2e/program_driver.h"
#include "support_main/test_util.h"
#include "wayland/mutter_desktop.h"

#include <gtest/gtest.h>

#include <memory>

using qmtest::MutterInput;
using qmtest::NativeWindow;
using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
constexpr int kCmdWriting = 1075;
const QColor kOuter(240, 140, 20), kMiddle(40, 60, 200), kInk(255, 0, 0);

} // namespace

TEST(FreezeOnGnomeShell, WritingShowsTheNativeWindowsPictureOnThePageAndTheInkOverIt)
{
    if (const QString why = qmtest::whyNoWaylandSession(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    if (!qmtest::gnomeShellRuns())
        GTEST_SKIP()
            << "the Screenshot portal answers only under GNOME Shell: scripts/wayland-test runs this "
               "on scripts/virtual-desktop --gnome";
    MutterInput input;
    ASSERT_TRUE(input.ready()) << input.error().toStdString();
    ASSERT_TRUE(qmtest::leaveOverview(input));
    ASSERT_TRUE(qmtest::grantScreenshots());
    auto native = std::make_unique<NativeWindow>(kOuter, QSize(600, 400), kMiddle);
    const QRect shown = native->waitShown();
    ASSERT_FALSE(shown.isEmpty()) << "the native window did not show: " << native->output().toStdString();

    ProgramDriver program;
    // The teacher has read what the desktop's question is for.
    qmtest::writeFile(qmtest::desktopProfileIn(program.homeFolder()), "[Portal]\nScreenshotExplained=1\n");
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    ASSERT_EQ(program.pressPanelButton(kCmdWriting), 0);
    ASSERT_NE(program.waitForWindow(kSurface, 20000), 0u) << program.output().toStdString();

    // With the native window gone, what shows in its place is the page's picture of it.
    native.reset();
    const QPoint middle = shown.center(), border(shown.left() + 30, shown.center().y());
    const QImage page = qmtest::waitForScreen(
        [&](const QImage& screen) {
            return qmtest::near(screen.pixel(middle), kMiddle) && qmtest::near(screen.pixel(border), kOuter);
        },
        5000);
    ASSERT_FALSE(page.isNull()) << "the page does not show the window's picture";
    const QPoint outside(shown.right() + 40, shown.bottom() + 40);
    EXPECT_FALSE(qmtest::near(page.pixel(outside), kOuter)) << "the picture is in its place, not stretched";

    // The ink, drawn through the XWayland display, shows over the picture.
    const QPoint from(shown.left() + 40, shown.top() + 60), to(shown.right() - 40, shown.top() + 60);
    program.drag(qmtest::straightPath(from, to));
    const QImage inked = qmtest::waitForScreen(
        [&](const QImage& screen) { return qmtest::near(screen.pixel((from + to) / 2), kInk, 40); }, 5000);
    ASSERT_FALSE(inked.isNull()) << "no ink over the picture";
    EXPECT_TRUE(qmtest::near(inked.pixel(middle), kMiddle)) << "the ink leaves the rest of the picture";
}
