// The programs the panel starts for the teacher (the screen keyboard, the calculator, the touch calibrator):
// one that is missing, or ends without showing a window, says so instead of leaving a button that did
// nothing. The suite's sibling programs come from the program folder only.
#include "app/tool_dlg.h"
#include "app/tool_tip_dlg.h"
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"

#include "platform/message_box.h"
#include "platform/notice.h"
#include "platform/shell.h"
#include "support_main/test_util.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

using namespace DIALOG;

namespace {

// The panel with a search path of the test's own, which holds only the programs a test puts there.
class OutsidePrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<qmtest::ScopedCurrentDir>(dir.path());
        QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
            dir.filePath(QStringLiteral("Language.ini")));
        path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& box) {
            boxes << box.caption + QStringLiteral(": ") + box.text;
            return platform::IDOK;
        });
        panel = std::make_unique<CWhiteBoardDlg>(nullptr);
        panel->OnInitDialog();
        panel->show();
    }
    void TearDown() override
    {
        panel->OnDestroy();
        panel.reset();
        platform::setMessageBoxHook({});
        qputenv("PATH", path);
        cwd.reset();
    }
    // A program on the search path that ends at once without a window.
    void failingProgram(const char* name)
    {
        const QString program = bin.filePath(QString::fromLatin1(name));
        qmtest::writeFile(program, "#!/bin/sh\nexit 1\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString tip() const
    {
        const CToolTipDlg* tip = panel->ToolTipDlg();
        return tip && tip->isVisible() ? tip->Text() : QString();
    }

    QTemporaryDir dir;
    QTemporaryDir bin;
    std::unique_ptr<qmtest::ScopedCurrentDir> cwd;
    QByteArray path;
    std::unique_ptr<CWhiteBoardDlg> panel;
    QStringList boxes;
};

} // namespace

TEST_F(OutsidePrograms, AKeyboardThatIsMissingOrEndsWithoutAWindowSaysSo)
{
    const QString failed = QStringLiteral("屏幕键盘: 键盘程序启动失败,请手动启动!");
    panel->OnCommand(kCmdScreenKeyboard);
    EXPECT_EQ(boxes, QStringList {failed}) << "not installed: told at once";

    boxes.clear();
    failingProgram("onboard");
    panel->OnCommand(kCmdScreenKeyboard);
    // While it starts the tip says so; the panel goes on answering meanwhile.
    EXPECT_EQ(tip(), QStringLiteral("正在启动屏幕键盘…"));
    EXPECT_TRUE(boxes.isEmpty());
    ASSERT_TRUE(qmtest::waitFor([&] { return !boxes.isEmpty(); }, 20000));
    EXPECT_EQ(boxes, QStringList {failed});
    EXPECT_TRUE(tip().isEmpty());
}

TEST_F(OutsidePrograms, ACalculatorThatEndsWithoutAWindowSaysSoInTheTip)
{
    failingProgram("galculator");
    panel->OnCommand(kCmdTools);
    panel->ToolDlg()->RunTool(CToolDlg::kToolCalculator);
    EXPECT_EQ(tip(), QStringLiteral("正在启动计算器…"));
    ASSERT_TRUE(qmtest::waitFor([&] { return tip() == QStringLiteral("计算器未能启动"); }, 20000))
        << tip().toStdString();
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(OutsidePrograms, CalibrationWithoutATouchScreenSaysSoInOneLine)
{
    panel->OnCommand(kCmdCalibration);
    EXPECT_EQ(platform::CurrentNotice(), QStringLiteral("没有找到触摸屏，无需定位"));
}

namespace {

// A sibling program of the suite that stays running a while, so that a test sees whether it was started.
class Sibling {
public:
    Sibling(const QString& folder, const QString& name)
        : path_(qmtest::writeFile(folder + u'/' + name,
            "#!/bin/sh\nexec >/dev/null 2>&1\ntrap 'kill $!; exit' TERM\n/bin/sleep 30 &\nwait\n"))
    {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ~Sibling()
    {
        for (qint64 pid : qmtest::processesMentioning(path_))
            ::kill(pid_t(pid), SIGTERM);
        QFile::remove(path_);
    }
    bool running() const { return !qmtest::processesMentioning(path_).isEmpty(); }

private:
    QString path_;
};

} // namespace

// The program may be started from any folder, a pupil's among them: what lies there is never run.
TEST_F(OutsidePrograms, StayaliveAndCineboxRunFromTheProgramFolderNeverFromTheCurrentOne)
{
    const Sibling plantedStayalive(dir.path(), QStringLiteral("Stayalive"));
    const Sibling plantedCinebox(dir.path(), QStringLiteral("Cinebox"));
    const Sibling stayalive(platform::programFolder(), QStringLiteral("Stayalive"));
    const Sibling cinebox(platform::programFolder(), QStringLiteral("Cinebox"));

    // Its time has come: the timer goes off now rather than in three minutes.
    auto* timer = panel->findChild<QTimer*>(QStringLiteral("stayaliveTimer"));
    ASSERT_NE(timer, nullptr);
    timer->start(0);
    ASSERT_TRUE(qmtest::waitFor([&] { return stayalive.running(); }, 10000));
    EXPECT_FALSE(plantedStayalive.running());

    panel->OnCommand(kCmdLogoWall);
    ASSERT_TRUE(qmtest::waitFor([&] { return cinebox.running(); }, 10000));
    EXPECT_FALSE(plantedCinebox.running());
}
