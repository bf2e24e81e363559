// Other windows through window references: an X window of the desktop (this test's own window, reached by
// its id as another program's would be) and a window of this process.
#include "platform/window_ops.h"

#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class WindowOps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::desktop::available()) << "needs the virtual desktop";
        window_.setWindowTitle(QStringLiteral("window ops probe"));
        window_.setGeometry(300, 200, 320, 240);
        window_.show();
        ASSERT_TRUE(
            qmtest::waitFor([&] { return window_.windowHandle() && window_.windowHandle()->isExposed(); }));
        qmtest::waitFor([] { return false; }, 200);
    }

    QWidget window_;
};

} // namespace

TEST_F(WindowOps, AnXWindowIsFoundMovedHiddenShownAndClosed)
{
    const platform::WindowRef byId = platform::WindowRef::fromX(window_.winId());
    EXPECT_EQ(platform::WindowFromPoint(window_.geometry().center()), byId);
    EXPECT_TRUE(platform::GetWindowRect(byId).contains(window_.geometry().center()));

    ASSERT_TRUE(platform::MoveWindow(byId, QPoint(500, 400)));
    EXPECT_TRUE(
        qmtest::waitFor([&] { return platform::GetWindowRect(byId).contains(QPoint(520, 420)); }, 3000));

    ASSERT_TRUE(platform::ShowWindow(byId, false));
    EXPECT_TRUE(qmtest::waitFor([&] { return !platform::IsWindowVisible(byId); }, 3000));
    EXPECT_NE(platform::WindowFromPoint(QPoint(520, 420)), byId);
    ASSERT_TRUE(platform::ShowWindow(byId, true));
    EXPECT_TRUE(qmtest::waitFor([&] { return platform::IsWindowVisible(byId); }, 3000));

    ASSERT_TRUE(platform::RequestClose(byId));
    EXPECT_TRUE(qmtest::waitFor([&] { return !window_.isVisible(); }, 3000));
}

TEST_F(WindowOps, AWindowOfThisProcessIsHandledThroughItsWidget)
{
    const platform::WindowRef own(&window_);
    EXPECT_EQ(platform::GetWindowRect(own), window_.frameGeometry());
    EXPECT_TRUE(platform::MoveWindow(own, QPoint(100, 120)));
    EXPECT_EQ(window_.pos(), QPoint(100, 120));
    EXPECT_TRUE(platform::ShowWindow(own, false));
    EXPECT_FALSE(window_.isVisible());
    EXPECT_TRUE(platform::ShowWindow(own, true));
    EXPECT_TRUE(window_.isVisible());
    EXPECT_TRUE(platform::RequestClose(own));
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(WindowOps, NothingIsDoneToANullWindowAndNoShowIsFoundWithoutOne)
{
    const platform::WindowRef none;
    EXPECT_FALSE(platform::SetForegroundWindow(none));
    EXPECT_FALSE(platform::SetFocus(none));
    EXPECT_FALSE(platform::RequestClose(none));
    EXPECT_FALSE(platform::ShowWindow(none, true));
    EXPECT_FALSE(platform::MoveWindow(none, QPoint(1, 1)));
    EXPECT_TRUE(platform::GetWindowRect(none).isNull());
    EXPECT_FALSE(platform::FindSlideShow());
    EXPECT_TRUE(platform::FindPresentationWindows().isEmpty());
    EXPECT_TRUE(window_.isVisible());
}
