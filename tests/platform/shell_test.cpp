#include "platform/shell.h"

#include "support_main/test_util.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A home folder of its own for the case, with the user directories file the desktop writes.
class UserFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHome_ = qgetenv("HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override { qputenv("HOME", previousHome_); }

    void writeUserDirs(const QByteArray& lines)
    {
        qmtest::writeFile(home_.path() + QStringLiteral("/.config/user-dirs.dirs"), lines);
    }

    QTemporaryDir home_;
    QByteArray previousHome_;
};

} // namespace

TEST_F(UserFolders, TemplatesAndDocumentsComeFromTheUserDirectories)
{
    writeUserDirs("# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                  "XDG_TEMPLATES_DIR=\"$HOME/模板\"\n");
    QDir().mkpath(home_.path() + QStringLiteral("/模板"));
    EXPECT_EQ(platform::templatesFolder(), home_.path() + QStringLiteral("/模板"));
    EXPECT_EQ(platform::documentsFolder(), home_.path() + QStringLiteral("/Dokumente"));
}

TEST_F(UserFolders, WithoutAnEntryTheUsualNamesUnderHome)
{
    QDir().mkpath(home_.path() + QStringLiteral("/Templates"));
    EXPECT_EQ(platform::templatesFolder(), home_.path() + QStringLiteral("/Templates"));
    EXPECT_EQ(platform::documentsFolder(), home_.path() + QStringLiteral("/Documents"));
}

TEST_F(UserFolders, ADisabledOrMissingTemplatesFolderGivesTheSystemsOwn)
{
    const QString own = home_.path() + QStringLiteral("/.local/share/Quillmark/Templates");
    // xdg-user-dirs points a disabled folder at the home folder.
    writeUserDirs("XDG_TEMPLATES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(platform::templatesFolder(), own);
    writeUserDirs("XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
    EXPECT_EQ(platform::templatesFolder(), own);
}

TEST_F(UserFolders, AUsersTempFolderIsNeverTakenNorRemoved)
{
    // The lost lesson plans: templates = home, and a Temp of the user's own there.
    writeUserDirs("XDG_TEMPLATES_DIR=\"$HOME\"\n");
    const QString plans = home_.path() + QStringLiteral("/Temp/lesson-plans/week1.txt");
    qmtest::writeFile(plans, "fractions");
    const QString scratch = platform::templatesScratchFolder();
    EXPECT_FALSE(scratch.startsWith(home_.path() + QStringLiteral("/Temp"))) << scratch.toStdString();
    EXPECT_TRUE(platform::isScratchFolder(scratch));
    EXPECT_FALSE(platform::removeScratchFolder(home_.path() + QStringLiteral("/Temp")));
    EXPECT_TRUE(platform::removeScratchFolder(scratch));
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_EQ(qmtest::readFile(plans), QByteArray("fractions"));

    // Even in a real templates folder, a Temp the user made there stays theirs.
    QDir().mkpath(home_.path() + QStringLiteral("/Templates/Temp"));
    writeUserDirs("XDG_TEMPLATES_DIR=\"$HOME/Templates\"\n");
    EXPECT_NE(platform::templatesScratchFolder(), home_.path() + QStringLiteral("/Templates/Temp"));
}

TEST_F(UserFolders, AFreshHomeGetsTheMarkOnlyOnTheScratchFolder)
{
    const QByteArray previousData = qgetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_HOME");
    writeUserDirs("XDG_TEMPLATES_DIR=\"$HOME/\"\n");
    const QString scratch = platform::templatesScratchFolder();
    EXPECT_EQ(scratch, home_.path() + QStringLiteral("/.local/share/Quillmark/Templates/Temp"));
    EXPECT_TRUE(platform::isScratchFolder(scratch));
    // ~/.local and ~/.local/share belong to every program of the desktop.
    for (const char* shared :
        {"/.local", "/.local/share", "/.local/share/Quillmark", "/.local/share/Quillmark/Templates"}) {
        const QString folder = home_.path() + QString::fromLatin1(shared);
        EXPECT_TRUE(QFileInfo(folder).isDir()) << shared;
        EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/.quillmark-scratch"))) << shared;
    }
    if (!previousData.isNull())
        qputenv("XDG_DATA_HOME", previousData);
}

TEST(ScratchFolders, OnlyTheFolderAskedForIsMarkedNotTheOnesMadeOnTheWay)
{
    QTemporaryDir dir;
    const QString deep = dir.filePath(QStringLiteral("a/b/c"));
    ASSERT_TRUE(platform::makeScratchFolder(deep));
    EXPECT_TRUE(platform::isScratchFolder(deep));
    EXPECT_TRUE(platform::makeScratchFolder(deep)) << "a second call finds its own folder";
    for (const char* above : {"", "a", "a/b"}) {
        const QString folder = dir.filePath(QString::fromLatin1(above));
        EXPECT_FALSE(platform::isScratchFolder(folder)) << above;
        EXPECT_FALSE(platform::removeScratchFolder(folder)) << above;
    }
    EXPECT_TRUE(platform::removeScratchFolder(deep));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("a/b"))).isDir());
    // A link is never followed into someone else's folder.
    QDir().mkpath(dir.filePath(QStringLiteral("theirs")));
    QFile::link(dir.filePath(QStringLiteral("theirs")), dir.filePath(QStringLiteral("link")));
    EXPECT_FALSE(platform::makeScratchFolder(dir.filePath(QStringLiteral("link"))));
}

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable)
{
    const QString given = platform::programFilePath();
    platform::setProgramFilePath({});
    EXPECT_EQ(platform::programFolder(), QCoreApplication::applicationDirPath());
    EXPECT_TRUE(QFileInfo(platform::programFilePath()).isExecutable());
    platform::setProgramFilePath(given);
    EXPECT_EQ(platform::programFilePath(), given);
}

