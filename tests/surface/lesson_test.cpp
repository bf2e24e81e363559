// The open lesson's rules, without any window: where its pages are kept, what they are called, which page a
// store goes to, and how the board's pages are counted and walked.
#include "surface/lesson.h"

#include "support_main/test_util.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>

using namespace DIALOG;

namespace {
const QString kProgram = QStringLiteral("/opt/Quillmark");
}

TEST(LessonFolders, HistoryAndBoardLieInTheProgramsTempFolderWhateverTheFolderIsCalled)
{
    for (const QString& program : {kProgram, kProgram + u'/', kProgram + QStringLiteral("/bin/..")}) {
        const LessonFolders folders(program);
        EXPECT_EQ(folders.HistoryFolder(), QStringLiteral("/opt/Quillmark/Temp")) << program.toStdString();
        EXPECT_EQ(folders.BoardFolder(), QStringLiteral("/opt/Quillmark/Temp/ZidodAvuvTemp/"));
    }
    const LessonFolders folders(kProgram);
    EXPECT_EQ(folders.HistoryPicture(QStringLiteral("8-14-5-9")),
        QStringLiteral("/opt/Quillmark/Temp/8-14-5-9.bmp"));
    EXPECT_EQ(folders.HistoryObjects(QStringLiteral("8-14-5-9-2")),
        QStringLiteral("/opt/Quillmark/Temp/8-14-5-9-2.kw"));
    EXPECT_EQ(PdfPageObjects(folders.BoardFolder() + QStringLiteral("8-14-5-9"), 12),
        QStringLiteral("/opt/Quillmark/Temp/ZidodAvuvTemp/8-14-5-9_12.kw"));
    EXPECT_EQ(PageFileExtensions().first(), QStringLiteral("kw"));
}

TEST(LessonFolders, OnlyAPictureOfTheHistoryFolderItselfHasAHistoryLabel)
{
    const LessonFolders folders(kProgram);
    EXPECT_EQ(folders.HistoryLabelOf(QStringLiteral("/opt/Quillmark/Temp/8-14-5-9.bmp")),
        QStringLiteral("8-14-5-9"));
    EXPECT_EQ(folders.HistoryLabelOf(QStringLiteral("/opt/Quillmark/Temp/x/../8-14-5-9-2.bmp")),
        QStringLiteral("8-14-5-9-2"));
    // A board page, a picture of the teacher's and nothing at all are no history pages.
    EXPECT_TRUE(
        folders.HistoryLabelOf(QStringLiteral("/opt/Quillmark/Temp/ZidodAvuvTemp/1-2-3-4.bmp")).isEmpty());
    EXPECT_TRUE(folders.HistoryLabelOf(QStringLiteral("/home/t/Pictures/Temp/1-2-3-4.bmp")).isEmpty());
    EXPECT_TRUE(folders.HistoryLabelOf(QString()).isEmpty());
}

TEST(LessonFolders, ABoardPageStoredUnderAHistoryNameGoesToTheBoardsFolder)
{
    EXPECT_EQ(BoardPathOf(QStringLiteral("/opt/Quillmark/Temp/1-2-3-4.xxx")),
        QStringLiteral("/opt/Quillmark/Temp/ZidodAvuvTemp/1-2-3-4.xxx"));
    // Only the last Temp of the path is the program's: a program kept in a folder called Temp stays there.
    EXPECT_EQ(BoardPathOf(QStringLiteral("/Temp/Quillmark/Temp/1-2-3-4.xxx")),
        QStringLiteral("/Temp/Quillmark/Temp/ZidodAvuvTemp/1-2-3-4.xxx"));
    for (const QString& stays : {QStringLiteral("/opt/Quillmark/Temp/ZidodAvuvTemp/1-2-3-4.xxx"),
             QStringLiteral("/home/t/lesson/1-2-3-4.xxx")})
        EXPECT_EQ(BoardPathOf(stays), stays);
}

