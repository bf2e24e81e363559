// A teacher presses 4D, chooses a deck made with LibreOffice, and gets its slides as the 3D wall: a click
// zooms into a slide, the pen writes on it, and leaving the wall brings the panel back.
#include "program_driver.h"

#include "assist/slide_deck_fixture.h"
#include "support_main/stacking_check.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kWall = QStringLiteral("QMShow");
const QColor kRed(0xd0, 0x20, 0x20), kGreen(0x20, 0xa0, 0x40), kBlue(0x20, 0x40, 0xd0);

void run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(20000);
}

// Pixels of the colour (within 28 a channel), counting every 4th pixel of every 4th row.
int pixelsOf(const QImage& image, const QColor& c, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); y += 4)
        for (int x = area.left(); x <= area.right(); x += 4) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - c.red()) < 28 && std::abs(qGreen(p) - c.green()) < 28
                && std::abs(qBlue(p) - c.blue()) < 28)
                ++n;
        }
    return n;
}

} // namespace

TEST(DeckWall, FourDConvertsADeckIntoAWallToZoomWriteOnAndLeave)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    const QString deck = program.homeFolder() + QStringLiteral("/My Decks/Lesson 1.odp");
    ASSERT_TRUE(qmtest::writeSlideDeck(deck, {kRed, kGreen, kBlue}));

    ASSERT_EQ(program.pressPanelButton(1125), 0);
    const unsigned long chooser = program.waitForWindow(QStringLiteral("打开幻灯片"));
    ASSERT_NE(chooser, 0u) << "no deck dialog";
    qmtest::waitFor([] { return false; }, 800);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+a")});
    run(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), deck});
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});

    // The slides are made in the program's Save folder under the deck's title, and the wall opens on them.
    ASSERT_NE(program.waitForWindow(kWall, 150000), 0u) << program.output().toStdString();
    const QString slides = program.programFolder() + QStringLiteral("/Save/PowerPoint/Lesson 1");
    EXPECT_TRUE(QFileInfo::exists(slides + QStringLiteral("/Lesson 1_003.PNG")));
    QImage wall;
    const bool shown = qmtest::waitFor(
        [&] {
            wall = qmtest::screenshot(200);
            const QRect all = wall.rect();
            return pixelsOf(wall, kRed, all) > 500 && pixelsOf(wall, kGreen, all) > 500
                && pixelsOf(wall, kBlue, all) > 500;
        },
        30000);
    wall.save(QStringLiteral("/tmp/deck_wall.png"));
    ASSERT_TRUE(shown) << "the wall does not show the three slides";
    EXPECT_TRUE(qmtest::waitFor([] { return qmtest::desktopStacking().followsRule; }, 8000))
        << "the wall under the panel's tab:\n"
        << qmtest::desktopStacking().description.toStdString();

    // One slide a row: the green one is in the middle of the screen. A click brings it close.
    const QPoint centre(960, 540);
    program.click(centre);
    QImage zoomed;
    ASSERT_TRUE(qmtest::waitFor(
        [&] {
            zoomed = qmtest::screenshot(200);
            return pixelsOf(zoomed, kGreen, QRect(560, 240, 800, 600)) > 20000;
        },
        30000))
        << "the click did not zoom into the slide";
    // The camera glides to a stop in front of the slide.
    ASSERT_TRUE(qmtest::waitFor(
        [&] {
            const QImage now = qmtest::screenshot(300);
            const bool still = now == zoomed;
            zoomed = now;
            return still;
        },
        30000));

    // The pen, chosen as another program would, leaves blue ink where the teacher drags.
    ASSERT_EQ(program.qmsend({QStringLiteral("--title"), kWall, QStringLiteral("0x111"),
                  QStringLiteral("2005"), QStringLiteral("0")}),
        0);
    // The canvas comes over the slide at the wall's next look (every 50 ms); a loaded desktop takes longer.
    qmtest::waitFor([] { return false; }, 2000);
    program.drag(qmtest::straightPath(centre - QPoint(150, 0), centre + QPoint(150, 0)));
    const QImage ink = qmtest::screenshot(500);
    ink.save(QStringLiteral("/tmp/deck_wall_ink.png"));
    EXPECT_GT(pixelsOf(ink, QColor(0, 0, 255), QRect(centre - QPoint(160, 8), QSize(320, 16))), 20)
        << "no ink";

    // Leaving: the first Escape puts the pen away, the second leaves the wall; the panel comes back.
    const unsigned long window = program.waitForWindow(kWall);
    ASSERT_TRUE(program.pressKeyIn(window, QStringLiteral("Escape")));
    qmtest::waitFor([] { return false; }, 300);
    ASSERT_TRUE(program.pressKeyIn(window, QStringLiteral("Escape")));
    EXPECT_TRUE(program.waitForNoWindow(kWall));
    EXPECT_NE(program.waitForWindow(kPanel, 10000), 0u) << "the panel did not come back";
}

TEST(DeckWall, TheLogoWallWithoutTheMediaCentreShowsOurPicturesOnTheWall)
{
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    ASSERT_EQ(program.pressPanelButton(32856), 0);
    ASSERT_NE(program.waitForWindow(kWall, 30000), 0u) << "no wall without Cinebox";
    // The roofs of the four pictures of the logo folder are gold.
    QImage wall;
    const bool shown = qmtest::waitFor(
        [&] {
            wall = qmtest::screenshot(200);
            return pixelsOf(wall, QColor(0xf6, 0xb7, 0x3c), wall.rect()) > 40;
        },
        30000);
    wall.save(QStringLiteral("/tmp/logo_wall.png"));
    EXPECT_TRUE(shown) << "the logo pictures are not on the wall";

    // Command 2004 hides the wall and gives the panel back.
    ASSERT_EQ(program.qmsend({QStringLiteral("--title"), kWall, QStringLiteral("0x111"),
                  QStringLiteral("2004"), QStringLiteral("0")}),
        0);
    EXPECT_TRUE(program.waitForNoWindow(kWall));
    EXPECT_NE(program.waitForWindow(kPanel, 10000), 0u) << "the panel did not come back";
}
