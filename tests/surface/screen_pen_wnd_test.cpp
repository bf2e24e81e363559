// The pen surface without a display: mouse events are sent to it as the window system would deliver them,
// and what it keeps and shows is checked. The display tests prove the same wiring with real input.
#include "surface/surface_fixture.h"

#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/surface_state.h"

#include <QApplication>
#include <QColorDialog>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace DIALOG;

namespace {

using ScreenPen = SurfaceTest;
using Erase = SurfaceTest;

} // namespace

TEST_F(ScreenPen, SurfaceCoversTheScreenItRunsOn)
{
    const CScreenPenWnd& s = open();
    ASSERT_GE(s.windowImage().width(), 800);
    ASSERT_GE(s.windowImage().height(), 600);
}

TEST_F(ScreenPen, DashedDragSwitchesEveryThirtyPixels)
{
    CScreenPenWnd& s = open();
    s.SetDashPen(1, RGB(0, 0, 0));
    press({100, 500});
    for (int x = 101; x <= 200; ++x)
        moveTo({x, 500});
    const QImage& live = s.windowImage();
    for (int x : {100, 115, 129, 159, 175, 189})
        EXPECT_NE(live.pixel(x, 500), kWhite) << "x = " << x;
    for (int x : {130, 145, 158, 190, 199})
        EXPECT_EQ(live.pixel(x, 500), kWhite) << "x = " << x;
    release();

    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    const CPenNode& dash = lesson_.Pages().nodes[0];
    EXPECT_EQ(dash.kind, DashPen);
    ASSERT_EQ(dash.points.size(), 102u);
    for (std::size_t i = 1; i <= 100; ++i) {
        const int travelled = dash.points[i].x - 100;
        EXPECT_EQ(dash.points[i].linked, (travelled / 30) % 2 == 0 ? 1 : 0) << "x = " << dash.points[i].x;
    }
    EXPECT_EQ(dash.points.back().linked, 1);
    EXPECT_GT(inked(s.pageBitmap(), QRect(100, 495, 101, 10)), 0);
}

TEST_F(ScreenPen, SpeedPenWidthsFollowTheChosenWidth)
{
    CScreenPenWnd& s = open();
    s.SetSpeedPen(5, RGB(0, 0, 255));
    EXPECT_EQ(s.speedMaxWidth(), 8);
    EXPECT_EQ(s.speedMinWidth(), 3);
    EXPECT_EQ(lesson_.Pen().width, 8);
    s.SetSpeedPen(20, RGB(0, 0, 255));
    EXPECT_EQ(s.speedMaxWidth(), 20);
    EXPECT_EQ(s.speedMinWidth(), 11);
    drag({300, 500}, {600, 500});
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    const CPenNode& stroke = lesson_.Pages().nodes[0];
    ASSERT_GE(stroke.points.size(), 300u);
    EXPECT_EQ(stroke.points[1].segWidth, 20);
    for (const PenPoint& p : stroke.points) {
        EXPECT_GE(p.segWidth, 11);
        EXPECT_LE(p.segWidth, 20);
    }
    EXPECT_GE(inked(s.pageBitmap(), QRect(302, 480, 1, 40)), 19);
}

TEST_F(ScreenPen, EachShapeCommitsWithItsTwoPointsAndLeavesNoRubberBand)
{
    CScreenPenWnd& s = open();
    s.SetPen(3, RGB(200, 0, 0));
    const NodeKind kinds[] = {Line, Arrow, Rectangle, Ellipse, Cube, Cylinder, GuideLine};
    for (NodeKind kind : kinds) {
        s.SetShape(kind);
        drag({500, 300}, {640, 420});
        const CPenNode& shape = lesson_.Pages().nodes.back();
        EXPECT_EQ(shape.kind, kind);
        ASSERT_EQ(shape.points.size(), 2u) << kind;
        EXPECT_EQ(QPoint(shape.points[0].x, shape.points[0].y), QPoint(500, 300));
        EXPECT_EQ(QPoint(shape.points[1].x, shape.points[1].y), QPoint(640, 420));
        EXPECT_GT(inked(s.pageBitmap(), QRect(480, 180, 260, 260)), 0) << kind;
        const QRect area(420, 120, 320, 340);
        EXPECT_EQ(s.windowImage().copy(area), s.pageBitmap().copy(area)) << "band left behind, kind " << kind;
        s.UndoStep();
    }
    EXPECT_EQ(lesson_.Pages().nodes.size(), std::size(kinds));
    // Polyline is not a shape of two points: SetShape leaves the tool as it was.
    s.SetShape(Polyline);
    EXPECT_EQ(lesson_.Pen().kind, GuideLine);
}

