// The erasers and clear screen on the real surface, driven by synthetic pointer input, and the board's
// page buttons walking through stored pages.
#include "surface/screen_pen_wnd.h"

#include "platform/gdi.h"
#include "platform/message_box.h"
#include "platform/x11_desktop.h"
#include "support/language.h"
#include "support_main/test_util.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/surface_state.h"

#include <QCursor>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>

using namespace DIALOG;
namespace desktop = platform::desktop;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kInk = 0xFF000000;

class EraseDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(desktop::available()) << "needs the virtual desktop";
        ASSERT_TRUE(dir_.isValid());
        ThePageList().Clear();
        ThePageList().pageChanged = false;
        ThePageFileList() = PageFileList();
        BoardPageFolder() = dir_.path() + QStringLiteral("/Temp/ZidodAvuvTemp/");
        CurrentPenState() = PenState();
        boardMode = 1;
        owner_ = std::make_unique<QWidget>();
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            boxes_.push_back(r);
            return answer_;
        });
    }

    void TearDown() override
    {
        platform::setMessageBoxHook({});
        surface_.reset();
        owner_.reset();
        boardMode = 0;
        ThePageList().Clear();
        ThePageFileList() = PageFileList();
    }

    CScreenPenWnd& open()
    {
        surface_ = std::make_unique<CScreenPenWnd>(owner_.get());
        surface_->SetPen(3, RGB(0, 0, 0));
        EXPECT_TRUE(qmtest::waitFor([&] {
            return surface_->isVisible() && surface_->windowHandle() && surface_->windowHandle()->isExposed();
        }));
        qmtest::waitFor([] { return false; }, 100);
        return *surface_;
    }

    void moveTo(QPoint p)
    {
        if (QCursor::pos() == p && surface_->lastMousePoint() == p)
            return;
        desktop::moveMouse(p.x(), p.y());
        desktop::flush();
        ASSERT_TRUE(qmtest::waitFor([&] { return surface_->lastMousePoint() == p; }, 3000));
    }

    void press(QPoint p)
    {
        moveTo(p);
        desktop::mouseButton(1, true);
        desktop::flush();
        ASSERT_TRUE(qmtest::waitFor([&] { return surface_->mouseHeld(); }, 3000));
    }

    void release()
    {
        desktop::mouseButton(1, false);
        desktop::flush();
        ASSERT_TRUE(qmtest::waitFor([&] { return !surface_->mouseHeld(); }, 3000));
    }

    // Every pointer position on the way, each seen by the surface; steps of at most step pixels.
    void through(const std::vector<QPoint>& points, int step = 4)
    {
        press(points.front());
        for (std::size_t i = 1; i < points.size(); ++i) {
            const QPoint a = points[i - 1], b = points[i];
            const int n = std::max(1, std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())) / step);
            for (int k = 1; k <= n; ++k)
                moveTo(a + (b - a) * k / n);
        }
        release();
    }

    void clickButton(CScreenPenWnd::NavButton button)
    {
        moveTo(surface_->navButtonRect(button).center());
        desktop::mouseButton(1, true);
        desktop::mouseButton(1, false);
        desktop::flush();
        qmtest::waitFor([] { return false; }, 300);
    }

    // A black band 120 pixels high from x 200 to 600 around y.
    void band(int y)
    {
        surface_->SetPen(120, RGB(0, 0, 0));
        through({{200, y}, {600, y}}, 50);
    }

    static int count(const QImage& img, const QRect& area, QRgb colour)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += img.pixel(x, y) == colour;
        return n;
    }

    static void addStrokes(int n)
    {
        for (int i = 0; i < n; ++i) {
            CPenNode node(RGB(0, 0, 0), 1, 0, Pen);
            node.AddPoint(100 + i, 100);
            node.AddPoint(100 + i, 140);
            ThePageList().PushUndo(ThePageList().AddObject(node), UndoAdd);
        }
    }

    QTemporaryDir dir_;
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<CScreenPenWnd> surface_;
    std::vector<platform::MessageBoxRequest> boxes_;
    int answer_ = platform::IDYES;
};

} // namespace

