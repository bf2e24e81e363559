// The instruments on the pen surface: chosen by number or kind, placed, moved and put away with the mouse,
// painted over the page in every mode and never part of it; the compass's arcs become page objects that
// undo and redo like any other.
#include "surface/surface_fixture.h"

#include "instruments/compass.h"
#include "surface/instrument_gesture.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>
#include <sstream>

using namespace DIALOG;

namespace {

class Instruments : public SurfaceTest {
protected:
    void TearDown() override
    {
        InstrumentGesture::SetRecordingProbe(nullptr);
        SurfaceTest::TearDown();
    }

    // Presses, moves in steps of a few pixels along points, and releases.
    void dragThrough(const std::vector<QPoint>& points) { through(points, 3); }

    const MyShape* shape(int index) const { return surface_->instruments().shape(index); }
};

// The points of a circle's arc about centre, from one angle to another (degrees, counter-clockwise on the
// screen), a point every few degrees.
std::vector<QPoint> arcPath(QPoint centre, int radius, double from, double to)
{
    std::vector<QPoint> path;
    const int n = std::max(2, int(std::abs(to - from) / 3));
    for (int k = 0; k <= n; ++k) {
        const double a = (from + (to - from) * k / n) * 3.14159265358979323846 / 180.0;
        path.emplace_back(centre.x() + int(std::lround(radius * std::cos(a))),
            centre.y() - int(std::lround(radius * std::sin(a))));
    }
    return path;
}

} // namespace

TEST_F(Instruments, ARulerChosenByNumberIsLaidByADragAndShowsItsScaleButIsNoPartOfThePage)
{
    CScreenPenWnd& s = open();
    s.SelectInstrumentByNumber(3);
    EXPECT_EQ(s.modeWord(), QStringLiteral("TOOL"));
    ASSERT_NE(shape(kRulerEntry), nullptr);
    EXPECT_TRUE(s.instruments().placing());

    dragThrough({{150, 300}, {550, 300}});
    const MyShape* ruler = shape(kRulerEntry);
    EXPECT_TRUE(ruler->visible);
    EXPECT_EQ(ruler->ptOrigin, QPoint(150, 300));
    EXPECT_EQ(ruler->ptHandle, QPoint(550, 300));
    EXPECT_FALSE(s.instruments().placing());

    // Its ticks and numbers show on the window, and nothing of it is on the page or in the page's objects.
    const QRect around(140, 210, 420, 180);
    EXPECT_GT(inked(s.windowImage(), around), 400);
    EXPECT_EQ(inked(s.pageBitmap(), around), 0);
    EXPECT_EQ(inked(s.ComposedPage(), around), 0);
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_FALSE(lesson_.Pages().pageChanged);

    // Choosing a pen gives the mouse back to the pens: the ruler stays on the screen and ink goes under it.
    s.SetPen(3, RGB(0, 0, 0));
    EXPECT_EQ(s.modeWord(), QStringLiteral("NOTTOOL"));
    drag({350, 150}, {350, 450});
    EXPECT_EQ(lesson_.Pages().nodes.size(), 1u);
    EXPECT_TRUE(shape(kRulerEntry)->visible);
    EXPECT_EQ(shape(kRulerEntry)->ptOrigin, QPoint(150, 300));
    EXPECT_GT(inked(s.windowImage(), QRect(450, 210, 100, 180)), 50);
}

