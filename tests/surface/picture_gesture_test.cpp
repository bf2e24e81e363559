// Pictures on the page: placed by a click, moved, turned and resized with the tracker, removed on the tool
// strip, each step undone and redone, and stored with the page.
#include "surface/my_rect_tracker.h"
#include "surface/page_format.h"
#include "surface/surface_fixture.h"

#include "support_main/test_util.h"

#include <QTemporaryDir>

#include <cmath>
#include <numbers>

using namespace DIALOG;

namespace {

class Pictures : public SurfaceTest {
protected:
    // A red picture of size w × h.
    QString redPicture(int w, int h)
    {
        QImage picture(w, h, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QString path = dir_.filePath(QStringLiteral("red %1x%2.png").arg(w).arg(h));
        picture.save(path);
        return path;
    }
    const CPenNode& last() const { return lesson_.Pages().nodes.back(); }
    static int red(const QImage& img, const QRect& area) { return count(img, area, qRgb(255, 0, 0)); }

    QTemporaryDir dir_;
};

} // namespace

TEST(PictureTracker, IconsComeBeforeHandlesAndHandlesBeforeTheBody)
{
    CMyRectTracker t;
    t.SetFrame(TrackerFrame {QPointF(400, 300), 200, 100, 0.0});
    int handle = -1;
    EXPECT_EQ(
        t.HitTest(QPointF(400, 300 - 50 - CMyRectTracker::kRotateIconOffset)), CMyRectTracker::Part::Rotate);
    EXPECT_EQ(t.HitTest(QPointF(402, 301)), CMyRectTracker::Part::MoveIcon);
    EXPECT_EQ(t.HitTest(QPointF(503, 352), &handle), CMyRectTracker::Part::Handle);
    EXPECT_EQ(handle, 4);
    EXPECT_EQ(t.HitTest(QPointF(300, 300), &handle), CMyRectTracker::Part::Handle);
    EXPECT_EQ(handle, 7);
    EXPECT_EQ(t.HitTest(QPointF(330, 270)), CMyRectTracker::Part::Body);
    EXPECT_EQ(t.HitTest(QPointF(520, 300)), CMyRectTracker::Part::None);
}

TEST(PictureTracker, ResizingKeepsTheOppositeCornerWhereItWas)
{
    CMyRectTracker t;
    t.SetFrame(TrackerFrame {QPointF(400, 300), 200, 100, std::numbers::pi / 2});
    const QPointF opposite = t.HandleCentre(0);
    t.Begin(CMyRectTracker::Part::Handle, 4, t.HandleCentre(4));
    t.Drag(t.HandleCentre(4) + QPointF(-30, 50));
    // Turned a quarter: the frame's width runs down the screen.
    EXPECT_NEAR(t.frame().width, 250, 1e-9);
    EXPECT_NEAR(t.frame().height, 130, 1e-9);
    EXPECT_NEAR(t.HandleCentre(0).x(), opposite.x(), 1e-9);
    EXPECT_NEAR(t.HandleCentre(0).y(), opposite.y(), 1e-9);
    // Past the opposite side the frame stops at its smallest.
    t.Drag(opposite + QPointF(100, -300));
    EXPECT_GE(t.frame().width, CMyRectTracker::kMinSide);
    EXPECT_GE(t.frame().height, CMyRectTracker::kMinSide);
}

TEST(PictureTracker, OnAScaledDesktopItsIconsAndHandlesKeepTheirPhysicalSize)
{
    // A frame on a page of device pixels at a scale of 2.
    CMyRectTracker t;
    t.SetScale(2.0);
    t.SetFrame(TrackerFrame {QPointF(800, 600), 400, 200, 0.0});
    EXPECT_EQ(t.HitTest(QPointF(800, 600 - 100 - 2 * CMyRectTracker::kRotateIconOffset)),
        CMyRectTracker::Part::Rotate);
    // A finger a little off a handle still takes it: the pick distance is twice as many pixels.
    int handle = -1;
    const double off = 1.5 * CMyRectTracker::kPickDistance;
    EXPECT_EQ(t.HitTest(QPointF(1000 + off, 700), &handle), CMyRectTracker::Part::Handle);
    EXPECT_EQ(handle, 4);
    // What is repainted around the frame reaches over the rotate icon at its doubled size.
    const double iconTop = 600 - 100 - 2 * CMyRectTracker::kRotateIconOffset - CMyRectTracker::kIconSize;
    EXPECT_LE(t.Bounds().top(), iconTop);
    t.Begin(CMyRectTracker::Part::Handle, 4, t.HandleCentre(4));
    t.Drag(QPointF(0, 0));
    EXPECT_GE(t.frame().width, 2 * CMyRectTracker::kMinSide);
}

TEST(PictureTracker, TheRotateIconTurnsTheTopTowardsThePointer)
{
    CMyRectTracker t;
    t.SetFrame(TrackerFrame {QPointF(400, 300), 200, 100, 0.0});
    t.Begin(CMyRectTracker::Part::Rotate, 0, t.RotateIconCentre());
    t.Drag(QPointF(600, 300));
    EXPECT_NEAR(t.frame().angle, std::numbers::pi / 2, 1e-9);
    EXPECT_EQ(t.frame().centre, QPointF(400, 300));
}

TEST_F(Pictures, ANarrowPictureIsPlacedAtTheClickAs25By101)
{
    CScreenPenWnd& s = open();
    s.InsertPicture(redPicture(10, 40));
    EXPECT_EQ(s.modeWord(), QStringLiteral("TOOL"));
    press({500, 400});
    release();
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(last().kind, Picture);
    EXPECT_EQ(last().boxWidth, 25);
    EXPECT_EQ(last().boxHeight, 101);
    EXPECT_EQ(QPoint(last().boxCentreX, last().boxCentreY), QPoint(500, 400));
    EXPECT_EQ(red(s.pageBitmap(), QRect(490, 352, 20, 96)), 20 * 96);
    EXPECT_TRUE(s.pictures().pictureSelected());
    // The tool places one picture: the next click places nothing more.
    press({800, 400});
    release();
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
}

TEST_F(Pictures, MovedTurnedAndResizedWithAnUndoStepEach)
{
    CScreenPenWnd& s = open();
    s.InsertPicture(redPicture(200, 100));
    press({400, 300});
    release();
    ASSERT_TRUE(s.pictures().pictureSelected());
    drag({350, 280}, {650, 580});
    EXPECT_EQ(QPoint(last().boxCentreX, last().boxCentreY), QPoint(700, 600));
    EXPECT_EQ(red(s.pageBitmap(), QRect(690, 590, 20, 20)), 400);
    EXPECT_EQ(red(s.pageBitmap(), QRect(390, 290, 20, 20)), 0);
    // Turned a quarter by the rotate icon.
    const QPointF icon = s.pictures().tracker().RotateIconCentre();
    drag(icon.toPoint(), {900, 600});
    EXPECT_NEAR(last().boxAngle, std::numbers::pi / 2, 0.02);
    EXPECT_EQ(red(s.pageBitmap(), QRect(695, 530, 10, 140)), 10 * 140);
    // Resized by a corner handle.
    const QPointF corner = s.pictures().tracker().HandleCentre(4);
    drag(corner.toPoint(), corner.toPoint() + QPoint(-20, 40));

    const NodeFrame resized = NodeFrame::Of(last());
    EXPECT_NE(resized.width, 200);
    s.UndoStep();
    EXPECT_EQ(last().boxWidth, 200);
    EXPECT_NEAR(last().boxAngle, std::numbers::pi / 2, 0.02);
    s.UndoStep();
    EXPECT_EQ(last().boxAngle, 0.0);
    s.UndoStep();
    EXPECT_EQ(QPoint(last().boxCentreX, last().boxCentreY), QPoint(400, 300));
    EXPECT_EQ(red(s.pageBitmap(), QRect(390, 290, 20, 20)), 400);
    s.UndoStep();
    EXPECT_TRUE(last().erased);
    EXPECT_EQ(red(s.pageBitmap(), QRect(300, 250, 200, 100)), 0);
    for (int i = 0; i < 4; ++i)
        s.RedoStep();
    EXPECT_EQ(NodeFrame::Of(last()), resized);
    EXPECT_FALSE(last().erased);
}

TEST_F(Pictures, DroppedOnTheToolStripItLeavesThePageUntilUndone)
{
    CScreenPenWnd& s = open();
    s.InsertPicture(redPicture(100, 100));
    press({400, 300});
    release();
    // The strip is placed after the release of a drag.
    drag({380, 290}, {390, 290});
    const QRect strip = s.toolStripRect();
    ASSERT_GT(strip.width(), 1);
    drag({380, 290}, strip.center());
    EXPECT_TRUE(last().erased);
    EXPECT_FALSE(s.pictures().pictureSelected());
    EXPECT_EQ(red(s.pageBitmap(), s.pageBitmap().rect()), 0);
    s.UndoStep();
    EXPECT_FALSE(last().erased);
    EXPECT_EQ(red(s.pageBitmap(), QRect(390, 290, 20, 20)), 400);
}

TEST_F(Pictures, APictureOfThePageIsTakenByAPressInInstrumentMode)
{
    CScreenPenWnd& s = open();
    s.InsertPicture(redPicture(100, 100));
    press({400, 300});
    release();
    s.SetPen(3, RGB(0, 0, 0));
    EXPECT_FALSE(s.pictures().pictureSelected());
    // With a pen the press writes over the picture.
    drag({390, 300}, {410, 300});
    EXPECT_EQ(lesson_.Pages().nodes.size(), 2u);
    s.SetToolMode();
    drag({420, 320}, {520, 320});
    EXPECT_EQ(lesson_.Pages().nodes[0].boxCentreX, 500);
}

TEST_F(Pictures, AnUnreadablePictureDrawsNothingAndTheTeacherIsTold)
{
    CScreenPenWnd& s = open();
    const QString broken = qmtest::writeFile(dir_.filePath(QStringLiteral("broken.png")), "no picture here");
    QStringList told;
    QObject::connect(&s, &CScreenPenWnd::pageNotice, [&](const QString& text) { told << text; });
    s.InsertPicture(broken);
    press({400, 300});
    release();
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(last().kind, Picture);
    EXPECT_EQ(inked(s.pageBitmap(), QRect(300, 200, 200, 200)), 0);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QLatin1String("broken.png")));
}