TEST_F(EraseDisplay, PointEraserSquaresAreSixteenAndSixtyFourPixels)
{
    CScreenPenWnd& s = open();
    band(300);
    s.SetPointEraser(8);
    press({300, 300});
    moveTo({301, 300});
    // Under the pointer the eraser shows as an outlined square of twice its size.
    EXPECT_EQ(s.windowImage().pixel(301 - 8, 300), kInk);
    EXPECT_EQ(s.windowImage().pixel(300, 300), kWhite);
    release();
    EXPECT_EQ(count(s.pageBitmap(), QRect(250, 250, 100, 100), kWhite), 17 * 16);
    EXPECT_EQ(count(s.windowImage(), QRect(250, 250, 100, 100), kWhite), 17 * 16);

    s.SetPointEraser(32);
    EXPECT_EQ(s.eraseMode(), 2);
    press({500, 300});
    release();
    EXPECT_EQ(count(s.pageBitmap(), QRect(450, 250, 100, 100), kWhite), 64 * 64);
    ASSERT_EQ(ThePageList().nodes.size(), 3u);
    EXPECT_EQ(ThePageList().nodes[2].kind, EraseTrail);
    EXPECT_EQ(ThePageList().nodes[2].width, 32);
    EXPECT_EQ(ThePageList().nodes[2].colour, 0xCB5B36u);
}

TEST_F(EraseDisplay, UndoOfAnEraseBringsTheInkBackAndLaterInkStaysOnTop)
{
    CScreenPenWnd& s = open();
    band(300);
    const QImage inked = s.pageBitmap();
    s.SetPointEraser(8);
    through({{250, 300}, {550, 300}});
    EXPECT_GT(count(s.pageBitmap(), QRect(240, 280, 320, 40), kWhite), 300 * 16);
    EXPECT_TRUE(ThePageList().redoStack.empty());

    s.UndoStep();
    EXPECT_EQ(s.pageBitmap(), inked);
    EXPECT_EQ(s.windowImage().copy(200, 260, 400, 80), inked.copy(200, 260, 400, 80));
    s.RedoStep();
    EXPECT_EQ(count(s.pageBitmap(), QRect(300, 295, 200, 10), kInk), 0);

    // Ink drawn after the erase, across the erased path, is not hidden by it, also after a full redraw.
    s.SetPen(3, RGB(255, 0, 0));
    through({{400, 250}, {400, 350}});
    s.RedrawPage();
    EXPECT_EQ(s.pageBitmap().pixel(400, 300), qRgb(255, 0, 0));
    EXPECT_EQ(s.windowImage().pixel(400, 300), qRgb(255, 0, 0));
}

TEST_F(EraseDisplay, FastSweepOfThePointEraserLeavesNoInkOnItsWay)
{
    CScreenPenWnd& s = open();
    band(300);
    s.SetPointEraser(8);
    // 80-pixel jumps between pointer events, straight and slanting.
    const std::vector<QPoint> way = {{220, 300}, {300, 300}, {380, 300}, {460, 260}, {540, 340}, {560, 320}};
    press(way[0]);
    for (std::size_t i = 1; i < way.size(); ++i)
        moveTo(way[i]);
    release();

    // Ink left inside the eraser's square anywhere along the way.
    const auto inkOnTheWay = [&](const QImage& img) {
        int left = 0;
        const auto square = [&](int cx, int cy) { left += count(img, QRect(cx - 8, cy - 8, 16, 16), kInk); };
        for (std::size_t i = 1; i < way.size(); ++i)
            platform::lineDda(way[i - 1].x(), way[i - 1].y(), way[i].x(), way[i].y(), square);
        square(way.back().x(), way.back().y());
        return left;
    };
    EXPECT_EQ(inkOnTheWay(s.windowImage()), 0);
    EXPECT_EQ(inkOnTheWay(s.pageBitmap()), 0);
    s.RedrawPage();
    EXPECT_EQ(inkOnTheWay(s.pageBitmap()), 0);
    // The eraser took nothing outside its way.
    EXPECT_EQ(s.pageBitmap().pixel(300, 300 - 20), kInk);
    EXPECT_EQ(s.pageBitmap().pixel(500, 300 + 30), kInk);

    // The record is continuous too, and erases the same once stored and read back.
    ASSERT_EQ(ThePageList().nodes.size(), 2u);
    const CPenNode& trail = ThePageList().nodes[1];
    ASSERT_EQ(trail.kind, EraseTrail);
    EXPECT_EQ(trail.points.front(), (PenPoint {220, 300, 1, 0}));
    EXPECT_EQ(trail.points.back(), (PenPoint {560, 320, 1, 0}));
    for (std::size_t i = 1; i < trail.points.size(); ++i) {
        const PenPoint& a = trail.points[i - 1];
        const PenPoint& b = trail.points[i];
        ASSERT_LE(std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)), 1) << i;
    }
    std::stringstream stored;
    ThePageList().nodes[0].Write(stored);
    trail.Write(stored);
    CPenNode band(0, 3, 0, Pen);
    CPenNode erase(0, 3, 0, Pen);
    ASSERT_TRUE(band.Read(stored));
    ASSERT_TRUE(erase.Read(stored));
    QImage page = s.backgroundBitmap().copy();
    QPainter p(&page);
    band.Draw(p, &s.backgroundBitmap());
    erase.Draw(p, &s.backgroundBitmap());
    p.end();
    EXPECT_EQ(inkOnTheWay(page), 0);
    EXPECT_EQ(page, s.pageBitmap());
}

