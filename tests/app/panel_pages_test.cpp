// The panel's buttons and the history panel's answers as they reach the pages, without a display: which page
// a button opens, what the pen does after a panel opens, which pages are kept, and pictures that become
// history pages.
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"

#include "assist/bmp_dialog.h"
#include "assist/tab_dlg.h"
#include "platform/message_box.h"
#include "support_main/test_util.h"
#include "surface/image_review_dlg.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"
#include "surface/test_strokes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;
using namespace DIALOG;

namespace {

class PanelPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd_ = std::make_unique<qmtest::ScopedCurrentDir>(dir_.path());
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            told_ << r.text;
            return platform::IDOK;
        });
        panel_ = std::make_unique<CWhiteBoardDlg>(nullptr);
        panel_->OnInitDialog();
        panel_->show();
    }
    void TearDown() override
    {
        panel_->OnDestroy();
        panel_.reset();
        // The surfaces the panel let go of are deleted once the loop runs.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CBmpDialog::setHook({});
        platform::setMessageBoxHook({});
        cwd_.reset();
    }

    CScreenPenWnd* surface() const { return panel_->Surface(); }

    // A stroke across the page at height y, drawn with the mouse.
    void write(int y) { qmtest::dragThrough(surface(), {{200, y}, {300, y}, {400, y}}); }

    // The heights of the strokes the open page shows.
    std::vector<int> strokes() const { return qmtest::shownHeights(panel_->TheLesson().Pages().nodes); }

    void pressOn(NavButton button)
    {
        const QPoint at = surface()->navButtonRect(button).center();
        qmtest::sendMouse(surface(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        if (surface())
            qmtest::sendMouse(surface(), QEvent::MouseButtonRelease, at, Qt::LeftButton, {});
    }

    static QString picture(const QString& path, QColor colour)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(320, 240, QImage::Format_RGB32);
        image.fill(colour);
        image.save(path, "BMP");
        return path;
    }

    QTemporaryDir dir_;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd_;
    std::unique_ptr<CWhiteBoardDlg> panel_;
    QStringList told_;
};

} // namespace

TEST_F(PanelPages, WritingOnABoardPageKeepsTheBoardAndItsPageButtons)
{
    panel_->OnCommand(kCmdWhiteboard);
    CScreenPenWnd* board = surface();
    ASSERT_TRUE(board && board->IsBoardPage());
    write(300);
    panel_->OnCommand(kCmdWriting);
    EXPECT_EQ(surface(), board);
    EXPECT_EQ(panel_->TheLesson().BoardMode(), kBoardWhite);
    // The next-page button turns the page instead of taking a dot.
    pressOn(NavNext);
    EXPECT_TRUE(strokes().empty());
    EXPECT_EQ(panel_->TheLesson().BoardPages().files.size(), 1);
    EXPECT_EQ(panel_->TheLesson().BoardPages().currentPage, 1);
    // The drawing button keeps the board too.
    panel_->OnCommand(kCmdDrawing);
    EXPECT_EQ(panel_->TheLesson().BoardMode(), kBoardWhite);
}

TEST_F(PanelPages, ThePanelsPageButtonsTurnTheBoardsPagesWhileOneIsOpen)
{
    panel_->OnCommand(kCmdWhiteboard);
    for (int y : {200, 300, 400}) {
        write(y);
        panel_->OnCommand(kCmdNextPage);
        ASSERT_TRUE(surface() && surface()->IsBoardPage());
    }
    ASSERT_EQ(panel_->TheLesson().BoardPages().files.size(), 3);
    for (int y : {400, 300, 200}) {
        panel_->OnCommand(kCmdPreviousPage);
        EXPECT_EQ(strokes(), std::vector<int>({y}));
    }
    EXPECT_EQ(panel_->TheLesson().BoardPages().currentPage, 0);
    panel_->OnCommand(kCmdNextPage);
    EXPECT_EQ(strokes(), std::vector<int>({300})) << "page 2 follows page 1, no new page at the end";
    EXPECT_EQ(panel_->TheLesson().BoardPages().files.size(), 3);
    EXPECT_TRUE(panel_->TabDlg()->HistoryLabels().isEmpty()) << "no desktop snapshot among the board's pages";
}

TEST_F(PanelPages, OpeningAPanelLeavesThePenWriting)
{
    panel_->OnCommand(kCmdWhiteboard);
    std::size_t written = 0;
    for (int command : {kCmdHistory, kCmdBackground, kCmdMaterial}) {
        panel_->OnCommand(command);
        EXPECT_NE(surface()->modeWord(), u"TOOL"_s);
        write(200 + 50 * int(written++));
        EXPECT_EQ(strokes().size(), written) << command;
        panel_->OnCommand(command);
    }
    pressOn(NavNext);
    EXPECT_TRUE(strokes().empty()) << "the board's buttons answer";
}

TEST_F(PanelPages, HidingAllPopupsHidesTheMaterialPreview)
{
    picture(dir_.filePath(u"ReSource/pictures/a.bmp"_s), Qt::blue);
    const QString folder = dir_.filePath(u"ReSource/pictures"_s);
    panel_->OnMessage(kMsgInsertPicture, tab::kResourcePictures, reinterpret_cast<LPARAM>(&folder));
    ASSERT_TRUE(surface() && surface()->materialPreview());
    ASSERT_TRUE(surface()->materialPreview()->isVisible());
    panel_->HideAllPopups();
    EXPECT_FALSE(surface()->materialPreview()->isVisible());
}

