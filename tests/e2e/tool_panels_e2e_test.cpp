// The tool panel, the pen popups, the user panel and the show/hide tab on the running program, driven from
// outside with messages and XTest input, and checked on the screen's pixels and the files written.
#include "program_driver.h"

#include "platform/x11_desktop.h"
#include "support_main/test_util.h"
#include "surface/page_format.h"
#include "surface/page_model.h"
#include "surface/surface_state.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <gtest/gtest.h>

#include <fstream>

using namespace DIALOG;
using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
const QString kToolPanel = QStringLiteral("ToolDlg");
constexpr int kToolButtonPitch = 46;

// Where a shown window of this title is on the screen; empty when none is shown.
QRect shownWindow(const QString& title)
{
    for (const platform::desktop::TopWindow& w : platform::desktop::topLevelWindows())
        if (w.viewable && w.title == title)
            return w.geometry;
    return {};
}

// The centre of the tool panel's button in position index (0 at the top).
QPoint toolButton(int index)
{
    const QRect panel = shownWindow(kToolPanel);
    return panel.topLeft() + QPoint(24, 1 + index * kToolButtonPitch + 22);
}

// Pixels of about this colour in the rectangle.
int countColour(const QImage& image, const QRect& area, QRgb colour, int tolerance = 40)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            n += qAbs(qRed(c) - qRed(colour)) <= tolerance && qAbs(qGreen(c) - qGreen(colour)) <= tolerance
                && qAbs(qBlue(c) - qBlue(colour)) <= tolerance;
        }
    return n;
}

// Bluish pixels (a thin antialiased blue line is lighter than pure blue) in the rectangle.
int countBluish(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            n += qBlue(c) > 200 && qRed(c) < 170 && qGreen(c) < 170;
        }
    return n;
}

// The objects of the one page file stored under folder (a board page is stored in its own sub-folder).
std::vector<CPenNode> storedObjects(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.kw")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    if (files.size() != 1)
        return {};
    std::ifstream in(files.first().toStdString(), std::ios::binary);
    PageList list;
    ReadPageObjects(in, list);
    return list.nodes;
}

class ToolPanels : public ::testing::Test {
protected:
    void start()
    {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    }
    void press(int id)
    {
        ASSERT_EQ(program.pressPanelButton(id), 0);
        QThread::msleep(300);
    }
    void clickTool(int index)
    {
        program.click(toolButton(index));
        QThread::msleep(200);
    }

    ProgramDriver program;
};

} // namespace

TEST_F(ToolPanels, TheToolsButtonTwiceHidesTheToolPanelAndAfterWritingItSwitchesThePage)
{
    start();
    press(1121);
    ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);
    const QRect tools = shownWindow(kToolPanel);
    press(1121);
    EXPECT_TRUE(program.waitForNoWindow(kToolPanel));

    press(1075);
    ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);
    const QRect writing = shownWindow(kToolPanel);
    press(1121);
    ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);
    // Nine buttons on the writing page, ten on the tools page: the column changed and stayed shown.
    EXPECT_EQ(tools.height() - writing.height(), kToolButtonPitch);
    EXPECT_EQ(shownWindow(kToolPanel).height(), tools.height());
    // The panel opens at 70 % of the screen width: the tool panel stands on its left.
    EXPECT_EQ(tools.right() + 1, shownWindow(kPanel).left());
}

TEST_F(ToolPanels, TheWritingAndDrawingButtonsChangeWhatTheNextStrokeDraws)
{
    start();
    // On a white board page, where the highlighter shows its colour.
    press(1128);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    press(1075);
    ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);

    // Highlighter (green, 3) and dashed pen (blue, 1) of the writing page.
    clickTool(1);
    program.drag(qmtest::straightPath({200, 150}, {700, 150}, 16));
    QImage shown = qmtest::screenshot(400);
    EXPECT_GT(countColour(shown, QRect(300, 145, 300, 11), qRgb(0, 255, 0)), 300);
    clickTool(2);
    program.drag(qmtest::straightPath({200, 250}, {700, 250}, 16));
    shown = qmtest::screenshot(400);
    EXPECT_GT(countBluish(shown, QRect(300, 246, 300, 9)), 60);
    EXPECT_EQ(countColour(shown, QRect(300, 246, 300, 9), qRgb(0, 255, 0)), 0);

    // The shapes of the drawing page, each dragged in a box of its own.
    press(1070);
    ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);
    const int shapes[] = {0, 1, 2, 3, 5, 6};
    for (int i = 0; i < 6; ++i) {
        clickTool(shapes[i]);
        const QPoint from(150 + i * 170, 400);
        program.drag(qmtest::straightPath(from, from + QPoint(120, 120), 8));
    }
    // The rectangle's top edge is a line in the colour the dashed pen gave the panel.
    shown = qmtest::screenshot(400);
    EXPECT_GT(countBluish(shown, QRect(160, 396, 100, 9)), 60);

    press(1132);
    ASSERT_TRUE(program.waitForNoWindow(kSurface));
    const std::vector<CPenNode> objects = storedObjects(program.programFolder() + QStringLiteral("/Temp"));
    ASSERT_EQ(objects.size(), 8u);
    EXPECT_TRUE(objects[0].highlight);
    EXPECT_EQ(objects[0].colour, RGB(0, 255, 0));
    EXPECT_EQ(objects[0].width, 3);
    EXPECT_EQ(objects[1].kind, DashPen);
    EXPECT_EQ(objects[1].colour, RGB(0, 0, 255));
    EXPECT_EQ(objects[1].width, DIALOG::kDefaultPenWidth);
    const NodeKind kinds[] = {Rectangle, Ellipse, Line, Arrow, Cube, Cylinder};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(objects[2 + i].kind, kinds[i]) << i;
}

