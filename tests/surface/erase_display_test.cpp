// The point eraser on the real surface, driven by synthetic pointer input, and the board's page buttons
// walking through stored pages. The lasso and clear screen are tested without a display.
#include "surface/screen_pen_wnd.h"

#include "platform/gdi.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/x11_desktop.h"
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
        lesson_.Pages().Clear();
        lesson_.Pages().pageChanged = false;
        lesson_.SetBoardFolder(dir_.path() + QStringLiteral("/Temp/ZidodAvuvTemp/"));
        lesson_.SetBoardMode(kBoardWhite);
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
    }

    CScreenPenWnd& open()
    {
        surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_);
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

    QTemporaryDir dir_;
    Lesson lesson_ {platform::programFolder()};
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
    ASSERT_EQ(lesson_.Pages().nodes.size(), 3u);
    EXPECT_EQ(lesson_.Pages().nodes[2].kind, EraseTrail);
    EXPECT_EQ(lesson_.Pages().nodes[2].width, 32);
    EXPECT_EQ(lesson_.Pages().nodes[2].colour, 0xCB5B36u);
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
    ASSERT_EQ(lesson_.Pages().nodes.size(), 2u);
    const CPenNode& trail = lesson_.Pages().nodes[1];
    ASSERT_EQ(trail.kind, EraseTrail);
    EXPECT_EQ(trail.points.front(), (PenPoint {220, 300, 1, 0}));
    EXPECT_EQ(trail.points.back(), (PenPoint {560, 320, 1, 0}));
    for (std::size_t i = 1; i < trail.points.size(); ++i) {
        const PenPoint& a = trail.points[i - 1];
        const PenPoint& b = trail.points[i];
        ASSERT_LE(std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)), 1) << i;
    }
    std::stringstream stored;
    lesson_.Pages().nodes[0].Write(stored);
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

TEST_F(EraseDisplay, PageButtonsWalkTheStoredPagesAndKeepEveryChange)
{
    CScreenPenWnd& s = open();
    ASSERT_TRUE(s.IsBoardPage());
    // Previous on the first page does nothing.
    clickButton(CScreenPenWnd::NavPrevious);
    EXPECT_EQ(lesson_.BoardPages().currentPage, 0);
    EXPECT_TRUE(lesson_.BoardPages().files.isEmpty());

    // Three pages, each with one stroke at its own height; next on the last page starts a blank one, and a
    // changed page is stored before the next one opens.
    for (int page = 0; page < 3; ++page) {
        s.SetPen(5, RGB(0, 0, 0));
        through({{200, 300 + 100 * page}, {400, 300 + 100 * page}}, 50);
        clickButton(CScreenPenWnd::NavNext);
        ASSERT_EQ(lesson_.BoardPages().files.size(), page + 1);
        EXPECT_EQ(lesson_.BoardPages().currentPage, page + 1);
        EXPECT_TRUE(lesson_.Pages().nodes.empty());
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
        EXPECT_EQ(lesson_.BoardPages().currentPage, page);
        EXPECT_TRUE(shows(page)) << page;
        EXPECT_FALSE(lesson_.Pages().pageChanged);
    }
    clickButton(CScreenPenWnd::NavPrevious);
    EXPECT_EQ(lesson_.BoardPages().currentPage, 0);
    EXPECT_TRUE(shows(0));

    // A stroke added to a reopened page goes into that page's own files.
    through({{600, 300}, {700, 300}}, 50);
    clickButton(CScreenPenWnd::NavNext);
    EXPECT_TRUE(shows(1));
    clickButton(CScreenPenWnd::NavPrevious);
    EXPECT_EQ(lesson_.BoardPages().files.size(), 3);
    EXPECT_EQ(lesson_.Pages().nodes.size(), 2u);
    EXPECT_EQ(s.pageBitmap().pixel(650, 300), kInk);
}
