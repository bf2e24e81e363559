#include "instrument_pages.h"
#include "instruments/compass.h"
#include "instruments/instrument_table.h"
#include "instruments/protractor.h"

#include <gtest/gtest.h>

using namespace DIALOG;
using namespace instrument_test;

namespace {

QImage painted(InstrumentTable& table, const QImage& under)
{
    QImage out = under.copy();
    QPainter p(&out);
    table.Paint(p, under);
    return out;
}

} // namespace

TEST(InstrumentTableKinds, NamesAndNumbersMapToTheirEntries)
{
    const char* kinds[] = {"Compass", "Ruler", "ISOTriangular", "Triangular", "Protractor"};
    for (int i = 0; i < kInstrumentEntries; ++i)
        EXPECT_EQ(InstrumentTable::IndexOfKind(QString::fromLatin1(kinds[i])), i);
    EXPECT_EQ(InstrumentTable::IndexOfKind(QStringLiteral("ruler")), -1);
    EXPECT_EQ(InstrumentTable::IndexOfKind(QString()), -1);
    EXPECT_EQ(InstrumentTable::KindOfNumber(1), QStringLiteral("Compass"));
    EXPECT_EQ(InstrumentTable::KindOfNumber(2), QStringLiteral("Protractor"));
    EXPECT_EQ(InstrumentTable::KindOfNumber(3), QStringLiteral("Ruler"));
    EXPECT_EQ(InstrumentTable::KindOfNumber(4), QStringLiteral("ISOTriangular"));
    EXPECT_EQ(InstrumentTable::KindOfNumber(5), QStringLiteral("Triangular"));
    for (int n : {0, 6, 19, 99999})
        EXPECT_TRUE(InstrumentTable::KindOfNumber(n).isEmpty()) << n;
}

TEST(InstrumentTableChoice, OneEntryIsActiveAtATime)
{
    InstrumentTable table(screen());
    EXPECT_EQ(table.GetActiveInstrument(), nullptr);
    table.SelectInstrument(QStringLiteral("Compass"));
    table.SelectInstrument(QStringLiteral("Ruler"));
    EXPECT_EQ(table.GetActiveInstrument(), table.shape(kRulerEntry));
    table.ActivateEntry(kCompassEntry);
    EXPECT_EQ(table.GetActiveInstrument(), table.shape(kCompassEntry));
    EXPECT_FALSE(table.entry(kRulerEntry).active);
    table.ActivateEntry(7);
    EXPECT_EQ(table.GetActiveInstrument(), table.shape(kCompassEntry));
    table.SelectInstrument(QStringLiteral("Set square"));
    EXPECT_TRUE(table.placing());
    EXPECT_EQ(table.GetActiveInstrument(), table.shape(kCompassEntry));
}

TEST(InstrumentTableChoice, ChoosingRulerTwiceReplacesItAndKeepsTheOthers)
{
    InstrumentTable table(screen());
    place(table, "Ruler", {100, 300}, {400, 300});
    place(table, "Compass", {600, 500}, {700, 500});
    const MyShape* first = table.shape(kRulerEntry);
    ASSERT_TRUE(first->visible);
    table.SelectInstrument(QStringLiteral("Ruler"));
    const MyShape* second = table.shape(kRulerEntry);
    EXPECT_FALSE(second->visible);
    EXPECT_EQ(second->ptOrigin, QPoint(0, 0));
    EXPECT_EQ(second->ptHandle, QPoint(0, 0));
    EXPECT_EQ(second->GetName(), QStringLiteral("Ruler"));
    EXPECT_TRUE(table.placing());
    EXPECT_EQ(table.GetActiveInstrument(), second);
    EXPECT_TRUE(table.shape(kCompassEntry)->visible);
    EXPECT_EQ(table.shape(kCompassEntry)->ptOrigin, QPoint(600, 500));
}

