// A teacher's slide show in LibreOffice Impress, driven from the panel's play button and the slide-show
// toolbar. The deck is made by the test: three slides, each one big colour, so that the screen tells which
// slide the show is on.
#include "program_driver.h"

#include "platform/desktop_probe.h"
#include "platform/dialog_units.h"
#include "platform/x11_desktop.h"
#include "support_main/stacking_check.h"
#include "support_main/test_util.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

constexpr int kPlay = 1144;
const QString kPanel = QStringLiteral("白板");
const QString kToolbar = QStringLiteral("_KWPPTTOOLBAR");
const QString kEditor = QStringLiteral("lesson.fodp - LibreOffice Impress");

const QRgb kSlideColours[] = {qRgb(0xE0, 0x20, 0x20), qRgb(0x20, 0xA0, 0x40), qRgb(0x20, 0x50, 0xE0)};

// A flat OpenDocument deck of three slides, each covered by one rectangle of its colour.
QByteArray deck(bool fullScreen)
{
    QByteArray styles, pages;
    for (int i = 0; i < 3; ++i) {
        styles += QStringLiteral(
            "<style:style style:name=\"gr%1\" style:family=\"graphic\"><style:graphic-properties "
            "draw:fill=\"solid\" draw:fill-color=\"%2\" draw:stroke=\"none\"/></style:style>")
                      .arg(i)
                      .arg(QColor(kSlideColours[i]).name())
                      .toUtf8();
        pages += QStringLiteral(
            "<draw:page draw:name=\"page%1\" draw:master-page-name=\"Default\"><draw:custom-shape "
            "draw:style-name=\"gr%2\" svg:x=\"0cm\" svg:y=\"0cm\" svg:width=\"28cm\" "
            "svg:height=\"15.75cm\"><draw:enhanced-geometry draw:type=\"rectangle\"/>"
            "</draw:custom-shape></draw:page>")
                     .arg(i + 1)
                     .arg(i)
                     .toUtf8();
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
           "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
           "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
           "office:version=\"1.2\" "
           "office:mimetype=\"application/vnd.oasis.opendocument.presentation\"><office:styles/>"
           "<office:automatic-styles><style:page-layout style:name=\"PM1\"><style:page-layout-properties "
           "fo:margin-top=\"0cm\" fo:margin-bottom=\"0cm\" fo:margin-left=\"0cm\" fo:margin-right=\"0cm\" "
           "fo:page-width=\"28cm\" fo:page-height=\"15.75cm\" style:print-orientation=\"landscape\"/>"
           "</style:page-layout>"
        + styles
        + "</office:automatic-styles><office:master-styles><style:master-page style:name=\"Default\" "
          "style:page-layout-name=\"PM1\"/></office:master-styles><office:body><office:presentation>"
        + pages + (fullScreen ? "" : "<presentation:settings presentation:full-screen=\"false\"/>")
        + "</office:presentation></office:body></office:document>\n";
}

// The colour in the middle of the screen, in the largest share of a small square around it.
QRgb middleColour()
{
    const QImage shot = qmtest::screenshot();
    return shot.pixel(shot.width() / 2, shot.height() / 2);
}

bool close(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 24 && std::abs(qGreen(a) - qGreen(b)) < 24
        && std::abs(qBlue(a) - qBlue(b)) < 24;
}

class SlideShowE2E : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (office.state() != QProcess::NotRunning) {
            office.kill();
            office.waitForFinished(10000);
        }
        // The office program itself runs on after its starter script, under the test's profile.
        QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-f"), officeProfile()});
    }

    QString officeProfile() const { return program.homeFolder() + QStringLiteral("/office"); }

    // Opens the deck in Impress with a profile of the test's own, and starts the program.
    void openDeckAndStart(bool fullScreen)
    {
        const QString file = program.homeFolder() + QStringLiteral("/lesson.fodp");
        QDir().mkpath(program.homeFolder());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(deck(fullScreen));
        out.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), program.homeFolder());
        office.setProcessEnvironment(env);
        // Its output is not the test's: soffice.bin outlives the script that starts it and would hold the
        // test's output open.
        office.setStandardOutputFile(QProcess::nullDevice());
        office.setStandardErrorFile(QProcess::nullDevice());
        office.start(QStringLiteral("soffice"),
            {QStringLiteral("-env:UserInstallation=file://") + officeProfile(), QStringLiteral("--nologo"),
                QStringLiteral("--norestore"), QStringLiteral("--nofirststartwizard"), file});
        ASSERT_TRUE(office.waitForStarted()) << "LibreOffice Impress is needed (scripts/deps installs it)";
        // A first start with a new profile takes a while on a busy machine.
        ASSERT_TRUE(qmtest::waitFor([] { return platform::desktop::findWindow(kEditor) != 0; }, 120000))
            << "Impress did not open the deck";
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    }

    // The centre of a toolbar button, by its place from the left (0 Up … 6 exit).
    QPoint toolbarButton(int place) const
    {
        const QRect bar = platform::desktop::windowGeometry(platform::desktop::findWindow(kToolbar));
        const int x = platform::dialogUnitsToPixelsX(23 * place) + 1 + platform::dialogUnitsToPixelsX(23) / 2;
        return bar.topLeft() + QPoint(x, bar.height() / 2);
    }

    // The program's windows in the order of its rule, over the show.
    static bool inOrder()
    {
        return qmtest::waitFor([] { return qmtest::desktopStacking().followsRule; }, 8000);
    }

    bool showsSlide(int slide, int timeoutMs = 15000)
    {
        return qmtest::waitFor([&] { return close(middleColour(), kSlideColours[slide]); }, timeoutMs);
    }

    ProgramDriver program;
    QProcess office;
};

} // namespace