TEST_F(ScreenPen, UndoThenRedoGivesBackTheSamePixels)
{
    CScreenPenWnd& s = open();
    s.SetHighlighter(12, RGB(255, 255, 0));
    drag({200, 200}, {320, 260});
    s.SetPen(4, RGB(0, 0, 200));
    drag({220, 300}, {260, 180});
    const QImage drawn = s.pageBitmap().copy();
    s.UndoStep();
    s.UndoStep();
    EXPECT_EQ(s.pageBitmap(), s.backgroundBitmap());
    s.RedoStep();
    s.RedoStep();
    EXPECT_EQ(s.pageBitmap(), drawn);
    EXPECT_EQ(s.windowImage().copy(0, 0, 800, 600), drawn.copy(0, 0, 800, 600));
}

TEST_F(ScreenPen, InstrumentModeTakesThePressAndLeavesThePageAlone)
{
    CScreenPenWnd& s = open();
    s.SetToolMode();
    drag({100, 100}, {200, 150});
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_FALSE(lesson_.Pages().pageChanged);
    EXPECT_EQ(inked(s.windowImage(), QRect(90, 90, 120, 70)), 0);
    EXPECT_EQ(s.cursor().shape(), Qt::ArrowCursor);
    // A pen tool gives the mouse back to the pens.
    s.SetPen(3, RGB(0, 0, 0));
    drag({100, 100}, {200, 150});
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_TRUE(lesson_.Pages().pageChanged);
}

TEST_F(ScreenPen, BoardButtonTakesThePressAndNothingIsDrawn)
{
    CScreenPenWnd& s = open();
    const QRect previous = s.navButtonRect(CScreenPenWnd::NavPrevious);
    ASSERT_FALSE(previous.isEmpty());
    press(previous.center());
    EXPECT_FALSE(s.mouseHeld());
    moveTo(previous.center() + QPoint(-40, -40));
    release();
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    // The press on the button is no change of the page.
    EXPECT_FALSE(lesson_.Pages().pageChanged);

    // On the desktop there are no buttons: the same place is paper.
    lesson_.SetBoardMode(kBoardDesktop);
    drag(previous.center(), previous.center() + QPoint(-40, -40));
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
}

TEST_F(ScreenPen, BoardPageShowsItsNumberAndTheCountBesideThePageButtons)
{
    lesson_.BoardPages().files
        = QStringList({QStringLiteral("a.kw"), QStringLiteral("b.kw"), QStringLiteral("c.kw")});
    lesson_.BoardPages().currentPage = 1;
    CScreenPenWnd& s = open();
    const QRect number = s.pageNumberRect();
    ASSERT_FALSE(number.isEmpty());
    EXPECT_LT(number.right(), s.navButtonRect(CScreenPenWnd::NavPrevious).left());
    const QImage second = s.windowImage().copy(number);
    EXPECT_GT(count(second, second.rect(), qRgb(0x27, 0x61, 0xA9)), number.width() * number.height() / 2);
    EXPECT_GT(count(second, second.rect(), kWhite), 20) << "the figures";
    lesson_.BoardPages().currentPage = 2;
    s.ShowPageNumber();
    EXPECT_NE(s.windowImage().copy(number), second);
    // The number is no paper: a press there draws nothing.
    drag(number.center(), number.center() + QPoint(10, 0));
    EXPECT_TRUE(lesson_.Pages().nodes.empty());

    // A book of ten thousand pages: the figures stay inside the box, clear of its edges.
    for (int i = 3; i < 10000; ++i)
        lesson_.BoardPages().files << QStringLiteral("%1.kw").arg(i);
    lesson_.BoardPages().currentPage = 9998;
    s.ShowPageNumber();
    const QImage last = s.windowImage().copy(number);
    const int h = number.height();
    EXPECT_GT(count(last, last.rect(), kWhite), 20);
    EXPECT_EQ(count(last, QRect(3, 8, 6, h - 16), kWhite), 0) << "cut off on the left";
    EXPECT_EQ(count(last, QRect(number.width() - 9, 8, 6, h - 16), kWhite), 0) << "cut off on the right";
}

TEST_F(ScreenPen, ANewBackgroundColourIsAChangeThePageButtonsStore)
{
    CScreenPenWnd& s = open();
    drag({200, 200}, {400, 200});
    // As just stored: nothing changed since.
    lesson_.Pages().pageChanged = false;
    // The colour dialog is answered with green as soon as it shows.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            dialog->setCurrentColor(QColor(0, 128, 0));
            dialog->accept();
        }
    });
    answer.start(20);
    press(s.navButtonRect(CScreenPenWnd::NavColour).center());
    release();
    answer.stop();
    EXPECT_EQ(s.backgroundBitmap().pixel(600, 600), qRgb(0, 128, 0));
    EXPECT_EQ(s.pageBitmap().pixel(300, 200), kInk) << "the ink is drawn again over the colour";
    EXPECT_TRUE(lesson_.Pages().pageChanged) << "the previous and next buttons store a recoloured page";
}

