// What a teacher does in a lesson, driven from outside: write over the desktop and save, write on the
// whiteboard and turn the page, go back to the saved page, and quit.
#include "program_driver.h"

#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");

// Red ink (the writing button's pen) somewhere in the box around the point.
bool redNear(const QImage& image, const QPoint& at, int radius = 3)
{
    for (int y = at.y() - radius; y <= at.y() + radius; ++y)
        for (int x = at.x() - radius; x <= at.x() + radius; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60)
                return true;
        }
    return false;
}

QStringList filesIn(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files);
}

} // namespace

TEST(TeacherLesson, WriteSaveWhiteboardTurnThePageGoBackAndQuit)
{
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    const QString temp = program.programFolder() + QStringLiteral("/Temp");

    // Write over the desktop.
    ASSERT_EQ(program.pressPanelButton(1075), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    const QPoint a(300, 400), b(700, 400);
    program.drag(qmtest::straightPath(a, b));
    EXPECT_TRUE(redNear(qmtest::screenshot(300), (a + b) / 2));

    // Save: the page picture and its stroke file are written and the pen is put away.
    ASSERT_EQ(program.pressPanelButton(1132), 0);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));
    const QStringList pictures = filesIn(temp, QStringLiteral("*.bmp"));
    const QStringList strokes = filesIn(temp, QStringLiteral("*.kw"));
    ASSERT_EQ(pictures.size(), 1) << temp.toStdString();
    ASSERT_EQ(strokes.size(), 1);
    const QByteArray stored = qmtest::readFile(temp + QLatin1Char('/') + strokes.first());
    EXPECT_TRUE(stored.startsWith("0 0 255 ")) << "a red Pen stroke first: " << stored.left(40).toStdString();
    EXPECT_TRUE(stored.endsWith("e"));
    EXPECT_FALSE(redNear(qmtest::screenshot(300), (a + b) / 2)) << "the ink went with the surface";

    // The whiteboard: a white page, write on it, then the next page is blank again.
    ASSERT_EQ(program.pressPanelButton(1128), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    const QPoint c(400, 600), d(800, 650);
    program.drag(qmtest::straightPath(c, d));
    EXPECT_TRUE(redNear(qmtest::screenshot(300), (c + d) / 2));
    ASSERT_EQ(program.pressPanelButton(1047), 0);
    ASSERT_TRUE(qmtest::waitFor(
        [&] { return !filesIn(temp + QStringLiteral("/ZidodAvuvTemp"), QStringLiteral("*.kw")).isEmpty(); }));
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    const QImage blank = qmtest::screenshot(300);
    EXPECT_FALSE(redNear(blank, (c + d) / 2));
    EXPECT_EQ(blank.pixel(200, 200), qRgb(255, 255, 255));

    // On the board the previous-page button goes back to the board's page before, with its stroke.
    ASSERT_EQ(program.pressPanelButton(1129), 0);
    EXPECT_TRUE(qmtest::waitFor([&] { return redNear(qmtest::screenshot(300), (c + d) / 2); }, 5000));
    EXPECT_FALSE(redNear(qmtest::screenshot(), (a + b) / 2));

    // With the pen put away it goes back to the saved page of the history, with its stroke.
    ASSERT_EQ(program.pressPanelButton(1131), 0);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));
    ASSERT_EQ(program.pressPanelButton(1129), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    EXPECT_TRUE(qmtest::waitFor([&] { return redNear(qmtest::screenshot(300), (a + b) / 2); }, 5000));

    // Quit, answering the question with Yes.
    ASSERT_TRUE(platform::desktop::requestClose(platform::desktop::findWindow(kPanel)));
    const unsigned long question = program.waitForWindow(QStringLiteral("提示"));
    ASSERT_NE(question, 0u);
    program.pressKeyIn(question, QStringLiteral("Return"));
    ASSERT_TRUE(program.waitForExit());
    EXPECT_FALSE(QFileInfo::exists(temp));
}

TEST(TeacherLesson, WritingAfterTheWhiteboardIsOverTheDesktopAgain)
{
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    const QString temp = program.programFolder() + QStringLiteral("/Temp");

    ASSERT_EQ(program.pressPanelButton(1128), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    program.drag(qmtest::straightPath(QPoint(300, 300), QPoint(600, 300)));
    ASSERT_EQ(program.pressPanelButton(1132), 0);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));

    // The writing button opens the surface over the desktop (black on this virtual desktop), not on white.
    ASSERT_EQ(program.pressPanelButton(1075), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    const QImage shown = qmtest::screenshot(300);
    EXPECT_EQ(shown.pixel(200, 800), qRgb(0, 0, 0));
    program.drag(qmtest::straightPath(QPoint(300, 500), QPoint(600, 500)));
    ASSERT_EQ(program.pressPanelButton(1132), 0);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));
    EXPECT_EQ(filesIn(temp, QStringLiteral("*.kw")).size(), 1) << "a desktop page for the history";
    EXPECT_EQ(filesIn(temp + QStringLiteral("/ZidodAvuvTemp"), QStringLiteral("*.kw")).size(), 1);
}