TEST_F(PanelPages, OnlyPagesWithWritingJoinTheHistory)
{
    panel_->OnCommand(kCmdWriting);
    panel_->OnCommand(kCmdArrow);
    EXPECT_TRUE(panel_->TabDlg()->HistoryLabels().isEmpty());
    EXPECT_TRUE(panel_->LessonPages().empty());

    panel_->OnCommand(kCmdWriting);
    write(300);
    panel_->OnCommand(kCmdArrow);
    EXPECT_EQ(panel_->TabDlg()->HistoryLabels().size(), 1);

    // A blank board page left at once is not among the board's pages either.
    panel_->OnCommand(kCmdWhiteboard);
    panel_->OnCommand(kCmdArrow);
    EXPECT_TRUE(panel_->TheLesson().BoardPages().files.isEmpty());
    EXPECT_EQ(panel_->LessonPages().size(), 1u);
}

TEST_F(PanelPages, ImportedPicturesBecomeHistoryPagesUnderNewNamesAndTheFirstOpens)
{
    panel_->OnCommand(kCmdWriting);
    write(300);
    panel_->OnCommand(kCmdArrow);
    const QString kept = panel_->TabDlg()->HistoryLabels().first();
    const QString history = panel_->ProgramFolder() + u"/Temp/"_s;
    const QByteArray keptPicture = qmtest::readFile(history + kept + u".bmp"_s);

    // Saved pages, one named like the page written now, as a page of another month is.
    const QString saved = dir_.filePath(u"saved"_s);
    picture(saved + u"/99-0-0-0.bmp"_s, Qt::blue);
    picture(saved + u'/' + kept + u".bmp"_s, Qt::green);
    qmtest::writeFile(saved + u'/' + kept + u".kw"_s, "e");
    CTabDlg::setFolderChooserHook([&](const QString&, const QString&) { return saved; });
    panel_->TabDlg()->OnBnClickedHistoryDeletepage();
    CTabDlg::setFolderChooserHook({});

    const QStringList labels = panel_->TabDlg()->HistoryLabels();
    ASSERT_EQ(labels.size(), 3);
    EXPECT_EQ(labels.first(), kept);
    EXPECT_EQ(QSet<QString>(labels.begin(), labels.end()).size(), 3) << labels.join(u' ').toStdString();
    EXPECT_EQ(qmtest::readFile(history + kept + u".bmp"_s), keptPicture) << "nothing is overwritten";
    EXPECT_TRUE(QFileInfo::exists(history + labels[1] + u".kw"_s));
    // In the order of their names' numbers, the first of them open and selected.
    ASSERT_TRUE(surface());
    EXPECT_EQ(panel_->OpenHistoryLabel(), labels[1]);
    EXPECT_EQ(panel_->TabDlg()->SelectedHistoryLabel(), labels[1]);
    EXPECT_EQ(QColor(surface()->pageBitmap().pixel(10, 10)), QColor(Qt::green));

    // An added picture joins the same way and opens.
    const QString chosen = picture(dir_.filePath(u"Save/red.bmp"_s), Qt::red);
    CBmpDialog::setHook([&](const QString&, const QString&) { return chosen; });
    panel_->TabDlg()->OnBnClickedHistoryAddpic();
    ASSERT_EQ(panel_->TabDlg()->HistoryLabels().size(), 4);
    EXPECT_EQ(panel_->TabDlg()->SelectedHistoryLabel(), panel_->TabDlg()->HistoryLabels().last());
    EXPECT_EQ(QColor(surface()->pageBitmap().pixel(10, 10)), QColor(Qt::red));
    EXPECT_FALSE(QFileInfo::exists(panel_->ProgramFolder() + u"/Temp/ZidodAvuvTemp/red.bmp"_s));

    // A history page's own picture chosen again is copied beside it, never over it.
    CBmpDialog::setHook([&](const QString&, const QString&) { return history + kept + u".bmp"_s; });
    panel_->TabDlg()->OnBnClickedHistoryAddpic();
    EXPECT_EQ(panel_->TabDlg()->HistoryLabels().size(), 5);
    EXPECT_NE(panel_->TabDlg()->HistoryLabels().last(), kept);
    EXPECT_EQ(qmtest::readFile(history + kept + u".bmp"_s), keptPicture);
}

TEST_F(PanelPages, AFolderWithoutPagePicturesIsToldAndChangesNothing)
{
    QDir().mkpath(dir_.filePath(u"empty"_s));
    const QString folder = dir_.filePath(u"empty"_s);
    panel_->OnMessage(kMsgOpenPageFolder, reinterpret_cast<WPARAM>(&folder), 0);
    EXPECT_EQ(told_, QStringList({u"这个文件夹里没有页面图片(.bmp)。"_s}));
    EXPECT_TRUE(panel_->TabDlg()->HistoryLabels().isEmpty());
    EXPECT_EQ(surface(), nullptr);
}
