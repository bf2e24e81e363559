// The tool panel and the line-style and eraser popups, without a display: their rules and
// what their buttons ask of the main panel.
#include "app/erase_radius_dlg.h"
#include "app/line_style_dlg.h"
#include "app/line_styles.h"
#include "app/my_color_dlg.h"
#include "app/tool_dlg.h"

#include "assist/assist_exports.h"

#include "controls/button_ex.h"
#include "controls/colour_button.h"
#include "controls/pro_slider_ctrl.h"
#include "platform/message_box.h"
#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/surface_state.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

LineStyles withStyle(LineStyle style, int width)
{
    LineStyles styles;
    styles.Select(int(style));
    styles.SetWidth(width);
    return styles;
}

int afterPlus(LineStyle style, int width)
{
    LineStyles styles = withStyle(style, width);
    styles.Plus();
    return styles.Width();
}

int afterMinus(LineStyle style, int width)
{
    LineStyles styles = withStyle(style, width);
    styles.Minus();
    return styles.Width();
}

} // namespace

TEST(LineStyleSteps, EachStyleStartsWithItsOwnWidthAndColour)
{
    LineStyles styles;
    EXPECT_EQ(styles.Current(), 0);
    const int widths[] = {kDefaultPenWidth, 6, 16, 8, 60, 8};
    const COLORREF colours[] = {0x0000FF, 0xFFFF66, 0x00FFFF, 0, 0, 0};
    for (int i = 0; i < kLineStyleCount; ++i) {
        EXPECT_EQ(styles.WidthOf(i), widths[i]) << i;
        EXPECT_EQ(styles.ColourOf(i), colours[i]) << i;
    }
}

TEST(LineStyleSteps, ThePenStopsAtTwoBelowAndEightAbove)
{
    EXPECT_EQ(afterMinus(LineStyle::Pen, 2), 2);
    EXPECT_EQ(afterMinus(LineStyle::Pen, 3), 2);
    EXPECT_EQ(afterPlus(LineStyle::Pen, 7), 8);
    EXPECT_EQ(afterPlus(LineStyle::Pen, 8), 8);
}

TEST(LineStyleSteps, TheSpeedPenStepsByThreeAndMayPassItsLimit)
{
    EXPECT_EQ(afterPlus(LineStyle::SpeedPen, 29), 32);
    EXPECT_EQ(afterPlus(LineStyle::SpeedPen, 30), 33);
    EXPECT_EQ(afterPlus(LineStyle::SpeedPen, 32), 32);
    EXPECT_EQ(afterMinus(LineStyle::SpeedPen, 8), 8);
    EXPECT_EQ(afterMinus(LineStyle::SpeedPen, 11), 8);
}

TEST(LineStyleSteps, TheTextSizeStepsBySixUpTo154)
{
    EXPECT_EQ(afterPlus(LineStyle::Text, 148), 154);
    EXPECT_EQ(afterPlus(LineStyle::Text, 150), 150);
    EXPECT_EQ(afterMinus(LineStyle::Text, 12), 12);
    EXPECT_EQ(afterMinus(LineStyle::Text, 18), 12);
}

TEST(LineStyleSteps, AStepChangesOnlyTheCurrentStyle)
{
    LineStyles styles;
    styles.Select(int(LineStyle::BrushPen));
    EXPECT_TRUE(styles.Plus());
    EXPECT_EQ(styles.Width(), 9);
    EXPECT_EQ(styles.WidthOf(int(LineStyle::Pen)), kDefaultPenWidth);
    styles.Select(7);
    EXPECT_EQ(styles.CurrentStyle(), LineStyle::BrushPen);
}

namespace {

// A program folder of its own: the language file and the settings file live in the current directory.
class PopupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path());
        QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
            dir.filePath(QStringLiteral("Language.ini")));
        QFile::setPermissions(
            dir.filePath(QStringLiteral("Language.ini")), QFile::ReadOwner | QFile::WriteOwner);
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            boxes << r.text;
            return platform::IDOK;
        });
    }
    void TearDown() override
    {
        platform::setMessageBoxHook({});
        SetLanguage(QStringLiteral("Chinese"));
        cwd.reset();
    }

    QTemporaryDir dir;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
    QStringList boxes;
};

