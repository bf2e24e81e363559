// The window stack on a real X server with a window manager: a page, a panel, a dialog of the process and
// windows of another program (xmessage), checked through the X server's own stacking order and the screen's
// pixels.
#include "platform/desktop_probe.h"
#include "platform/window_flags.h"
#include "platform/window_stack.h"
#include "platform/x11_desktop.h"
#include "support_main/stacking_check.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Not white: another program's window (xmessage) is white.
const QColor kPageColour(200, 230, 200);
const QColor kPanelColour(20, 60, 160);

std::unique_ptr<QWidget> colouredWindow(
    const QColor& colour, const QRect& geometry, platform::StackLayer layer)
{
    auto w = std::make_unique<QWidget>(nullptr, platform::kFloatingToolFlags);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setGeometry(geometry);
    platform::SetStackLayer(w.get(), layer);
    return w;
}

bool nearColour(QRgb pixel, const QColor& colour)
{
    return qAbs(qRed(pixel) - colour.red()) < 12 && qAbs(qGreen(pixel) - colour.green()) < 12
        && qAbs(qBlue(pixel) - colour.blue()) < 12;
}

bool screenShows(const QPoint& at, const QColor& colour)
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
    return !shot.isNull() && nearColour(shot.pixel(0, 0), colour);
}

bool followsSoon(const QList<unsigned long>& aids = {})
{
    return qmtest::waitFor([&] { return qmtest::desktopStacking(aids).followsRule; }, 5000);
}

class WindowStack : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::StartWindowStack();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        panel = colouredWindow(kPanelColour, QRect(1500, 200, 120, 400), platform::StackLayer::Panel);
        page = colouredWindow(kPageColour, screen, platform::StackLayer::Page);
        panel->show();
        // The page shown last lands on top of the panel: the owner puts the panel back over it.
        page->show();
    }
    void TearDown() override
    {
        if (other.state() != QProcess::NotRunning) {
            other.kill();
            other.waitForFinished(5000);
        }
    }

    // Another program's managed window, mapped over everything.
    unsigned long startOtherProgram(const QString& title)
    {
        other.start(QStringLiteral("xmessage"),
            {QStringLiteral("-geometry"), QStringLiteral("400x200+1400+300"), QStringLiteral("-title"), title,
                title});
        unsigned long id = 0;
        qmtest::waitFor([&] { return (id = platform::desktop::findWindow(title)) != 0; }, 10000);
        return id;
    }

    QPoint panelPoint() const { return panel->geometry().center(); }

    std::unique_ptr<QWidget> panel;
    std::unique_ptr<QWidget> page;
    QProcess other;
};

} // namespace

TEST_F(WindowStack, ThePanelStaysAboveThePageAndADialogAboveBothUntilItCloses)
{
    ASSERT_TRUE(followsSoon()) << qmtest::desktopStacking().description.toStdString();
    EXPECT_TRUE(qmtest::waitFor([&] { return screenShows(panelPoint(), kPanelColour); }, 3000));

    QDialog dialog(panel.get());
    dialog.setWindowTitle(QStringLiteral("Question"));
    dialog.resize(300, 200);
    dialog.open();
    ASSERT_TRUE(
        qmtest::waitFor([&] { return platform::desktop::findWindow(QStringLiteral("Question")) != 0; }));
    // The panel under the dialog's middle, wherever the window manager put the dialog.
    qmtest::waitFor([] { return false; }, 300);
    panel->move(dialog.geometry().center() - QPoint(panel->width() / 2, panel->height() / 2));
    EXPECT_TRUE(followsSoon()) << "the dialog above the panel:\n"
                               << qmtest::desktopStacking().description.toStdString();
    EXPECT_TRUE(qmtest::waitFor([&] { return !screenShows(panelPoint(), kPanelColour); }, 3000))
        << "the dialog covers the panel where they meet";
    EXPECT_TRUE(qmtest::waitFor([&] { return dialog.isActiveWindow(); }, 3000)) << "with the keyboard focus";

    dialog.reject();
    EXPECT_TRUE(followsSoon()) << qmtest::desktopStacking().description.toStdString();
    EXPECT_TRUE(qmtest::waitFor([&] { return screenShows(panelPoint(), kPanelColour); }, 3000))
        << "the panel is back in sight once the dialog has gone";
}

TEST_F(WindowStack, AnotherProgramOpenedLaterStaysUnderThePageAndAnAidBetweenPageAndPanel)
{
    panel->move(100, 200);
    const unsigned long window = startOtherProgram(QStringLiteral("another program"));
    ASSERT_NE(window, 0u);
    const QPoint inside = platform::desktop::windowGeometry(window).center();
    EXPECT_TRUE(followsSoon()) << qmtest::desktopStacking().description.toStdString();
    EXPECT_TRUE(qmtest::waitFor([&] { return screenShows(inside, kPageColour); }, 3000))
        << "the page covers the other program";

    // Opened by the teacher as an aid (the calculator), it comes over the page, but not over the panel.
    platform::AddOutsideAid(platform::WindowRef::fromX(window));
    EXPECT_TRUE(followsSoon({window})) << qmtest::desktopStacking({window}).description.toStdString();
    EXPECT_TRUE(qmtest::waitFor([&] { return !screenShows(inside, kPageColour); }, 3000))
        << "the aid shows over the page";
    panel->move(inside - QPoint(panel->width() / 2, panel->height() / 2));
    EXPECT_TRUE(qmtest::waitFor([&] { return screenShows(inside, kPanelColour); }, 3000))
        << "and the panel over the aid";
}

TEST_F(WindowStack, AScreenPictureTakenWhileTheProgramsWindowsAreHiddenHoldsNoneOfThem)
{
    page->hide();
    ASSERT_TRUE(qmtest::waitFor([&] { return screenShows(panelPoint(), kPanelColour); }, 3000));
    QImage picture;
    {
        const platform::ProgramWindowsHidden hidden;
        picture = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    }
    const QPoint at = panelPoint();
    EXPECT_FALSE(nearColour(picture.pixel(at), kPanelColour)) << "the panel is not in the picture";
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(qmtest::waitFor([&] { return screenShows(at, kPanelColour); }, 3000))
        << "and is back after it";
}
