#include "platform/shell.h"

#include "support_main/test_util.h"

#include <QCoreApplication>
#include <QDir>
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
    EXPECT_EQ(platform::templatesFolder(), home_.path() + QStringLiteral("/模板"));
    EXPECT_EQ(platform::documentsFolder(), home_.path() + QStringLiteral("/Dokumente"));
}

TEST_F(UserFolders, WithoutAnEntryTheUsualNamesUnderHome)
{
    EXPECT_EQ(platform::templatesFolder(), home_.path() + QStringLiteral("/Templates"));
    EXPECT_EQ(platform::documentsFolder(), home_.path() + QStringLiteral("/Documents"));
}

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable)
{
    EXPECT_EQ(platform::programFolder(), QCoreApplication::applicationDirPath());
    EXPECT_TRUE(QFileInfo(platform::programFilePath()).isExecutable());
}

TEST(FolderTrees, CopyKeepsHiddenFilesAndDeleteRefusesWhatIsNotAFolder)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath(QStringLiteral("a/.hidden")), "h");
    qmtest::writeFile(dir.filePath(QStringLiteral("a/b/c.kw")), "e");
    ASSERT_TRUE(platform::copyTree(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("copy"))));
    EXPECT_EQ(qmtest::readFile(dir.filePath(QStringLiteral("copy/.hidden"))), QByteArray("h"));
    EXPECT_EQ(qmtest::readFile(dir.filePath(QStringLiteral("copy/b/c.kw"))), QByteArray("e"));

    EXPECT_FALSE(platform::deleteTree(dir.filePath(QStringLiteral("copy/b/c.kw"))));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("copy/b/c.kw"))));
    EXPECT_TRUE(platform::deleteTree(dir.filePath(QStringLiteral("copy"))));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("copy"))));
    EXPECT_FALSE(
        platform::copyTree(dir.filePath(QStringLiteral("missing")), dir.filePath(QStringLiteral("x"))));
}
