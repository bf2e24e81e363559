// A teacher in front of a class, with the mouse: after every step, the program's windows lie in the order of
// its rule over every other program's (checked through the X server's own stack), and the panel is in sight
// on the screen. Run on openbox and on xfwm4.
#include "program_driver.h"

#include "platform/desktop_probe.h"
#include "platform/dialog_units.h"
#include "platform/stacking_rule.h"
#include "platform/x11_desktop.h"
#include "support_main/stacking_check.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
const QString kToolPanel = QStringLiteral("ToolDlg");

// The panel's buttons as the teacher sees them: their top left corner on the panel in pixels, and their size
// in dialog units.
struct PanelButton {
    int id;
    QPoint at;
    int widthDu, heightDu;
};
const PanelButton kPanelButtons[] = {{1075, {1, 30}, 49, 20}, {1121, {1, 94}, 49, 20},
    {1123, {1, 158}, 49, 20}, {1128, {2, 288}, 15, 15}, {1139, {27, 336}, 15, 15}, {1131, {2, 360}, 15, 15},
    {1145, {27, 360}, 15, 15}, {1132, {2, 384}, 15, 15}};
constexpr int kWriting = 1075, kTools = 1121, kHistory = 1123, kWhiteboard = 1128, kColour = 1139,
              kArrow = 1131, kRecorder = 1145, kSave = 1132;

void settle(int ms)
{
    qmtest::waitFor([] { return false; }, ms);
}

// The shown windows of the program in a layer, topmost last.
QList<platform::desktop::TopWindow> shownInLayer(platform::stacking::Layer layer)
{
    QList<platform::desktop::TopWindow> found;
    for (const platform::desktop::TopWindow& w : platform::desktop::topLevelWindows())
        if (w.viewable && w.stackLayer == int(layer))
            found.append(w);
    return found;
}

class InFrontOfAClass : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
        settle(1500);
        panel = platform::desktop::windowGeometry(platform::desktop::findWindow(kPanel));
        ASSERT_FALSE(panel.isEmpty());
        panelLook = qmtest::screenshot().copy(panel);
    }

    QPoint button(int id) const
    {
        for (const PanelButton& b : kPanelButtons)
            if (b.id == id)
                return panel.topLeft() + b.at
                    + QPoint(platform::dialogUnitsToPixelsX(b.widthDu) / 2,
                        platform::dialogUnitsToPixelsY(b.heightDu) / 2);
        ADD_FAILURE() << "no button " << id;
        return {};
    }

    // A left click, then the pointer off the panel so that no button shows its pressed picture.
    void clickAt(const QPoint& at)
    {
        program.click(at);
        platform::desktop::moveMouse(panel.left() - 200, panel.bottom() + 20);
        settle(400);
    }
    void clickButton(int id) { clickAt(button(id)); }
    // A button of the tools page; the page is opened first when an aid has put it away.
    void clickTool(int index)
    {
        if (!platform::desktop::findWindow(kToolPanel))
            clickButton(kTools);
        const QRect tools = platform::desktop::windowGeometry(platform::desktop::findWindow(kToolPanel));
        ASSERT_FALSE(tools.isEmpty()) << "the tool panel is shown";
        clickAt(tools.topLeft() + QPoint(24, 1 + index * 46 + 22));
    }

    // The share of the panel's pixels that the screen shows as they were at the start.
    double panelShown() const
    {
        const QImage now = qmtest::screenshot().copy(panel);
        int same = 0;
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x) {
                const QRgb a = now.pixel(x, y), b = panelLook.pixel(x, y);
                same += qAbs(qRed(a) - qRed(b)) < 16 && qAbs(qGreen(a) - qGreen(b)) < 16
                    && qAbs(qBlue(a) - qBlue(b)) < 16;
            }
        return double(same) / (now.width() * now.height());
    }

    // The rule holds and the panel is in sight, soon after the step.
    void inOrder(const std::string& step, const QList<unsigned long>& aids = {})
    {
        EXPECT_TRUE(qmtest::waitFor([&] { return qmtest::desktopStacking(aids).followsRule; }, 8000))
            << step << ", the stack from the bottom:\n"
            << qmtest::desktopStacking(aids).description.toStdString();
        EXPECT_TRUE(qmtest::waitFor([&] { return panelShown() > 0.8; }, 8000))
            << step << ": the panel is not in sight (" << panelShown() << " of it)";
    }

    unsigned long waitForDialog()
    {
        unsigned long dialog = 0;
        qmtest::waitFor(
            [&] {
                const auto dialogs = shownInLayer(platform::stacking::Layer::Dialog);
                dialog = dialogs.isEmpty() ? 0 : dialogs.last().xid;
                return dialog != 0;
            },
            15000);
        return dialog;
    }
    bool waitForNoDialog()
    {
        return qmtest::waitFor(
            [] { return shownInLayer(platform::stacking::Layer::Dialog).isEmpty(); }, 10000);
    }

    ProgramDriver program;
    QRect panel;
    QImage panelLook;
};

} // namespace