TEST(InstrumentTablePlacing, AClickWithoutDragLeavesTheRulerWaitingForOne)
{
    InstrumentTable table(screen());
    table.SelectInstrument(QStringLiteral("Ruler"));
    table.Press({300, 300});
    table.Release({300, 300});
    MyShape* ruler = table.shape(kRulerEntry);
    EXPECT_TRUE(ruler->visible);
    EXPECT_EQ(ruler->ptOrigin, QPoint(300, 300));
    EXPECT_TRUE(table.placing());
    EXPECT_EQ(painted(table, page()), page()); // a ruler of no length is not drawn
    table.Press({400, 300});
    table.Move({600, 300}, QRect());
    table.Release({600, 300});
    EXPECT_EQ(ruler->ptOrigin, QPoint(400, 300));
    EXPECT_EQ(ruler->ptHandle, QPoint(600, 300));
    EXPECT_FALSE(table.placing());
}

TEST(InstrumentTablePlacing, AnUnplacedInstrumentIsNeitherDrawnNorHovered)
{
    InstrumentTable table(screen());
    table.SelectInstrument(QStringLiteral("Ruler"));
    EXPECT_EQ(painted(table, page()), page());
    table.Hover({5, 5});
    EXPECT_EQ(table.CursorNumber(), kCursorArrow);
}

TEST(InstrumentTablePress, OverlappingInstrumentsTheHigherIndexIsTakenAlone)
{
    InstrumentTable table(screen());
    place(table, "Compass", {300, 500}, {500, 500});
    place(table, "Ruler", {400, 450}, {800, 450});
    place(table, "Triangular", {1000, 100}, {1200, 100});
    const MyShape* compass = table.shape(kCompassEntry);
    const MyShape* ruler = table.shape(kRulerEntry);
    QPoint both(-1, -1);
    for (int y = 400; y < 510 && both.x() < 0; ++y)
        for (int x = 400; x < 520 && both.x() < 0; ++x)
            if (compass->HitHandle(x, y) && ruler->HitBody(x, y))
                both = QPoint(x, y);
    ASSERT_GE(both.x(), 0);
    table.Press(both);
    EXPECT_EQ(table.GetActiveInstrument(), ruler);
    EXPECT_TRUE(table.moving());
    EXPECT_FALSE(table.handleDrag());
    table.Move(both + QPoint(0, 50), QRect());
    table.Release(both + QPoint(0, 50));
    EXPECT_EQ(ruler->ptOrigin, QPoint(400, 500));
    EXPECT_EQ(ruler->ptHandle, QPoint(800, 500));
    EXPECT_EQ(compass->ptHandle, QPoint(500, 500));
}

TEST(InstrumentTablePress, APressOnEmptyPaperTakesNothing)
{
    InstrumentTable table(screen());
    place(table, "Ruler", {100, 300}, {400, 300});
    const InstrumentStep step = table.Press({900, 900});
    EXPECT_EQ(step.repaint, InstrumentStep::Repaint::None);
    EXPECT_FALSE(table.moving() || table.handleDrag());
    EXPECT_EQ(table.Move({950, 900}, QRect()).pencilPoint, std::nullopt);
    EXPECT_EQ(table.shape(kRulerEntry)->ptOrigin, QPoint(100, 300));
}

TEST(InstrumentTableMove, TheRepaintCoversWhereTheInstrumentWasAndIs)
{
    InstrumentTable table(screen());
    place(table, "Ruler", {100, 300}, {400, 300});
    table.Press({200, 340});
    const InstrumentStep step = table.Move({200, 640}, QRect());
    EXPECT_EQ(step.repaint, InstrumentStep::Repaint::Changed);
    EXPECT_TRUE(step.dirty.contains(QPoint(200, 340)));
    EXPECT_TRUE(step.dirty.contains(QPoint(200, 640)));
    EXPECT_FALSE(step.dirty.contains(QPoint(200, 500)));
    EXPECT_TRUE(table.shape(kRulerEntry)->HitBody(200, 640));
}