TEST(FolderTrees, CopyKeepsHiddenFilesAndTheTree)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath(QStringLiteral("a/.hidden")), "h");
    qmtest::writeFile(dir.filePath(QStringLiteral("a/b/c.kw")), "e");
    ASSERT_TRUE(platform::copyTree(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("copy"))));
    EXPECT_EQ(qmtest::readFile(dir.filePath(QStringLiteral("copy/.hidden"))), QByteArray("h"));
    EXPECT_EQ(qmtest::readFile(dir.filePath(QStringLiteral("copy/b/c.kw"))), QByteArray("e"));
    EXPECT_FALSE(
        platform::copyTree(dir.filePath(QStringLiteral("missing")), dir.filePath(QStringLiteral("x"))));
}

TEST(OwnFolderRemoval, LinksInsideGoAsLinksAndTheirTargetsStayWhole)
{
    QTemporaryDir dir;
    const QString documents = qmtest::teachersFolder(dir.filePath(QStringLiteral("Documents")));
    const QString scratch = dir.filePath(QStringLiteral("scratch"));
    ASSERT_TRUE(platform::makeScratchFolder(scratch));
    qmtest::writeFile(scratch + QStringLiteral("/pages/1.bmp"), "page");
    qmtest::writeFile(scratch + QStringLiteral("/.hidden"), "h");
    ASSERT_TRUE(qmtest::plantLink(documents, scratch + QStringLiteral("/pages/documents")));
    ASSERT_TRUE(qmtest::plantLink(
        documents + QStringLiteral("/lesson plan.odt"), scratch + QStringLiteral("/plan.odt")));

    // Emptied, the folder keeps only its mark; removed, it is gone. The teacher's folder is whole each time.
    ASSERT_TRUE(platform::emptyScratchFolder(scratch));
    EXPECT_TRUE(platform::isScratchFolder(scratch));
    EXPECT_TRUE(QDir(scratch).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
        == QStringList {QStringLiteral(".quillmark-scratch")});
    ASSERT_TRUE(qmtest::plantLink(documents, scratch + QStringLiteral("/documents")));
    EXPECT_TRUE(platform::removeScratchFolder(scratch));
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_TRUE(qmtest::teachersFolderWhole(documents));
}

TEST(OwnFolderRemoval, ALinkInPlaceOfAScratchFolderOrAForgedMarkRemovesNothing)
{
    QTemporaryDir dir;
    // Marked, so that only the link stands between the removal and the folder.
    const QString documents = qmtest::teachersFolder(dir.filePath(QStringLiteral("Documents")));
    qmtest::writeFile(documents + QStringLiteral("/.quillmark-scratch"), "");
    const QString link = dir.filePath(QStringLiteral("Temp"));
    ASSERT_TRUE(qmtest::plantLink(documents, link));
    EXPECT_FALSE(platform::isScratchFolder(link));
    EXPECT_FALSE(platform::makeScratchFolder(link));
    EXPECT_FALSE(platform::removeScratchFolder(link));
    EXPECT_FALSE(platform::emptyScratchFolder(link));
    EXPECT_FALSE(platform::removeScratchFolder(link + QStringLiteral("/")));
    EXPECT_TRUE(qmtest::teachersFolderWhole(documents));

    // A mark that is a link to some file marks nothing.
    const QString other = qmtest::teachersFolder(dir.filePath(QStringLiteral("other")));
    QFile::remove(documents + QStringLiteral("/.quillmark-scratch"));
    ASSERT_TRUE(qmtest::plantLink(
        documents + QStringLiteral("/lesson plan.odt"), other + QStringLiteral("/.quillmark-scratch")));
    EXPECT_FALSE(platform::isScratchFolder(other));
    EXPECT_FALSE(platform::removeScratchFolder(other));
    EXPECT_TRUE(qmtest::teachersFolderWhole(other));
    EXPECT_TRUE(qmtest::teachersFolderWhole(documents));
}

TEST(SiblingPrograms, AreFoundInTheProgramFolderOnlyNeverInTheCurrentOne)
{
    QTemporaryDir dir;
    qmtest::ScopedCurrentDir cwd(dir.path());
    const QString planted = qmtest::writeFile(dir.filePath(QStringLiteral("Stayalive")), "#!/bin/sh\n");
    QFile::setPermissions(planted, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(platform::siblingProgram(QStringLiteral("Stayalive")).isEmpty());
    const QString beside
        = qmtest::writeFile(platform::programFolder() + QStringLiteral("/Stayalive"), "#!/bin/sh\n");
    QFile::setPermissions(beside, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(platform::siblingProgram(QStringLiteral("Stayalive")), beside);
    QFile::remove(beside);
}
