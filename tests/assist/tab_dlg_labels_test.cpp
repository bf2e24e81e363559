// The history panel's words: every button shows its whole label in either language, and each page carries
// the word of the panel's button that opens it.
#include "assist/button_rows.h"
#include "assist/tab_dlg.h"

#include "support/language.h"
#include "support_main/test_util.h"

#include <QFile>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using DIALOG::buttonRowRects;

TEST(ButtonRows, ButtonsShareARowWhileTheirLabelsFitAndTheRestWrap)
{
    // 60 + 2 + 60 + 2 + 60 = 184 fits a row of 200; a fourth does not.
    const QList<QRect> rects = buttonRowRects({60, 60, 60, 60}, 200, 28, 2);
    ASSERT_EQ(rects.size(), 4);
    EXPECT_EQ(rects[0].top(), 0);
    EXPECT_EQ(rects[2].top(), 0);
    EXPECT_EQ(rects[3].top(), 30);
    // The row is shared out whole: nothing narrower than it needs, the last one ends at the right edge.
    for (int i = 0; i < 3; ++i)
        EXPECT_GE(rects[i].width(), 60);
    const QList<QRect> uneven = buttonRowRects({100, 40, 40}, 200, 28, 2);
    EXPECT_EQ(uneven[0].top(), uneven[2].top());
    EXPECT_GE(uneven[0].width(), 100) << "a long label keeps its room in a shared row";
    EXPECT_EQ(rects[2].right(), 199);
    EXPECT_EQ(rects[1].left(), rects[0].right() + 3);
    EXPECT_EQ(rects[3], QRect(0, 30, 200, 28)) << "alone in its row, it takes all of it";
}

TEST(ButtonRows, ALabelWiderThanTheRowGetsARowOfItsOwn)
{
    const QList<QRect> rects = buttonRowRects({40, 300, 40}, 200, 20, 4);
    ASSERT_EQ(rects.size(), 3);
    EXPECT_EQ(rects[0].top(), 0);
    EXPECT_EQ(rects[1].top(), 24);
    EXPECT_EQ(rects[2].top(), 48);
    EXPECT_TRUE(buttonRowRects({}, 200, 20, 4).isEmpty());
}

namespace {

// The room a push button's style leaves its label: the contents rectangle, less the menu arrow.
int labelRoom(const QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    int room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    if (button->menu())
        room -= button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, button);
    return room;
}

class TabDlgLabels : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
            dir_.filePath(QStringLiteral("Language.ini")));
    }
    void TearDown() override { SetLanguage(u"Chinese"_s); }

    QTemporaryDir dir_;
    qmtest::ScopedCurrentDir cwd_ {dir_.path()};
    QWidget owner_;
};

} // namespace

TEST_F(TabDlgLabels, EveryButtonShowsItsWholeLabelInBothLanguages)
{
    for (const QString& language : {u"Chinese"_s, u"English"_s}) {
        SetLanguage(language);
        DIALOG::CTabDlg dlg(nullptr, &owner_);
        dlg.CreateWnd();
        QWidget* window = dlg.window();
        window->show();
        for (int page : {0, 2}) {
            dlg.SetCurSel(page);
            qmtest::waitFor([] { return false; }, 50);
            QList<QRect> placed;
            for (QPushButton* button : window->findChildren<QPushButton*>()) {
                if (!button->isVisible() || button->text().isEmpty())
                    continue;
                const QString where = language + u' ' + button->text();
                EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), labelRoom(button))
                    << where.toStdString() << " in a button " << button->width() << " wide";
                const QRect rect(button->mapTo(window, QPoint(0, 0)), button->size());
                EXPECT_TRUE(window->rect().contains(rect)) << where.toStdString();
                for (const QRect& other : placed)
                    EXPECT_FALSE(rect.intersects(other)) << where.toStdString() << " runs into its neighbour";
                placed << rect;
            }
            EXPECT_GE(placed.size(), page == 0 ? 8 : 4) << language.toStdString();
        }
    }
}
