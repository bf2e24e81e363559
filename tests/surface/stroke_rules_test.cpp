#include "surface/stroke_rules.h"

#include "platform/gdi.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace DIALOG;

TEST(StrokeRulesDash, AStraightDragSwitchesEveryThirtyPixels)
{
    DashRhythm dash;
    std::vector<bool> drawn;
    for (int x = 1; x <= 100; ++x)
        drawn.push_back(dash.Step(QPoint(x - 1, 0), QPoint(x, 0)));
    for (int x = 1; x <= 100; ++x)
        EXPECT_EQ(drawn[std::size_t(x - 1)], (x / 30) % 2 == 0) << "x = " << x;
    dash.Reset();
    EXPECT_EQ(dash.dashDistance, 0.0);
    EXPECT_EQ(dash.dashGap, 0);
}

TEST(StrokeRulesDash, LongStepsCarryTheirRestIntoTheNextDash)
{
    DashRhythm dash;
    EXPECT_FALSE(dash.Step(QPoint(0, 0), QPoint(30, 40))); // 50 pixels: into the gap, 20 of it gone
    EXPECT_DOUBLE_EQ(dash.dashDistance, 20.0);
    EXPECT_FALSE(dash.Step(QPoint(30, 40), QPoint(30, 49)));
    EXPECT_TRUE(dash.Step(QPoint(30, 49), QPoint(30, 50)));
}

// On a board scaled to 2 the points come in device pixels: the dashes, the speed pen's judging and the
// lasso's reach keep their size on the glass.
TEST(StrokeRulesScaled, DistancesAreLogicalPixelsOnAScaledBoard)
{
    DashRhythm dash;
    EXPECT_TRUE(dash.Step(QPoint(0, 0), QPoint(59, 0), 2.0));
    EXPECT_FALSE(dash.Step(QPoint(59, 0), QPoint(60, 0), 2.0)) << "the gap starts after 60 device pixels";

    SpeedPenWidth speed;
    speed.SetWidth(8);
    speed.Begin(QPoint(0, 0), 0);
    speed.Step(QPoint(19, 0), 10, 2.0);
    EXPECT_EQ(speed.speedPrev, 0.0) << "not judged before 20 device pixels";
    speed.Step(QPoint(20, 0), 10, 2.0);
    EXPECT_DOUBLE_EQ(speed.speedPrev, 1.0) << "10 logical pixels in 10 ms";

    const std::vector<PenPoint> loop {{0, 0, 1, 0}, {600, 600, 1, 0}, {200, 0, 1, 0}};
    EXPECT_TRUE(LassoClosed(loop, 2.0));
    EXPECT_FALSE(LassoClosed(loop));
}

TEST(StrokeRulesSpeed, RangeFollowsTheChosenWidth)
{
    SpeedPenWidth speed;
    EXPECT_EQ(speed.SetWidth(5), 8);
    EXPECT_EQ(speed.speedMaxWidth, 8);
    EXPECT_EQ(speed.speedMinWidth, 3);
    EXPECT_EQ(speed.speedWidth, 8);
    EXPECT_EQ(speed.SetWidth(20), 20);
    EXPECT_EQ(speed.speedMinWidth, 11);
    EXPECT_EQ(speed.SetWidth(8), 8);
    EXPECT_EQ(speed.speedMinWidth, 3);
}