TEST(LessonFolders, TheEndOfALessonRemovesTheTempFolderAboveTheBoardsPages)
{
    EXPECT_EQ(ScratchRootOf(QStringLiteral("/home/t/Templates/qm/Temp/ZidodAvuvTemp/")),
        QStringLiteral("/home/t/Templates/qm/Temp"));
    EXPECT_EQ(ScratchRootOf(QStringLiteral("/home/t/Templates/qm/")), QStringLiteral("/home/t/Templates/qm"));
    EXPECT_TRUE(ScratchRootOf(QString()).isEmpty());
}

TEST(Lesson, ANewLessonWritesInRedOnTheDesktopWithNoBoardPage)
{
    Lesson lesson(kProgram);
    EXPECT_EQ(lesson.Pen().kind, Pen);
    EXPECT_EQ(lesson.Pen().colour, RGB(255, 0, 0));
    EXPECT_FALSE(lesson.OnBoard());
    EXPECT_TRUE(lesson.BoardPages().files.isEmpty());
    EXPECT_EQ(lesson.BoardFolder(), QStringLiteral("/opt/Quillmark/Temp/ZidodAvuvTemp/"));
    // The surface and the store take the page's lock again while they hold it.
    std::lock_guard outer(lesson.Pages().Lock());
    lesson.Pages().Clear();
}

TEST(Lesson, NewPagesAreNamedByDayHourMinuteAndSecondInTheBoardsFolder)
{
    EXPECT_EQ(PageBaseName(QDateTime(QDate(2024, 3, 8), QTime(14, 5, 9))), QStringLiteral("8-14-5-9"));
    EXPECT_EQ(PageBaseName(QDateTime(QDate(2024, 12, 31), QTime(0, 0, 0))), QStringLiteral("31-0-0-0"));
    const Lesson lesson(kProgram);
    EXPECT_EQ(lesson.NewBoardPagePlaceholder(QDateTime(QDate(2024, 3, 8), QTime(14, 5, 9))),
        QStringLiteral("/opt/Quillmark/Temp/ZidodAvuvTemp/8-14-5-9.xxx"));
}

TEST(Lesson, ANameTakenByEitherFileOrByTheBoardListGetsTheNextNumber)
{
    QTemporaryDir dir;
    const Lesson empty(dir.path());
    const QString base = dir.filePath(QStringLiteral("1-2-3-4"));
    EXPECT_EQ(empty.UnusedPageBase(base), base);
    qmtest::writeFile(base + QStringLiteral(".bmp"), "picture");
    EXPECT_EQ(empty.UnusedPageBase(base), base + QStringLiteral("-2"));
    qmtest::writeFile(base + QStringLiteral("-2.kw"), "e");
    EXPECT_EQ(empty.UnusedPageBase(base), base + QStringLiteral("-3"));
    // A page listed for the board but not stored yet under that name keeps it too, letter case aside.
    Lesson listed(dir.path());
    listed.BoardPages().files << base.toUpper() + QStringLiteral("-3.KW");
    EXPECT_EQ(listed.UnusedPageBase(base), base + QStringLiteral("-4"));
}