TEST_F(EraseDisplay, LassoErasesOnlyWhenItsEndsMeet)
{
    CScreenPenWnd& s = open();
    band(300);
    const QImage inked = s.pageBitmap();
    s.SetLassoEraser();
    EXPECT_EQ(s.eraseMode(), 0);
    // Ends 101 pixels apart: nothing is kept and nothing is erased.
    through({{250, 250}, {450, 250}, {450, 351}, {250, 351}});
    EXPECT_EQ(ThePageList().nodes.size(), 1u);
    EXPECT_EQ(s.pageBitmap(), inked);
    EXPECT_EQ(s.windowImage().copy(200, 200, 400, 200), inked.copy(200, 200, 400, 200));

    // Ends 100 pixels apart: the loop is closed and what it encloses goes.
    through({{250, 250}, {450, 250}, {450, 350}, {250, 350}});
    ASSERT_EQ(ThePageList().nodes.size(), 2u);
    EXPECT_EQ(ThePageList().nodes[1].kind, EraseLasso);
    EXPECT_EQ(count(s.pageBitmap(), QRect(260, 260, 180, 80), kInk), 0);
    EXPECT_EQ(s.pageBitmap().pixel(500, 300), kInk);
    EXPECT_EQ(s.pageBitmap().pixel(300, 355), kInk);
    EXPECT_EQ(s.windowImage().copy(200, 200, 400, 200), s.pageBitmap().copy(200, 200, 400, 200));
}

TEST_F(EraseDisplay, LongLassoErasesAllItEncloses)
{
    CScreenPenWnd& s = open();
    band(300);
    s.SetLassoEraser();
    // Single-pixel steps round a 200 x 100 box from the middle of its right side: about 600 points, more
    // than a lasso is drawn from; its first 500 alone would leave the top right corner.
    through({{450, 300}, {450, 350}, {250, 350}, {250, 250}, {450, 250}, {450, 295}}, 1);
    ASSERT_EQ(ThePageList().nodes.size(), 2u);
    EXPECT_LE(ThePageList().nodes[1].points.size(), 500u);
    s.RedrawPage();
    EXPECT_EQ(count(s.pageBitmap(), QRect(260, 260, 180, 80), kInk), 0);
}

TEST_F(EraseDisplay, ClearOfAHundredObjectsAsksNothingAndCanBeUndone)
{
    CScreenPenWnd& s = open();
    addStrokes(100);
    s.RedrawPage();
    const QImage inked = s.pageBitmap();
    s.ClearScreen();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(count(s.pageBitmap(), QRect(90, 90, 120, 60), kInk), 0);
    EXPECT_TRUE(ThePageList().pageChanged);
    s.UndoStep();
    EXPECT_EQ(s.pageBitmap(), inked);
}

