// What the first build cost a teacher, each tried as a teacher would meet it: a folder of their own deleted,
// a page overwritten, a second copy sharing the first one's folders, no way out of the program, and a button
// that left no window on the screen.
#include "program_driver.h"

#include "platform/desktop_probe.h"
#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QCloseEvent>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>

using qmtest::CineboxWindow;
using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");

QStringList strokeFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.kw")}, QDir::Files, QDir::Name);
}

int windowsTitled(const QString& title)
{
    int n = 0;
    for (const platform::desktop::TopWindow& w : platform::desktop::topLevelWindows())
        n += w.title == title;
    return n;
}

void rightClick(const QPoint& at)
{
    platform::desktop::moveMouse(at.x(), at.y());
    QThread::msleep(100);
    platform::desktop::mouseButton(3, true);
    platform::desktop::mouseButton(3, false);
    platform::desktop::flush();
}

class TeacherSafety : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (program.running())
            program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
        program.waitForExit(20000);
    }

    void start()
    {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    }

    QRect panelGeometry() { return platform::desktop::windowGeometry(platform::desktop::findWindow(kPanel)); }

    // A red stroke over the desktop, stored as a page of the history.
    void writeAndSave(int y)
    {
        ASSERT_EQ(program.pressPanelButton(1075), 0);
        ASSERT_NE(program.waitForWindow(kSurface), 0u);
        program.drag(qmtest::straightPath(QPoint(300, y), QPoint(700, y)));
        ASSERT_EQ(program.pressPanelButton(1132), 0);
        ASSERT_TRUE(program.waitForNoWindow(kSurface));
    }

    void answerQuestion(const QString& title, const QString& key)
    {
        const unsigned long question = program.waitForWindow(title);
        ASSERT_NE(question, 0u);
        program.pressKeyIn(question, key);
    }

    ProgramDriver program;
};

} // namespace

TEST_F(TeacherSafety, AUsersTempFolderInTheHomeFolderSurvivesTheProgram)
{
    // xdg-user-dirs points a disabled Templates folder at the home folder.
    program.writeUserDirs("XDG_TEMPLATES_DIR=\"$HOME/\"\n");
    const QString plans = program.homeFolder() + QStringLiteral("/Temp/lesson-plans/week1.txt");
    qmtest::writeFile(plans, "Week 1: fractions");
    start();
    writeAndSave(400);

    program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
        QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(qmtest::readFile(plans), QByteArray("Week 1: fractions"));
    EXPECT_FALSE(
        QFileInfo::exists(program.homeFolder() + QStringLiteral("/.local/share/Quillmark/Templates/Temp")))
        << "the program's own scratch folder goes";
    EXPECT_FALSE(QFileInfo::exists(program.programFolder() + QStringLiteral("/Temp")));
}

TEST_F(TeacherSafety, ASecondStartTellsTheUserBringsBackTheFirstPanelAndEnds)
{
    start();
    const QString temp = program.programFolder() + QStringLiteral("/Temp");
    writeAndSave(400);
    ASSERT_EQ(program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("0x69a"), QStringLiteral("0"),
                  QStringLiteral("0")}),
        0);
    ASSERT_TRUE(program.waitForNoWindow(kPanel));

    auto second = program.startAnother();
    answerQuestion(QStringLiteral("信息提示"), QStringLiteral("Return"));
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 255) << second->readAll().toStdString();

    EXPECT_NE(program.waitForWindow(kPanel, 10000), 0u) << "the collapsed panel is back";
    EXPECT_TRUE(program.running());
    EXPECT_EQ(strokeFiles(temp).size(), 1) << "the first copy's page is still there";
}

