// The tool panel's instrument and pen buttons on a real surface: what each leaves the surface set to draw.
#include "app/line_style_dlg.h"
#include "app/tool_dlg.h"
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"

#include "controls/button_ex.h"
#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

class ToolPanelOnSurface : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path());
        QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
            dir.filePath(QStringLiteral("Language.ini")));
        panel.OnInitDialog();
        panel.show();
        panel.OnCommand(kCmdWriting);
        ASSERT_TRUE(qmtest::waitFor([&] { return panel.Surface() && panel.Surface()->isVisible(); }, 5000));
    }
    void TearDown() override
    {
        panel.OnDestroy();
        cwd.reset();
    }
    void click(int id) { panel.ToolDlg()->Button(id)->click(); }

    QTemporaryDir dir;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
    CWhiteBoardDlg panel {nullptr};
};

} // namespace

TEST_F(ToolPanelOnSurface, EachInstrumentButtonPutsTheSurfaceInInstrumentModeWithThePopupsPen)
{
    ASSERT_EQ(panel.ToolDlg()->Page(), CToolDlg::kPageWriting);
    panel.LineStyleDlg()->OnStyle(0);
    panel.LineStyleDlg()->OnPlus();
    for (int id : {1057, 1047, 1048, 1049, 1076}) {
        panel.Surface()->SetPen(1, RGB(255, 0, 0));
        ASSERT_NE(panel.Surface()->modeWord(), QStringLiteral("TOOL")) << id;
        click(id);
        EXPECT_EQ(panel.Surface()->modeWord(), QStringLiteral("TOOL")) << id;
        EXPECT_TRUE(panel.ToolDlg()->Button(id)->isChecked()) << id;
        EXPECT_EQ(panel.TheLesson().SharedPen().width, kDefaultPenWidth + 1) << id;
        EXPECT_EQ(panel.TheLesson().SharedPen().colour, RGB(255, 0, 0)) << id;
    }
    // The compass draws arcs.
    click(1057);
    EXPECT_EQ(panel.Surface()->currentObject().kind, CompassArc);
}

TEST_F(ToolPanelOnSurface, ThePenButtonsSetTheirOwnWidthAndColour)
{
    click(1055);
    EXPECT_TRUE(panel.Surface()->currentObject().highlight);
    EXPECT_EQ(panel.Surface()->currentObject().colour, RGB(0, 255, 0));
    EXPECT_EQ(panel.Surface()->currentObject().width, 3);
    click(1056);
    EXPECT_EQ(panel.Surface()->currentObject().kind, DashPen);
    EXPECT_EQ(panel.PenColour(), RGB(0, 0, 255));
    EXPECT_EQ(panel.PenType(), 1);
    click(1054);
    EXPECT_EQ(panel.Surface()->currentObject().kind, Pen);
    EXPECT_EQ(panel.Surface()->currentObject().colour, RGB(255, 0, 0));
    EXPECT_TRUE(panel.ToolDlg()->Button(1054)->isChecked());
    EXPECT_FALSE(panel.ToolDlg()->Button(1056)->isChecked());
}

TEST_F(ToolPanelOnSurface, TheStylePopupGivesTextSpeedAndBrushPensAndTheStyleButtonStandsForThem)
{
    click(1077);
    ASSERT_TRUE(panel.LineStyleDlg()->isVisible());
    panel.LineStyleDlg()->Button(CLineStyleDlg::kStyleIds[3])->click();
    EXPECT_EQ(panel.Surface()->currentObject().kind, SpeedPen);
    EXPECT_TRUE(panel.ToolDlg()->Button(1077)->isChecked());
    panel.LineStyleDlg()->Button(CLineStyleDlg::kStyleIds[5])->click();
    EXPECT_EQ(panel.Surface()->currentObject().kind, BrushPen);
    EXPECT_EQ(panel.Surface()->currentObject().width, 8);
    panel.LineStyleDlg()->Button(CLineStyleDlg::kStyleIds[4])->click();
    EXPECT_EQ(panel.Surface()->textSize(), 60);
    panel.LineStyleDlg()->Button(CLineStyleDlg::kStyleIds[2])->click();
    EXPECT_TRUE(panel.Surface()->currentObject().highlight);
    EXPECT_EQ(panel.Surface()->currentObject().width, 16);
    EXPECT_TRUE(panel.ToolDlg()->Button(1055)->isChecked());
}
