#include "instrument_pages.h"
#include "instruments/compass.h"

#include <gtest/gtest.h>

using namespace DIALOG;
using namespace instrument_test;

namespace {

QPoint centreOf(const QPolygon& polygon)
{
    return polygon.boundingRect().center();
}

// A compass placed on the page of a table by a press at a and a release at b.
Compass& placedCompass(InstrumentTable& table, QPoint a, QPoint b)
{
    place(table, "Compass", a, b);
    return *static_cast<Compass*>(table.shape(kCompassEntry));
}

} // namespace

TEST(CompassPose, ClosedItStandsOnItsNeedle)
{
    auto compass = laid<Compass>({500, 500}, {500, 500});
    compass->UpdateRegions();
    EXPECT_EQ(compass->needleLeg, QPolygon({{500, 500}, {480, 403}, {480, 250}, {500, 250}}));
    EXPECT_EQ(compass->pencilLeg, QPolygon({{500, 500}, {520, 403}, {520, 250}, {500, 250}}));
    EXPECT_EQ(
        compass->hinge, QPolygon({{497, 286}, {479, 271}, {479, 229}, {521, 229}, {521, 271}, {503, 286}}));
    EXPECT_EQ(compass->grip, QPolygon({{493, 250}, {493, 185}, {507, 185}, {507, 250}}));
    EXPECT_EQ(compass->pencilTip, QPolygon({{500, 500}, {520, 403}, {500, 403}}));
}

TEST(CompassPose, OpenedLevelByThreeHundredFiftyTheHingeIs178Up)
{
    auto compass = laid<Compass>({400, 600}, {750, 600});
    EXPECT_EQ(compass->Hinge(), QPoint(575, 422));
    const QImage img = drawnOver(*compass, page());
    EXPECT_EQ(img.pixel(575, 422), qRgb(169, 169, 169));
    EXPECT_EQ(img.pixel(481, 505), qRgb(239, 239, 239)); // needle leg
    EXPECT_EQ(img.pixel(709, 549), qRgb(161, 173, 151)); // pencil tip
    EXPECT_EQ(compass->Label(), QStringLiteral("r = 7.0"));
    // The legs stand on their feet and meet at the hinge.
    EXPECT_EQ(compass->needleLeg.first(), QPoint(400, 600));
    EXPECT_EQ(compass->needleLeg.last(), QPoint(575, 422));
    EXPECT_EQ(compass->pencilLeg.first(), QPoint(750, 600));
    EXPECT_EQ(compass->pencilLeg.last(), QPoint(575, 422));
}

TEST(CompassPose, SeenEdgeOnItHasNoBreadthYetCanBeTakenHoldOf)
{
    auto compass = laid<Compass>({500, 300}, {500, 600});
    compass->UpdateRegions();
    EXPECT_EQ(compass->legSlant, 0.0);
    for (const QPolygon* part : {&compass->needleLeg, &compass->pencilLeg, &compass->hinge, &compass->grip})
        for (const QPoint& p : *part)
            EXPECT_EQ(p.x(), 500);
    EXPECT_TRUE(compass->HitBody(500, 280));
    EXPECT_TRUE(compass->HitBody(501, 400));
    EXPECT_TRUE(compass->HitHandle(505, 560));
    EXPECT_FALSE(compass->HitBody(520, 400));
}

TEST(CompassPose, TheLegsNeverOpenPastTheirLength)
{
    auto compass = laid<Compass>({100, 600}, {900, 600});
    EXPECT_EQ(compass->Hinge(), QPoint(500, 600));
    const QImage img = drawnOver(*compass, page());
    EXPECT_EQ(img.pixel(500, 590), qRgb(169, 169, 169));
}

TEST(CompassPencil, ThePencilPointLiesOnTheCircleTowardsTheMouse)
{
    auto compass = laid<Compass>({500, 500}, {600, 500});
    compass->radius = 100;
    EXPECT_EQ(compass->PencilPoint(500, 900), QPoint(500, 600));
    EXPECT_EQ(compass->PencilPoint(500, 0), QPoint(500, 400));
    EXPECT_EQ(compass->PencilPoint(900, 500), QPoint(600, 500));
    EXPECT_EQ(compass->PencilPoint(0, 500), QPoint(400, 500));
    EXPECT_EQ(compass->PencilPoint(800, 900), QPoint(560, 580));
    EXPECT_EQ(compass->PencilPoint(200, 100), QPoint(440, 420));
}

TEST(CompassPencil, WithoutAnOpeningThereIsNothingToDraw)
{
    auto compass = laid<Compass>({500, 500}, {500, 500});
    EXPECT_FALSE(compass->DrawTowards({700, 500}));
    EXPECT_TRUE(compass->arcPoints.empty());
}

TEST(CompassOpening, ReleasedOnItsNeedleItOpensToFifty)
{
    InstrumentTable table(screen());
    Compass& compass = placedCompass(table, {600, 500}, {600, 500});
    EXPECT_FALSE(table.placing());
    EXPECT_EQ(compass.ptHandle, QPoint(650, 500));
    EXPECT_EQ(compass.radius, 50);
    EXPECT_EQ(compass.Label(), QStringLiteral("r = 1.0"));
}

