// The program on a 4K board whose desktop is scaled to 2 (Xft.dpi 192), and on an old 1366 x 768 laptop.
// These tests run on desktops of their own (scripts/virtual-desktop --size 3840x2160, --size 1366x768) and
// skip on others.
#include "program_driver.h"

#include "platform/desktop_probe.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"
#include "surface/page_format.h"
#include "surface/page_model.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace DIALOG;
using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
constexpr int kTools = 1121;
constexpr int kHistory = 1123;
constexpr int kWrite = 1075;
constexpr int kSave = 1132;
constexpr int kOpenPdf = 32901;

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

// A window of another program on the desktop showing a one-pixel checker of black and white, which only a
// picture of the desktop at the screen's full resolution keeps.
class CheckerWindow : public QWidget {
public:
    explicit CheckerWindow(const QRect& place)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
    {
        setGeometry(place);
        show();
    }

    static bool black(int x, int y) { return (x + y) % 2 != 0; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QImage checker(size() * devicePixelRatio(), QImage::Format_RGB32);
        for (int y = 0; y < checker.height(); ++y)
            for (int x = 0; x < checker.width(); ++x)
                checker.setPixel(x, y, black(x, y) ? 0xFF000000 : 0xFFFFFFFF);
        checker.setDevicePixelRatio(devicePixelRatio());
        QPainter(this).drawImage(0, 0, checker);
    }
};

struct StoredStroke {
    QImage page;
    CPenNode stroke;
    // What the screen showed of the stroke before the page was saved.
    QImage shown;
};

bool red(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}

// How many red pixels the column at x of a screen's picture holds: the ink's width across a level stroke.
int redInColumn(const QImage& shown, int x)
{
    int n = 0;
    for (int y = 0; y < shown.height(); ++y)
        n += red(shown.pixel(x, y));
    return n;
}

// Writes over the desktop at this Xft.dpi with a drag from from to to (the screen's pixels), saves the page
// and reads back its picture (the frozen desktop) and its first object.
StoredStroke strokeAt(int dpi, QPoint from, QPoint to)
{
    EXPECT_TRUE(setXftDpi(dpi));
    ProgramDriver program;
    EXPECT_TRUE(program.start());
    EXPECT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    StoredStroke stored;
    if (program.pressPanelButton(kWrite) != 0 || program.waitForWindow(kSurface) == 0) {
        ADD_FAILURE() << "no surface at " << dpi << " dpi";
        quit(program);
        return stored;
    }
    // A loaded machine may take a while to show the ink, or to take the pointer once the surface is up: a
    // drag that left no ink is drawn again.
    const auto inkShown = [&] {
        return qmtest::waitFor(
            [&] {
                stored.shown = qmtest::screenshot();
                return redInColumn(stored.shown, (from.x() + to.x()) / 2) > 0;
            },
            10000);
    };
    program.drag(qmtest::straightPath(from, to));
    if (!inkShown()) {
        program.drag(qmtest::straightPath(from, to));
        inkShown();
    }
    EXPECT_EQ(program.pressPanelButton(kSave), 0);
    EXPECT_TRUE(program.waitForNoWindow(kSurface));
    const QString temp = program.programFolder() + QStringLiteral("/Temp");
    const QStringList objects = QDir(temp).entryList({QStringLiteral("*.kw")}, QDir::Files);
    if (objects.size() == 1) {
        const QString path = temp + u'/' + objects.first();
        stored.page = QImage(WithExtension(path, QStringLiteral("bmp")));
        PageList list;
        LoadPage(list, path);
        if (!list.nodes.empty())
            stored.stroke = list.nodes.front();
    }
    EXPECT_EQ(objects.size(), 1) << "at " << dpi << " dpi in " << temp.toStdString();
    quit(program);
    return stored;
}

} // namespace