TEST_F(InFrontOfAClass, EveryDialogOpensAboveAndGivesThePanelBackEachWayItCloses)
{
    clickButton(kWriting);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    inOrder("writing over the desktop");

    const struct {
        const char* way;
        std::function<void(unsigned long)> close;
    } ways[] = {{"Escape", [](unsigned long) { platform::desktop::pressKey(QStringLiteral("Escape")); }},
        {"OK (Return)", [](unsigned long) { platform::desktop::pressKey(QStringLiteral("Return")); }},
        {"its close button", [](unsigned long d) { platform::desktop::requestClose(d); }}};
    for (const auto& way : ways) {
        clickButton(kColour);
        const unsigned long dialog = waitForDialog();
        ASSERT_NE(dialog, 0u) << "the colour button opens the colour dialog";
        inOrder("the colour dialog open");
        EXPECT_TRUE(qmtest::waitFor([&] { return platform::desktop::activeWindow() == dialog; }, 5000))
            << "the colour dialog has the keyboard";
        way.close(dialog);
        ASSERT_TRUE(waitForNoDialog()) << way.way;
        inOrder(std::string("the colour dialog closed with ") + way.way);
    }

    // The close question, from the main menu's last item, answered No.
    platform::desktop::moveMouse(panel.center().x(), panel.top() + 12);
    platform::desktop::mouseButton(3, true);
    platform::desktop::mouseButton(3, false);
    settle(800);
    platform::desktop::pressKey(QStringLiteral("Up"));
    platform::desktop::pressKey(QStringLiteral("Return"));
    ASSERT_NE(waitForDialog(), 0u) << "Exit asks first";
    inOrder("the close question");
    platform::desktop::pressKey(QStringLiteral("Escape"));
    ASSERT_TRUE(waitForNoDialog());
    EXPECT_TRUE(program.running()) << "No keeps the program";
    inOrder("No to the close question");

    // The history panel's Add, over the page: its file dialog above all, cancelled.
    clickButton(kHistory);
    const unsigned long history = program.waitForWindow(QStringLiteral("CTabDlg"));
    ASSERT_NE(history, 0u);
    inOrder("the history panel over the page");
    const QRect tab = platform::desktop::windowGeometry(history);
    clickAt(QPoint(tab.left() + 30, tab.bottom() - 8 - 28 - 2 - 14)); // Add, the first command under the list
    ASSERT_NE(waitForDialog(), 0u) << "Add asks for a picture";
    inOrder("the history panel's picture dialog");
    platform::desktop::pressKey(QStringLiteral("Escape"));
    ASSERT_TRUE(waitForNoDialog());
    inOrder("the picture dialog cancelled");
}

