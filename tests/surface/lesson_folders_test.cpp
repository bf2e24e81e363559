// Where the lesson's pages are kept and what they are called, without any window.
#include "surface/lesson_folders.h"

#include <gtest/gtest.h>

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