TEST_F(ScreenPen, RightButtonAndMovesWithoutAPressDrawNothing)
{
    CScreenPenWnd& s = open();
    press({400, 400}, Qt::RightButton);
    moveTo({450, 430}, Qt::RightButton);
    release(Qt::RightButton);
    moveTo({300, 300}, Qt::NoButton);
    moveTo({350, 300}, Qt::NoButton);
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_EQ(inked(s.windowImage(), QRect(280, 280, 200, 200)), 0);
    EXPECT_EQ(s.lastMousePoint(), QPoint(350, 300));
}

TEST_F(ScreenPen, TheLookOfAStrokeUnderWayStaysWhenThePanelChangesThePen)
{
    CScreenPenWnd& s = open();
    s.SetBrushPen(4, RGB(0, 0, 0));
    press({100, 300});
    moveTo({150, 300});
    s.ApplyPenAttributes(16, RGB(255, 0, 0));
    moveTo({200, 300});
    release();
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(lesson_.Pages().nodes[0].width, 4);
    EXPECT_EQ(lesson_.Pages().nodes[0].colour, RGB(0, 0, 0));
    EXPECT_EQ(lesson_.Pen().width, 16);

    // The next stroke takes the width and colour chosen while the first was held, live and on the page.
    press({100, 400});
    moveTo({200, 400});
    EXPECT_NE(s.windowImage().pixel(150, 406), kWhite);
    release();
    EXPECT_EQ(lesson_.Pages().nodes[1].width, 16);
    EXPECT_EQ(lesson_.Pages().nodes[1].colour, RGB(255, 0, 0));
    EXPECT_NE(s.pageBitmap().pixel(150, 406), kWhite);
    // Erasers keep their own width and colour.
    s.SetPointEraser(8);
    s.ApplyPenAttributes(30, RGB(0, 255, 0));
    EXPECT_EQ(lesson_.Pen().width, 8);
}

TEST_F(Erase, UndoOfAnEraseBringsTheInkBackAndLaterInkStaysOnTop)
{
    CScreenPenWnd& s = open();
    band(300);
    const QImage inked = s.pageBitmap();
    s.SetPointEraser(8);
    through({{250, 300}, {550, 300}});
    EXPECT_GT(count(s.pageBitmap(), QRect(240, 280, 320, 40), kWhite), 300 * 16);
    EXPECT_TRUE(lesson_.Pages().redoStack.empty());

    s.UndoStep();
    EXPECT_EQ(s.pageBitmap(), inked);
    EXPECT_EQ(s.windowImage().copy(200, 260, 400, 80), inked.copy(200, 260, 400, 80));
    s.RedoStep();
    EXPECT_EQ(count(s.pageBitmap(), QRect(300, 295, 200, 10), kInk), 0);

    s.SetPen(3, RGB(255, 0, 0));
    through({{400, 250}, {400, 350}});
    s.RedrawPage();
    EXPECT_EQ(s.pageBitmap().pixel(400, 300), qRgb(255, 0, 0));
    EXPECT_EQ(s.windowImage().pixel(400, 300), qRgb(255, 0, 0));
}

TEST_F(Erase, LassoErasesOnlyWhenItsEndsMeet)
{
    CScreenPenWnd& s = open();
    band(300);
    const QImage inked = s.pageBitmap();
    s.SetLassoEraser();
    EXPECT_EQ(s.eraseMode(), kEraseModeNone);
    through({{250, 250}, {450, 250}, {450, 351}, {250, 351}});
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(s.pageBitmap(), inked);
    EXPECT_EQ(s.windowImage().copy(200, 200, 400, 200), inked.copy(200, 200, 400, 200));

    through({{250, 250}, {450, 250}, {450, 350}, {250, 350}});
    ASSERT_EQ(lesson_.Pages().nodes.size(), 2u);
    EXPECT_EQ(lesson_.Pages().nodes[1].kind, EraseLasso);
    EXPECT_EQ(count(s.pageBitmap(), QRect(260, 260, 180, 80), kInk), 0);
    EXPECT_EQ(s.pageBitmap().pixel(500, 300), kInk);
    EXPECT_EQ(s.pageBitmap().pixel(300, 355), kInk);
    EXPECT_EQ(s.windowImage().copy(200, 200, 400, 200), s.pageBitmap().copy(200, 200, 400, 200));
}

TEST_F(Erase, LongLassoErasesAllItEncloses)
{
    CScreenPenWnd& s = open();
    band(300);
    s.SetLassoEraser();
    through({{450, 300}, {450, 350}, {250, 350}, {250, 250}, {450, 250}, {450, 295}}, 1);
    ASSERT_EQ(lesson_.Pages().nodes.size(), 2u);
    EXPECT_LE(lesson_.Pages().nodes[1].points.size(), 500u);
    s.RedrawPage();
    EXPECT_EQ(count(s.pageBitmap(), QRect(260, 260, 180, 80), kInk), 0);
}