TEST_F(TeacherSafety, TheIconAndARightClickOpenTheMainMenuWhichEndsWithExit)
{
    start();
    const QRect panel = panelGeometry();

    // A right click opens the menu; Escape closes it and the program runs on.
    rightClick(panel.topLeft() + QPoint(40, 200));
    QThread::msleep(400);
    platform::desktop::pressKey(QStringLiteral("Escape"));
    QThread::msleep(300);
    EXPECT_TRUE(program.running());

    // The icon opens it too; its last item asks the close question.
    program.click(panel.topLeft() + QPoint(12, 14));
    QThread::msleep(400);
    platform::desktop::pressKey(QStringLiteral("Up"));
    QThread::msleep(100);
    platform::desktop::pressKey(QStringLiteral("Return"));
    answerQuestion(QStringLiteral("提示"), QStringLiteral("Return"));
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(program.programFolder() + QStringLiteral("/Temp")));
}

TEST_F(TeacherSafety, TerminationSignalsEndLikeAConfirmedCloseEvenWithTheQuestionOpen)
{
    for (int signal : {SIGTERM, SIGINT}) {
        start();
        writeAndSave(400);
        ASSERT_TRUE(platform::desktop::requestClose(platform::desktop::findWindow(kPanel)));
        ASSERT_NE(program.waitForWindow(QStringLiteral("提示")), 0u);

        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(program.waitForExit()) << signal;
        EXPECT_EQ(program.exitCode(), 0) << program.output().toStdString();
        EXPECT_FALSE(QFileInfo::exists(program.programFolder() + QStringLiteral("/Temp"))) << signal;
        EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("提示")));
    }
}

TEST_F(TeacherSafety, The4DButtonGivesThePanelBackWhenTheDeckIsNotChosen)
{
    start();
    ASSERT_EQ(program.pressPanelButton(1125), 0);
    const unsigned long chooser = program.waitForWindow(QStringLiteral("打开幻灯片"), 30000);
    ASSERT_NE(chooser, 0u) << "no deck dialog";
    ASSERT_TRUE(program.pressKeyIn(chooser, QStringLiteral("Escape")));
    EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("打开幻灯片")));
    EXPECT_NE(program.waitForWindow(kPanel, 5000), 0u) << "no command leaves the program without a window";
}

TEST_F(TeacherSafety, TheDrawingAndToolsButtonsShowTheToolPanel)
{
    start();
    for (int id : {1070, 1121}) {
        ASSERT_EQ(program.pressPanelButton(id), 0);
        EXPECT_NE(program.waitForWindow(QStringLiteral("ToolDlg"), 5000), 0u) << id;
        program.pressPanelButton(1131);
        EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("ToolDlg"))) << id;
    }
}

TEST_F(TeacherSafety, AReopenedHistoryPageKeepsItsInkWhenTheNextPageIsWritten)
{
    start();
    const QString temp = program.programFolder() + QStringLiteral("/Temp");
    writeAndSave(400);
    const QStringList first = strokeFiles(temp);
    ASSERT_EQ(first.size(), 1);
    const QByteArray stored = qmtest::readFile(temp + QLatin1Char('/') + first.first());
    ASSERT_GT(stored.size(), 20);

    // Back to the stored page (it is now selected in the history) and store it again, unchanged.
    ASSERT_EQ(program.pressPanelButton(1129), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    ASSERT_EQ(program.pressPanelButton(1132), 0);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));

    // A new page over the desktop, stored: it is a page of its own. One left unwritten is not kept.
    QThread::msleep(1100);
    writeAndSave(600);
    ASSERT_EQ(program.pressPanelButton(1075), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    ASSERT_EQ(program.pressPanelButton(1132), 0);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));

    EXPECT_EQ(qmtest::readFile(temp + QLatin1Char('/') + first.first()), stored);
    EXPECT_EQ(strokeFiles(temp).size(), 2);
}

