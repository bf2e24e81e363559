// Whiteboard pages stored by the running program and walked through with the board's page buttons, as a
// teacher does it: write a page, take the next one, and go back and forth to see each page as it was.
#include "program_driver.h"

#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <thread>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kSurface = QStringLiteral("ScreenPen");
constexpr int kWhiteboard = 1128;
constexpr int kNextPage = 1047;
constexpr int kWriting = 1075;

const int kPreviousButton = 0;
const int kNextButton = 1;

int strokeY(int page)
{
    return 500 + 100 * page;
}

class PageStoreEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u);
    }

    void TearDown() override
    {
        if (program.running())
            program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
        program.waitForExit(20000);
    }

    void writeStroke(int page)
    {
        QList<QPoint> points;
        for (int x = 600; x <= 900; x += 20)
            points << QPoint(x, strokeY(page));
        program.drag(points);
    }

    // Whether the screen shows exactly the stroke of this page (-1: none of them).
    bool screenShows(int page)
    {
        return qmtest::waitFor(
            [&] {
                const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
                for (int other = 0; other < 3; ++other) {
                    for (int x : {650, 750, 850}) {
                        const QRgb px = shot.pixel(x, strokeY(other));
                        const bool red = qRed(px) > 200 && qGreen(px) < 80 && qBlue(px) < 80;
                        if (red != (other == page))
                            return false;
                    }
                }
                return true;
            },
            5000);
    }

    int storedPages() const
    {
        return int(QDir(program.programFolder() + QStringLiteral("/Temp/ZidodAvuvTemp"))
                       .entryList({QStringLiteral("*.kw")}, QDir::Files)
                       .size());
    }

    ProgramDriver program;
};

} // namespace

TEST_F(PageStoreEndToEnd, EachPageReopensWithItsStrokes)
{
    ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    qmtest::waitFor([] { return false; }, 500);
    for (int page = 0; page < 3; ++page) {
        writeStroke(page);
        ASSERT_TRUE(screenShows(page)) << "page " << page;
        ASSERT_EQ(program.pressPanelButton(kNextPage), 0);
        ASSERT_TRUE(qmtest::waitFor([&] { return storedPages() == page + 1; })) << storedPages();
        ASSERT_NE(program.waitForWindow(kSurface), 0u);
        // The new page's surface takes the pointer once it is mapped and painted.
        qmtest::waitFor([] { return false; }, 1000);
        ASSERT_TRUE(screenShows(-1)) << "blank page after " << page;
    }

    for (int page : {2, 1, 0, 0}) {
        program.click(qmtest::boardButtonCentre(kPreviousButton));
        EXPECT_TRUE(screenShows(page)) << "back to page " << page;
    }
    for (int page : {1, 2, -1}) {
        program.click(qmtest::boardButtonCentre(kNextButton));
        EXPECT_TRUE(screenShows(page)) << "on to page " << page;
    }
    EXPECT_EQ(storedPages(), 3);
}

TEST_F(PageStoreEndToEnd, PageThatCannotBeStoredStaysOpenAfterATellingBox)
{
    // The page folder's place is taken by a file, so no page can be stored.
    const QString temp = program.programFolder() + QStringLiteral("/Temp");
    QDir(temp).removeRecursively();
    qmtest::writeFile(temp, "in the way");

    ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    qmtest::waitFor([] { return false; }, 500);
    writeStroke(0);
    ASSERT_TRUE(screenShows(0));
    // The press waits for the box to be answered, so it goes out from a helper thread of its own.
    std::thread press([&] { program.pressPanelButton(kNextPage); });
    const unsigned long box = program.waitForWindow(QStringLiteral("提示"));
    EXPECT_NE(box, 0u);
    if (box)
        program.pressKeyIn(box, QStringLiteral("Return"));
    press.join();
    EXPECT_TRUE(program.waitForNoWindow(QStringLiteral("提示")));
    EXPECT_NE(program.waitForWindow(kSurface, 2000), 0u);
    EXPECT_TRUE(screenShows(0));
}

TEST_F(PageStoreEndToEnd, WritingOnABoardPageKeepsTheBoardsPageButtons)
{
    ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
    ASSERT_NE(program.waitForWindow(kSurface), 0u);
    qmtest::waitFor([] { return false; }, 500);
    writeStroke(0);
    ASSERT_TRUE(screenShows(0));
    ASSERT_EQ(program.pressPanelButton(kWriting), 0);
    qmtest::waitFor([] { return false; }, 500);
    program.click(qmtest::boardButtonCentre(kNextButton));
    EXPECT_TRUE(qmtest::waitFor([&] { return storedPages() == 1; }));
    EXPECT_TRUE(screenShows(-1)) << "the next page is blank";
    program.click(qmtest::boardButtonCentre(kPreviousButton));
    EXPECT_TRUE(screenShows(0));
}
