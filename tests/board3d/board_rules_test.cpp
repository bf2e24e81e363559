#include "board3d/board_rules.h"
#include "lumo/engine/wall_rules.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace Qt::StringLiterals;
using namespace lumo::board;

namespace {

// Whether a pixel is the page number's blue (within the blending of antialiased edges).
bool isNumberBlue(QRgb pixel)
{
    return qBlue(pixel) > 200 && qRed(pixel) < 90 && qGreen(pixel) < 90;
}

int bluePixels(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += isNumberBlue(image.pixel(x, y)) ? 1 : 0;
    return count;
}

TEST(BoardPageNames, NumbersArePaddedToThreeDigitsAndReadBack)
{
    EXPECT_EQ(pageFileName(7), u"Template007.png"_s);
    EXPECT_EQ(pageFileName(123), u"Template123.png"_s);
    EXPECT_EQ(pageFileName(1000), u"Template1000.png"_s);
    for (int n = 1; n <= 1200; ++n)
        ASSERT_EQ(pageNumberOfTile(u"/tmp/Temp/3DSlate/"_s + pageFileName(n)), n) << n;
    // The three digits before ".png", leading zeros removed; anything else is no page.
    EXPECT_EQ(pageNumberOfTile(u"Template007.PNG"_s), 7);
    EXPECT_EQ(pageNumberOfTile(u"Template000.png"_s), 0);
    EXPECT_EQ(pageNumberOfTile(u"Template.png"_s), 0);
    EXPECT_EQ(pageNumberOfTile(u"Template007.jpg"_s), 0);
    EXPECT_EQ(pageNumberOfTile(u"/pages/12/notes.png"_s), 0);
}

TEST(BoardPageNames, TheHighestPageIgnoresFilesThatAreNoPages)
{
    EXPECT_EQ(highestPageNumber({}), 0);
    EXPECT_EQ(highestPageNumber({u"Template003.png"_s, u"Template018.png"_s, u"Template007.png"_s}), 18);
    EXPECT_EQ(
        highestPageNumber({u"Template002.png"_s, u"photo999.png"_s, u"Template500.jpg"_s, u"notes.txt"_s}),
        2);
    EXPECT_TRUE(isPageFile(u"Template1234.png"_s));
    EXPECT_FALSE(isPageFile(u"Template12.png"_s));
    EXPECT_FALSE(isPageFile(u"xTemplate012.png"_s));
}

TEST(BoardLayout, TwoRowsOfNPlusOneOverTwo)
{
    using lumo::wall::tilePlace;
    EXPECT_EQ(lumo::wall::itemsPerRow(18, kBoardRows), 9);
    EXPECT_EQ(lumo::wall::itemsPerRow(19, kBoardRows), 10);
    EXPECT_EQ(lumo::wall::itemsPerRow(1, kBoardRows), 1);
    // 18 pages: nine a row, the upper row first, 550 apart.
    EXPECT_EQ(tilePlace(0, 18, kBoardRows).x, 0.0f);
    EXPECT_EQ(tilePlace(0, 18, kBoardRows).y, 270.0f);
    EXPECT_EQ(tilePlace(8, 18, kBoardRows).x, 4400.0f);
    EXPECT_EQ(tilePlace(8, 18, kBoardRows).y, 270.0f);
    EXPECT_EQ(tilePlace(9, 18, kBoardRows).x, 0.0f);
    EXPECT_EQ(tilePlace(9, 18, kBoardRows).y, -270.0f);
    EXPECT_EQ(tilePlace(17, 18, kBoardRows).x, 4400.0f);
    EXPECT_EQ(tilePlace(17, 18, kBoardRows).y, -270.0f);
    // The wall's length is (i / 2) × 550 for the last page: the camera starts over the middle column.
    EXPECT_EQ(lumo::wall::wallLength(17, kBoardRows), 4400.0f);
    EXPECT_EQ(lumo::wall::wallLength(0, kBoardRows), 0.0f);
    // The picture wall keeps its three rows.
    EXPECT_EQ(tilePlace(4, 12).y, 0.0f);
    EXPECT_EQ(lumo::wall::wallLength(11), 1650.0f);
}

TEST(BoardLayout, NoPageLiesOnAnotherAndEveryPageIsInOneOfTheTwoRows)
{
    for (int n = 1; n <= 101; ++n) {
        std::set<std::pair<float, float>> places;
        for (int i = 0; i < n; ++i) {
            const lumo::wall::TilePlace p = lumo::wall::tilePlace(i, n, kBoardRows);
            ASSERT_TRUE(places.insert({p.x, p.y}).second) << "page " << i << " of " << n;
            ASSERT_TRUE(p.y == 270.0f || p.y == -270.0f) << "page " << i << " of " << n;
        }
    }
}

TEST(BoardNewPage, APressWithin500MsOfTheLastOneThatCountedIsIgnored)
{
    EXPECT_TRUE(acceptNewPage(0, -kNewPageIntervalMs));
    EXPECT_FALSE(acceptNewPage(1000, 1000));
    EXPECT_FALSE(acceptNewPage(1499, 1000));
    EXPECT_TRUE(acceptNewPage(1500, 1000));
}

TEST(BoardEditing, ThePenStays20PixelsInsideThePage)
{
    const QSize page(800, 600);
    EXPECT_EQ(clampToPage(QPoint(0, 0), page), QPoint(20, 20));
    EXPECT_EQ(clampToPage(QPoint(-300, 900), page), QPoint(20, 579));
    EXPECT_EQ(clampToPage(QPoint(799, 10), page), QPoint(779, 20));
    EXPECT_EQ(clampToPage(QPoint(400, 300), page), QPoint(400, 300));
    // A page too small for the margin keeps every point at the margin instead of inverting it.
    EXPECT_EQ(clampToPage(QPoint(5, 5), QSize(30, 30)), QPoint(20, 20));
}

TEST(BoardSave, TheDefaultNameIsTheLocalTimeInFiveFields)
{
    EXPECT_EQ(defaultSaveName(QDateTime(QDate(2026, 3, 5), QTime(9, 7))), u"2026- 3- 5- 9- 7"_s);
    EXPECT_EQ(defaultSaveName(QDateTime(QDate(2026, 12, 18), QTime(23, 45, 59))), u"2026-12-18-23-45"_s);
}

TEST(BoardTemplatePage, TheNumberIsBlueAtItsPlaceAndNowhereElse)
{
    QImage templatePage(1024, 768, QImage::Format_RGB32);
    templatePage.fill(Qt::white);
    const QImage page = drawPage(templatePage, 7);
    ASSERT_EQ(page.size(), QSize(1024, 768));
    const QRect numberArea(kNumberX, kNumberY, 100, 130);
    EXPECT_GT(bluePixels(page, numberArea), 300);
    EXPECT_EQ(bluePixels(page, QRect(0, 0, 1024, kNumberY)), 0);
    EXPECT_EQ(bluePixels(page, QRect(0, 0, kNumberX, 768)), 0);
    // Different numbers draw differently; a page with more digits reaches further right.
    EXPECT_NE(drawPage(templatePage, 8), page);
    EXPECT_GT(bluePixels(drawPage(templatePage, 123), QRect(kNumberX + 110, kNumberY, 100, 130)), 100);
    EXPECT_EQ(bluePixels(page, QRect(kNumberX + 110, kNumberY, 100, 130)), 0);
}

TEST(BoardTemplatePage, AMissingTemplateGivesAWhitePageWithItsNumber)
{
    const QImage page = drawPage(QImage(), 18);
    ASSERT_EQ(page.size(), kBlankPageSize);
    EXPECT_EQ(QColor(page.pixel(10, 10)), QColor(Qt::white));
    EXPECT_GT(bluePixels(page, QRect(kNumberX, kNumberY, 150, 130)), 300);
}

TEST(BoardInk, StrokesOnTheShownPageLandAtTheSamePlaceOfTheFullPage)
{
    QImage page(1024, 768, QImage::Format_RGB32);
    page.fill(Qt::white);
    // Shown at half size: (100, 100)–(200, 100) on the screen is (200, 200)–(400, 200) in the page.
    const QList<InkMark> marks {{QLine(100, 100, 200, 100), QRect(), QColor(255, 0, 0), 2}};
    const QImage inked = composeInk(page, marks, QSize(512, 384));
    ASSERT_EQ(inked.size(), page.size());
    EXPECT_EQ(QColor(inked.pixel(300, 200)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(inked.pixel(300, 210)), QColor(Qt::white));
    EXPECT_EQ(QColor(inked.pixel(190, 200)), QColor(Qt::white));
    EXPECT_EQ(QColor(inked.pixel(410, 200)), QColor(Qt::white));
    // Nothing written leaves the picture as it was.
    EXPECT_EQ(composeInk(page, {}, QSize(512, 384)).convertToFormat(QImage::Format_RGB32), page);
}

TEST(BoardInk, TheEraserBringsBackThePageAsItWasNotWhite)
{
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(QColor(30, 160, 60));
    const QList<InkMark> marks {
        {QLine(10, 50, 390, 50), QRect(), QColor(0, 0, 255), 6},
        {QLine(), QRect(180, 40, 40, 20), QColor(), 0},
        {QLine(10, 100, 390, 100), QRect(), QColor(0, 0, 255), 6},
    };
    const QImage inked = composeInk(page, marks, QSize(400, 300));
    EXPECT_EQ(QColor(inked.pixel(100, 50)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(inked.pixel(200, 50)), QColor(30, 160, 60)); // erased back to the page
    EXPECT_EQ(QColor(inked.pixel(200, 100)), QColor(0, 0, 255)); // drawn after the eraser passed
}

TEST(BoardPageFile, APictureIsWrittenWholeOrNotAtAll)
{
    QTemporaryDir dir;
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = dir.filePath(u"Template001.png"_s);
    ASSERT_TRUE(writePicture(picture, path));
    picture.fill(Qt::green);
    ASSERT_TRUE(writePicture(picture, path));
    EXPECT_EQ(QColor(QImage(path).pixel(5, 5)), QColor(Qt::green));
    EXPECT_FALSE(writePicture(picture, dir.filePath(u"missing/Template002.png"_s)));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"missing"_s)));
}

} // namespace