TEST_F(ToolPanels, TheEraserSliderWidensTheEraserSquare)
{
    start();
    press(1075);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    // A broad red band, then the eraser at its largest across it.
    press(32875);
    for (int y = 500; y <= 560; y += 12)
        program.drag(qmtest::straightPath({300, y}, {900, y}, 12));
    ASSERT_GT(countColour(qmtest::screenshot(400), QRect(300, 505, 600, 50), qRgb(255, 0, 0)), 25000);
    press(32892);
    ASSERT_NE(program.waitForWindow(QStringLiteral("EraseRadius"), 5000), 0u);
    const QRect popup = shownWindow(QStringLiteral("EraseRadius"));
    // The slider's far right.
    program.click(QPoint(popup.right() - 10, popup.bottom() - 18));
    program.drag(qmtest::straightPath({600, 450}, {600, 620}, 20));
    const QImage shown = qmtest::screenshot(400);
    // The eraser wiped a column 58 pixels wide: nothing red is left close to the drag, red remains further
    // out.
    EXPECT_EQ(countColour(shown, QRect(575, 505, 50, 50), qRgb(255, 0, 0)), 0);
    EXPECT_GT(countColour(shown, QRect(400, 505, 100, 50), qRgb(255, 0, 0)), 3000);
    EXPECT_GT(countColour(shown, QRect(640, 505, 100, 50), qRgb(255, 0, 0)), 3000);
}

TEST_F(ToolPanels, ACollapsedPanelComesBackThroughItsTab)
{
    start();
    const QRect panel = shownWindow(kPanel);
    press(1140);
    ASSERT_TRUE(program.waitForNoWindow(kPanel));
    ASSERT_NE(program.waitForWindow(QStringLiteral("HideDlg"), 5000), 0u);
    const QRect tab = shownWindow(QStringLiteral("HideDlg"));
    EXPECT_EQ(tab.topLeft(), panel.topLeft());
    // The tab shows its picture: the panel blue with the amber pen.
    const QImage shown = qmtest::screenshot(400);
    EXPECT_GT(countColour(shown, tab.adjusted(0, 0, 0, -tab.height() / 2), qRgb(0xF6, 0xB7, 0x3C), 20), 20);
    program.click(tab.topLeft() + QPoint(30, 20));
    ASSERT_NE(program.waitForWindow(kPanel, 5000), 0u);
    EXPECT_EQ(shownWindow(kPanel).topLeft(), tab.topLeft());
    EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("HideDlg")));
}

TEST_F(ToolPanels, TheToolsPageCapturesOutsideThePanelAndOpensAndClosesTheMagnifier)
{
    start();
    const QRect panel = shownWindow(kPanel);
    press(1121);
    ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);
    clickTool(6);
    const unsigned long capture = program.waitForWindow(QStringLiteral("CapBitmapDlg"), 10000);
    ASSERT_NE(capture, 0u);
    // The capture's dimmed picture of the screen holds no dimmed panel: the panel was out of it.
    const QImage shown = qmtest::screenshot(400);
    EXPECT_LT(countColour(shown, panel, qRgb(0, 0x4C - 30, 0x8C - 30), 12), 200);
    EXPECT_TRUE(shownWindow(kPanel).isEmpty());
    program.pressKeyIn(capture, QStringLiteral("Escape"));
    EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("CapBitmapDlg")));
    // The panel and its tools page come back when the capture closes.
    ASSERT_NE(program.waitForWindow(kPanel, 5000), 0u);
    ASSERT_NE(program.waitForWindow(kToolPanel, 5000), 0u);

    clickTool(8);
    ASSERT_NE(program.waitForWindow(QStringLiteral("MagnifierWnd"), 10000), 0u);
    EXPECT_FALSE(shownWindow(kToolPanel).isEmpty());
    clickTool(8);
    EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("MagnifierWnd")));
    EXPECT_TRUE(program.running());
}