TEST(InstrumentTableMove, DraggedOntoTheToolStripTheInstrumentIsRemoved)
{
    InstrumentTable table(screen());
    place(table, "Ruler", {100, 300}, {400, 300});
    const QRect toolStrip(0, 0, 1920, 60);
    table.Press({200, 340});
    EXPECT_FALSE(table.Move({200, 300}, toolStrip).removed);
    const InstrumentStep step = table.Move({200, 40}, toolStrip);
    EXPECT_TRUE(step.removed);
    EXPECT_TRUE(step.dirty.contains(QPoint(200, 40)));
    EXPECT_EQ(table.shape(kRulerEntry), nullptr);
    EXPECT_EQ(table.GetActiveInstrument(), nullptr);
    EXPECT_FALSE(table.moving());
    EXPECT_EQ(table.Move({200, 30}, toolStrip).repaint, InstrumentStep::Repaint::None);
    table.Release({200, 30});
    EXPECT_EQ(painted(table, page()), page());
}

TEST(InstrumentTableHover, TheCursorSaysWhatAPressWouldTake)
{
    InstrumentTable table(screen());
    place(table, "Ruler", {100, 300}, {400, 300});
    table.Hover({405, 300});
    EXPECT_EQ(table.CursorNumber(), kCursorHand);
    table.Hover({200, 340});
    EXPECT_EQ(table.CursorNumber(), kCursorOpenHand);
    table.Hover({200, 500});
    EXPECT_EQ(table.CursorNumber(), kCursorArrow);
    table.Hover({200, 340});
    table.RemoveInstrument(kRulerEntry);
    table.Hover({200, 340});
    EXPECT_EQ(table.CursorNumber(), kCursorArrow);
}

TEST(InstrumentTablePaint, TheActiveInstrumentLiesOnTop)
{
    InstrumentTable table(screen());
    place(table, "Compass", {300, 500}, {500, 500});
    place(table, "Ruler", {200, 350}, {700, 350});
    const auto* compass = static_cast<const Compass*>(table.shape(kCompassEntry));
    std::vector<int> across;
    for (int x = 300; x < 400; ++x)
        if (compass->needleLegRgn->contains(QPoint(x, 350)))
            across.push_back(x);
    ASSERT_GT(across.size(), 6u);
    const QPoint onBoth(across[across.size() / 2], 350);
    EXPECT_EQ(painted(table, page()).pixel(onBoth), qRgb(255, 0, 0));
    table.ActivateEntry(kCompassEntry);
    EXPECT_EQ(painted(table, page()).pixel(onBoth), qRgb(239, 239, 239));
}

TEST(InstrumentTableProtractor, AClickPlacesItAndTheDragMovesIt)
{
    InstrumentTable table(screen());
    table.SelectInstrument(QStringLiteral("Protractor"));
    EXPECT_EQ(table.Press({600, 400}).repaint, InstrumentStep::Repaint::Whole);
    EXPECT_FALSE(table.placing());
    EXPECT_TRUE(table.moving());
    table.Move({650, 400}, QRect());
    table.Release({650, 400});
    const MyShape* protractor = table.shape(kProtractorEntry);
    EXPECT_EQ(protractor->ptOrigin, QPoint(400, 400));
    EXPECT_EQ(protractor->ptHandle, QPoint(900, 400));
}

TEST(InstrumentTableProtractor, PulledInsideFiveHundredItTurnsAndKeepsItsSize)
{
    InstrumentTable table(screen());
    table.SelectInstrument(QStringLiteral("Protractor"));
    table.Press({600, 400});
    table.Release({600, 400});
    auto* protractor = static_cast<Protractor*>(table.shape(kProtractorEntry));
    table.Press({850, 400});
    ASSERT_TRUE(table.handleDrag());
    table.Move({950, 400}, QRect());
    EXPECT_EQ(protractor->span, 600.0);
    table.Move({650, 400}, QRect());
    EXPECT_TRUE(table.protractorTurn());
    EXPECT_EQ(protractor->ptHandle, QPoint(950, 400));
    table.Move({350, 0}, QRect());
    EXPECT_EQ(protractor->ptHandle, QPoint(350, -200));
    table.Release({350, 0});
    EXPECT_FALSE(table.protractorTurn());
    EXPECT_EQ(protractor->span, 600.0);
    EXPECT_EQ(Distance(protractor->ptOrigin, protractor->ptHandle), 600.0);
}