TEST(Scale, OnA4KBoardTheSurfaceWritesAndStoresAtTheScreensFullResolution)
{
    if (screenPixels().width() < 3840)
        GTEST_SKIP() << "needs a 4K desktop (scripts/virtual-desktop --size 3840x2160)";
    const CheckerWindow checker(QRect(1001, 301, 64, 64));
    qmtest::waitFor([] { return false; }, 300);
    // Where it is in the screen's pixels, whatever scale this test process runs at.
    const double ratio = checker.devicePixelRatio();
    const QRect checkerPlace(checker.pos() * ratio, checker.size() * ratio);
    // Odd pixels, which half a resolution cannot hold.
    const QPoint from(1201, 1501), to(2001, 1501);
    const StoredStroke plain = strokeAt(96, from, to);
    const StoredStroke doubled = strokeAt(192, from, to);

    ASSERT_EQ(doubled.page.size(), QSize(3840, 2160)) << "the stored page at 192 dpi";
    ASSERT_GE(doubled.stroke.points.size(), 2u);
    const PenPoint& first = doubled.stroke.points.front();
    const PenPoint& last = doubled.stroke.points.back();
    EXPECT_EQ(QPoint(first.x, first.y), from) << "the stroke's points are the screen's pixels";
    EXPECT_EQ(QPoint(last.x, last.y), to);

    int kept = 0;
    for (int y = 0; y < checkerPlace.height(); ++y)
        for (int x = 0; x < checkerPlace.width(); ++x) {
            const QRgb c = doubled.page.pixel(checkerPlace.x() + x, checkerPlace.y() + y);
            kept += c == (CheckerWindow::black(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    EXPECT_EQ(kept, checkerPlace.width() * checkerPlace.height()) << "the frozen desktop lost its detail";

    // The pen looks as wide as at scale 1: twice the pixels, on the screen and in the file.
    EXPECT_EQ(doubled.stroke.width, 2 * plain.stroke.width);
    const int plainInk = redInColumn(plain.shown, (from.x() + to.x()) / 2);
    EXPECT_GT(plainInk, 0);
    EXPECT_NEAR(redInColumn(doubled.shown, (from.x() + to.x()) / 2), 2 * plainInk, 1);
}

TEST(Scale, OnA4KBoardAPdfPageFillsTheScreenAtItsFullResolution)
{
    if (screenPixels().width() < 3840)
        GTEST_SKIP() << "needs a 4K desktop (scripts/virtual-desktop --size 3840x2160)";
    ASSERT_TRUE(setXftDpi(192));
    ProgramDriver program;
    const QString pdf = qmtest::writeRedPdf(program.homeFolder() + QStringLiteral("/lesson.pdf"));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    ASSERT_TRUE(program.chooseInFileDialog(kOpenPdf, QStringLiteral("打开PDF或幻灯片"), pdf))
        << "no file dialog";
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    // The portrait page stands the screen's full height in the middle, its lower half included.
    const QPoint lowMiddle(screenPixels().width() / 2, screenPixels().height() * 5 / 6);
    EXPECT_TRUE(qmtest::waitFor([&] { return red(qmtest::screenshot().pixel(lowMiddle)); }, 10000))
        << "the page was made for a screen of half the pixels";

    // The board's buttons are drawn from their pictures of twice the size, pixel for pixel: the exit button
    // is the rightmost of the row, 48 logical pixels square, left of the removal square.
    const QImage exit = QImage(program.programFolder() + QStringLiteral("/Bin/exit@2x.png"))
                            .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(exit.size(), QSize(96, 96));
    const QImage shown = qmtest::screenshot().copy(
        QRect(screenPixels().width() - 224, screenPixels().height() - 112, 96, 96));
    int opaque = 0, same = 0;
    for (int y = 0; y < exit.height(); ++y)
        for (int x = 0; x < exit.width(); ++x) {
            const QRgb want = exit.pixel(x, y), got = shown.pixel(x, y);
            if (qAlpha(want) < 255)
                continue;
            ++opaque;
            same += std::abs(qRed(want) - qRed(got)) + std::abs(qGreen(want) - qGreen(got))
                    + std::abs(qBlue(want) - qBlue(got))
                < 48;
        }
    EXPECT_GT(same, opaque * 95 / 100) << "the board's buttons are enlarged from their small pictures";
    quit(program);
}

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
