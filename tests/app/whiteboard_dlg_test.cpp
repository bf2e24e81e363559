#include "app/whiteboard_dlg.h"

#include "platform/message_box.h"
#include "support/language.h"
#include "support_main/test_util.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using DIALOG::CWhiteBoardDlg;

TEST(PanelPlacement, SevententhsAcrossAndATenthDownOfTheScreenWidth)
{
    EXPECT_EQ(CWhiteBoardDlg::startupPosition(1920, 1080, 77, 452), QPoint(1344, 192));
    EXPECT_EQ(CWhiteBoardDlg::startupPosition(1024, 768, 77, 452), QPoint(714, 102));
}

TEST(PanelPlacement, AVeryWideScreenPutsThePanelTopRight)
{
    // y = 1100 would fall below a 1000-pixel screen.
    EXPECT_EQ(CWhiteBoardDlg::startupPosition(11000, 1000, 77, 452), QPoint(11000 - 77, 20));
}

namespace {

class PanelClose : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            shown.push_back(r);
            return answer;
        });
    }
    void TearDown() override
    {
        platform::setMessageBoxHook({});
        SetLanguage(QStringLiteral("Chinese"));
    }

    int answer = platform::IDNO;
    std::vector<platform::MessageBoxRequest> shown;
};

} // namespace

TEST_F(PanelClose, AsksInChineseAndNoKeepsItOpen)
{
    CWhiteBoardDlg panel(nullptr);
    EXPECT_FALSE(panel.OnClose());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("是否退出白板？"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(shown[0].type & 0xF, platform::MB_YESNO);
    answer = platform::IDYES;
    EXPECT_TRUE(panel.OnClose());
}

TEST_F(PanelClose, AsksInEnglishWhateverTheCaseOfTheLanguage)
{
    QTemporaryDir dir;
    qmtest::ScopedCurrentDir cwd(dir.path());
    SetLanguage(QStringLiteral("english"));
    CWhiteBoardDlg panel(nullptr);
    panel.OnClose();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Are you sure exit VorivOrazu?"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("Warning"));
}

TEST(PanelInitialisation, ASecondPanelInOneProcessEndsIt)
{
    EXPECT_EXIT(
        {
            std::vector<QString> texts;
            platform::setMessageBoxHook([&](const platform::MessageBoxRequest& r) {
                if (r.text == QStringLiteral("您已经启动了软件") && r.caption == QStringLiteral("信息提示"))
                    std::fprintf(stderr, "told the user\n");
                return platform::IDOK;
            });
            QTemporaryDir dir;
            qmtest::ScopedCurrentDir cwd(dir.path());
            CWhiteBoardDlg first(nullptr);
            first.OnInitDialog();
            CWhiteBoardDlg second(nullptr);
            second.OnInitDialog();
        },
        ::testing::ExitedWithCode(255), "told the user");
}

TEST(PanelInitialisation, TitleAndSizeFromDialogUnits)
{
    QTemporaryDir dir;
    qmtest::ScopedCurrentDir cwd(dir.path());
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("白板"));
    EXPECT_EQ(panel.size(), QSize(77, 452));
    EXPECT_TRUE(CWhiteBoardDlg::IsRunning());
    panel.OnDestroy();
    EXPECT_FALSE(CWhiteBoardDlg::IsRunning());
}
