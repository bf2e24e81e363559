// A classroom PC with two monitors, the teacher's and the projector: the panel dragged onto the second
// monitor takes its tool panel, its history panel and the board's buttons there. These tests run on a
// desktop of their own with two monitors side by side (scripts/virtual-desktop --monitors 2).
#include "program_driver.h"

#include "platform/desktop_probe.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
constexpr int kTools = 1121;
constexpr int kHistory = 1123;
constexpr int kWhiteboard = 1128;

QRect geometryOf(const QString& title)
{
    return platform::desktop::windowGeometry(platform::desktop::findWindow(title));
}

} // namespace

TEST(TwoMonitors, ThePanelOnTheSecondMonitorTakesItsWindowsAndTheBoardsButtonsThere)
{
    if (QGuiApplication::screens().size() < 2)
        GTEST_SKIP() << "needs a desktop of two monitors (scripts/virtual-desktop --monitors 2)";
    const QRect second = QGuiApplication::screens().at(1)->geometry();
    ASSERT_GE(second.left(), 1920);

    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    qmtest::waitFor([] { return false; }, 500);

    // The panel moves itself while its bottom grip is dragged.
    const QRect panel = geometryOf(kPanel);
    ASSERT_TRUE(panel.isValid());
    const QPoint grip(panel.center().x(), panel.bottom() - 12);
    program.drag(qmtest::straightPath(grip, grip + QPoint(second.left(), 0), 40));
    ASSERT_TRUE(qmtest::waitFor([&] { return second.contains(geometryOf(kPanel).center()); }, 5000))
        << "the panel is at " << geometryOf(kPanel).left();

    ASSERT_EQ(program.pressPanelButton(kTools), 0);
    ASSERT_NE(program.waitForWindow(QStringLiteral("ToolDlg")), 0u);
    EXPECT_TRUE(second.contains(geometryOf(QStringLiteral("ToolDlg")))) << "the tool panel";

    ASSERT_EQ(program.pressPanelButton(kHistory), 0);
    ASSERT_NE(program.waitForWindow(QStringLiteral("CTabDlg")), 0u);
    EXPECT_TRUE(second.contains(geometryOf(QStringLiteral("CTabDlg")).center())) << "the history panel";
    ASSERT_EQ(program.pressPanelButton(kHistory), 0);

    // The whiteboard: its page buttons sit at the bottom right of the panel's monitor, not of the first one.
    ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    const QRect buttonsOnSecond(second.right() - 300, second.bottom() - 70, 300, 70);
    const QRect buttonsOnFirst(1920 - 300, 1080 - 70, 300, 70);
    const auto bluePixels = [](const QRect& area) {
        QScreen* screen = QGuiApplication::screenAt(area.center());
        const QPoint origin = screen->geometry().topLeft();
        const QImage shot = screen->grabWindow(0).toImage();
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb c = shot.pixel(x - origin.x(), y - origin.y());
                n += qBlue(c) > 120 && qRed(c) < 90;
            }
        return n;
    };
    EXPECT_TRUE(qmtest::waitFor([&] { return bluePixels(buttonsOnSecond) > 500; }, 5000));
    EXPECT_LT(bluePixels(buttonsOnFirst), 50);

    program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
        QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
    program.waitForExit(20000);
}
