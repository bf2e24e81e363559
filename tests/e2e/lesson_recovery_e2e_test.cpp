// A lesson killed at random moments, some in the middle of a store, comes back at the next start with every
// stroke the program had a quarter second before the kill: nothing older lost, nothing doubled, no page file
// torn. Strokes are drawn with XTest; undo and the next page are the panel's buttons.
#include "program_driver.h"

#include "support_main/test_util.h"
#include "surface/lesson_recovery.h"
#include "surface/page_format.h"
#include "surface/page_model.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using qmtest::ProgramDriver;
using namespace DIALOG;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
const QString kQuestion = QStringLiteral("提示");
constexpr int kWhiteboard = 1128;
constexpr int kNextPage = 1047;
constexpr int kUndo = 1133;
// What the program had this long before the kill must come back: the journal's quarter second, and the
// moment the program takes to receive the last event of a drag under the sanitizers.
constexpr qint64 kSettledMs = 250 + 150;

// Stroke n is a short line whose start names it.
QPoint strokeStart(int n)
{
    return {100 + (n % 18) * 60, 140 + (n / 18) * 22};
}
int strokeNumber(const CPenNode& node)
{
    const PenPoint& p = node.points.front();
    const int column = (p.x - 100) / 60, row = (p.y - 140) / 22;
    return row * 18 + column;
}

struct Stroke {
    bool shown = true;
    qint64 changedAt = 0; // when it was drawn or undone, on the test's clock
};

// Every stroke the pages on disk show, with how often; false in *whole when a page file is torn.
std::map<int, int> strokesOnDisk(const QString& temp, bool* whole)
{
    std::map<int, int> shown;
    *whole = true;
    for (const QString& folder : {temp, temp + QStringLiteral("/ZidodAvuvTemp")}) {
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*.kw")}, QDir::Files)) {
            const QString objects = folder + u'/' + name;
            if (!qmtest::readFile(objects).endsWith('e')
                || QImage(WithExtension(objects, QStringLiteral("bmp"))).isNull())
                *whole = false;
            PageList page;
            LoadPage(page, objects);
            for (const CPenNode& node : page.nodes) {
                if (!node.erased && !node.cleared && node.kind == Pen && !node.points.empty())
                    ++shown[strokeNumber(node)];
            }
        }
    }
    return shown;
}

} // namespace

TEST(LessonRecovery, KilledAtRandomMomentsTheLessonComesBackWithEverythingOlderThanAQuarterSecond)
{
    constexpr int kKills = 30;
    ProgramDriver program;
    const QString temp = program.programFolder() + QStringLiteral("/Temp");
    std::mt19937 random(20261209);
    QElapsedTimer clock;
    clock.start();
    std::map<int, Stroke> strokes;
    int drawn = 0, lost = 0, recentLost = 0, recovered = 0;

    for (int run = 0; run <= kKills; ++run) {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
        if (run > 0) {
            const qint64 killedAt = clock.elapsed();
            // Asked only when something was left: answer yes and compare what came back.
            const bool anyShown
                = std::any_of(strokes.begin(), strokes.end(), [](const auto& s) { return s.second.shown; });
            const unsigned long box = program.waitForWindow(kQuestion, anyShown ? 30000 : 3000);
            if (anyShown) {
                ASSERT_NE(box, 0u) << "run " << run;
            }
            if (box) {
                ASSERT_TRUE(program.pressKeyIn(box, QStringLiteral("Return")));
            }
            ASSERT_TRUE(program.waitForNoWindow(kQuestion));
            bool whole = false;
            const std::map<int, int> onDisk = strokesOnDisk(temp, &whole);
            EXPECT_TRUE(whole) << "run " << run;
            for (auto& [number, stroke] : strokes) {
                const auto found = onDisk.find(number);
                const int count = found == onDisk.end() ? 0 : found->second;
                EXPECT_LE(count, 1) << "stroke " << number << " doubled, run " << run;
                const bool settled = killedAt - stroke.changedAt > kSettledMs;
                if (settled) {
                    EXPECT_EQ(count > 0, stroke.shown) << "stroke " << number << ", run " << run;
                }
                if (stroke.shown && count == 0)
                    ++(settled ? lost : recentLost);
                // From here on the lesson is what came back.
                stroke.shown = count > 0;
            }
            recovered = int(onDisk.size());
        }
        if (run == kKills)
            break;
        if (!program.waitForWindow(kSurface, 3000)) {
            ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
            ASSERT_NE(program.waitForWindow(kSurface), 0u);
        }
        // A few strokes, undos and page turns, then the kill at a random moment after the last of them.
        std::vector<int> undoable;
        const int actions = 2 + int(random() % 7);
        for (int a = 0; a < actions && drawn < 18 * 40; ++a) {
            const unsigned roll = random() % 10;
            if (roll < 7) {
                const QPoint from = strokeStart(drawn);
                program.drag(qmtest::straightPath(from, from + QPoint(40, 0), 8));
                strokes[drawn] = {true, clock.elapsed()};
                undoable.push_back(drawn++);
            } else if (roll < 9) {
                ASSERT_EQ(program.pressPanelButton(kUndo), 0);
                if (!undoable.empty()) {
                    strokes[undoable.back()] = {false, clock.elapsed()};
                    undoable.pop_back();
                }
            } else {
                ASSERT_EQ(program.pressPanelButton(kNextPage), 0);
                undoable.clear();
            }
        }
        // Now and then right after a page turn: in the middle of its store.
        QThread::msleep(random() % 3 == 0 ? random() % 40 : random() % 700);
        program.killNow();
    }
    std::cout << "kills " << kKills << ", strokes drawn " << drawn << ", on the pages at the end "
              << recovered << ", lost though older than " << kSettledMs << " ms " << lost
              << ", lost within it " << recentLost << std::endl;
    EXPECT_EQ(lost, 0);
    EXPECT_GT(drawn, kKills);
}

TEST(LessonRecovery, ACopyThatFindsItsLessonFoldersRunningElsewhereSaysSoAndTouchesNothing)
{
    ProgramDriver program;
    // A copy on another display, started from the same program folder, runs a lesson there.
    const LessonFolders folders(program.programFolder());
    QDir().mkpath(folders.HistoryFolder());
    LessonSession elsewhere;
    ASSERT_TRUE(elsewhere.Begin(folders));
    const QString page = qmtest::writeFile(folders.HistoryObjects(QStringLiteral("8-14-5-9")), "e");

    ASSERT_TRUE(program.start());
    const unsigned long box = program.waitForWindow(QStringLiteral("信息提示"));
    ASSERT_NE(box, 0u) << program.output().toStdString();
    ASSERT_TRUE(program.pressKeyIn(box, QStringLiteral("Return")));
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 255);
    EXPECT_TRUE(QFileInfo::exists(page));
    EXPECT_FALSE(LessonSession::Interrupted(folders))
        << "the running lesson is still marked running and held";
}