TEST(StrokeRulesSpeed, FasterThinsDownToTheNarrowestAndSlowerWidensWithinTwo)
{
    SpeedPenWidth speed;
    speed.SetWidth(20);
    speed.Begin(QPoint(0, 0), 1000);
    // Every 10 pixels judged; the first judgement only sets the speed to compare with.
    qint64 now = 1000;
    int x = 0;
    const auto tenPixelsIn = [&](qint64 ms) {
        now += ms;
        x += 10;
        return speed.Step(QPoint(x, 0), now);
    };
    EXPECT_EQ(tenPixelsIn(100), 20);
    // Each judgement faster than the one before takes a pixel off, down to 11.
    int width = 20;
    for (qint64 ms = 90; ms >= 2; ms -= 8)
        width = tenPixelsIn(ms);
    EXPECT_EQ(width, 11);
    EXPECT_EQ(tenPixelsIn(1), 11);
    // Slowing down grows it again, but not past the narrowest plus two.
    EXPECT_EQ(tenPixelsIn(10), 12);
    EXPECT_EQ(tenPixelsIn(20), 13);
    EXPECT_EQ(tenPixelsIn(40), 13);
    // Slower than 0.05 pixels per millisecond leaves it alone.
    EXPECT_EQ(tenPixelsIn(1000), 13);
    EXPECT_EQ(speed.speedLastPoint, QPoint(x, 0));
}

TEST(StrokeRulesSpeed, MovesWithinOneMillisecondAreNotInfinitelyFast)
{
    SpeedPenWidth speed;
    speed.SetWidth(8);
    speed.Begin(QPoint(0, 0), 50);
    speed.Step(QPoint(10, 0), 50);
    EXPECT_DOUBLE_EQ(speed.speedPrev, 10.0);
    // Less than ten pixels: not judged, the distance is kept for the next move.
    speed.Step(QPoint(14, 0), 60);
    EXPECT_DOUBLE_EQ(speed.speedDistance, 4.0);
    EXPECT_EQ(speed.speedClock, 50);
}

TEST(StrokeRulesLasso, EndsCountAsMetWithinAHundredWholePixels)
{
    const auto lasso = [](QPoint last) {
        return std::vector<PenPoint> {{0, 0, 1, 0}, {300, 300, 1, 0}, {last.x(), last.y(), 1, 0}};
    };
    EXPECT_TRUE(LassoClosed(lasso(QPoint(100, 0))));
    EXPECT_FALSE(LassoClosed(lasso(QPoint(101, 0))));
    // 100.4 pixels apart, cut to 100.
    EXPECT_TRUE(LassoClosed(lasso(QPoint(71, 71))));
    EXPECT_FALSE(LassoClosed({}));
}

TEST(StrokeRulesLasso, ALongLoopKeepsEvenlySpacedPointsOfTheWholeWayRound)
{
    std::vector<PenPoint> loop;
    for (int i = 0; i < 1200; ++i)
        loop.push_back(PenPoint {i, -i, 1, 0});
    const std::vector<PenPoint> kept = ThinLasso(loop);
    ASSERT_EQ(kept.size(), std::size_t(kMaxLassoPoints));
    EXPECT_EQ(kept.front(), loop.front());
    EXPECT_EQ(kept.back(), loop.back());
    for (std::size_t i = 1; i < kept.size(); ++i) {
        const int step = kept[i].x - kept[i - 1].x;
        EXPECT_TRUE(step == 2 || step == 3) << i;
    }
    loop.resize(kMaxLassoPoints);
    EXPECT_EQ(ThinLasso(loop), loop);
}

TEST(StrokeRulesClick, OnlyAFreehandPressAndReleaseAtOnePointIsAClick)
{
    CPenNode pen(0, 3, 0, Pen);
    pen.AddPoint(10, 20);
    EXPECT_TRUE(IsClick(pen, QPoint(10, 20)));
    EXPECT_FALSE(IsClick(pen, QPoint(10, 21)));
    pen.AddPoint(10, 20);
    EXPECT_FALSE(IsClick(pen, QPoint(10, 20)));
    for (NodeKind kind : {Line, Rectangle, Polyline}) {
        CPenNode shape(0, 3, 0, kind);
        shape.AddPoint(10, 20);
        EXPECT_FALSE(IsClick(shape, QPoint(10, 20))) << kind;
    }
    CPenNode eraser(0, 8, 0, EraseTrail);
    eraser.AddPoint(5, 5);
    EXPECT_TRUE(IsClick(eraser, QPoint(5, 5)));
}