TEST_F(Pictures, StoredWithThePageAndReopenedInPlace)
{
    CScreenPenWnd& s = open();
    s.InsertPicture(redPicture(120, 80));
    press({600, 500});
    release();
    drag({560, 470}, {760, 470});
    QTemporaryDir pages;
    const QString picture = pages.filePath(QStringLiteral("page.bmp"));
    ASSERT_TRUE(StorePageFiles(WithExtension(picture, QStringLiteral("kw")), lesson_.Pages().nodes, picture,
        &s.backgroundBitmap(), 24));
    surface_.reset();
    lesson_.Pages().Clear();
    surface_ = std::make_unique<CScreenPenWnd>(owner_.get(), lesson_, picture);
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_EQ(last().kind, Picture);
    EXPECT_EQ(QPoint(last().boxCentreX, last().boxCentreY), QPoint(800, 500));
    EXPECT_EQ(last().PicturePathForLoad(), dir_.filePath(QStringLiteral("red 120x80.png")));
    ASSERT_TRUE(last().image);
    EXPECT_FALSE(last().image->isNull());
}

TEST_F(Pictures, AFileThatIsNoVideoIsRefusedWithAMessage)
{
    CScreenPenWnd& s = open();
    const QString noise = qmtest::writeFile(dir_.filePath(QStringLiteral("film.mp4")), QByteArray(4096, 'x'));
    s.InsertVideo(noise);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(boxes_[0].text.contains(QLatin1String("film.mp4")));
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_EQ(s.pictures().videoFrame(), nullptr);
}

TEST_F(Pictures, WithoutTheFlashPlayerAMovieIsRefusedWithAMessage)
{
    // The tests' program folder has no Ruffle.
    ASSERT_FALSE(FlashPlayerPresent());
    CScreenPenWnd& s = open();
    s.InsertMedia(qmtest::writeFile(dir_.filePath(QStringLiteral("movie.swf")), "FWS"));
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_EQ(s.pictures().flashFrame(), nullptr);
}

TEST_F(Pictures, AClearScreenTakesTheTrackerWithThePicture)
{
    CScreenPenWnd& s = open();
    addStrokes(120);
    s.RedrawPage();
    s.InsertPicture(redPicture(100, 100));
    press({400, 300});
    release();
    ASSERT_TRUE(s.pictures().pictureSelected());
    // More than a hundred objects: the clear removes them for good, the picture with them.
    s.ClearScreen();
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_FALSE(s.pictures().pictureSelected());
    // Where the tracker stood nothing of the picture is left to drag.
    drag({380, 290}, {480, 290});
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_EQ(red(s.pageBitmap(), s.pageBitmap().rect()), 0);
    EXPECT_EQ(red(s.windowImage(), s.windowImage().rect()), 0);
}