TEST_F(TeacherSafety, MessagesOnlyTheProgramSendsCannotOrphanOrDeleteTheSurface)
{
    start();
    auto send = [&](const char* message) {
        return program.qmsend({QStringLiteral("--title"), kPanel, QString::fromLatin1(message),
            QStringLiteral("0"), QStringLiteral("0")});
    };
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(program.pressPanelButton(1075), 0);
        EXPECT_EQ(send("0x493"), 0);
    }
    for (const char* message : {"0x491", "0x494", "0x496", "0x779"})
        EXPECT_EQ(send(message), 0);
    send("0x776");
    QThread::msleep(500);
    // On a loaded machine the last writing press may still be building its surface.
    EXPECT_NE(program.waitForWindow(kSurface, 10000), 0u) << "the teacher's surface stays";
    // A window being destroyed may still be listed for a moment; an orphaned surface stays.
    EXPECT_TRUE(qmtest::waitFor([] { return windowsTitled(kSurface) == 1; }, 5000))
        << "one surface, none left behind: " << windowsTitled(kSurface);
}

TEST_F(TeacherSafety, AHiddenCineboxIsShownAgainByTheLogoWallAndClosedOnQuit)
{
    start();
    CineboxWindow cinebox;
    cinebox.show();
    ASSERT_TRUE(
        qmtest::waitFor([] { return platform::desktop::findWindow(QStringLiteral("Cinebox")) != 0; }));

    // The outside pen's write message hides it.
    program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("0x64d"), QStringLiteral("0"),
        QStringLiteral("0")});
    ASSERT_TRUE(
        qmtest::waitFor([] { return platform::desktop::findWindow(QStringLiteral("Cinebox")) == 0; }));

    // The logo wall shows it again.
    ASSERT_EQ(program.pressPanelButton(32855), 0);
    EXPECT_TRUE(
        qmtest::waitFor([] { return platform::desktop::findWindow(QStringLiteral("Cinebox")) != 0; }));
    // The wall collapsed the panel; while its tab shows, the pen leaves Cinebox alone. Brought back, the
    // panel hides Cinebox again on the pen's write message.
    program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("0x492"), QStringLiteral("0"),
        QStringLiteral("0")});
    ASSERT_NE(program.waitForWindow(kPanel, 5000), 0u);
    program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("0x64d"), QStringLiteral("0"),
        QStringLiteral("0")});
    ASSERT_TRUE(
        qmtest::waitFor([] { return platform::desktop::findWindow(QStringLiteral("Cinebox")) == 0; }));

    // Quitting closes it although it is hidden.
    program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
        QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
    ASSERT_TRUE(program.waitForExit());
    EXPECT_TRUE(qmtest::waitFor([&] { return cinebox.closeRequested; }));
}

namespace {

// The records of every page file under folder, by path.
QMap<QString, int> recordCounts(const QString& folder)
{
    QMap<QString, int> counts;
    QDirIterator it(folder, {QStringLiteral("*.kw")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        counts[path] = int(qmtest::readFile(path).count("-9999;"));
    }
    return counts;
}

} // namespace

TEST_F(TeacherSafety, AStoredPageNeverLosesInkToARunOfCommandsFromAnotherProgram)
{
    start();
    const QString temp = program.programFolder() + QStringLiteral("/Temp");
    // Commands that neither empty a page on purpose (undo, clear, erasers) nor wait for an answer (dialogs,
    // menus): whatever their order, a stored page keeps every stroke it had.
    const int commands[] = {1075, 1128, 1129, 1047, 1131, 1132, 1142, 1126, 1140, 1134, 1122, 1123, 1124,
        32871, 32875, 32867, 32869, 1075, 1132, 1129};
    std::uint32_t seed = 20261208;
    QMap<QString, int> best;
    for (int step = 0; step < 36; ++step) {
        seed = seed * 1664525u + 1013904223u;
        const int id = commands[(seed >> 16) % std::size(commands)];
        program.pressPanelButton(id);
        if (platform::desktop::findWindow(kSurface) && step % 2 == 0) {
            const int y = 200 + 40 * (step % 15);
            program.drag(qmtest::straightPath(QPoint(300, y), QPoint(500, y), 6));
        }
        const QMap<QString, int> now = recordCounts(temp);
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            EXPECT_GE(it.value(), best.value(it.key()))
                << "step " << step << " command " << id << ": " << it.key().toStdString();
            best[it.key()] = qMax(best.value(it.key()), it.value());
        }
    }
    EXPECT_FALSE(best.isEmpty());
}