TEST_F(Instruments, ABodyDragMovesTheInstrumentAndOntoTheToolStripPutsItAway)
{
    CScreenPenWnd& s = open();
    s.SelectInstrument(QStringLiteral("Ruler"));
    dragThrough({{150, 300}, {550, 300}});
    const MyShape* ruler = shape(kRulerEntry);
    // A point inside the body, whichever side of its edge the body lies.
    QPoint inside(350, 340);
    if (!ruler->HitBody(inside.x(), inside.y()))
        inside = QPoint(350, 260);
    ASSERT_TRUE(ruler->HitBody(inside.x(), inside.y()));

    // The cursor tells what a press would take: the body, the handle, or nothing.
    moveTo(inside, Qt::NoButton);
    EXPECT_EQ(s.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(s.cursor().pixmap().size(), QSize(32, 32));
    EXPECT_EQ(s.cursor().hotSpot(), QPoint(7, 5));
    moveTo({550, 300}, Qt::NoButton);
    EXPECT_EQ(s.cursor().shape(), Qt::PointingHandCursor);
    moveTo({700, 80}, Qt::NoButton);
    EXPECT_EQ(s.cursor().shape(), Qt::ArrowCursor);

    dragThrough({inside, inside + QPoint(100, 50)});
    EXPECT_EQ(ruler->ptOrigin, QPoint(250, 350));
    EXPECT_EQ(ruler->ptHandle, QPoint(650, 350));

    // The handle stretches and turns it about its origin.
    dragThrough({{650, 350}, {650, 150}});
    EXPECT_EQ(ruler->ptOrigin, QPoint(250, 350));
    EXPECT_EQ(ruler->ptHandle, QPoint(650, 150));

    const QRect strip = s.toolStripRect();
    ASSERT_TRUE(strip.isValid());
    const QPoint grip = (ruler->ptOrigin + ruler->ptHandle) / 2;
    QPoint body = grip;
    for (int d = 1; d < 60 && !ruler->HitBody(body.x(), body.y()); ++d)
        body = grip + QPoint(d, d);
    ASSERT_TRUE(ruler->HitBody(body.x(), body.y()));
    dragThrough({body, strip.center()});
    EXPECT_EQ(shape(kRulerEntry), nullptr);
    EXPECT_EQ(inked(s.windowImage(), QRect(150, 100, 600, 400)), 0);
}

TEST_F(Instruments, TheCompassDrawsAnArcThatUndoesRedoesAndSurvivesTheRoundTrip)
{
    CScreenPenWnd& s = open();
    s.SetPen(2, RGB(0, 0, 255));
    s.SelectInstrumentByNumber(1);
    const QPoint needle(350, 450);
    dragThrough({needle, needle + QPoint(200, 0)});
    const auto* compass = static_cast<const Compass*>(shape(kCompassEntry));
    ASSERT_NE(compass, nullptr);
    EXPECT_EQ(compass->radius, 200);
    EXPECT_TRUE(lesson_.Pages().nodes.empty());

    // A drag away from the compass, clockwise from the top to the right: the pencil follows at the radius.
    dragThrough(arcPath(needle, 260, 100, -10));
    ASSERT_EQ(lesson_.Pages().nodes.size(), 1u);
    const CPenNode& arc = lesson_.Pages().nodes[0];
    EXPECT_EQ(arc.kind, CompassArc);
    EXPECT_EQ(arc.colour, RGB(0, 0, 255));
    EXPECT_EQ(arc.width, 2);
    EXPECT_EQ(QPoint(arc.arcCentreX, arc.arcCentreY), needle);
    EXPECT_EQ(arc.arcRadius, 200.0);
    ASSERT_GE(arc.points.size(), 10u);
    for (const PenPoint& p : arc.points)
        EXPECT_NEAR(std::hypot(p.x - needle.x(), p.y - needle.y()), 200.0, 1.5);
    // Kept counter-clockwise: it starts at the right and ends at the top.
    EXPECT_GT(arc.points.front().x, needle.x() + 150);
    EXPECT_LT(arc.points.back().y, needle.y() - 150);
    EXPECT_TRUE(lesson_.Pages().pageChanged);

    // On the page: the quarter the hand swept, nothing below the needle's level on the left.
    const QImage page = s.ComposedPage();
    const QRect swept(needle.x(), needle.y() - 210, 215, 215);
    const QRect unswept(needle.x() - 215, needle.y() + 40, 215, 175);
    EXPECT_GT(count(page, swept, 0xFF0000FF), 200);
    EXPECT_EQ(count(page, unswept, 0xFF0000FF), 0);

    s.UndoStep();
    EXPECT_EQ(count(s.ComposedPage(), swept, 0xFF0000FF), 0);
    s.RedoStep();
    EXPECT_GT(count(s.ComposedPage(), swept, 0xFF0000FF), 200);

    // Written and read back, it draws the same.
    std::stringstream stored;
    lesson_.Pages().nodes[0].Write(stored);
    CPenNode read;
    ASSERT_TRUE(read.Read(stored));
    EXPECT_EQ(read.points.size(), arc.points.size());
    QImage again(page.size(), QImage::Format_RGB32);
    again.fill(kWhite);
    QPainter painter(&again);
    read.Draw(painter, nullptr);
    painter.end();
    EXPECT_EQ(count(again, swept, 0xFF0000FF), count(page, swept, 0xFF0000FF));
}

TEST_F(Instruments, ADragOfLessThanTwoPencilPointsOrOfTheCompassItselfLeavesNothing)
{
    CScreenPenWnd& s = open();
    s.SelectInstrumentByNumber(1);
    const QPoint needle(350, 450);
    // Let go on the needle: it opens to 50 pixels.
    press(needle);
    release();
    const auto* compass = static_cast<const Compass*>(shape(kCompassEntry));
    EXPECT_EQ(compass->ptHandle, needle + QPoint(50, 0));
    EXPECT_EQ(compass->radius, 50);
    // A click on the paper: one pencil point at most.
    press({700, 150});
    release();
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    // A drag of the needle leg moves the compass and draws nothing.
    const QPoint leg = needle + QPoint(-2, -60);
    ASSERT_TRUE(compass->HitBody(leg.x(), leg.y()));
    dragThrough({leg, leg + QPoint(-100, 0)});
    EXPECT_EQ(compass->ptOrigin, needle + QPoint(-100, 0));
    EXPECT_TRUE(lesson_.Pages().nodes.empty());
    EXPECT_TRUE(s.currentObject().points.empty());
}

TEST_F(Instruments, WhileRecordingAMoveRepaintsOnlyWhereTheInstrumentWasAndIs)
{
    CScreenPenWnd& s = open();
    s.SelectInstrumentByNumber(5);
    dragThrough({{150, 200}, {450, 200}});
    const MyShape* square = shape(kTriangularEntry);
    ASSERT_TRUE(square && square->visible);
    QPoint inside = (square->ptOrigin + square->ptHandle) / 2;
    for (int d = 1; d < 80 && !square->HitBody(inside.x(), inside.y()); ++d)
        inside = (square->ptOrigin + square->ptHandle) / 2 + QPoint(0, d);
    ASSERT_TRUE(square->HitBody(inside.x(), inside.y()));

    // The window image is rebuilt over what changed: a mark left far away shows whether the whole was.
    for (bool recording : {true, false}) {
        InstrumentGesture::SetRecordingProbe(recording ? +[] { return true; } : +[] { return false; });
        s.RedrawPage();
        QImage& shown = const_cast<QImage&>(s.windowImage());
        shown.setPixel(790, 10, 0xFF123456);
        press(inside);
        moveTo(inside + QPoint(5, 5));
        EXPECT_EQ(s.windowImage().pixel(790, 10) == 0xFF123456, recording) << recording;
        release();
        inside += QPoint(5, 5);
    }
}
