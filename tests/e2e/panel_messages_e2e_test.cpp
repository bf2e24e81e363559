// Every message of the main panel's table, sent from another process through qmsend, as the surface, the
// history panel and outside programs send them.
#include "program_driver.h"

#include "platform/win_types.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QThread>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");

class PanelMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    }

    void TearDown() override
    {
        if (program.running())
            program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
        program.waitForExit(20000);
    }

    int send(UINT message, long long wParam = 0, long long lParam = 0)
    {
        return program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("0x%1").arg(message, 0, 16),
            QString::number(wParam), QString::number(lParam)});
    }

    bool shown(const QString& title) { return platform::desktop::findWindow(title) != 0; }
    bool waitShown(const QString& title) { return program.waitForWindow(title, 15000) != 0; }
    bool waitGone(const QString& title) { return program.waitForNoWindow(title, 15000); }
    // Messages are handled in order: once a later harmless one is through, the earlier ones are too.
    void settle()
    {
        send(0x776);
        QThread::msleep(400);
    }

    ProgramDriver program;
};

} // namespace

TEST_F(PanelMessages, OnlyThePenMessagesOfOtherProgramsPutThePenAway)
{
    ASSERT_EQ(program.pressPanelButton(1075), 0);
    ASSERT_TRUE(waitShown(kSurface));

    // The surface's and the history panel's own messages are refused from outside: the page stays.
    for (UINT message : {0x494u, 0x493u, 0x491u, 0x59du})
        EXPECT_EQ(send(message), 0);
    settle();
    EXPECT_TRUE(shown(kSurface));

    // 0x64c without a slide show stores the page and puts the pen away.
    EXPECT_EQ(send(0x64c), 0);
    EXPECT_TRUE(waitGone(kSurface));
}

TEST_F(PanelMessages, TheBoardsExitButtonStoresThePageAndLeavesTheBoard)
{
    ASSERT_EQ(program.pressPanelButton(1128), 0);
    ASSERT_TRUE(waitShown(kSurface));
    QThread::msleep(300);
    // The exit button is the last of the row in the bottom-right corner of the 1920 x 1080 screen.
    program.click(QPoint(1832, 1048));
    EXPECT_TRUE(waitGone(kSurface));
}

TEST_F(PanelMessages, PointerMessagesFromAnotherProcessAreRefused)
{
    // Each of these would carry a string pointer; from outside nothing may happen.
    for (UINT message : {0x495u, 0x497u, 0x498u, 0x59cu, 0x59eu, 0x77bu})
        EXPECT_EQ(send(message, 0x7fff0000, 0x7fff0000), 0) << std::hex << message;
    settle();
    EXPECT_FALSE(shown(kSurface));
    EXPECT_TRUE(program.running());
}

TEST_F(PanelMessages, BluetoothStatusShowsAndClosesTheTip)
{
    EXPECT_EQ(send(0x65d, 2), 0);
    EXPECT_TRUE(waitShown(QStringLiteral("ToolTip")));
    EXPECT_EQ(send(0x65d, 7), 0);
    EXPECT_TRUE(waitGone(QStringLiteral("ToolTip")));
    // Out of range: nothing.
    EXPECT_EQ(send(0x65d, 12), 0);
    EXPECT_EQ(send(0x65d, -1), 0);
    settle();
    EXPECT_FALSE(shown(QStringLiteral("ToolTip")));
}

TEST_F(PanelMessages, CollapseHidesThePanelAndTheTabBringsItBack)
{
    EXPECT_EQ(send(0x69a), 0);
    EXPECT_TRUE(waitGone(kPanel));
    const unsigned long tab = program.waitForWindow(QStringLiteral("HideDlg"));
    ASSERT_NE(tab, 0u);
    const QRect at = platform::desktop::topLevelWindows().isEmpty() ? QRect() : [&] {
        for (const auto& w : platform::desktop::topLevelWindows())
            if (w.xid == tab)
                return w.geometry;
        return QRect();
    }();
    program.click(at.topLeft() + QPoint(20, 15));
    EXPECT_TRUE(waitShown(kPanel));
    EXPECT_TRUE(waitGone(QStringLiteral("HideDlg")));

    // 0x64d brings the panel forward and keeps it shown.
    EXPECT_EQ(send(0x64d), 0);
    settle();
    EXPECT_TRUE(shown(kPanel));
}

TEST_F(PanelMessages, QuietMessagesChangeNothingVisible)
{
    for (UINT message : {0x492u, 0x496u, 0x776u, 0x778u, 0x779u, 0x40cu, 0x417u, 0x6bcu, 0x6bdu, 0x1234u})
        EXPECT_EQ(send(message, 1, 1), 0) << std::hex << message;
    settle();
    EXPECT_TRUE(program.running());
    EXPECT_TRUE(shown(kPanel));
    EXPECT_FALSE(shown(kSurface));
}

TEST_F(PanelMessages, MarloweWith1148EndsThePanelWithoutAsking)
{
    EXPECT_EQ(program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                  QStringLiteral("Marlowe"), QStringLiteral("1147"), QStringLiteral("0")}),
        0);
    // The same number sent as a plain message is not the registered one.
    settle();
    EXPECT_TRUE(program.running());

    EXPECT_EQ(program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                  QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")}),
        0);
    EXPECT_TRUE(program.waitForExit());
    EXPECT_FALSE(shown(QStringLiteral("提示")));
    EXPECT_EQ(program.exitCode(), 0);
}

TEST_F(PanelMessages, AFloodOfMessagesLeavesThePanelResponsive)
{
    EXPECT_EQ(
        program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--count"), QStringLiteral("20000"),
            QStringLiteral("0x776"), QStringLiteral("0"), QStringLiteral("0")}),
        0);
    // The panel still answers a button at once after the flood.
    ASSERT_EQ(program.pressPanelButton(1075), 0);
    EXPECT_TRUE(waitShown(kSurface));
}
