// The user panel without a display: files dropped on it become entries of SetInfo.ini, and a click runs or
// opens the very file that was dropped, or the drop is refused with a message.
#include "app/ini.h"
#include "app/user_dlg.h"
#include "app/user_entries.h"

#include "platform/message_box.h"
#include "platform/profile.h"
#include "support/language.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace DIALOG;
using namespace Qt::StringLiterals;

namespace {

// A program folder of its own, with an empty quick-launch list.
class UserPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path());
        QFile::copy(
            QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"), dir.filePath(u"Language.ini"_s));
        QFile::setPermissions(dir.filePath(u"Language.ini"_s), QFile::ReadOwner | QFile::WriteOwner);
        qmtest::writeFile(settings(), "[ToolInfo]\r\n");
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            boxes << r.caption + u": "_s + r.text;
            return platform::IDOK;
        });
    }
    void TearDown() override
    {
        platform::setMessageBoxHook({});
        SetLanguage(u"Chinese"_s);
        cwd.reset();
    }
    QString settings() const { return dir.filePath(u"SetInfo.ini"_s); }
    QString value(const QString& key) const
    {
        return platform::GetPrivateProfileString(u"ToolInfo"_s, key, u"<none>"_s, 1024, settings());
    }
    // A program that says who it is when it runs.
    QString program(const QString& name, const QByteArray& says) const
    {
        const QString path = qmtest::writeFile(
            dir.filePath(name), "#!/bin/sh\necho " + says + " > '" + ran().toUtf8() + "'\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QString ran() const { return dir.filePath(u"ran"_s); }
    // What the program that ran said.
    QByteArray whoRan() const
    {
        qmtest::waitFor([&] { return !qmtest::readFile(ran()).isEmpty(); }, 5000);
        return qmtest::readFile(ran()).trimmed();
    }

    QTemporaryDir dir;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
    QStringList boxes;
};

void drop(CUserDlg& user, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QWidget* target = user.List()->viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    EXPECT_TRUE(dropped.isAccepted());
}

} // namespace

TEST_F(UserPanel, TheSameFileTwiceIsOneEntryAndOneKey)
{
    const QString file = qmtest::writeFile(dir.filePath(u"docs/lesson plan.txt"_s), "x");
    CUserDlg user(nullptr);
    EXPECT_TRUE(user.AddEntry(file));
    EXPECT_FALSE(user.AddEntry(file));
    EXPECT_EQ(user.EntryTexts(), QStringList {u"lesson plan.txt"_s});
    EXPECT_EQ(value(u"lesson plan.txt"_s), file);
    user.Reload();
    EXPECT_EQ(user.EntryTexts(), QStringList {u"lesson plan.txt"_s});
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(UserPanel, FilesDroppedOnTheListAreEntriesOnePerFileAndARefusalIsToldAfterTheDrop)
{
    const QString a = qmtest::writeFile(dir.filePath(u"a.txt"_s), "a");
    const QString b = qmtest::writeFile(dir.filePath(u"b.odp"_s), "b");
    const QString odd = qmtest::writeFile(dir.filePath(u"odd\n/c.txt"_s), "c");
    CUserDlg user(nullptr);
    user.resize(user.size());
    drop(user, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(odd)});
    drop(user, {QUrl::fromLocalFile(a)});
    EXPECT_EQ(user.EntryTexts(), QStringList({u"a.txt"_s, u"b.odp"_s}));
    EXPECT_EQ(value(u"b.odp"_s), b);
    EXPECT_TRUE(boxes.isEmpty()) << "not while the program the files come from waits for the drop";
    ASSERT_TRUE(qmtest::waitFor([&] { return !boxes.isEmpty(); }, 2000));
    EXPECT_EQ(boxes, QStringList {u"提示: 无法加入“%1”：它的名称或路径无法保存在列表中。"_s.arg(odd)});
}

TEST_F(UserPanel, DeleteLeavesAnEmptyValueAndNoEntryAfterAReload)
{
    const QString a = qmtest::writeFile(dir.filePath(u"a.txt"_s), "a");
    const QString b = qmtest::writeFile(dir.filePath(u"b.txt"_s), "b");
    CUserDlg user(nullptr);
    user.AddEntry(a);
    user.AddEntry(b);
    user.List()->setCurrentRow(0);
    user.DeleteSelected();
    EXPECT_EQ(user.EntryTexts(), QStringList {u"b.txt"_s});
    EXPECT_EQ(value(u"a.txt"_s), QString());
    EXPECT_TRUE(_FILE::CIni(settings()).ReadKeyNames(u"ToolInfo"_s).contains(u"a.txt"_s));
    CUserDlg again(nullptr);
    again.Reload();
    EXPECT_EQ(again.EntryTexts(), QStringList {u"b.txt"_s});
}