TEST(CompassOpening, ThePencilNeverGoesPast490AndTheLabelPast9Point8)
{
    InstrumentTable table(screen());
    table.SelectInstrument(QStringLiteral("Compass"));
    table.Press({600, 500});
    table.Move({1090, 500}, QRect());
    table.Move({1091, 500}, QRect());
    table.Release({1300, 500});
    auto& compass = *static_cast<Compass*>(table.shape(kCompassEntry));
    EXPECT_EQ(compass.ptHandle, QPoint(1090, 500));
    EXPECT_EQ(compass.radius, 490);
    EXPECT_EQ(compass.Label(), QStringLiteral("r = 9.8"));

    const QPoint tip = centreOf(compass.pencilTip);
    ASSERT_TRUE(compass.HitHandle(tip.x(), tip.y()));
    table.Press(tip);
    table.Move(tip + QPoint(40, 0), QRect());
    table.Release(tip + QPoint(40, 0));
    EXPECT_EQ(compass.ptHandle, QPoint(1090, 500));
    EXPECT_EQ(compass.Label(), QStringLiteral("r = 9.8"));
}

TEST(CompassArcs, EveryDragStepAddsOnePencilPointAtTheSetRadius)
{
    InstrumentTable table(screen());
    Compass& compass = placedCompass(table, {600, 500}, {700, 500});
    ASSERT_EQ(compass.radius, 100);
    table.Press({900, 100});
    EXPECT_FALSE(table.moving() || table.handleDrag());
    EXPECT_EQ(table.Move({900, 100}, QRect()).pencilPoint, QPoint(660, 420));
    EXPECT_EQ(table.Move({900, 100}, QRect()).pencilPoint, QPoint(660, 420));
    EXPECT_EQ(table.Move({600, 200}, QRect()).pencilPoint, QPoint(600, 400));
    EXPECT_EQ(compass.ptHandle, QPoint(600, 400));
    const InstrumentStep up = table.Release({600, 200});
    ASSERT_TRUE(up.arc);
    EXPECT_EQ(up.arc->centre, QPoint(600, 500));
    EXPECT_EQ(up.arc->radius, 100);
    EXPECT_EQ(up.arc->points, (std::vector<QPoint> {{660, 420}, {660, 420}, {600, 400}}));
    EXPECT_EQ(compass.radius, 100);
    EXPECT_TRUE(table.CurrentArc().points.empty());
}

TEST(CompassArcs, FewerThanTwoPencilPointsLeaveNothing)
{
    InstrumentTable table(screen());
    placedCompass(table, {600, 500}, {700, 500});
    table.Press({900, 100});
    table.Move({900, 100}, QRect());
    EXPECT_FALSE(table.Release({900, 100}).arc);
    table.Press({900, 100});
    EXPECT_FALSE(table.Release({900, 100}).arc);
}

TEST(CompassArcs, MovingTheCompassFilesWhatItDrewOnce)
{
    InstrumentTable table(screen());
    Compass& compass = placedCompass(table, {600, 500}, {700, 500});
    table.Press({900, 100});
    table.Move({900, 100}, QRect());
    table.Move({900, 200}, QRect());
    table.Release({900, 200});
    ASSERT_EQ(compass.arcPoints.size(), 2u);

    const QPoint grip = centreOf(compass.grip);
    table.Press(grip);
    ASSERT_TRUE(table.moving()); // the grip moves the compass rather than drawing
    table.Move(grip + QPoint(10, 0), QRect());
    table.Move(grip + QPoint(30, 0), QRect());
    table.Release(grip + QPoint(30, 0));
    ASSERT_EQ(compass.arcs.size(), 1u);
    EXPECT_EQ(compass.arcs[0].points.size(), 2u);
    EXPECT_EQ(compass.arcs[0].radius, 100.0);
    EXPECT_EQ(compass.arcs[0].centre, QPoint(600, 500));
    EXPECT_EQ(compass.arcs[0].tags, (std::array<int, 2> {20, 3}));
    EXPECT_TRUE(compass.arcPoints.empty());
    EXPECT_EQ(compass.ptOrigin, QPoint(630, 500));
}

TEST(CompassPose, HingeAndGripLeanWithTheLineFromNeedleToPencil)
{
    auto rising = laid<Compass>({400, 600}, {700, 500});
    rising->UpdateRegions();
    EXPECT_GT(rising->hinge[1].y(), rising->hinge[4].y());
    EXPECT_LT(rising->grip[2].y(), rising->grip[1].y());
    auto falling = laid<Compass>({400, 500}, {700, 600});
    falling->UpdateRegions();
    EXPECT_LT(falling->hinge[1].y(), falling->hinge[4].y());
    EXPECT_LT(falling->grip[1].y(), falling->grip[2].y());
    // The pencil down to the left of the needle: the line rises to the right, and so does the hinge.
    auto mirrored = laid<Compass>({700, 500}, {400, 600});
    mirrored->UpdateRegions();
    EXPECT_GT(mirrored->hinge[1].y(), mirrored->hinge[4].y());
}