namespace {

bool redAlong(const QImage& image, int y, int fromX, int toX)
{
    for (int x = fromX; x <= toX; x += 10) {
        bool found = false;
        for (int dy = -2; dy <= 2 && !found; ++dy) {
            const QRgb c = image.pixel(x, y + dy);
            found = qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
        }
        if (!found)
            return false;
    }
    return true;
}

} // namespace

TEST_F(TeacherSafety, APageIsStoredBeforeAThumbnailOfTheHistoryPanelReplacesIt)
{
    start();
    const QString temp = program.programFolder() + QStringLiteral("/Temp");
    ASSERT_EQ(program.pressPanelButton(1075), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    program.drag(qmtest::straightPath(QPoint(300, 400), QPoint(700, 400)));

    // A background thumbnail: the written page goes into the history before the picture opens.
    ASSERT_EQ(program.pressPanelButton(1122), 0);
    const unsigned long tab = program.waitForWindow(QStringLiteral("CTabDlg"));
    ASSERT_NE(tab, 0u);
    const QRect panel = platform::desktop::windowGeometry(tab);
    program.click(panel.topLeft() + QPoint(60, 80));
    ASSERT_TRUE(qmtest::waitFor([&] { return strokeFiles(temp).size() == 1; }, 10000));
    const QString first = temp + QLatin1Char('/') + strokeFiles(temp).first();
    EXPECT_GE(qmtest::readFile(first).count("-9999;"), 1);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);

    // Write on the background, then open the stored page from the history: the background page is stored. On
    // a loaded machine the new surface may take the first drag before it takes the pointer: drawn again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        program.drag(qmtest::straightPath(QPoint(300, 600), QPoint(700, 600)));
        if (qmtest::waitFor([] { return redAlong(qmtest::screenshot(300), 600, 320, 680); }, 3000))
            break;
    }
    ASSERT_EQ(program.pressPanelButton(1123), 0);
    if (!program.waitForWindow(QStringLiteral("CTabDlg"), 2000)) {
        ASSERT_EQ(program.pressPanelButton(1123), 0);
    }
    ASSERT_NE(program.waitForWindow(QStringLiteral("CTabDlg")), 0u);
    program.click(panel.topLeft() + QPoint(60, 80));
    ASSERT_TRUE(qmtest::waitFor([&] { return strokeFiles(temp).size() == 2; }, 10000));
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    EXPECT_TRUE(qmtest::waitFor([] { return redAlong(qmtest::screenshot(300), 400, 320, 680); }, 5000))
        << "the first page is open again with its stroke";
}

TEST_F(TeacherSafety, ACancelledAddPictureLeavesTheOpenPageAsItIs)
{
    start();
    ASSERT_EQ(program.pressPanelButton(1075), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    program.drag(qmtest::straightPath(QPoint(300, 400), QPoint(700, 400)));
    ASSERT_EQ(program.pressPanelButton(1123), 0);
    const unsigned long tab = program.waitForWindow(QStringLiteral("CTabDlg"));
    ASSERT_NE(tab, 0u);
    const QRect panel = platform::desktop::windowGeometry(tab);
    // "Add" is the first of the commands under the list, which take two rows of 28 pixels.
    program.click(QPoint(panel.left() + 30, panel.bottom() - 8 - 28 - 2 - 14));
    const unsigned long chooser = program.waitForWindow(QStringLiteral("打开图片文件"), 5000);
    ASSERT_NE(chooser, 0u);
    program.pressKeyIn(chooser, QStringLiteral("Escape"));
    ASSERT_TRUE(program.waitForNoWindow(QStringLiteral("打开图片文件")));
    EXPECT_NE(platform::desktop::findWindow(kSurface), 0u);
    EXPECT_TRUE(redAlong(qmtest::screenshot(300), 400, 320, 680));
}