TEST(Lesson, ABoardStoreGoesToThePagesOwnFileOrToANewNameThatTakesNoOthers)
{
    QTemporaryDir dir;
    Lesson lesson(dir.path());
    const QString board = lesson.BoardFolder();
    const QDateTime when(QDate(2024, 3, 8), QTime(14, 5, 9));
    // A new page: a placeholder first, then a name in the board's folder even when asked for the history.
    EXPECT_FALSE(lesson.BoardPageStoredBefore());
    EXPECT_EQ(lesson.OpenBoardPagePath(when), board + QStringLiteral("8-14-5-9.xxx"));
    const QString first = lesson.BoardObjectFileFor(dir.filePath(QStringLiteral("Temp/8-14-5-9.xxx")));
    EXPECT_EQ(first, board + QStringLiteral("8-14-5-9.kw"));
    lesson.Pages().pageChanged = true;
    lesson.NoteStored(first, true);
    EXPECT_FALSE(lesson.Pages().pageChanged);
    EXPECT_EQ(lesson.LastStoredPage(), first);
    // Stored again, the page keeps its file, whatever it is asked to be stored under.
    EXPECT_TRUE(lesson.BoardPageStoredBefore());
    EXPECT_EQ(lesson.OpenBoardPagePath(when), first);
    EXPECT_EQ(lesson.BoardObjectFileFor(dir.filePath(QStringLiteral("Temp/9-9-9-9.xxx"))), first);
    // A new page stored within the same second takes the next name and keeps the earlier page.
    lesson.MoveToNewPage();
    const QString second = lesson.BoardObjectFileFor(lesson.OpenBoardPagePath(when));
    EXPECT_EQ(second, board + QStringLiteral("8-14-5-9-2.kw"));
    lesson.NoteStored(second, true);
    EXPECT_EQ(lesson.BoardPages().files, QStringList({first, second}));
    EXPECT_EQ(lesson.BoardPages().currentPage, 1);
    // Stored under its name in other letters, it stays one page.
    lesson.NoteStored(second.toUpper(), true);
    EXPECT_EQ(lesson.BoardPages().files.size(), 2);
    // A desktop page is no board page.
    lesson.NoteStored(dir.filePath(QStringLiteral("Temp/1-1-1-1.kw")), false);
    EXPECT_EQ(lesson.BoardPages().files.size(), 2);
    EXPECT_EQ(lesson.LastStoredPage(), dir.filePath(QStringLiteral("Temp/1-1-1-1.kw")));
}

TEST(Lesson, TheOpenPageCountsFromOneAndItsNeighboursAreTheListsEntries)
{
    Lesson lesson(kProgram);
    EXPECT_EQ(BoardPagePosition(lesson.BoardPages()).number, 1);
    EXPECT_EQ(BoardPagePosition(lesson.BoardPages()).count, 1);
    EXPECT_TRUE(lesson.CurrentPageFile().isEmpty());
    PageFileList& pages = lesson.BoardPages();
    pages.files = QStringList({QStringLiteral("a.kw"), QStringLiteral("b.kw"), QStringLiteral("c.kw"),
        QStringLiteral("d.kw"), QStringLiteral("e.kw")});
    pages.currentPage = 1;
    EXPECT_EQ(BoardPagePosition(pages).number, 2);
    EXPECT_EQ(BoardPagePosition(pages).count, 5);
    EXPECT_EQ(lesson.PreviousPageFile(), QStringLiteral("a.kw"));
    EXPECT_EQ(lesson.CurrentPageFile(), QStringLiteral("b.kw"));
    EXPECT_EQ(lesson.NextPageFile(), QStringLiteral("c.kw"));
    // Past the last stored page: a new page, counted among them, with nothing after it.
    lesson.MoveToNewPage();
    EXPECT_EQ(BoardPagePosition(pages).number, 6);
    EXPECT_EQ(BoardPagePosition(pages).count, 6);
    EXPECT_EQ(lesson.PreviousPageFile(), QStringLiteral("e.kw"));
    EXPECT_TRUE(lesson.CurrentPageFile().isEmpty());
    EXPECT_TRUE(lesson.NextPageFile().isEmpty());
}

TEST(Lesson, APdfsPagesGetABaseNoPageOnDiskOrInTheListHas)
{
    QTemporaryDir dir;
    Lesson lesson(dir.path());
    const QDateTime when(QDate(2024, 3, 8), QTime(14, 5, 9));
    const QString board = lesson.BoardFolder();
    EXPECT_EQ(lesson.NewPdfBase(when), board + QStringLiteral("8-14-5-9"));
    // A page of that name, a first PDF page on disk and one in the list each move the base on.
    qmtest::writeFile(board + QStringLiteral("8-14-5-9.kw"), "e");
    qmtest::writeFile(board + QStringLiteral("8-14-5-9-2_1.bmp"), "picture");
    lesson.BoardPages().files << PdfPageObjects(board + QStringLiteral("8-14-5-9-3"), 1);
    EXPECT_EQ(lesson.NewPdfBase(when), board + QStringLiteral("8-14-5-9-4"));
}
