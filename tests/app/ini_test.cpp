#include "app/ini.h"

#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Collects every message box and answers it with OK.
class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            shown.push_back(r);
            return platform::IDOK;
        });
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { platform::setMessageBoxHook({}); }

    QString lastText() const { return shown.empty() ? QString() : shown.back().text; }
    QString lastCaption() const { return shown.empty() ? QString() : shown.back().caption; }

    std::vector<platform::MessageBoxRequest> shown;
    QTemporaryDir dir;
};

using CIniFileName = MessageBoxes;
using CIniReadWrite = MessageBoxes;

} // namespace

TEST_F(CIniFileName, RefusesEmptyMissingExtensionAndOtherExtensions)
{
    _FILE::CIni ini;
    EXPECT_FALSE(ini.SetFileName(QStringLiteral("   ")));
    EXPECT_EQ(lastText(), QStringLiteral("文件名为空。"));
    EXPECT_EQ(lastCaption(), QStringLiteral("提示"));

    EXPECT_FALSE(ini.SetFileName(QStringLiteral("SetInfo")));
    EXPECT_EQ(lastText(), QStringLiteral("文件名没有扩展名。"));

    EXPECT_FALSE(ini.SetFileName(QStringLiteral("SetInfo.txt")));
    EXPECT_EQ(lastText(), QStringLiteral("文件扩展名必须是INF或INI。"));
    EXPECT_FALSE(ini.IsOpen());

    // The same refusals in plain English, under the system's title.
    qmtest::ScopedCurrentDir cwd(dir.path());
    SetLanguage(QStringLiteral("English"));
    EXPECT_FALSE(ini.SetFileName(QStringLiteral("SetInfo.txt")));
    EXPECT_EQ(lastText(), QStringLiteral("The file extension must be INF or INI."));
    EXPECT_EQ(lastCaption(), QStringLiteral("Tips"));
    SetLanguage(QStringLiteral("Chinese"));
}

TEST_F(CIniFileName, AcceptsUpperCaseExtensionInTheCurrentDirectory)
{
    qmtest::writeFile(dir.path() + QStringLiteral("/SetInfo.INI"), "[ToolInfo]\r\n");
    qmtest::ScopedCurrentDir cwd(dir.path());
    _FILE::CIni ini(QStringLiteral(" SetInfo.INI "));
    EXPECT_TRUE(ini.IsOpen());
    EXPECT_TRUE(shown.empty());
}

TEST_F(CIniFileName, MissingFilesAreNamedWhenGivenWithAPath)
{
    const QString path = dir.path() + QStringLiteral("/nothing.ini");
    _FILE::CIni ini(path);
    EXPECT_FALSE(ini.IsOpen());
    EXPECT_EQ(lastText(), QStringLiteral("文件不存在：") + path);

    qmtest::ScopedCurrentDir cwd(dir.path());
    EXPECT_FALSE(ini.SetFileName(QStringLiteral("nothing.ini")));
    EXPECT_EQ(lastText(), QStringLiteral("文件不存在：nothing.ini"));
}

TEST_F(CIniFileName, BareNameFallsBackToTheProgramFolder)
{
    // The test program's own folder is its program folder.
    const QString beside = platform::programFolder() + QStringLiteral("/qm_ini_beside_test.ini");
    qmtest::writeFile(beside, "[A]\r\nk=beside\r\n");
    {
        qmtest::ScopedCurrentDir cwd(dir.path());
        _FILE::CIni ini(QStringLiteral("qm_ini_beside_test.ini"));
        EXPECT_TRUE(ini.IsOpen());
        EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("beside"));

        // One in the current directory wins over the one beside the executable.
        qmtest::writeFile(dir.path() + QStringLiteral("/qm_ini_beside_test.ini"), "[A]\r\nk=here\r\n");
        ini.SetFileName(QStringLiteral("qm_ini_beside_test.ini"));
        EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("here"));
    }
    QFile::remove(beside);
}

TEST_F(CIniReadWrite, NeedAnOpenFile)
{
    _FILE::CIni ini;
    EXPECT_TRUE(ini.ReadString(QStringLiteral("A"), QStringLiteral("k")).isEmpty());
    EXPECT_FALSE(ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_TRUE(ini.ReadKeyNames(QStringLiteral("A")).isEmpty());
    ASSERT_EQ(shown.size(), 3u);
    for (const platform::MessageBoxRequest& box : shown) {
        EXPECT_EQ(box.text, QStringLiteral("没有打开文件。"));
        EXPECT_EQ(box.caption, QStringLiteral("提示"));
    }
}

TEST_F(CIniReadWrite, NeedSectionAndKey)
{
    const QString path = qmtest::writeFile(dir.path() + QStringLiteral("/SetInfo.ini"), "[ToolInfo]\r\n");
    _FILE::CIni ini(path);
    EXPECT_TRUE(ini.ReadString(QStringLiteral(" "), QStringLiteral("k")).isEmpty());
    EXPECT_EQ(lastText(), QStringLiteral("需要节名和键名。"));
    EXPECT_FALSE(ini.WriteString(QStringLiteral("ToolInfo"), QStringLiteral("  "), QStringLiteral("v")));
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(qmtest::readFile(path), QByteArray("[ToolInfo]\r\n")) << "nothing is written after a refusal";
}

TEST_F(CIniReadWrite, BlanksAroundNamesAreTrimmedAndKeysComeInFileOrder)
{
    const QString path = qmtest::writeFile(dir.path() + QStringLiteral("/SetInfo.ini"),
        "[ToolInfo]\r\n计算器=/usr/bin/galculator\r\nNotes=/usr/bin/gedit\r\n");
    _FILE::CIni ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("  ToolInfo  "), QStringLiteral(" Notes ")),
        QStringLiteral("/usr/bin/gedit"));
    EXPECT_EQ(ini.ReadKeyNames(QStringLiteral(" ToolInfo ")),
        QStringList({QStringLiteral("计算器"), QStringLiteral("Notes")}));

    EXPECT_TRUE(
        ini.WriteString(QStringLiteral("ToolInfo"), QStringLiteral("Atlas"), QStringLiteral("/opt/atlas")));
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("ToolInfo"), QStringLiteral("Atlas")), QStringLiteral("/opt/atlas"));
    EXPECT_TRUE(shown.empty());
}

TEST_F(CIniReadWrite, LongValuesAreCutToTheReadBuffer)
{
    const QByteArray value(3000, 'x');
    const QString path
        = qmtest::writeFile(dir.path() + QStringLiteral("/long.ini"), "[A]\r\nk=" + value + "\r\n");
    _FILE::CIni ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("k")).size(), 2047);
}