TEST_F(EraseDisplay, ClearOfMoreThanAHundredAsksAndYesEmptiesThePageForGood)
{
    CScreenPenWnd& s = open();
    addStrokes(101);
    s.RedrawPage();
    const QImage inked = s.pageBitmap();
    answer_ = platform::IDNO;
    s.ClearScreen();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("信息提示"));
    EXPECT_EQ(boxes_[0].text, QStringLiteral("此次清屏操作将删除所有数据 \n 数据不可再恢复,是否继续? "));
    EXPECT_EQ(boxes_[0].type, platform::MB_YESNO | platform::MB_ICONEXCLAMATION);
    EXPECT_EQ(ThePageList().nodes.size(), 101u);
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
        QStringLiteral("Current clear screen will delete all data \n and can't be recoverd,continue? "));
    EXPECT_TRUE(ThePageList().nodes.empty());
    EXPECT_TRUE(ThePageList().undoStack.empty());
    s.UndoStep();
    EXPECT_EQ(count(s.pageBitmap(), QRect(90, 90, 120, 60), kInk), 0);
}

TEST_F(EraseDisplay, ClearOfAStoredPageIsUndoneAndRedoneWithWhatWasDrawnOnIt)
{
    CScreenPenWnd& s = open();
    // A stored page with two strokes, reopened: its objects have no add entries.
    std::vector<CPenNode> stored;
    for (int y : {300, 400}) {
        CPenNode node(RGB(0, 0, 0), 5, 0, Pen);
        node.AddPoint(200, y);
        node.AddPoint(400, y);
        stored.push_back(node);
    }
    const QString bmp = dir_.filePath(QStringLiteral("1-2-3-4.bmp"));
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

TEST_F(EraseDisplay, PageButtonsWalkTheStoredPagesAndKeepEveryChange)
{
    CScreenPenWnd& s = open();
    ASSERT_TRUE(s.IsBoardPage());
    // Previous on the first page does nothing.
    clickButton(CScreenPenWnd::NavPrevious);
    EXPECT_EQ(ThePageFileList().currentPage, 0);
    EXPECT_TRUE(ThePageFileList().files.isEmpty());

    // Three pages, each with one stroke at its own height; next on the last page starts a blank one, and a
    // changed page is stored before the next one opens.
    for (int page = 0; page < 3; ++page) {
        s.SetPen(5, RGB(0, 0, 0));
        through({{200, 300 + 100 * page}, {400, 300 + 100 * page}}, 50);
        clickButton(CScreenPenWnd::NavNext);
        ASSERT_EQ(ThePageFileList().files.size(), page + 1);
        EXPECT_EQ(ThePageFileList().currentPage, page + 1);
        EXPECT_TRUE(ThePageList().nodes.empty());
        EXPECT_EQ(count(s.pageBitmap(), QRect(150, 250, 300, 300), kInk), 0);
    }
    const auto shows = [&](int page) {
        for (int other = 0; other < 3; ++other) {
            const QRgb expected = other == page ? kInk : kWhite;
            if (s.pageBitmap().pixel(300, 300 + 100 * other) != expected
                || s.windowImage().pixel(300, 300 + 100 * other) != expected)
                return false;
        }
        return true;
    };
    for (int page = 2; page >= 0; --page) {
        clickButton(CScreenPenWnd::NavPrevious);
        EXPECT_EQ(ThePageFileList().currentPage, page);
        EXPECT_TRUE(shows(page)) << page;
        EXPECT_FALSE(ThePageList().pageChanged);
    }
    clickButton(CScreenPenWnd::NavPrevious);
    EXPECT_EQ(ThePageFileList().currentPage, 0);
    EXPECT_TRUE(shows(0));

    // A stroke added to a reopened page goes into that page's own files.
    through({{600, 300}, {700, 300}}, 50);
    clickButton(CScreenPenWnd::NavNext);
    EXPECT_TRUE(shows(1));
    clickButton(CScreenPenWnd::NavPrevious);
    EXPECT_EQ(ThePageFileList().files.size(), 3);
    EXPECT_EQ(ThePageList().nodes.size(), 2u);
    EXPECT_EQ(s.pageBitmap().pixel(650, 300), kInk);
}