TEST_F(Erase, PointEraserStillErasesAfterAnUndo)
{
    CScreenPenWnd& s = open();
    band(200);
    band(400);
    s.SetPointEraser(8);
    through({{250, 200}, {550, 200}});
    s.UndoStep();
    EXPECT_EQ(s.eraseMode(), kEraseModePoint);
    EXPECT_EQ(count(s.pageBitmap(), QRect(300, 195, 200, 10), kInk), 200 * 10);
    // The eraser the panel still shows erases the whole way, on the screen as the pointer moves.
    press({250, 400});
    for (int x = 254; x <= 550; x += 4)
        moveTo({x, 400});
    EXPECT_EQ(count(s.windowImage(), QRect(300, 395, 200, 10), kInk), 0);
    release();
    EXPECT_EQ(count(s.pageBitmap(), QRect(300, 395, 200, 10), kInk), 0);
    EXPECT_EQ(lesson_.Pages().nodes.back().kind, EraseTrail);
    EXPECT_EQ(lesson_.Pages().nodes.back().width, 8);
}

TEST_F(Erase, ClearOfAHundredObjectsAsksNothingAndCanBeUndone)
{
    CScreenPenWnd& s = open();
    addStrokes(100);
    s.RedrawPage();
    const QImage inked = s.pageBitmap();
    s.ClearScreen();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(count(s.pageBitmap(), QRect(90, 90, 120, 60), kInk), 0);
    EXPECT_TRUE(lesson_.Pages().pageChanged);
    s.UndoStep();
    EXPECT_EQ(s.pageBitmap(), inked);
}

TEST_F(Erase, ClearOfMoreThanAHundredAsksAndYesEmptiesThePageForGood)
{
    CScreenPenWnd& s = open();
    addStrokes(101);
    s.RedrawPage();
    const QImage inked = s.pageBitmap();
    answer_ = platform::IDNO;
    s.ClearScreen();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(boxes_[0].text, QStringLiteral("此次清屏操作将删除所有数据 \n 数据不可再恢复,是否继续? "));
    EXPECT_EQ(boxes_[0].type, platform::MB_YESNO | platform::MB_ICONEXCLAMATION);
    EXPECT_EQ(lesson_.Pages().nodes.size(), 101u);
    EXPECT_EQ(s.pageBitmap(), inked);

    QTemporaryDir languageFolder;
    qmtest::ScopedCurrentDir here(languageFolder.path());
    SetLanguage(QStringLiteral("english"));
    answer_ = platform::IDYES;
    s.ClearScreen();
    SetLanguage(QStringLiteral("Chinese"));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[1].caption, QStringLiteral("Tips"));
    EXPECT_EQ(boxes_[1].text,
        QStringLiteral("Clearing the screen deletes everything on it,\nand it cannot be undone. Continue?"));
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_TRUE(lesson_.Pages().undoStack.empty());
    s.UndoStep();
    EXPECT_EQ(count(s.pageBitmap(), QRect(90, 90, 120, 60), kInk), 0);
}

TEST_F(Erase, ClearOfAStoredPageIsUndoneAndRedoneWithWhatWasDrawnOnIt)
{
    QTemporaryDir dir;
    CScreenPenWnd& s = open();
    std::vector<CPenNode> stored;
    for (int y : {300, 400}) {
        CPenNode node(RGB(0, 0, 0), 5, 0, Pen);
        node.AddPoint(200, y);
        node.AddPoint(400, y);
        stored.push_back(node);
    }
    const QString bmp = dir.filePath(QStringLiteral("1-2-3-4.bmp"));
    ASSERT_TRUE(
        StorePageFiles(WithExtension(bmp, QStringLiteral("kw")), stored, bmp, &s.backgroundBitmap(), 24));
    s.ReopenPage(bmp);
    s.SetPen(5, RGB(0, 0, 0));
    through({{200, 500}, {400, 500}}, 50);
    const auto shown = [&](int y) {
        return s.pageBitmap().pixel(300, y) == kInk && s.windowImage().pixel(300, y) == kInk;
    };
    ASSERT_TRUE(shown(300) && shown(400) && shown(500));

    s.ClearScreen();
    EXPECT_FALSE(shown(300) || shown(400) || shown(500));
    s.UndoStep();
    EXPECT_TRUE(shown(300) && shown(400) && shown(500));
    s.RedoStep();
    EXPECT_FALSE(shown(300) || shown(400) || shown(500));
    s.UndoStep();
    s.UndoStep();
    EXPECT_TRUE(shown(300) && shown(400));
    EXPECT_FALSE(shown(500));
}
