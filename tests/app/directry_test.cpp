#include "app/directry.h"

#include "platform/shell.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CDirectryDelete, RemovesTheProgramsOwnTreeAndRefusesAnyOtherOrAMissingFolder)
{
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/Temp");
    ASSERT_TRUE(platform::makeScratchFolder(root));
    qmtest::writeFile(root + QStringLiteral("/ZidodAvuvTemp/a.bmp"), "BM");
    qmtest::writeFile(root + QStringLiteral("/b.kw"), "0 ");
    _FILE::CDirectry folder(root);
    EXPECT_TRUE(folder.Delete());
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_FALSE(folder.Delete());

    const QString theirs = qmtest::teachersFolder(dir.path() + QStringLiteral("/Temp of the teacher"));
    EXPECT_FALSE(_FILE::CDirectry(theirs).Delete());
    EXPECT_TRUE(qmtest::teachersFolderWhole(theirs));
}

TEST(CDirectryCopyAndRename, CopyKeepsTheTreeRenameFollowsTheFolder)
{
    QTemporaryDir dir;
    const QString from = dir.path() + QStringLiteral("/from");
    qmtest::writeFile(from + QStringLiteral("/sub/page.kw"), "3 0 255 ");
    _FILE::CDirectry folder(from);
    EXPECT_TRUE(folder.CopyTo(dir.path() + QStringLiteral("/copy")));
    EXPECT_EQ(qmtest::readFile(dir.path() + QStringLiteral("/copy/sub/page.kw")), QByteArray("3 0 255 "));

    EXPECT_TRUE(folder.RenameTo(dir.path() + QStringLiteral("/renamed")));
    EXPECT_EQ(folder.Path(), dir.path() + QStringLiteral("/renamed"));
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/renamed/sub/page.kw")).isFile());

    _FILE::CDirectry missing(dir.path() + QStringLiteral("/none"));
    EXPECT_FALSE(missing.CopyTo(dir.path() + QStringLiteral("/x")));
    EXPECT_FALSE(missing.RenameTo(dir.path() + QStringLiteral("/y")));
    EXPECT_EQ(missing.Path(), dir.path() + QStringLiteral("/none"));
}