TEST_F(UserPanel, AClickRunsItsProgramAndAFileThatIsGoneIsTold)
{
    const QString start = program(u"start.sh"_s, "start");
    CUserDlg user(nullptr);
    user.AddEntry(start);
    EXPECT_FALSE(user.OpenEntry(u"missing.sh"_s));
    EXPECT_TRUE(user.OpenEntry(u"start.sh"_s));
    EXPECT_EQ(whoRan(), "start");

    QFile::remove(start);
    SetLanguage(u"English"_s);
    EXPECT_FALSE(user.OpenEntry(u"start.sh"_s));
    EXPECT_EQ(boxes, QStringList {u"Tips: \"start.sh\" is no longer there: %1"_s.arg(start)});
}

// A name the settings would keep cut or trimmed would have a click run another file: the program named by the
// part before a line break, or "notes.pdf" in place of "notes.pdf ".
TEST_F(UserPanel, AClickRunsTheVeryFileDroppedAndNeverOneNamedByPartOfItsPath)
{
    program(u"tool"_s, "tool");
    const QString cut = qmtest::writeFile(dir.filePath(u"tool\n/notes.pdf"_s), "%PDF-1.4\n");
    CUserDlg user(nullptr);
    EXPECT_FALSE(user.AddEntry(cut));
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_TRUE(user.EntryTexts().isEmpty());
    EXPECT_FALSE(user.OpenEntry(u"notes.pdf"_s));

    program(u"run.sh"_s, "plain");
    const QString blank = program(u"run.sh "_s, "blank");
    ASSERT_TRUE(user.AddEntry(blank));
    EXPECT_EQ(user_entries::EntryPath(settings(), u"run.sh"_s), blank);
    ASSERT_TRUE(user.OpenEntry(u"run.sh"_s));
    EXPECT_EQ(whoRan(), "blank");
}

TEST_F(UserPanel, ANameAnotherFileHasInAnyCaseIsRefusedAndTheOldEntryKeepsItsFile)
{
    const QString old = program(u"worksheet.pdf"_s, "old");
    const QString newer = program(u"WORKSHEET.PDF"_s, "new");
    CUserDlg user(nullptr);
    ASSERT_TRUE(user.AddEntry(old));
    EXPECT_FALSE(user.AddEntry(newer));
    EXPECT_EQ(boxes,
        QStringList {
            u"提示: 已有名为“worksheet.pdf”的条目，它打开另一个文件。要加入“%1”，请先删除该条目。"_s.arg(
                newer)});
    EXPECT_EQ(user.EntryTexts(), QStringList {u"worksheet.pdf"_s});
    ASSERT_TRUE(user.OpenEntry(u"worksheet.pdf"_s));
    EXPECT_EQ(whoRan(), "old");

    // Once the old entry is deleted the name is free, spelled as the new file spells it.
    QFile::remove(ran());
    user.List()->setCurrentRow(0);
    user.DeleteSelected();
    ASSERT_TRUE(user.AddEntry(newer));
    user.Reload();
    EXPECT_EQ(user.EntryTexts(), QStringList {u"WORKSHEET.PDF"_s});
    ASSERT_TRUE(user.OpenEntry(u"WORKSHEET.PDF"_s));
    EXPECT_EQ(whoRan(), "new");
}

TEST_F(UserPanel, AHandWrittenListShowsEachNameOnceAsALookupFindsIt)
{
    const QString a = program(u"a.sh"_s, "first");
    const QString b = program(u"b.sh"_s, "second");
    qmtest::writeFile(settings(),
        "[ToolInfo]\r\nLesson=" + a.toUtf8() + "\r\nLESSON=" + b.toUtf8() + "\r\nempty=\r\nB=" + b.toUtf8()
            + "\r\n");
    CUserDlg user(nullptr);
    user.Reload();
    EXPECT_EQ(user.EntryTexts(), QStringList({u"Lesson"_s, u"B"_s}));
    ASSERT_TRUE(user.OpenEntry(u"Lesson"_s));
    EXPECT_EQ(whoRan(), "first");
}

TEST(UserPanelNames, ADisplayTextIsTheFileNameAsAKeyCanHoldIt)
{
    using user_entries::DisplayText;
    EXPECT_EQ(DisplayText(u"/home/t/Maths/week 3.odp"_s), u"week 3.odp"_s);
    EXPECT_EQ(DisplayText(u"/x/a=b.txt"_s), u"a_b.txt"_s);
    EXPECT_EQ(DisplayText(u"/x/[notes].txt"_s), u"_notes].txt"_s);
    EXPECT_EQ(DisplayText(u"/x/;plan"_s), u"_plan"_s);
    EXPECT_EQ(DisplayText(u"/x/ ;plan "_s), u"_plan"_s);
    EXPECT_EQ(DisplayText(u"/x/a\tb\x1a"_s), u"a_b_"_s);
    EXPECT_EQ(DisplayText(u"/x/"_s), QString());
}
