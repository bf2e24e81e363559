// The picture zoom on the running program: opened from the tools page of the tool panel, driven by its own
// pictures with XTest clicks, and checked on the screen's pixels.
#include "program_driver.h"

#include "platform/x11_desktop.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QThread>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kToolPanel = QStringLiteral("ToolDlg");
const QString kZoom = QStringLiteral("图片处理");
constexpr int kToolButtonPitch = 46;
constexpr int kZoomButtonOnToolsPage = 4;
// The zoom's pictures are 40 x 40: close, reduce ("ZoomIn") and enlarge ("ZoomOut") from right to left.
constexpr int kPicture = 40;

QRect shownWindow(const QString& title)
{
    for (const platform::desktop::TopWindow& w : platform::desktop::topLevelWindows())
        if (w.viewable && w.title == title)
            return w.geometry;
    return {};
}

QPoint toolButton(int index)
{
    const QRect panel = shownWindow(kToolPanel);
    return panel.topLeft() + QPoint(24, 1 + index * kToolButtonPitch + 22);
}

int countColour(const QImage& image, const QRect& area, QRgb colour, int tolerance = 40)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            n += qAbs(qRed(c) - qRed(colour)) <= tolerance && qAbs(qGreen(c) - qGreen(colour)) <= tolerance
                && qAbs(qBlue(c) - qBlue(colour)) <= tolerance;
        }
    return n;
}

class ZoomE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const int top = screen.height() - 31 - kPicture;
        close_ = QRect(screen.width() - 60 - kPicture, top, kPicture, kPicture);
        reduce_ = QRect(screen.width() - 70 - 2 * kPicture, top, kPicture, kPicture);
        enlarge_ = QRect(screen.width() - 80 - 3 * kPicture, top, kPicture, kPicture);
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
        ASSERT_EQ(program.pressPanelButton(1121), 0);
        ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);
        QThread::msleep(300);
    }
    void clickZoomButton()
    {
        program.click(toolButton(kZoomButtonOnToolsPage));
        QThread::msleep(300);
    }

    ProgramDriver program;
    QRect close_, reduce_, enlarge_;
};

} // namespace

TEST_F(ZoomE2E, TheToolsPageOpensTheZoomAndItsOwnPicturesZoomAndCloseIt)
{
    clickZoomButton();
    ASSERT_NE(program.waitForWindow(kZoom, 5000), 0u);
    EXPECT_EQ(shownWindow(kZoom), QGuiApplication::primaryScreen()->geometry());
    QImage shown = qmtest::screenshot(400);
    // The red close disc and the two white magnifier tiles stand at the bottom right.
    EXPECT_GT(countColour(shown, close_, qRgb(0xE8, 0x41, 0x3C)), 600);
    EXPECT_GT(countColour(shown, enlarge_, qRgb(255, 255, 255), 10), 600);
    EXPECT_GT(countColour(shown, reduce_, qRgb(255, 255, 255), 10), 600);

    // Enlarging changes what the view shows; reducing twice comes down to the natural size and closes it.
    if (const QByteArray folder = qgetenv("QM_SHOT_DIR"); !folder.isEmpty())
        shown.save(QString::fromLocal8Bit(folder) + QStringLiteral("/zoom_from_tools_page.png"));
    const QImage atTwo = shown;
    program.click(enlarge_.center());
    shown = qmtest::screenshot(400);
    EXPECT_NE(shown, atTwo);
    program.click(reduce_.center());
    program.click(reduce_.center());
    EXPECT_TRUE(program.waitForNoWindow(kZoom, 5000));

    // The library cleared the tool panel's flag: the next press opens it again, and its close picture shuts
    // it.
    clickZoomButton();
    ASSERT_NE(program.waitForWindow(kZoom, 5000), 0u);
    QThread::msleep(300);
    program.click(close_.center());
    EXPECT_TRUE(program.waitForNoWindow(kZoom, 5000));
    // A second press of the tool panel's button closes an open zoom.
    clickZoomButton();
    ASSERT_NE(program.waitForWindow(kZoom, 5000), 0u);
    clickZoomButton();
    EXPECT_TRUE(program.waitForNoWindow(kZoom, 5000));
    EXPECT_TRUE(program.running());
}

TEST_F(ZoomE2E, ClosingTheProgramWithTheZoomOpenEndsCleanly)
{
    clickZoomButton();
    ASSERT_NE(program.waitForWindow(kZoom, 5000), 0u);
    const unsigned long panel = program.waitForWindow(kPanel);
    ASSERT_TRUE(platform::desktop::requestClose(panel));
    const unsigned long question = program.waitForWindow(QStringLiteral("提示"));
    ASSERT_NE(question, 0u);
    program.pressKeyIn(question, QStringLiteral("Return"));
    ASSERT_TRUE(program.waitForExit());
    // The panel's tear-down takes the zoom window with it: nothing is left for the leak check at the end.
    EXPECT_EQ(program.exitCode(), 0) << program.output().toStdString();
}
