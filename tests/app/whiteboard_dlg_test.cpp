#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"
#include "controls/button_ex.h"

#include "platform/message_box.h"
#include "support/language.h"
#include "support_main/test_util.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include "app/tool_tip_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(PanelPlacement, AWindowBesideThePanelLeavesItInSightAndStaysOnItsScreen)
{
    const QRect screen(0, 0, 1920, 1040);
    // Left of the panel where it starts, top edges level.
    EXPECT_EQ(
        CWhiteBoardDlg::besidePanel(QRect(1344, 192, 77, 452), QSize(520, 600), screen), QPoint(812, 192));
    // A panel near the left edge: on its right. Low on the screen: lifted to end at the screen's foot.
    EXPECT_EQ(
        CWhiteBoardDlg::besidePanel(QRect(100, 800, 77, 452), QSize(520, 600), screen), QPoint(189, 440));
    // On the second monitor the window stays on that monitor.
    EXPECT_EQ(
        CWhiteBoardDlg::besidePanel(QRect(1940, 100, 77, 452), QSize(520, 600), QRect(1920, 0, 1920, 1080)),
        QPoint(2029, 100));
    // A window wider than either side stands against the screen's edge on the side with more room.
    EXPECT_EQ(CWhiteBoardDlg::besidePanel(QRect(700, 100, 77, 452), QSize(900, 600), QRect(0, 0, 1366, 768)),
        QPoint(0, 100));
    EXPECT_EQ(CWhiteBoardDlg::besidePanel(QRect(500, 100, 77, 452), QSize(900, 600), QRect(0, 0, 1366, 768)),
        QPoint(466, 100));
    // Taller than the screen: its top stays on it.
    EXPECT_EQ(CWhiteBoardDlg::besidePanel(QRect(1344, 192, 77, 452), QSize(520, 1200), screen).y(), 0);
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
    EXPECT_EQ(shown[0].text, QStringLiteral("Do you want to quit the whiteboard?"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("Tips"));
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

namespace {

QStringList texts(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

class PanelMenus : public ::testing::Test {
protected:
    void SetUp() override { cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path()); }
    void TearDown() override
    {
        SetLanguage(QStringLiteral("Chinese"));
        cwd.reset();
    }
    QTemporaryDir dir;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
};

} // namespace

TEST_F(PanelMenus, ChineseTextsAndWhatRemainsOfTheMainMenu)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    EXPECT_EQ(texts(panel.EraserMenu()),
        QStringList({QStringLiteral("点擦"), QStringLiteral("大点擦"), QStringLiteral("橡皮大小..."),
            QStringLiteral("圈擦"), QStringLiteral("清屏")}));
    EXPECT_EQ(texts(panel.LineTypeMenu()), QStringList({QStringLiteral("实线"), QStringLiteral("虚线")}));
    EXPECT_EQ(texts(panel.LineWidthMenu()),
        QStringList({QStringLiteral("细线"), QStringLiteral("较粗"), QStringLiteral("中粗"),
            QStringLiteral("粗线")}));
    // The calibration sub-menu without its 9-point mode, a separator and settings, the 3D board, the user
    // panel, the tools of the tools page that take a picture or start a program, the lesson's PDF in and out,
    // then the way out. Picture in picture, which the program does not have, is not offered.
    const QMenu* first = panel.MainMenu()->actions().first()->menu();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, panel.MainMenuPopup());
    EXPECT_EQ(texts(first),
        QStringList(
            {QStringLiteral("定位"), QStringLiteral("-"), QStringLiteral("设置"), QStringLiteral("3D 白板"),
                QStringLiteral("常用"), QStringLiteral("截图"), QStringLiteral("打印截图"),
                QStringLiteral("放大镜"), QStringLiteral("屏幕键盘"), QStringLiteral("打开PDF或幻灯片"),
                QStringLiteral("导出PDF"), QStringLiteral("-"), QStringLiteral("退出")}));
    QList<int> tools;
    for (const QAction* action : first->actions().mid(5, 4))
        tools << action->data().toInt();
    EXPECT_EQ(tools,
        (QList<int> {DIALOG::kCmdCapture, DIALOG::kCmdPrintCapture, DIALOG::kCmdMagnifier,
            DIALOG::kCmdScreenKeyboard}));
    EXPECT_EQ(first->actions().last()->data().toInt(), DIALOG::kCmdExit);
    EXPECT_EQ(texts(first->actions().first()->menu()), QStringList({QStringLiteral("4点定位")}));
    panel.OnDestroy();
}

TEST_F(PanelMenus, EnglishTexts)
{
    SetLanguage(QStringLiteral("English"));
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    EXPECT_EQ(texts(panel.EraserMenu()),
        QStringList({QStringLiteral("Point eraser"), QStringLiteral("Large point eraser"),
            QStringLiteral("Eraser size..."), QStringLiteral("Lasso eraser"),
            QStringLiteral("Clear screen")}));
    EXPECT_EQ(texts(panel.LineTypeMenu()),
        QStringList({QStringLiteral("Solid line"), QStringLiteral("Dashed line")}));
    const QMenu* first = panel.MainMenu()->actions().first()->menu();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(texts(first).last(), QStringLiteral("Exit"));
    EXPECT_TRUE(texts(first).contains(QStringLiteral("Launch")));
    EXPECT_TRUE(texts(first).contains(QStringLiteral("3D Board")));
    EXPECT_TRUE(texts(first).contains(QStringLiteral("Open PDF or slides")));
    EXPECT_TRUE(texts(first).contains(QStringLiteral("Export PDF")));
    for (const char* tool : {"Capture", "Print the capture", "Magnifier", "Screen keyboard"})
        EXPECT_TRUE(texts(first).contains(QString::fromLatin1(tool))) << tool;
    EXPECT_FALSE(texts(first).contains(QStringLiteral("Picture in picture")));
    panel.OnDestroy();
}

