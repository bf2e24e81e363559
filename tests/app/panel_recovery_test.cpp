// The panel at the start after a lesson that did not end: yes brings its pages back into the history and the
// board and opens the page that was open; no keeps them as a kept lesson and clears them out of the folders.
#include "app/whiteboard_dlg.h"

#include "assist/tab_dlg.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support_main/test_util.h"
#include "surface/lesson_pdf.h"
#include "surface/lesson_recovery.h"
#include "surface/page_format.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"
#include "surface/test_strokes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

class PanelRecovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd_ = std::make_unique<qmtest::ScopedCurrentDir>(dir_.path());
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            told_ << r.text;
            return platform::IDNO;
        });
        QDir(folders_.HistoryFolder()).removeRecursively();
        QDir().mkpath(folders_.BoardFolder());
        QDir().mkpath(QFileInfo(folders_.JournalFile()).absolutePath());
        // A lesson killed with a history page, a board page and a new board page drawn on.
        QImage white(64, 48, QImage::Format_RGB32);
        white.fill(Qt::white);
        const QString history = folders_.HistoryObjects(QStringLiteral("8-14-5-9"));
        ASSERT_TRUE(StorePageFiles(
            history, {qmtest::strokeAt(10)}, WithExtension(history, QStringLiteral("bmp")), &white, 24));
        ASSERT_TRUE(StorePageFiles(
            board_, {qmtest::strokeAt(20)}, WithExtension(board_, QStringLiteral("bmp")), &white, 24));
        {
            Lesson killed(platform::programFolder());
            LessonSession running;
            ASSERT_TRUE(running.Begin(folders_));
            killed.SetBoardMode(kBoardWhite);
            killed.StartJournal(folders_.JournalFile());
            killed.Pages().CommitObject(qmtest::strokeAt(30));
            killed.Pages().CommitObject(qmtest::strokeAt(40));
            killed.JournalChanges();
            killed.StopJournal();
        } // the lock goes with the lesson, the marker stays
        ASSERT_TRUE(LessonSession::Interrupted(folders_));
        QDir(KeptLessonsFolder()).removeRecursively();
        panel_ = std::make_unique<CWhiteBoardDlg>(nullptr);
        panel_->OfferRecoveryAtStart();
        panel_->OnInitDialog();
        panel_->show();
    }
    void TearDown() override
    {
        panel_->OnDestroy();
        panel_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setMessageBoxHook({});
        QDir(KeptLessonsFolder()).removeRecursively();
        cwd_.reset();
    }

    QTemporaryDir dir_;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd_;
    LessonFolders folders_ {platform::programFolder()};
    const QString board_ = folders_.BoardFolder() + QStringLiteral("8-14-6-0.kw");
    std::unique_ptr<CWhiteBoardDlg> panel_;
    QStringList told_;
};

TEST_F(PanelRecovery, YesBringsThePagesBackAndOpensThePageThatWasOpen)
{
    ASSERT_TRUE(panel_->HasInterruptedLesson());
    EXPECT_FALSE(LessonSession::Interrupted(folders_)) << "the new lesson runs in the folders now";
    panel_->RecoverLesson(true);
    EXPECT_EQ(panel_->TabDlg()->HistoryLabels(), QStringList {QStringLiteral("8-14-5-9")});
    const QStringList& boardPages = panel_->TheLesson().BoardPages().files;
    ASSERT_EQ(boardPages.size(), 2);
    EXPECT_EQ(boardPages.first(), board_);
    ASSERT_TRUE(qmtest::waitFor([&] { return panel_->Surface() && panel_->Surface()->isVisible(); }, 5000));
    EXPECT_EQ(panel_->TheLesson().BoardPages().currentPage, 1) << "the new page that was open opens";
    std::vector<int> ys;
    for (const CPenNode& node : panel_->TheLesson().Pages().nodes)
        ys.push_back(node.points.front().y);
    EXPECT_EQ(ys, std::vector<int>({30, 40}));
}

TEST_F(PanelRecovery, TheQuestionComesOnceThePanelShowsAndNoKeepsTheLessonAndClearsTheFolders)
{
    ASSERT_TRUE(qmtest::waitFor([&] { return !panel_->HasInterruptedLesson(); }, 5000));
    ASSERT_EQ(told_.size(), 1);
    EXPECT_TRUE(told_.first().startsWith(QStringLiteral("上一节课没有正常结束。")));
    EXPECT_EQ(KeptLessons(KeptLessonsFolder()).size(), 1);
    EXPECT_TRUE(PagePicturesIn(folders_.HistoryFolder()).isEmpty());
    EXPECT_TRUE(PagePicturesIn(folders_.BoardFolder()).isEmpty());
    EXPECT_TRUE(panel_->TabDlg()->HistoryLabels().isEmpty());
}

} // namespace
