#include "platform/work_folder.h"

#include "platform/profile.h"
#include "platform/shell.h"

#include "support_main/read_only_folder.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A program folder with the files an installation lays out, and a home of its own for the user.
class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        given_ = platform::programFilePath();
        previousHome_ = qgetenv("HOME");
        qputenv("HOME", root_.filePath(QStringLiteral("home")).toLocal8Bit());
        QDir().mkpath(root_.filePath(QStringLiteral("home")));
        program_ = root_.filePath(QStringLiteral("program"));
        qmtest::writeFile(program_ + QStringLiteral("/Language.ini"),
            "[Setting]\nLanguage=Chinese\n[English]\n白板=Board\n");
        qmtest::writeFile(program_ + QStringLiteral("/SetInfo.ini"), "[ToolInfo]\n");
        qmtest::writeFile(program_ + QStringLiteral("/Bin/Template.PNG"), "picture");
        platform::setProgramFilePath(program_ + QStringLiteral("/Quillmark"));
    }
    void TearDown() override
    {
        platform::setProgramFilePath(given_);
        qputenv("HOME", previousHome_);
    }

    void markInstalled() { qmtest::writeFile(program_ + QStringLiteral("/INSTALLED"), "installed\n"); }
    QString work() const { return root_.filePath(QStringLiteral("home/.local/share/Quillmark")); }
    // Every file under the program folder, to see that a run added none.
    QStringList programFiles() const
    {
        QStringList files;
        QDirIterator it(
            program_, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        files.sort();
        return files;
    }

    QTemporaryDir root_;
    QString program_;
    QString given_;
    QByteArray previousHome_;
    qmtest::ScopedCurrentDir startedIn_ {QDir::tempPath()};
};

} // namespace

TEST_F(InstalledProgram, AProgramFolderOfItsOwnIsWorkedInAsBefore)
{
    EXPECT_FALSE(platform::programFolderIsInstalled());
    EXPECT_EQ(platform::workFolder(), program_);
    EXPECT_FALSE(platform::enterWorkFolder());
    EXPECT_EQ(QDir::currentPath(), QDir(QDir::tempPath()).canonicalPath());
}

TEST_F(InstalledProgram, EachUserWorksInAFolderOfTheirOwnThatReachesTheProgramsFiles)
{
    markInstalled();
    const QStringList before = programFiles();
    ASSERT_TRUE(platform::enterWorkFolder());
    EXPECT_EQ(platform::workFolder(), work());
    EXPECT_EQ(QDir::currentPath(), QDir(work()).canonicalPath());

    // The relative paths the program has always used reach the program's files and write the user's own.
    EXPECT_EQ(qmtest::readFile(QStringLiteral("Bin/Template.PNG")), "picture");
    EXPECT_TRUE(QFileInfo(QStringLiteral("Bin")).isSymLink());
    EXPECT_FALSE(QFileInfo(QStringLiteral("SetInfo.ini")).isSymLink());
    EXPECT_TRUE(platform::WritePrivateProfileString(QStringLiteral("ToolInfo"), QStringLiteral("Notes"),
        QStringLiteral("/usr/bin/notes"), QStringLiteral("./SetInfo.ini")));
    EXPECT_TRUE(platform::WritePrivateProfileString(QStringLiteral("Setting"), QStringLiteral("Language"),
        QStringLiteral("English"), QStringLiteral("./Language.ini")));
    EXPECT_TRUE(platform::makeScratchFolder(platform::workFolder() + QStringLiteral("/Temp")));
    QDir().mkdir(QStringLiteral("Save"));
    EXPECT_EQ(programFiles(), before);
    EXPECT_EQ(qmtest::readFile(program_ + QStringLiteral("/SetInfo.ini")), "[ToolInfo]\n");
}

TEST_F(InstalledProgram, ANewVersionBringsItsTranslationsAndKeepsTheUsersChoices)
{
    markInstalled();
    ASSERT_TRUE(platform::enterWorkFolder());
    const QString language = work() + QStringLiteral("/Language.ini");
    const QString entries = work() + QStringLiteral("/SetInfo.ini");
    platform::WritePrivateProfileString(
        QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("English"), language);
    platform::WritePrivateProfileString(
        QStringLiteral("ToolInfo"), QStringLiteral("Notes"), QStringLiteral("/usr/bin/notes"), entries);

    // The next version ships another translation and another picture, and no longer the template.
    qmtest::writeFile(program_ + QStringLiteral("/Language.ini"),
        "[Setting]\nLanguage=Chinese\n[English]\n白板=Board\n退出=Exit\n");
    qmtest::writeFile(program_ + QStringLiteral("/Stamp.png"), "stamp");
    QFile::remove(program_ + QStringLiteral("/Bin/Template.PNG"));
    QDir(program_).rmdir(QStringLiteral("Bin"));
    ASSERT_TRUE(platform::enterWorkFolder());

    EXPECT_EQ(platform::GetPrivateProfileString(
                  QStringLiteral("Setting"), QStringLiteral("Language"), {}, 260, language),
        QStringLiteral("English"));
    EXPECT_EQ(platform::GetPrivateProfileString(
                  QStringLiteral("English"), QStringLiteral("退出"), {}, 260, language),
        QStringLiteral("Exit"));
    EXPECT_EQ(platform::GetPrivateProfileString(
                  QStringLiteral("ToolInfo"), QStringLiteral("Notes"), {}, 260, entries),
        QStringLiteral("/usr/bin/notes"));
    EXPECT_EQ(qmtest::readFile(work() + QStringLiteral("/Stamp.png")), "stamp");
    EXPECT_FALSE(QFileInfo(work() + QStringLiteral("/Bin")).isSymLink());
}

TEST_F(InstalledProgram, AFolderNobodyMayWriteIntoCountsAsInstalled)
{
    qmtest::ReadOnlyFolder readOnly(program_);
    if (!readOnly.holds())
        GTEST_SKIP() << "root's override of file permissions cannot be switched off here";
    EXPECT_TRUE(platform::programFolderIsInstalled());
    EXPECT_EQ(platform::workFolder(), work());
}

TEST_F(InstalledProgram, AUsersOwnFileOfTheSameNameIsLeftAlone)
{
    markInstalled();
    qmtest::writeFile(work() + QStringLiteral("/Bin"), "the user's");
    ASSERT_TRUE(platform::enterWorkFolder());
    EXPECT_EQ(qmtest::readFile(work() + QStringLiteral("/Bin")), "the user's");
}