QStringList menuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->text().isEmpty())
            texts << a->text();
    return texts;
}

} // namespace

TEST_F(PopupTest, TheAutomaticEntryStoresTheButtonsAutomaticColourInTheCurrentStyle)
{
    CLineStyleDlg popup(nullptr);
    popup.OnStyle(int(LineStyle::Highlighter));
    popup.ColourButton()->SetAutomaticColor(RGB(10, 20, 30));
    popup.ColourButton()->Menu()->findChild<QAction*>(QStringLiteral("automatic"))->trigger();
    EXPECT_EQ(popup.Styles().ColourOf(int(LineStyle::Highlighter)), RGB(10, 20, 30));
    EXPECT_EQ(popup.Colour(), RGB(10, 20, 30));
    EXPECT_EQ(popup.Styles().ColourOf(int(LineStyle::Pen)), 0x0000FFu);
    EXPECT_EQ(popup.ColourButton()->Color(), RGB(10, 20, 30));
}

TEST_F(PopupTest, CustomizeStoresTheDialogsColourAndCancelKeepsTheOldOne)
{
    CLineStyleDlg popup(nullptr);
    COLORREF answer = RGB(1, 2, 3);
    bool accept = true;
    popup.SetCustomColourChooser([&](COLORREF, COLORREF* chosen) {
        *chosen = answer;
        return accept;
    });
    popup.ColourButton()->Menu()->findChild<QAction*>(QStringLiteral("custom"))->trigger();
    EXPECT_EQ(popup.Colour(), RGB(1, 2, 3));
    accept = false;
    answer = RGB(9, 9, 9);
    popup.ColourButton()->ChooseCustom();
    EXPECT_EQ(popup.Colour(), RGB(1, 2, 3));
}

TEST_F(PopupTest, TheColourEntriesAreEnglishForEnglishInAnyCase)
{
    CLineStyleDlg popup(nullptr);
    EXPECT_TRUE(menuTexts(popup.ColourButton()->Menu()).contains(QStringLiteral("自动")));
    EXPECT_TRUE(menuTexts(popup.ColourButton()->Menu()).contains(QStringLiteral("自定义")));
    SetLanguage(QStringLiteral("english"));
    popup.Refresh();
    EXPECT_TRUE(menuTexts(popup.ColourButton()->Menu()).contains(QStringLiteral("Auto")));
    EXPECT_TRUE(menuTexts(popup.ColourButton()->Menu()).contains(QStringLiteral("Customize")));
}

TEST_F(PopupTest, AStyleButtonIsTheOnlySelectedOneAndPlusAndMinusFollowTheTable)
{
    CLineStyleDlg popup(nullptr);
    popup.Button(CLineStyleDlg::kStyleIds[3])->click();
    for (int i = 0; i < kLineStyleCount; ++i)
        EXPECT_EQ(popup.Button(CLineStyleDlg::kStyleIds[i])->isChecked(), i == 3) << i;
    EXPECT_EQ(popup.Width(), 8);
    popup.Button(CLineStyleDlg::kPlusId)->click();
    EXPECT_EQ(popup.Width(), 11);
    popup.Button(CLineStyleDlg::kMinusId)->click();
    popup.Button(CLineStyleDlg::kMinusId)->click();
    EXPECT_EQ(popup.Width(), 8);
    // A second click on the selected style keeps it selected.
    popup.Button(CLineStyleDlg::kStyleIds[3])->click();
    EXPECT_TRUE(popup.Button(CLineStyleDlg::kStyleIds[3])->isChecked());
}