TEST(StrokeRulesBounds, ObjectBoundsHoldArrowHeadsSolidsAndSpeedWidths)
{
    CPenNode arrow(0, 2, 0, Arrow);
    arrow.AddPoint(100, 100);
    arrow.AddPoint(200, 100);
    const QRect a = ObjectBounds(arrow);
    EXPECT_TRUE(a.contains(QRect(100 - 24, 100 - 24, 149, 49)));

    CPenNode cube(0, 1, 0, Cube);
    cube.AddPoint(100, 300);
    cube.AddPoint(200, 400);
    // The back face lies up and to the right of the dragged front face.
    EXPECT_LE(ObjectBounds(cube).top(), 300 - 60 - 2);
    EXPECT_GE(ObjectBounds(cube).right(), 200 + 50 + 2);

    CPenNode speed(0, 8, 0, SpeedPen);
    speed.AddPoint(0, 0, 1, 8);
    speed.AddPoint(10, 0, 1, 60);
    EXPECT_LE(ObjectBounds(speed).top(), -62);
    EXPECT_TRUE(ObjectBounds(CPenNode()).isEmpty());
}

TEST(StrokeRulesBounds, SegmentRectHoldsEveryPixelTheLiveSegmentInks)
{
    for (int width : {1, 2, 5, 12}) {
        for (const QPoint to :
            {QPoint(60, 52), QPoint(5, 20), QPoint(40, 40), QPoint(41, 3), QPoint(80, 40)}) {
            const QPoint from(40, 40);
            QImage img(100, 80, QImage::Format_RGB32);
            img.fill(0xFFFFFFFF);
            QPainter p(&img);
            platform::beginGdi(p);
            p.setPen(platform::gdiPen(0, width));
            p.drawLine(from, to);
            p.end();
            const QRect r = SegmentRect(from, to, width);
            for (int y = 0; y < img.height(); ++y) {
                for (int x = 0; x < img.width(); ++x) {
                    const bool inked = img.pixel(x, y) != 0xFFFFFFFF;
                    ASSERT_TRUE(!inked || r.contains(x, y))
                        << "width " << width << " to " << to.x() << "," << to.y() << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(StrokeRulesEraser, PathStepsEveryPixelFromAfterTheStartToTheEnd)
{
    const std::vector<QPoint> path = EraserPath(QPoint(0, 0), QPoint(5, 2));
    ASSERT_EQ(path.size(), 5u);
    EXPECT_EQ(path.back(), QPoint(5, 2));
    QPoint previous(0, 0);
    for (const QPoint& p : path) {
        EXPECT_LE(std::max(std::abs(p.x() - previous.x()), std::abs(p.y() - previous.y())), 1);
        EXPECT_NE(p, QPoint(0, 0));
        previous = p;
    }
    EXPECT_EQ(EraserPath(QPoint(3, 3), QPoint(3, 3)), std::vector<QPoint> {QPoint(3, 3)});
    EXPECT_EQ(EraserSquare(QPoint(100, 50), 8), QRect(92, 42, 16, 16));
}

namespace {

// Pencil points on a circle of radius 100 about (200, 200), at angles in degrees counter-clockwise from the
// right, as the compass puts them: whole pixels.
std::vector<QPoint> pencilAt(std::initializer_list<double> degrees)
{
    std::vector<QPoint> points;
    for (double d : degrees) {
        const double a = d * 3.14159265358979323846 / 180.0;
        points.emplace_back(
            200 + int(std::lround(100 * std::cos(a))), 200 - int(std::lround(100 * std::sin(a))));
    }
    return points;
}

// The counter-clockwise angle swept from each point to the next, in degrees.
std::vector<double> stepsOf(const std::vector<QPoint>& arc)
{
    std::vector<double> steps;
    for (std::size_t i = 1; i < arc.size(); ++i) {
        const double a1 = std::atan2(-double(arc[i - 1].y() - 200), double(arc[i - 1].x() - 200));
        const double a2 = std::atan2(-double(arc[i].y() - 200), double(arc[i].x() - 200));
        double d = (a2 - a1) * 180.0 / 3.14159265358979323846;
        while (d <= 0)
            d += 360.0;
        steps.push_back(d);
    }
    return steps;
}

} // namespace

TEST(StrokeRulesCompassArc, EveryDragBecomesTheArcItSweptCounterClockwise)
{
    const QPoint centre(200, 200);
    // Counter-clockwise with pauses: the order kept, the repeats gone.
    EXPECT_EQ(CounterClockwiseArc(centre, pencilAt({0, 0, 10, 20, 20, 30})), pencilAt({0, 10, 20, 30}));
    // Clockwise: the same arc, turned round.
    EXPECT_EQ(CounterClockwiseArc(centre, pencilAt({30, 20, 10, 0})), pencilAt({0, 10, 20, 30}));
    // Across the leftward ray (180° to 190° is -170°): still one short arc.
    EXPECT_EQ(CounterClockwiseArc(centre, pencilAt({200, 190, 170})), pencilAt({170, 190, 200}));
    // The hand turns back: the arc is as far as it went either way.
    EXPECT_EQ(
        CounterClockwiseArc(centre, pencilAt({40, 60, 80, 50, 20, 30})), pencilAt({20, 30, 40, 50, 60, 80}));
    // All the way round and on: a closed circle, every step short.
    std::initializer_list<double> round = {0, 60, 120, 180, 240, 300, 360, 420};
    const std::vector<QPoint> circle = CounterClockwiseArc(centre, pencilAt(round));
    ASSERT_GE(circle.size(), 7u);
    EXPECT_EQ(circle.front(), circle.back());
    double total = 0;
    for (double step : stepsOf(circle)) {
        EXPECT_LT(step, 180.0);
        total += step;
    }
    EXPECT_NEAR(total, 360.0, 1.0);
    // Too little to draw.
    EXPECT_EQ(CounterClockwiseArc(centre, pencilAt({10, 10, 10})).size(), 1u);
    EXPECT_TRUE(CounterClockwiseArc(centre, {}).empty());
}

TEST(StrokeRulesCompassArc, DrawnArcCoversOnlyWhatTheHandSwept)
{
    // A clockwise drag over the upper right quarter inks that quarter and nothing of the rest of the circle.
    QImage img(400, 400, QImage::Format_RGB32);
    img.fill(0xFFFFFFFF);
    CPenNode node(RGB(0, 0, 0), 1, 0, CompassArc);
    node.arcCentreX = 200;
    node.arcCentreY = 200;
    node.arcRadius = 100.0;
    for (const QPoint& p : CounterClockwiseArc(QPoint(200, 200), pencilAt({85, 85, 60, 45, 30, 5})))
        node.AddPoint(p.x(), p.y());
    QPainter painter(&img);
    node.Draw(painter, nullptr);
    painter.end();
    int inQuarter = 0, elsewhere = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            if (img.pixel(x, y) != 0xFFFFFFFF)
                (x >= 200 && y <= 200 ? inQuarter : elsewhere)++;
    EXPECT_GT(inQuarter, 100);
    EXPECT_EQ(elsewhere, 0);
}

TEST(StrokeRulesPressure, AStylusSpansHalfToTwiceTheChosenWidth)
{
    EXPECT_EQ(PressureWidth(10, 0.0), 5);
    EXPECT_EQ(PressureWidth(10, 0.5), 10);
    EXPECT_EQ(PressureWidth(10, 1.0), 20);
    // Equal steps of pressure give equal ratios of width.
    EXPECT_EQ(PressureWidth(16, 0.25), 11);
    EXPECT_EQ(PressureWidth(16, 0.75), 23);
    // Readings outside the range are the range's ends; a one-pixel pen never vanishes.
    EXPECT_EQ(PressureWidth(10, -0.3), 5);
    EXPECT_EQ(PressureWidth(10, 1.7), 20);
    EXPECT_EQ(PressureWidth(1, 0.0), 1);
    EXPECT_EQ(PressureWidth(0, 1.0), 2);
}