TEST_F(PanelMenus, EveryLineAndEraserItemShowsItsPicture)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    for (QMenu* menu : {panel.EraserMenu(), panel.LineTypeMenu(), panel.LineWidthMenu()})
        for (QAction* action : menu->actions()) {
            const QPixmap picture = action->icon().pixmap(17, 17);
            EXPECT_FALSE(picture.isNull()) << action->text().toStdString();
            EXPECT_EQ(picture.size(), QSize(17, 17)) << action->text().toStdString();
        }
    panel.OnDestroy();
}

TEST_F(PanelMenus, WidthCommandsNeedASurfaceAndSetTheSharedWidth)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.OnCommand(32875);
    EXPECT_EQ(panel.PenWidth(), DIALOG::kDefaultPenWidth) << "without a surface the width stays";
    panel.OnDestroy();
}

TEST(PanelStatusTexts, BluetoothStatusComparesTheLanguageExactly)
{
    QTemporaryDir dir;
    qmtest::ScopedCurrentDir cwd(dir.path());
    SetLanguage(QStringLiteral("english"));
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    panel.OnMessage(0x65d, 0, 0);
    ASSERT_NE(panel.ToolTipDlg(), nullptr);
    EXPECT_EQ(panel.ToolTipDlg()->Text(), QStringLiteral(" 插蓝牙适配器或安装适配器驱动"));
    // The menus follow the case-blind test at the same time.
    EXPECT_EQ(panel.EraserMenu()->actions().first()->text(), QStringLiteral("Point eraser"));
    panel.OnMessage(0x65d, 7, 0);
    EXPECT_EQ(panel.ToolTipDlg(), nullptr);
    SetLanguage(QStringLiteral("Chinese"));
    panel.OnDestroy();
}

TEST_F(PanelMenus, EveryButtonAndTheIconTellTheirRoleInTheLanguageInForce)
{
    QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
        dir.filePath(QStringLiteral("Language.ini")));
    for (const bool english : {false, true}) {
        SetLanguage(english ? QStringLiteral("English") : QStringLiteral("Chinese"));
        CWhiteBoardDlg panel(nullptr);
        panel.OnInitDialog();
        QStringList tips;
        for (QWidget* w : panel.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<UICONTROL::CButtonEx*>(w) == nullptr
                && w->objectName() != QStringLiteral("icon1008"))
                continue;
            EXPECT_FALSE(w->toolTip().isEmpty()) << w->accessibleName().toStdString();
            tips << w->toolTip();
        }
        EXPECT_GE(tips.size(), 26);
        const QString all = tips.join(u' ');
        const bool hasChinese
            = std::any_of(all.begin(), all.end(), [](QChar c) { return c.unicode() >= 0x4E00; });
        EXPECT_EQ(hasChinese, !english) << all.toStdString();
        panel.OnDestroy();
    }
}

namespace {

// The command numbers of every item of a menu and its sub-menus.
void collectCommands(const QMenu* menu, QList<int>* ids)
{
    for (const QAction* action : menu->actions()) {
        if (action->menu())
            collectCommands(action->menu(), ids);
        else if (!action->isSeparator())
            ids->append(action->data().toInt());
    }
}

} // namespace

TEST_F(PanelMenus, EveryButtonAndMenuItemRunsACommandOfTheTableOrSaysItIsNotThereYet)
{
    CWhiteBoardDlg panel(nullptr);
    panel.OnInitDialog();
    QList<int> ids;
    for (const QMenu* menu :
        {panel.MainMenu(), panel.EraserMenu(), panel.LineTypeMenu(), panel.LineWidthMenu()})
        collectCommands(menu, &ids);
    for (const UICONTROL::CButtonEx* button : panel.findChildren<UICONTROL::CButtonEx*>())
        if (panel.Button(button->id()) == button)
            ids.append(button->id());
    ASSERT_GT(ids.size(), 40);
    const auto notYet = [](int id) {
        return std::find(std::begin(DIALOG::kCmdsWithoutAction), std::end(DIALOG::kCmdsWithoutAction), id)
            != std::end(DIALOG::kCmdsWithoutAction);
    };
    for (int id : ids)
        EXPECT_NE(CWhiteBoardDlg::FindCommand(id) != nullptr, notYet(id)) << id;
    // Each family of the table has its commands; a page command hides the popups, as a button press does.
    EXPECT_EQ(
        CWhiteBoardDlg::FindCommand(DIALOG::kCmdNextPage)->family, CWhiteBoardDlg::CommandFamily::Pages);
    EXPECT_TRUE(CWhiteBoardDlg::FindCommand(DIALOG::kCmdNextPage)->hidesPopups);
    EXPECT_EQ(CWhiteBoardDlg::FindCommand(DIALOG::kCmdDashLine)->family, CWhiteBoardDlg::CommandFamily::Pens);
    EXPECT_EQ(CWhiteBoardDlg::FindCommand(12345), nullptr);
    panel.OnDestroy();
}