TEST(EraserSlider, RunsFromEightToFiftyEight)
{
    CEraseRadiusDlg popup(nullptr, {});
    EXPECT_EQ(popup.EraserSize(), 8);
    EXPECT_EQ(popup.Slider()->minimum(), 0);
    EXPECT_EQ(popup.Slider()->maximum(), 50);
    EXPECT_EQ(popup.Slider()->value(), 0);
    EXPECT_EQ(popup.Slider()->ChannelColor(), 0xE3BB9Bu);
    popup.Slider()->setValue(popup.Slider()->maximum());
    EXPECT_EQ(popup.EraserSize(), 58);
    popup.Slider()->setValue(17);
    EXPECT_EQ(popup.EraserSize(), 25);
}

TEST(EraserSlider, APressAtEitherEndGivesTheEndValue)
{
    CEraseRadiusDlg popup(nullptr, {});
    UICONTROL::CProSliderCtrl* slider = popup.Slider();
    EXPECT_EQ(slider->ValueAt(slider->width() - 1), 50);
    EXPECT_EQ(slider->ValueAt(slider->width() + 40), 50);
    EXPECT_EQ(slider->ValueAt(0), 0);
}

TEST(EraserSlider, ASizeFromTheMenuMovesTheSliderWithoutAnEraserCall)
{
    int calls = 0;
    CEraseRadiusDlg popup(nullptr, [&]() -> CScreenPenWnd* {
        ++calls;
        return nullptr;
    });
    popup.ShowSize(32);
    EXPECT_EQ(popup.Slider()->value(), 24);
    EXPECT_EQ(popup.EraserSize(), 32);
    EXPECT_EQ(calls, 0);
    popup.Slider()->setValue(2);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(popup.EraserSize(), 10);
}

TEST(ColourDialogPlace, CentredOnTheScreenAt220By300)
{
    EXPECT_EQ(CMyColorDlg::CentredRect(QRect(0, 0, 1920, 1080), QSize(100, 100)), QRect(850, 390, 220, 300));
    // On the second monitor, centred there.
    EXPECT_EQ(CMyColorDlg::CentredRect(QRect(1920, 0, 1280, 1024), QSize(0, 0)), QRect(2450, 362, 220, 300));
}

TEST(ColourDialogPlace, GrowsToShowAllOfItselfButNotPastTheScreen)
{
    EXPECT_EQ(CMyColorDlg::CentredRect(QRect(0, 0, 1920, 1080), QSize(520, 400)), QRect(700, 340, 520, 400));
    EXPECT_EQ(CMyColorDlg::CentredRect(QRect(0, 0, 400, 300), QSize(520, 400)), QRect(0, 0, 400, 300));
}

TEST(ToolPanelLayout, AtTheLeftScreenEdgeTheToolPanelOpensOnTheRight)
{
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(CToolDlg::PlacementX(QRect(0, 200, 77, 452), screen, 48, 200), 77);
    EXPECT_EQ(CToolDlg::PlacementX(QRect(100, 200, 77, 452), screen, 48, 200), 177);
}

TEST(ToolPanelLayout, WithRoomForBothPopupsItOpensOnTheLeft)
{
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(CToolDlg::PlacementX(QRect(1344, 192, 77, 452), screen, 48, 200), 1296);
    EXPECT_EQ(CToolDlg::PlacementX(QRect(248, 192, 77, 452), screen, 48, 200), 200);
    EXPECT_EQ(CToolDlg::PlacementX(QRect(247, 192, 77, 452), screen, 48, 200), 324);
}

TEST(ToolPanelLayout, AtTheLeftEdgeOfTheSecondMonitorItStaysOnThatMonitor)
{
    EXPECT_EQ(CToolDlg::PlacementX(QRect(1920, 0, 77, 452), QRect(1920, 0, 1920, 1080), 48, 200), 1997);
}

namespace {

class ToolPanel : public PopupTest {
protected:
    void SetUp() override
    {
        PopupTest::SetUp();
        panel.setWindowFlags(Qt::FramelessWindowHint);
        panel.setGeometry(1344, 192, 77, 452);
        host.tip = [this](const QString& t) { tips << t; };
        host.showCalculator = [this] { ++calculatorCalls; };
        host.showScreenKeyboard = [this] { ++keyboardCalls; };
        host.capture = [this] { ++captures; };
        host.showUserPanel = [this] { ++userPanelCalls; };
        tool = std::make_unique<CToolDlg>(&panel, &lineStyle, host);
    }

