// The program on a 4K board whose desktop is scaled to 2 (Xft.dpi 192), and on an old 1366 x 768 laptop.
// These tests run on desktops of their own (scripts/virtual-desktop --size 3840x2160, --size 1366x768) and
// skip on others.
#include "program_driver.h"

#include "platform/desktop_probe.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
constexpr int kTools = 1121;
constexpr int kHistory = 1123;

QRect geometryOf(const QString& title)
{
    return platform::desktop::windowGeometry(platform::desktop::findWindow(title));
}

// The primary screen in the X server's pixels, whatever scale this test process runs at.
QSize screenPixels()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen->size() * screen->devicePixelRatio();
}

bool setXftDpi(int dpi)
{
    QProcess xrdb;
    xrdb.start(QStringLiteral("xrdb"), {QStringLiteral("-nocpp"), QStringLiteral("-merge")});
    xrdb.write(QStringLiteral("Xft.dpi: %1\n").arg(dpi).toLatin1());
    xrdb.closeWriteChannel();
    return xrdb.waitForFinished(10000) && xrdb.exitCode() == 0;
}

void quit(ProgramDriver& program)
{
    program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
        QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
    program.waitForExit(20000);
}

// The largest brightness step between neighbouring pixels of area on the screen: sharp text on the panel's
// blue steps from background to white in one pixel, text drawn small and enlarged in two or more.
int sharpestEdge(const QRect& area)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    int best = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x)
            best = std::max(best, std::abs(qGray(shot.pixel(x + 1, y)) - qGray(shot.pixel(x, y))));
    return best;
}

struct PanelSeen {
    QRect geometry;
    int edge = 0;
};

// The panel's place on screen and the sharpness of its writing button's label, at this Xft.dpi, with this
// text in the program's settings profile.
PanelSeen panelAt(int dpi, const char* settings = "")
{
    EXPECT_TRUE(setXftDpi(dpi));
    ProgramDriver program;
    qmtest::writeFile(program.homeFolder() + QStringLiteral("/.config/Quillmark/Quillmark.ini"),
        QByteArray("[Settings]\n") + settings);
    EXPECT_TRUE(program.start());
    EXPECT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    qmtest::waitFor([] { return false; }, 1500);
    PanelSeen seen;
    seen.geometry = geometryOf(kPanel);
    const double scale = seen.geometry.width() / 77.0;
    // The label of the writing button, right of its icon.
    const QRect label(seen.geometry.left() + int(34 * scale), seen.geometry.top() + int(38 * scale),
        int(32 * scale), int(18 * scale));
    seen.edge = sharpestEdge(label);
    quit(program);
    return seen;
}

} // namespace

TEST(Scale, OnA4KBoardAtTwiceTheDpiThePanelIsTwiceAsLargeAndItsTextSharp)
{
    if (screenPixels().width() < 3840)
        GTEST_SKIP() << "needs a 4K desktop (scripts/virtual-desktop --size 3840x2160)";
    const PanelSeen plain = panelAt(96);
    const PanelSeen doubled = panelAt(192);
    // A desktop that says its scale through GDK_SCALE alone, which Qt does not read.
    qputenv("GDK_SCALE", "2");
    const PanelSeen gdk = panelAt(96);
    qunsetenv("GDK_SCALE");
    // The teacher's own choice in the settings comes before the desktop's.
    const PanelSeen chosenPlain = panelAt(192, "Scale=100\n");
    const PanelSeen chosenDouble = panelAt(96, "Scale=200\n");
    ASSERT_TRUE(plain.geometry.isValid());
    EXPECT_NEAR(doubled.geometry.width(), 2 * plain.geometry.width(), 2)
        << "at 96 dpi " << plain.geometry.width();
    EXPECT_NEAR(doubled.geometry.height(), 2 * plain.geometry.height(), 2);
    EXPECT_NEAR(gdk.geometry.width(), 2 * plain.geometry.width(), 2) << "with GDK_SCALE=2";
    EXPECT_NEAR(chosenPlain.geometry.width(), plain.geometry.width(), 2) << "100 % chosen at 192 dpi";
    EXPECT_NEAR(chosenDouble.geometry.width(), 2 * plain.geometry.width(), 2) << "200 % chosen at 96 dpi";
    EXPECT_GT(plain.edge, 100) << "the label was not found at 96 dpi";
    EXPECT_GE(doubled.edge, plain.edge * 9 / 10)
        << "blurred at 192 dpi: " << doubled.edge << " against " << plain.edge;
}

TEST(Scale, OnASmallScreenThePanelAndItsPopupsFit)
{
    if (screenPixels().height() > 800)
        GTEST_SKIP() << "needs a small desktop (scripts/virtual-desktop --size 1366x768)";
    const QRect screen(QPoint(0, 0), screenPixels());
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    qmtest::waitFor([] { return false; }, 500);
    EXPECT_TRUE(screen.contains(geometryOf(kPanel)));

    ASSERT_EQ(program.pressPanelButton(kTools), 0);
    ASSERT_NE(program.waitForWindow(QStringLiteral("ToolDlg")), 0u);
    EXPECT_TRUE(screen.contains(geometryOf(QStringLiteral("ToolDlg")))) << "the tool panel";
    ASSERT_EQ(program.pressPanelButton(kTools), 0);

    ASSERT_EQ(program.pressPanelButton(kHistory), 0);
    ASSERT_NE(program.waitForWindow(QStringLiteral("CTabDlg")), 0u);
    EXPECT_TRUE(screen.contains(geometryOf(QStringLiteral("CTabDlg")))) << "the history panel";
    quit(program);
}