TEST_F(InFrontOfAClass, AidsComeOverThePageAndStayUnderThePanel)
{
    clickButton(kWriting);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    clickButton(kTools);
    inOrder("the tools page over the page");

    clickTool(1); // the mask
    ASSERT_NE(program.waitForWindow(QStringLiteral("MaskWnd")), 0u);
    inOrder("the mask over the page");
    clickTool(1);
    ASSERT_TRUE(program.waitForNoWindow(QStringLiteral("MaskWnd")));

    clickTool(2); // the calculator
    unsigned long calculator = 0;
    ASSERT_TRUE(qmtest::waitFor(
        [&] {
            return (calculator = platform::desktop::findWindow(QString(), QStringLiteral("Galculator"))) != 0;
        },
        20000))
        << "galculator is needed (scripts/deps installs it)";
    inOrder("the calculator over the page", {calculator});
    platform::desktop::requestClose(calculator);
    ASSERT_TRUE(qmtest::waitFor([&] { return !platform::desktop::windowExists(calculator); }, 10000));
    inOrder("the calculator closed");

    clickButton(kArrow);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));
    inOrder("back to the mouse");
}

TEST_F(InFrontOfAClass, ABoardPageOpensUnderTheRecordWindowAndTheFloatingTimeSitsTopCentre)
{
    clickButton(kRecorder);
    ASSERT_NE(program.waitForWindow(QStringLiteral("CTimerDlg"), 20000), 0u) << "the recorder button records";
    const QRect time
        = platform::desktop::windowGeometry(platform::desktop::findWindow(QStringLiteral("CTimerDlg")));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(time.topLeft(), QPoint(screen.width() / 2, 0)) << "the floating time at the top centre";
    bool recordWindowShown = false;
    for (const platform::desktop::TopWindow& w : shownInLayer(platform::stacking::Layer::Panel))
        recordWindowShown
            |= !w.overrideRedirect; // the one window beside the panel that the window manager frames
    ASSERT_TRUE(recordWindowShown);
    inOrder("recording");

    clickButton(kWhiteboard);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    inOrder("a board page while recording");
    EXPECT_FALSE(program.waitForNoWindow(QStringLiteral("CTimerDlg"), 500))
        << "the floating time stays in sight";
}

TEST_F(InFrontOfAClass, TheScreenPictureUnderTheInkHoldsNoWindowOfTheProgram)
{
    // The desktop as the teacher left it, then the tool panel, the record window and a one-line notice over
    // it.
    const QImage desktop = qmtest::screenshot();
    clickButton(kTools);
    ASSERT_NE(program.waitForWindow(kToolPanel), 0u);
    const QRect tools = platform::desktop::windowGeometry(platform::desktop::findWindow(kToolPanel));
    ASSERT_EQ(program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("0x111"),
                  QStringLiteral("32804"), QStringLiteral("0")}),
        0); // calibration: "not available yet", in a notice
    clickButton(kRecorder);
    ASSERT_NE(program.waitForWindow(QStringLiteral("CTimerDlg"), 20000), 0u);
    settle(500);
    const QImage covered = qmtest::screenshot();

    clickButton(kWriting);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    program.drag(qmtest::straightPath(QPoint(100, 300), QPoint(300, 300))); // a page worth storing
    clickButton(kSave);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));
    const QStringList pages = QDir(program.programFolder() + QStringLiteral("/Temp"))
                                  .entryList({QStringLiteral("*.bmp")}, QDir::Files);
    ASSERT_EQ(pages.size(), 1);
    const QImage page = QImage(program.programFolder() + QStringLiteral("/Temp/") + pages.first())
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(page.size(), desktop.size());
    // Wherever the program's windows changed the screen, the stored page shows the desktop underneath.
    int changed = 0, kept = 0;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2) {
            if (covered.pixel(x, y) == desktop.pixel(x, y))
                continue;
            ++changed;
            kept += page.pixel(x, y) == desktop.pixel(x, y);
        }
    ASSERT_GT(changed, tools.width() * tools.height() / 8) << "the windows were on the screen";
    EXPECT_GT(double(kept) / changed, 0.98) << "the page holds the desktop, not the program's windows";
    EXPECT_EQ(page.pixel(tools.center()), desktop.pixel(tools.center())) << "no tool panel in the page";
}