    QWidget panel;
    CLineStyleDlg lineStyle {nullptr};
    ToolPanelHost host;
    std::unique_ptr<CToolDlg> tool;
    QStringList tips;
    int calculatorCalls = 0;
    int keyboardCalls = 0;
    int captures = 0;
    int userPanelCalls = 0;
};

int shownButtons(const CToolDlg& tool)
{
    int n = 0;
    for (int id : CToolDlg::kButtonIds)
        n += tool.Button(id)->isVisibleTo(&const_cast<CToolDlg&>(tool));
    return n;
}

} // namespace

TEST_F(ToolPanel, TheSameButtonTwiceHidesItAndAnotherPageKeepsItShown)
{
    tool->SetPage(CToolDlg::kPageTools);
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(shownButtons(*tool), 10);
    tool->SetPage(CToolDlg::kPageTools);
    EXPECT_FALSE(tool->isVisible());
    tool->SetPage(CToolDlg::kPageWriting);
    tool->SetPage(CToolDlg::kPageTools);
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(tool->Page(), CToolDlg::kPageTools);
    EXPECT_EQ(shownButtons(*tool), 10);
}

TEST_F(ToolPanel, ItStandsBesideThePanelCentredOnItWithTheCloseStripAtItsFoot)
{
    tool->SetPage(CToolDlg::kPageWriting);
    EXPECT_EQ(tool->x() + tool->width(), panel.frameGeometry().left());
    const int h = CToolDlg::ColumnHeight(9, tool->Button(1054)->height());
    EXPECT_EQ(tool->height(), h + 10);
    EXPECT_EQ(tool->y(), panel.frameGeometry().top() + (panel.frameGeometry().height() - h) / 2);
    // The eraser popup on the same side, level with it.
    EXPECT_EQ(tool->EraseRadiusDlg()->x() + tool->EraseRadiusDlg()->width(), tool->x());
    EXPECT_EQ(tool->EraseRadiusDlg()->y(), tool->y());
    tool->Button(1077)->click();
    EXPECT_TRUE(lineStyle.isVisible());
    EXPECT_EQ(lineStyle.x() + lineStyle.width(), tool->x());
    tool->ShowEraseRadius();
    // The close strip hides the tool panel and the eraser popup.
    tool->OnButton(CToolDlg::kCloseStripId);
    EXPECT_FALSE(tool->isVisible());
    EXPECT_FALSE(tool->EraseRadiusDlg()->isVisible());
}

TEST_F(ToolPanel, EveryPresentationToolAnswersAndNoneIsSilent)
{
    tool->SetPage(CToolDlg::kPageTools);
    // Without a screen to show the zoom and the magnifier say so, and so does printing before any capture.
    for (int id : {CToolDlg::kToolZoom, CToolDlg::kToolMagnifier, CToolDlg::kToolPrint}) {
        tips.clear();
        tool->Button(id)->click();
        ASSERT_EQ(tips.size(), 1) << id;
        EXPECT_FALSE(tips[0].isEmpty()) << id;
    }
    EXPECT_EQ(DIALOG::magnifierOpen, 0) << "the next press tries again";
    EXPECT_TRUE(tool->isVisible());
    tips.clear();
    tool->Button(CToolDlg::kToolCalculator)->click();
    tool->Button(CToolDlg::kToolKeyboard)->click();
    tool->Button(CToolDlg::kToolCapture)->click();
    tool->Button(CToolDlg::kToolLaunch)->click();
    EXPECT_EQ(calculatorCalls, 1);
    EXPECT_EQ(keyboardCalls, 1);
    EXPECT_EQ(captures, 1);
    EXPECT_EQ(userPanelCalls, 1);
    // The timer opens on the first click and closes on the second, through the flag it shares.
    tool->Button(CToolDlg::kToolTimer)->click();
    EXPECT_EQ(DIALOG::alarmOpen, 1);
    tool->Button(CToolDlg::kToolTimer)->click();
    EXPECT_EQ(DIALOG::alarmOpen, 0);
    // The main menu reaches the same tools whatever page is shown.
    tool->SetPage(CToolDlg::kPageWriting);
    tool->RunTool(CToolDlg::kToolCapture);
    EXPECT_EQ(captures, 2);
}

