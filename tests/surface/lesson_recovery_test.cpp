// A lesson that did not end, read back without a window: the marker and its lock, the open page rebuilt from
// its page files and its journal, and where the rebuilt page is stored.
#include "surface/lesson_recovery.h"

#include "support_main/test_util.h"
#include "surface/page_format.h"
#include "surface/test_strokes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

class Recovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QDir().mkpath(folders_.BoardFolder());
        QDir().mkpath(QFileInfo(folders_.JournalFile()).absolutePath());
    }

    // The pages and the journal a lesson leaves behind when it is killed: the journal's writer is gone
    // before anything reads the file, as the process is.
    void journal(const std::function<void(Lesson&)>& steps)
    {
        Lesson lesson(dir_.path());
        lesson.StartJournal(folders_.JournalFile());
        steps(lesson);
        lesson.StopJournal();
    }
    void storePage(const QString& objects, const std::vector<int>& ys)
    {
        std::vector<CPenNode> nodes;
        for (int y : ys)
            nodes.push_back(qmtest::strokeAt(y));
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::white);
        ASSERT_TRUE(
            StorePageFiles(objects, nodes, WithExtension(objects, QStringLiteral("bmp")), &picture, 24));
    }

    QTemporaryDir dir_;
    LessonFolders folders_ {dir_.path()};
};

TEST_F(Recovery, OnlyALessonMarkedRunningWhoseLockIsFreeDidNotEnd)
{
    EXPECT_FALSE(LessonSession::Interrupted(folders_)) << "no marker";
    {
        LessonSession running;
        ASSERT_TRUE(running.Begin(folders_));
        EXPECT_FALSE(LessonSession::Interrupted(folders_)) << "its lock is held: a copy still runs it";
        LessonSession second;
        EXPECT_FALSE(second.Begin(folders_)) << "a second copy never takes the folders of the first";
    }
    // The process went without ending the lesson: the lock went with it, the marker stays.
    EXPECT_TRUE(LessonSession::Interrupted(folders_));
    LessonSession next;
    ASSERT_TRUE(next.Begin(folders_));
    next.End();
    EXPECT_FALSE(LessonSession::Interrupted(folders_)) << "ended cleanly";
}

TEST_F(Recovery, TheOpenBoardPageIsItsStoredObjectsWithTheJournalReplayedOverThem)
{
    const QString stored = folders_.BoardFolder() + QStringLiteral("1-2-3-4.kw");
    storePage(stored, {100, 200});
    journal([&](Lesson& lesson) {
        lesson.SetBoardMode(kBoardWhite);
        LoadPage(lesson.Pages(), stored);
        lesson.JournalBegin(stored, WithExtension(stored, QStringLiteral("bmp")));
        lesson.Pages().CommitObject(qmtest::strokeAt(300));
        lesson.JournalChanges();
        lesson.Pages().UndoStep();
        lesson.Pages().CommitObject(qmtest::strokeAt(400));
        lesson.Pages().nodes[0].erased = 1;
        lesson.JournalChanges();
    });

    const InterruptedLesson found = ReadInterruptedLesson(folders_);
    EXPECT_EQ(found.boardObjects, QStringList {stored});
    EXPECT_TRUE(found.historyPictures.isEmpty());
    EXPECT_EQ(found.pageFile, stored);
    EXPECT_EQ(found.boardMode, kBoardWhite);
    EXPECT_TRUE(found.changed);
    EXPECT_EQ(qmtest::shownHeights(found.nodes), std::vector<int>({200, 400}));

    // Stored back over its own files, it reads as the page that was open.
    Lesson lesson(dir_.path());
    EXPECT_EQ(StoreRecoveredPage(found, lesson, QDateTime::currentDateTime()),
        WithExtension(stored, QStringLiteral("bmp")));
    PageList list;
    ASSERT_TRUE(LoadPage(list, stored));
    EXPECT_EQ(qmtest::shownHeights(list.nodes), std::vector<int>({200, 400}));
}

TEST_F(Recovery, ANewDesktopPageBecomesAHistoryPageOnItsBackgroundAndAClearForGoodEmptiesIt)
{
    storePage(folders_.HistoryObjects(QStringLiteral("8-14-5-9")), {50});
    QImage desktop(64, 48, QImage::Format_RGB32);
    desktop.fill(Qt::darkCyan);
    const QString desktopPicture
        = QFileInfo(folders_.JournalFile()).absolutePath() + QStringLiteral("/desktop.bmp");
    ASSERT_TRUE(StorePagePicture(desktopPicture, desktop, 24));
    journal([&](Lesson& lesson) {
        lesson.JournalBegin(QString(), desktopPicture);
        for (int y : {10, 20, 30})
            lesson.Pages().CommitObject(qmtest::strokeAt(y));
        lesson.JournalChanges();
    });
    InterruptedLesson found = ReadInterruptedLesson(folders_);
    EXPECT_EQ(found.historyPictures, QStringList {folders_.HistoryPicture(QStringLiteral("8-14-5-9"))});
    EXPECT_EQ(qmtest::shownHeights(found.nodes), std::vector<int>({10, 20, 30}));

    Lesson lesson(dir_.path());
    const QDateTime when(QDate(2024, 3, 8), QTime(14, 5, 9));
    const QString picture = StoreRecoveredPage(found, lesson, when);
    EXPECT_EQ(picture, folders_.HistoryPicture(QStringLiteral("8-14-5-9-2"))) << "no page is replaced";
    EXPECT_EQ(QImage(picture).pixel(5, 5), QColor(Qt::darkCyan).rgb());

    // A clear of a large page empties it for good; the journal says so and nothing comes back.
    journal([&](Lesson& lesson) {
        lesson.JournalBegin(QString(), QString());
        for (int y = 0; y <= int(PageList::kClearHidesAtMost); ++y)
            lesson.Pages().CommitObject(qmtest::strokeAt(y));
        lesson.JournalChanges();
        lesson.Pages().ClearScreenStep();
        lesson.JournalChanges();
    });
    found = ReadInterruptedLesson(folders_);
    EXPECT_TRUE(found.nodes.empty());
}

TEST_F(Recovery, ALessonThatLeftNothingIsEmptyAndATornJournalGivesWhatCameBeforeTheTear)
{
    journal([](Lesson& lesson) { lesson.JournalBegin(QString(), QString()); });
    EXPECT_TRUE(ReadInterruptedLesson(folders_).Empty());

    journal([&](Lesson& lesson) {
        lesson.SetBoardMode(kBoardWhite);
        lesson.JournalBegin(QString(), QString());
        lesson.Pages().CommitObject(qmtest::strokeAt(10));
        lesson.JournalChanges();
        lesson.Pages().CommitObject(qmtest::strokeAt(20));
        lesson.JournalChanges();
    });
    QFile file(folders_.JournalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() - 3)); // the power went in the middle of the last record
    file.close();
    const InterruptedLesson found = ReadInterruptedLesson(folders_);
    EXPECT_FALSE(found.Empty());
    EXPECT_EQ(qmtest::shownHeights(found.nodes), std::vector<int>({10}));
    Lesson lesson(dir_.path());
    const QString picture = StoreRecoveredPage(found, lesson, QDateTime(QDate(2024, 3, 8), QTime(9, 0, 0)));
    EXPECT_EQ(picture, folders_.BoardFolder() + QStringLiteral("8-9-0-0.bmp")) << "a board page stays one";
}

} // namespace
