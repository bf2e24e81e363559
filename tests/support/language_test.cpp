#include "support/language.h"

#include "support/language_internal.h"

#include "platform/messages.h"

#include "support_main/read_only_folder.h"
#include "support_main/test_util.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using qmtest::ReadOnlyFolder;

// Each case works in a folder of its own as the current directory and puts back the language the process
// had, since other tests of this program see the same library.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = GetLanguage();
        cd_.emplace(dir_.path());
    }
    void TearDown() override
    {
        cd_.reset();
        QTemporaryDir restore;
        qmtest::ScopedCurrentDir cd(restore.path());
        writeLanguageFile(u"[Setting]\nLanguage=%1\n"_s.arg(previous_));
        qmexpand_internal::reloadLanguage();
    }

    static void writeLanguageFile(const QString& text)
    {
        qmtest::writeFile(u"Language.ini"_s, text.toUtf8());
    }
    static void loadWith(const QString& text)
    {
        writeLanguageFile(text);
        qmexpand_internal::reloadLanguage();
    }

    QTemporaryDir dir_;
    std::optional<qmtest::ScopedCurrentDir> cd_;
    QString previous_;
};

} // namespace

TEST_F(LanguageTest, WithoutAFileTheLanguageIsChineseAndTextsStayChinese)
{
    qmexpand_internal::reloadLanguage();
    EXPECT_EQ(GetLanguage(), u"Chinese"_s);
    EXPECT_FALSE(IsEnglish());
    EXPECT_EQ(GetConfigString(u"信息提示"_s), u"信息提示"_s);
}

TEST_F(LanguageTest, ALanguageChosenForTheNextStartLeavesTheOneInForce)
{
    loadWith(u"[Setting]\nLanguage=Chinese\n[English]\n信息提示=Information\n"_s);
    ASSERT_TRUE(SetLanguageAtNextStart(u"English"_s));
    // The windows open now keep speaking the language they were built in.
    EXPECT_EQ(GetLanguage(), u"Chinese"_s);
    EXPECT_EQ(GetConfigString(u"信息提示"_s), u"信息提示"_s);
    EXPECT_EQ(LanguageAtNextStart(), u"English"_s);
    qmexpand_internal::reloadLanguage();
    EXPECT_TRUE(IsEnglish()) << "the next start reads it";
    EXPECT_TRUE(qmtest::readFile(u"Language.ini"_s).contains("[English]\n信息提示=Information"));
}

TEST_F(LanguageTest, LowerCaseLanguageFindsItsSectionWithoutRegardToCase)
{
    loadWith(u"[setting]\nlanguage = english\n[English]\n信息提示=Information\n"_s);
    EXPECT_EQ(GetLanguage(), u"english"_s);
    EXPECT_TRUE(IsEnglish());
    EXPECT_EQ(GetConfigString(u"信息提示"_s), u"Information"_s);
}

TEST_F(LanguageTest, LanguageAndTranslationAreCutToTheirBuffers)
{
    loadWith(u"[Setting]\nLanguage=%1\n"_s.arg(QString(300, u'L')));
    EXPECT_EQ(GetLanguage(), QString(259, u'L'));
    loadWith(u"[Setting]\nLanguage=English\n[English]\nlong=%1\n"_s.arg(QString(1000, u'x')));
    EXPECT_EQ(GetConfigString(u"long"_s), QString(999, u'x'));
}

TEST_F(LanguageTest, MissingOrEmptyTranslationGivesTheKeyBack)
{
    loadWith(u"[Setting]\nLanguage=English\n[English]\n删除=\n隐藏=Hide\n"_s);
    EXPECT_EQ(GetConfigString(u"删除"_s), u"删除"_s);
    EXPECT_EQ(GetConfigString(u"历史"_s), u"历史"_s);
    EXPECT_EQ(GetConfigString(u"隐藏"_s), u"Hide"_s);
    EXPECT_EQ(GetConfigString(QString()), QString());
}

TEST_F(LanguageTest, EditingTheFileChangesTranslationsAtOnceButNotTheLanguage)
{
    loadWith(u"[Setting]\nLanguage=English\n[English]\n白板=Whiteboard\n"_s);
    EXPECT_EQ(GetConfigString(u"白板"_s), u"Whiteboard"_s);
    writeLanguageFile(u"[Setting]\nLanguage=Chinese\n[English]\n白板=Ashcombe Whiteboard\n"_s);
    EXPECT_EQ(GetLanguage(), u"English"_s);
    EXPECT_EQ(GetConfigString(u"白板"_s), u"Ashcombe Whiteboard"_s);
}

TEST_F(LanguageTest, ThePanelIsFoundByItsTitleInTheOtherLanguage)
{
    loadWith(u"[Setting]\nLanguage=English\n[English]\n白板=Whiteboard\n"_s);
    EXPECT_EQ(PanelTitles(), QStringList({u"Whiteboard"_s, u"白板"_s}));
    QWidget panel;
    panel.setWindowTitle(PanelTitle());
    platform::MessageTable table(&panel, platform::kDialogClass);
    table.setOtherTitles(PanelTitles());
    EXPECT_EQ(FindPanel().widget, &panel);
    // A second start that reads Chinese still finds the panel the first one titled in English.
    loadWith(u"[Setting]\nLanguage=Chinese\n[English]\n白板=Whiteboard\n"_s);
    EXPECT_EQ(PanelTitles(), QStringList({u"白板"_s, u"Whiteboard"_s}));
    EXPECT_EQ(FindPanel().widget, &panel);
}