TEST_F(ToolPanel, TheNoticesAreInEnglishWhenEnglishIsInForce)
{
    SetLanguage(QStringLiteral("English"));
    tool->SetPage(CToolDlg::kPageTools);
    tool->Button(CToolDlg::kToolZoom)->click();
    tool->Button(CToolDlg::kToolMagnifier)->click();
    tool->Button(CToolDlg::kToolPrint)->click();
    EXPECT_EQ(tips,
        (QStringList {QStringLiteral("The zoom could not be opened."),
            QStringLiteral("The magnifier could not be opened."),
            QStringLiteral("Nothing has been captured yet: take a capture first, then print it.")}))
        << "no screen to zoom in this test";
    EXPECT_EQ(tool->Button(CToolDlg::kToolMagnifier)->toolTip(), QStringLiteral("Magnifier"));
    EXPECT_EQ(tool->Button(CToolDlg::kToolZoom)->toolTip(), QStringLiteral("Zoom"));
}

TEST_F(ToolPanel, TheSpotlightMaskAndMagnifierToggleThroughTheirFlagsAndOneOpenedHidesTheOthers)
{
    SetScreenRect(0, 0, 1024, 768);
    tool->SetPage(CToolDlg::kPageTools);
    tool->Button(CToolDlg::kToolSpotlight)->click();
    EXPECT_EQ(DIALOG::spotlightOpen, 1);
    // The spotlight leaves the tool panel where it was.
    EXPECT_TRUE(tool->isVisible());
    tool->Button(CToolDlg::kToolSpotlight)->click();
    EXPECT_EQ(DIALOG::spotlightOpen, 0);
    tool->Button(CToolDlg::kToolMask)->click();
    EXPECT_EQ(DIALOG::maskOpen, 1);
    tool->Button(CToolDlg::kToolMask)->click();
    EXPECT_EQ(DIALOG::maskOpen, 0);

    tool->SetPage(CToolDlg::kPageTools);
    tool->Button(CToolDlg::kToolSpotlight)->click();
    tool->Button(CToolDlg::kToolMagnifier)->click();
    EXPECT_EQ(DIALOG::magnifierOpen, 1);
    EXPECT_EQ(DIALOG::spotlightOpen, 0) << "the magnifier hid the spotlight";
    ASSERT_NE(qmhelp::magnifierWindow(), nullptr);
    EXPECT_TRUE(qmhelp::magnifierWindow()->isVisible());
    EXPECT_TRUE(tool->isVisible());
    tool->Button(CToolDlg::kToolMagnifier)->click();
    EXPECT_EQ(DIALOG::magnifierOpen, 0);
    EXPECT_FALSE(qmhelp::magnifierWindow()->isVisible());
    EXPECT_TRUE(tips.isEmpty());
    SetScreenRect(0, 0, 0, 0);
}

TEST_F(ToolPanel, TheActiveToolStaysSelectedOnItsPageOnly)
{
    tool->SetPage(CToolDlg::kPageDrawing);
    // A polyline under way (the surface's message 0x496) selects the polyline button.
    tool->ReceiveState(1);
    EXPECT_TRUE(tool->Button(1047)->isChecked());
    EXPECT_FALSE(tool->Button(1054)->isChecked());
    tool->SetPage(CToolDlg::kPageWriting);
    EXPECT_FALSE(tool->Button(1047)->isChecked());
    tool->SetPage(CToolDlg::kPageDrawing);
    EXPECT_EQ(tool->ActiveTool(), 1054);
    tool->ReceiveState(0);
    EXPECT_TRUE(tool->Button(1047)->isChecked());
    // A button that does nothing without a surface does not take the selection.
    tool->Button(1055)->click();
    EXPECT_FALSE(tool->Button(1055)->isChecked());
    EXPECT_TRUE(tool->Button(1047)->isChecked());
}