namespace {

class UserPanelE2E : public ToolPanels {
protected:
    void writeSettings(const QByteArray& toolInfo)
    {
        qmtest::writeFile(
            program.programFolder() + QStringLiteral("/SetInfo.ini"), "[ToolInfo]\r\n" + toolInfo);
    }
    QString settings() const
    {
        return QString::fromUtf8(qmtest::readFile(program.programFolder() + QStringLiteral("/SetInfo.ini")));
    }
    // The first entry of the shown user panel.
    QPoint firstEntry() const { return shownWindow(QStringLiteral("UserDlg")).topLeft() + QPoint(38, 24); }
    QString marker() const { return program.homeFolder() + QStringLiteral("/opened"); }
    QString makeScript(const QString& name)
    {
        const QString path = program.homeFolder() + QLatin1Char('/') + name;
        qmtest::writeFile(path, "#!/bin/sh\necho yes > '" + marker().toUtf8() + "'\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    void showUserPanel()
    {
        press(32891);
        ASSERT_NE(program.waitForWindow(QStringLiteral("UserDlg"), 5000), 0u);
        QThread::msleep(300);
    }
};

} // namespace

TEST_F(UserPanelE2E, AnEntryOfTheSettingsOpensItsFile)
{
    const QString script = makeScript(QStringLiteral("lesson.sh"));
    writeSettings("lesson.sh=" + script.toUtf8() + "\r\n");
    start();
    showUserPanel();
    program.click(firstEntry());
    EXPECT_TRUE(qmtest::waitFor([&] { return QFile::exists(marker()); }, 5000));
}

TEST_F(UserPanelE2E, DeleteLeavesAnEmptyValueAndNoEntryAfterAReload)
{
    const QString script = makeScript(QStringLiteral("lesson.sh"));
    writeSettings("lesson.sh=" + script.toUtf8() + "\r\n");
    start();
    showUserPanel();
    // Select without opening: the delete button takes the selected entry.
    const QRect user = shownWindow(QStringLiteral("UserDlg"));
    program.click(firstEntry());
    ASSERT_TRUE(qmtest::waitFor([&] { return QFile::exists(marker()); }, 5000));
    QFile::remove(marker());
    program.click(QPoint(user.center().x(), user.bottom() - 52));
    EXPECT_TRUE(qmtest::waitFor([&] { return settings().contains(QStringLiteral("lesson.sh=\r\n")); }, 3000))
        << settings().toStdString();

    // Hidden with its own button and shown again, the panel reads the settings anew.
    program.click(QPoint(user.center().x(), user.bottom() - 18));
    ASSERT_TRUE(program.waitForNoWindow(QStringLiteral("UserDlg")));
    showUserPanel();
    program.click(firstEntry());
    QThread::msleep(1500);
    EXPECT_FALSE(QFile::exists(marker())) << "the deleted entry is not listed";
}

// A file dropped from another program (an Xlib drag source, as a file manager is one) onto the user panel's
// list is kept; the same file dropped again is not listed twice. Another file of that name in other letters
// is refused once the drop is over, and the entry keeps the first file.
TEST_F(UserPanelE2E, DroppingTheSameFileTwiceGivesOneEntryAndANameInOtherLettersIsRefused)
{
    const QString file = qmtest::writeFile(program.homeFolder() + QStringLiteral("/worksheet.txt"), "x");
    const QString other = qmtest::writeFile(program.homeFolder() + QStringLiteral("/WORKSHEET.TXT"), "y");
    writeSettings("");
    start();
    showUserPanel();
    const QRect user = shownWindow(QStringLiteral("UserDlg"));
    for (const QString& dropped : {file, file, other}) {
        QProcess source;
        source.start(QStringLiteral(QM_XDND_SOURCE),
            {dropped, QString::number(user.center().x()), QString::number(user.center().y())});
        ASSERT_TRUE(source.waitForFinished(15000)) << dropped.toStdString();
        EXPECT_EQ(source.readAllStandardOutput().trimmed(), QByteArray("dropped")) << dropped.toStdString();
    }
    const unsigned long box = program.waitForWindow(QStringLiteral("提示"), 10000);
    ASSERT_NE(box, 0u);
    EXPECT_TRUE(program.pressKeyIn(box, QStringLiteral("Return")));
    EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("提示")));
    const QString stored = settings();
    EXPECT_EQ(stored.count(QStringLiteral("worksheet.txt="), Qt::CaseInsensitive), 1) << stored.toStdString();
    EXPECT_TRUE(stored.contains(QStringLiteral("worksheet.txt=") + file)) << stored.toStdString();
}