TEST_F(LanguageTest, SetLanguageTakesEffectAtOnceAndIsStored)
{
    loadWith(u"; settings\n[Setting]\nLanguage=Chinese\n[English]\n白板=Whiteboard\n"_s);
    EXPECT_FALSE(IsEnglish());
    EXPECT_EQ(SetLanguage(u"English"_s), 1);
    EXPECT_EQ(GetLanguage(), u"English"_s);
    EXPECT_TRUE(IsEnglish());
    SetLanguage(u"Englisch"_s);
    EXPECT_FALSE(IsEnglish());
    SetLanguage(u"English"_s);
    EXPECT_EQ(GetConfigString(u"白板"_s), u"Whiteboard"_s);
    EXPECT_EQ(qmtest::readFile(u"Language.ini"_s),
        u"; settings\n[Setting]\nLanguage=English\n[English]\n白板=Whiteboard\n"_s.toUtf8());
}

TEST_F(LanguageTest, SetLanguageWithoutAWritableFolderFailsButHoldsInMemory)
{
    loadWith(u"[Setting]\nLanguage=Chinese\n"_s);
    {
        ReadOnlyFolder guard(dir_.path());
        if (!guard.holds())
            GTEST_SKIP() << "running as root without the means to give up its file permission override";
        EXPECT_EQ(SetLanguage(u"English"_s), 0);
    }
    EXPECT_EQ(GetLanguage(), u"English"_s);
    EXPECT_EQ(qmtest::readFile(u"Language.ini"_s), "[Setting]\nLanguage=Chinese\n");

    // The current directory itself may vanish under the program.
    QTemporaryDir gone;
    qmtest::ScopedCurrentDir cd(gone.path());
    ASSERT_TRUE(gone.remove());
    EXPECT_EQ(SetLanguage(u"French"_s), 0);
    EXPECT_EQ(GetLanguage(), u"French"_s);
}

// The translations are kept between calls while the file stays as it was, and found as a read of the file
// would find them.
TEST_F(LanguageTest, KeptTranslationsFollowTheFileItsFolderAndTheLanguage)
{
    const auto writtenLongAgo = [](const QString& text) {
        qmtest::writeFile(u"Language.ini"_s, text.toUtf8());
        QFile file(u"Language.ini"_s);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(QDateTime::fromSecsSinceEpoch(1700000000), QFileDevice::FileModificationTime));
    };
    writtenLongAgo(u"[Setting]\nLanguage=English\n[english]\n白板=Whiteboard\nPen=One\npen=Two\n"
                   u"[Chinese]\n白板=黑板\n[English]\n橡皮=Eraser\n"_s);
    qmexpand_internal::reloadLanguage();
    // Keys match without regard to case or surrounding blanks, the first wins, and only the first section of
    // the language's name counts, as a single read of the file gives them.
    EXPECT_EQ(GetConfigString(u"白板"_s), u"Whiteboard"_s);
    EXPECT_EQ(GetConfigString(u" PEN "_s), u"One"_s);
    EXPECT_EQ(GetConfigString(u"橡皮"_s), u"橡皮"_s);
    EXPECT_EQ(GetConfigString(u"白板"_s), u"Whiteboard"_s);

    // An edit of the same length, dated as the old file was, in place.
    writtenLongAgo(u"[Setting]\nLanguage=English\n[english]\n白板=Blackboard\nPen=One\npen=Two\n"
                   u"[Chinese]\n白板=黑板\n[English]\n橡皮=Eraser\n"_s);
    EXPECT_EQ(GetConfigString(u"白板"_s), u"Blackboard"_s);

    // The same file in another folder with other words.
    QTemporaryDir other;
    qmtest::ScopedCurrentDir cd(other.path());
    writtenLongAgo(u"[Setting]\nLanguage=English\n[english]\n白板=Greenboard\nPen=One\npen=Two\n"
                   u"[Chinese]\n白板=黑板\n[English]\n橡皮=Eraser\n"_s);
    EXPECT_EQ(GetConfigString(u"白板"_s), u"Greenboard"_s);

    SetLanguage(u"Chinese"_s);
    EXPECT_EQ(GetConfigString(u"白板"_s), u"黑板"_s);
}

// Run only as the child of LanguageTest.IsReadWhenTheLibraryLoads, in a folder whose language file it
// removes before asking: a language read later than at load would come out as the default.
TEST(LanguageProbe, DISABLED_ReportsTheLanguageReadAtLoad)
{
    QFile::remove(u"Language.ini"_s);
    std::printf("language-at-load=%s\n", GetLanguage().toUtf8().constData());
}

TEST_F(LanguageTest, IsReadWhenTheLibraryLoads)
{
    writeLanguageFile(u"[Setting]\nLanguage=English\n"_s);
    QProcess child;
    child.setWorkingDirectory(dir_.path());
    child.start(QCoreApplication::applicationFilePath(),
        {u"--gtest_also_run_disabled_tests"_s, u"--gtest_filter=LanguageProbe.*"_s});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(child.readAllStandardOutput().contains("language-at-load=English\n"));
}
