#include "program_driver.h"

#include "platform/profile.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

using qmtest::CineboxWindow;
using qmtest::ProgramDriver;

TEST(ProgramStartAndClose, NoKeepsThePanelYesEndsItAndRemovesItsFolders)
{
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    const unsigned long panel = program.waitForWindow(QStringLiteral("白板"));
    ASSERT_NE(panel, 0u) << program.output().toStdString();
    EXPECT_TRUE(QFileInfo(program.programFolder() + QStringLiteral("/Temp")).isDir());

    // The session's page folder goes at shutdown; a Templates folder of the user's stays.
    QDir().mkpath(program.homeFolder() + QStringLiteral("/Templates"));
    const QString scratch = program.homeFolder() + QStringLiteral("/.local/share/Quillmark/Templates/Temp");
    ASSERT_TRUE(QFileInfo(scratch).isDir());
    qmtest::writeFile(scratch + QStringLiteral("/ZidodAvuvTemp/page.bmp"), "BM");

    CineboxWindow cinebox;
    cinebox.show();
    ASSERT_TRUE(
        qmtest::waitFor([] { return platform::desktop::findWindow(QStringLiteral("Cinebox")) != 0; }));

    ASSERT_TRUE(platform::desktop::requestClose(panel));
    unsigned long question = program.waitForWindow(QStringLiteral("提示"));
    ASSERT_NE(question, 0u);
    program.pressKeyIn(question, QStringLiteral("Escape"));
    ASSERT_TRUE(program.waitForNoWindow(QStringLiteral("提示")));
    QThread::msleep(500);
    EXPECT_TRUE(program.running());
    EXPECT_NE(platform::desktop::findWindow(QStringLiteral("白板")), 0u);

    ASSERT_TRUE(platform::desktop::requestClose(panel));
    question = program.waitForWindow(QStringLiteral("提示"));
    ASSERT_NE(question, 0u);
    program.pressKeyIn(question, QStringLiteral("Return"));
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0) << program.output().toStdString();

    EXPECT_FALSE(QFileInfo::exists(program.programFolder() + QStringLiteral("/Temp")));
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_TRUE(QFileInfo(program.homeFolder() + QStringLiteral("/Templates")).isDir());
    EXPECT_TRUE(qmtest::waitFor([&] { return cinebox.closeRequested; }));
}

TEST(ProgramStartAndClose, EnglishAsksInEnglish)
{
    ProgramDriver program;
    qmtest::writeFile(program.programFolder() + QStringLiteral("/Language.ini"),
        "[Setting]\r\nLanguage=English\r\n[English]\r\n白板=Whiteboard\r\n");
    ASSERT_TRUE(program.start());
    const unsigned long panel = program.waitForWindow(QStringLiteral("Whiteboard"));
    ASSERT_NE(panel, 0u) << program.output().toStdString();

    ASSERT_TRUE(platform::desktop::requestClose(panel));
    const unsigned long question = program.waitForWindow(QStringLiteral("Tips"));
    ASSERT_NE(question, 0u);
    program.pressKeyIn(question, QStringLiteral("Return"));
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
}

TEST(ProgramStartAndClose, AnotherProgramFindsThePanelByItsTitleInEitherLanguage)
{
    const QStringList quit = {QStringLiteral("--registered"), QStringLiteral("Marlowe"),
        QStringLiteral("1148"), QStringLiteral("0")};
    {
        // In English the panel is titled in English; a script written for the Chinese title still reaches it.
        ProgramDriver program;
        qmtest::writeFile(program.programFolder() + QStringLiteral("/Language.ini"),
            "[Setting]\r\nLanguage=English\r\n[English]\r\n白板=Whiteboard\r\n");
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(QStringLiteral("Whiteboard")), 0u) << program.output().toStdString();
        EXPECT_EQ(program.qmsend(QStringList {QStringLiteral("--title"), QStringLiteral("白板")} + quit), 0);
        EXPECT_TRUE(program.waitForExit());
    }
    {
        // In Chinese, the English title of the shipped language file reaches it too.
        ProgramDriver program;
        const QString english
            = platform::GetPrivateProfileString(QStringLiteral("English"), QStringLiteral("白板"), QString(),
                1000, program.programFolder() + QStringLiteral("/Language.ini"));
        ASSERT_FALSE(english.isEmpty());
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(QStringLiteral("白板")), 0u) << program.output().toStdString();
        EXPECT_EQ(program.qmsend(QStringList {QStringLiteral("--title"), english} + quit), 0);
        EXPECT_TRUE(program.waitForExit());
    }
}

TEST(ProgramStartAndClose, TheCurrentDirectoryDecidesWhichLanguageFileIsRead)
{
    ProgramDriver program;
    // Started from another folder, the program reads that folder's Language.ini, not the program folder's.
    QTemporaryDir elsewhere;
    qmtest::writeFile(elsewhere.filePath(QStringLiteral("Language.ini")),
        "[Setting]\r\nLanguage=English\r\n[English]\r\n白板=Board from elsewhere\r\n");
    ASSERT_TRUE(program.start(elsewhere.path()));
    const unsigned long panel = program.waitForWindow(QStringLiteral("Board from elsewhere"));
    ASSERT_NE(panel, 0u) << program.output().toStdString();
    // The program's own scratch folder is still beside the executable.
    EXPECT_TRUE(QFileInfo(program.programFolder() + QStringLiteral("/Temp")).isDir());
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(QStringLiteral("Temp"))));

    ASSERT_TRUE(platform::desktop::requestClose(panel));
    const unsigned long question = program.waitForWindow(QStringLiteral("Tips"));
    ASSERT_NE(question, 0u);
    program.pressKeyIn(question, QStringLiteral("Return"));
    ASSERT_TRUE(program.waitForExit());
}