TEST_F(SlideShowE2E, TheToolbarPagesThroughTheShowAndItsExitBringsThePanelBack)
{
    openDeckAndStart(true);
    ASSERT_EQ(program.pressPanelButton(kPlay), 0);
    ASSERT_NE(program.waitForWindow(kToolbar, 20000), 0u) << "the play button shows the toolbar";
    ASSERT_TRUE(showsSlide(0)) << "the show starts at the current slide";
    EXPECT_TRUE(program.waitForNoWindow(kPanel, 5000)) << "the panel collapses for the show";

    program.click(toolbarButton(1)); // down
    EXPECT_TRUE(showsSlide(1)) << "down shows the next slide";
    program.click(toolbarButton(1));
    EXPECT_TRUE(showsSlide(2));
    program.click(toolbarButton(0)); // Up
    EXPECT_TRUE(showsSlide(1)) << "Up goes back";
    // The toolbar stays above the show.
    EXPECT_NE(platform::desktop::findWindow(kToolbar), 0u);

    program.click(toolbarButton(6)); // exit
    EXPECT_TRUE(program.waitForNoWindow(kToolbar, 5000)) << "exit hides the toolbar";
    EXPECT_NE(program.waitForWindow(kPanel, 10000), 0u) << "and the panel comes back";
    EXPECT_TRUE(qmtest::waitFor(
        [] {
            for (const auto& w : platform::desktop::topLevelWindows())
                if (w.viewable && w.title.startsWith(QStringLiteral("Presenting")))
                    return false;
            return true;
        },
        10000))
        << "exit ends the show";
}

TEST_F(SlideShowE2E, AShowEndedInThePresentationTakesTheToolbarAwayAtTheNextWatch)
{
    openDeckAndStart(true);
    ASSERT_EQ(program.pressPanelButton(kPlay), 0);
    ASSERT_NE(program.waitForWindow(kToolbar, 20000), 0u);
    ASSERT_TRUE(showsSlide(0));
    // The teacher ends the show with the presentation's own key.
    unsigned long show = 0;
    for (const auto& w : platform::desktop::topLevelWindows())
        if (w.viewable && w.title.startsWith(QStringLiteral("Presenting")))
            show = w.xid;
    ASSERT_NE(show, 0u);
    ASSERT_TRUE(program.pressKeyIn(show, QStringLiteral("Escape")));
    // The watch runs every three seconds: the toolbar goes at the next one.
    EXPECT_TRUE(program.waitForNoWindow(kToolbar, 8000));
}

TEST_F(SlideShowE2E, AShowInAWindowGetsNoKeys)
{
    openDeckAndStart(false);
    ASSERT_EQ(program.pressPanelButton(kPlay), 0);
    ASSERT_NE(program.waitForWindow(kToolbar, 20000), 0u);
    ASSERT_TRUE(showsSlide(0)) << "the windowed show is in the middle of the screen";
    // A show that does not fill its screen is not one the toolbar may steer: down changes nothing.
    program.click(toolbarButton(1));
    qmtest::waitFor([] { return false; }, 1500);
    EXPECT_TRUE(close(middleColour(), kSlideColours[0]));
    // Nor does the toolbar stay once its watch finds no show in front of the screen.
    EXPECT_TRUE(program.waitForNoWindow(kToolbar, 8000));
}

TEST_F(SlideShowE2E, WritingAndTheWhiteboardGoOverARunningShowAndExitComesBackToTheSameSlide)
{
    openDeckAndStart(true);
    ASSERT_EQ(program.pressPanelButton(kPlay), 0);
    ASSERT_NE(program.waitForWindow(kToolbar, 20000), 0u);
    ASSERT_TRUE(showsSlide(0));
    program.click(toolbarButton(1)); // down
    ASSERT_TRUE(showsSlide(1));

    // The panel back from its tab, and its writing button: the slide stays, frozen, and takes the ink.
    const QRect tab
        = platform::desktop::windowGeometry(platform::desktop::findWindow(QStringLiteral("HideDlg")));
    ASSERT_FALSE(tab.isEmpty()) << "the panel is folded to its tab during the show";
    program.click(tab.center());
    ASSERT_NE(program.waitForWindow(kPanel, 10000), 0u);
    const QRect panel = platform::desktop::windowGeometry(platform::desktop::findWindow(kPanel));
    program.click(panel.topLeft() + QPoint(38, 46)); // 书写
    ASSERT_NE(program.waitForWindow(QStringLiteral("ScreenPen"), 15000), 0u);
    EXPECT_TRUE(inOrder()) << qmtest::desktopStacking().description.toStdString();
    EXPECT_TRUE(showsSlide(1)) << "the page holds the slide";
    const QPoint from(500, 500), to(900, 500);
    program.drag(qmtest::straightPath(from, to));
    const QImage written = qmtest::screenshot(400);
    const QRgb ink = written.pixel((from + to) / 2);
    EXPECT_TRUE(qRed(ink) > 200 && qGreen(ink) < 80 && qBlue(ink) < 80)
        << "the ink is on the page over the show";
    program.click(panel.topLeft() + QPoint(13, 372)); // the arrow: the page is stored and goes
    ASSERT_TRUE(program.waitForNoWindow(QStringLiteral("ScreenPen"), 15000));
    EXPECT_TRUE(showsSlide(1)) << "the show is still on its slide";
    const QRgb after = qmtest::screenshot(400).pixel((from + to) / 2);
    EXPECT_FALSE(qRed(after) > 200 && qGreen(after) < 80 && qBlue(after) < 80)
        << "no ink went into the presentation's own pen";

    ASSERT_NE(program.waitForWindow(kToolbar, 10000), 0u) << "the show's toolbar is back";

    // The toolbar's whiteboard: a white board page over the show, and its exit brings the same slide back.
    program.click(toolbarButton(5));
    ASSERT_NE(program.waitForWindow(QStringLiteral("ScreenPen"), 15000), 0u);
    EXPECT_TRUE(qmtest::waitFor([] { return close(middleColour(), qRgb(255, 255, 255)); }, 10000))
        << "a white board page covers the show";
    EXPECT_TRUE(inOrder()) << qmtest::desktopStacking().description.toStdString();
    program.click(qmtest::boardButtonCentre(3)); // the board's exit
    ASSERT_TRUE(program.waitForNoWindow(QStringLiteral("ScreenPen"), 15000));
    EXPECT_TRUE(showsSlide(1)) << "back on the same slide";
    EXPECT_NE(program.waitForWindow(kToolbar, 10000), 0u) << "with the toolbar";
}

TEST_F(SlideShowE2E, TheOfficeButtonOpensADeckUnderThePanelWhosePlayButtonStartsItsShow)
{
    // The teacher's deck as PowerPoint writes it, made from the test's deck by LibreOffice itself.
    QDir().mkpath(program.homeFolder());
    const QString flat = qmtest::writeFile(program.homeFolder() + QStringLiteral("/lesson.fodp"), deck(true));
    QProcess convert;
    convert.start(QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=file://") + officeProfile(), QStringLiteral("--headless"),
            QStringLiteral("--convert-to"), QStringLiteral("pptx"), QStringLiteral("--outdir"),
            program.homeFolder(), flat});
    ASSERT_TRUE(convert.waitForFinished(180000));
    const QString pptx = program.homeFolder() + QStringLiteral("/lesson.pptx");
    ASSERT_TRUE(QFileInfo::exists(pptx));

    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u);
    const QRect panel = platform::desktop::windowGeometry(platform::desktop::findWindow(kPanel));
    program.click(panel.topLeft() + QPoint(38, 270)); // office
    ASSERT_TRUE(qmtest::waitFor(
        [] {
            for (const auto& w : platform::desktop::topLevelWindows())
                if (w.viewable && w.stackLayer == 4)
                    return true;
            return false;
        },
        15000))
        << "the office button asks for a deck";
    qmtest::waitFor([] { return false; }, 500);
    QProcess::execute(QStringLiteral("xdotool"),
        {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), pptx});
    platform::desktop::pressKey(QStringLiteral("Return"));
    const QString editor = QStringLiteral("lesson.pptx - LibreOffice Impress");
    ASSERT_TRUE(qmtest::waitFor([&] { return platform::desktop::findWindow(editor) != 0; }, 180000))
        << "Impress opens the deck";
    qmtest::waitFor([] { return false; }, 2000);
    EXPECT_TRUE(inOrder()) << "Impress opens under the panel:\n"
                           << qmtest::desktopStacking().description.toStdString();

    program.click(panel.topLeft() + QPoint(63, 372)); // 播放幻灯片, within reach
    EXPECT_NE(program.waitForWindow(kToolbar, 30000), 0u) << "the play button starts the show";
    EXPECT_TRUE(showsSlide(0));
    EXPECT_TRUE(inOrder()) << qmtest::desktopStacking().description.toStdString();
    // Impress was started by the desktop for the teacher, not with the test's profile.
    QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-f"), QStringLiteral("lesson.pptx")});
}
