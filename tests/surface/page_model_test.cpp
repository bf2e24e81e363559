#include "surface/page_model.h"

#include <gtest/gtest.h>

using namespace DIALOG;

namespace {

CPenNode stroke(NodeKind kind, int points)
{
    CPenNode node(RGB(1, 2, 3), 4, 1, kind);
    for (int i = 0; i < points; ++i)
        node.AddPoint(i, i * 2, 0, 7);
    return node;
}

// Appends a stroke the way the surface commits one: the object and its add entry.
int commit(PageList& list)
{
    const int index = list.AddObject(stroke(Pen, 3));
    list.PushUndo(index, UndoAdd);
    list.ClearRedo();
    return index;
}

// Objects read from a page file: they have no add entries.
void load(PageList& list, int count)
{
    for (int i = 0; i < count; ++i)
        list.AddObject(stroke(Pen, 2));
}

std::vector<BOOL> clearedFlags(const PageList& list)
{
    std::vector<BOOL> out;
    for (const CPenNode& node : list.nodes)
        out.push_back(node.cleared);
    return out;
}

} // namespace

TEST(PageListAddObject, TwoPointShapesKeepTheirFirstAndLastPoint)
{
    PageList list;
    list.AddObject(stroke(Rectangle, 5));
    const CPenNode& rect = list.nodes.back();
    EXPECT_EQ(rect.kind, Rectangle);
    EXPECT_EQ(rect.colour, RGB(1, 2, 3));
    EXPECT_EQ(rect.width, 4);
    EXPECT_EQ(rect.highlight, 1);
    EXPECT_EQ(rect.points, (std::vector<PenPoint> {{0, 0, 1, 0}, {4, 8, 1, 0}}));

    list.AddObject(stroke(Line, 1));
    EXPECT_EQ(list.nodes.back().points, (std::vector<PenPoint> {{0, 0, 1, 0}, {0, 0, 1, 0}}));

    // Exactly two points, and every other kind, are copied as they are.
    list.AddObject(stroke(Ellipse, 2));
    EXPECT_EQ(list.nodes.back().points[1], (PenPoint {1, 2, 0, 7}));
    EXPECT_EQ(list.AddObject(stroke(Pen, 5)), 3);
    EXPECT_EQ(list.nodes.back().points.size(), 5u);
    list.AddObject(stroke(Cube, 0));
    EXPECT_TRUE(list.nodes.back().points.empty());
}

TEST(PageListUndo, AddAndEraseAreUndoneAndRedone)
{
    PageList list;
    const int a = commit(list);
    list.nodes[a].erased = 1;
    list.PushUndo(a, UndoErase);

    list.Undo();
    EXPECT_EQ(list.nodes[a].erased, 0);
    list.Undo();
    EXPECT_EQ(list.nodes[a].erased, 1);
    EXPECT_TRUE(list.undoStack.empty());
    list.Undo();
    EXPECT_EQ(list.redoStack.size(), 2u);

    list.Redo();
    EXPECT_EQ(list.nodes[a].erased, 0);
    list.Redo();
    EXPECT_EQ(list.nodes[a].erased, 1);
    EXPECT_EQ(list.undoStack, (std::vector<UndoEntry> {{a, UndoAdd}, {a, UndoErase}}));
    list.Redo();
    EXPECT_EQ(list.undoStack.size(), 2u);
}

TEST(PageListUndo, ClearWalkStopsAtTheEarlierClear)
{
    PageList list;
    commit(list);
    commit(list);
    list.ClearShown();
    const int c = commit(list);
    list.ClearShown();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 1, 1}));

    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 1, 0}));
    list.Undo();
    EXPECT_EQ(list.nodes[c].erased, 1);
    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 0, 0}));

    list.Redo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 1, 0}));
    list.Redo();
    list.Redo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 1, 1}));
}

TEST(PageListUndo, ClearOfALoadedPageIsUndoneAndRedone)
{
    // The clear is the only entry of the log; the objects it hides have none.
    PageList list;
    load(list, 3);
    list.nodes[1].erased = 1;
    list.ClearShown();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 0, 1}));
    EXPECT_EQ(list.nodes[1].erased, 1);

    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 0, 0}));
    list.Redo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 0, 1}));
    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 0, 0}));
}

TEST(PageListUndo, UndoOfAClearBringsBackLoadedAndDrawnInkAlike)
{
    // Walking the add entries below the clear would find only the drawn stroke and leave the loaded
    // page blank.
    PageList list;
    load(list, 2);
    const int drawn = commit(list);
    list.ClearShown();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 1, 1}));
    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 0, 0}));
    list.Redo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 1, 1}));
    list.Undo();
    list.Undo();
    EXPECT_EQ(list.nodes[drawn].erased, 1);
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 0, 0}));
}

TEST(PageListUndo, ClearHidesAndRedoHidesOnlyWhatWasShown)
{
    // The second object was cleared before the page was stored: no undo of a later clear shows it again.
    PageList list;
    load(list, 3);
    list.nodes[1].cleared = 1;
    list.ClearShown();
    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 1, 0}));
    list.Redo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {1, 1, 1}));
    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 1, 0}));
}

TEST(PageListUndo, ClearEntryWithoutItsObjectsActsOnTheAddEntriesBelowIt)
{
    // An entry pushed without the list of what it hid: the undo of one with nothing below shows every
    // object not erased, and its redo hides only objects whose add entries lie below it, here none.
    PageList list;
    load(list, 3);
    list.nodes[1].erased = 1;
    for (CPenNode& node : list.nodes)
        node.cleared = !node.erased;
    list.PushUndo(0, UndoClear);
    list.Undo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 0, 0}));
    list.Redo();
    EXPECT_EQ(clearedFlags(list), (std::vector<BOOL> {0, 0, 0}));

    // With add entries below, those objects are hidden again and the loaded ones are not.
    PageList drawn;
    load(drawn, 1);
    commit(drawn);
    drawn.PushUndo(0, UndoClear);
    drawn.Undo();
    drawn.Redo();
    EXPECT_EQ(clearedFlags(drawn), (std::vector<BOOL> {0, 1}));
}

TEST(PageListUndo, EntriesPastTheListAreHarmless)
{
    PageList list;
    list.PushUndo(5, UndoAdd);
    list.PushUndo(-1, UndoErase);
    list.PushUndo(0, 9);
    list.Undo();
    list.Undo();
    list.Undo();
    list.Redo();
    EXPECT_EQ(list.undoStack.size(), 1u);
}

TEST(PageListLifecycle, ClearEmptiesObjectsAndBothStacks)
{
    PageList list;
    commit(list);
    commit(list);
    list.Undo();
    list.Clear();
    EXPECT_TRUE(list.nodes.empty());
    EXPECT_TRUE(list.undoStack.empty());
    EXPECT_TRUE(list.redoStack.empty());
}

TEST(PageListSteps, CommitAddsAnUndoableObjectAndEndsTheRedoChain)
{
    PageList list;
    commit(list);
    list.Undo();
    ASSERT_EQ(list.redoStack.size(), 1u);
    const int index = list.CommitObject(stroke(Rectangle, 4));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(list.nodes[1].points.size(), 2u);
    EXPECT_EQ(list.undoStack, (std::vector<UndoEntry> {{1, UndoAdd}}));
    EXPECT_TRUE(list.redoStack.empty());
    list.UndoStep();
    EXPECT_EQ(list.nodes[1].erased, 1);
}

TEST(PageListSteps, UndoAndRedoMarkThePageChangedEvenWithNothingToDo)
{
    PageList list;
    list.UndoStep();
    EXPECT_TRUE(list.pageChanged);
    list.pageChanged = false;
    commit(list);
    list.UndoStep();
    EXPECT_TRUE(list.pageChanged);
    EXPECT_EQ(list.nodes[0].erased, 1);
    list.pageChanged = false;
    list.RedoStep();
    EXPECT_TRUE(list.pageChanged);
    EXPECT_EQ(list.nodes[0].erased, 0);
}

TEST(PageListSteps, ClearOfAHundredObjectsHidesThemUndoably)
{
    PageList list;
    for (int i = 0; i < 100; ++i)
        commit(list);
    list.Undo();
    EXPECT_FALSE(list.ClearRemovesForGood());
    list.ClearScreenStep();
    EXPECT_TRUE(list.pageChanged);
    EXPECT_EQ(list.nodes.size(), 100u);
    EXPECT_TRUE(list.redoStack.empty());
    EXPECT_EQ(list.undoStack.back().action, UndoClear);
    for (std::size_t i = 0; i < 99; ++i)
        EXPECT_EQ(list.nodes[i].cleared, 1) << i;
    list.UndoStep();
    EXPECT_EQ(list.nodes[0].cleared, 0);
}

TEST(PageListSteps, ClearOfMoreThanAHundredObjectsRemovesThemForGood)
{
    PageList list;
    for (int i = 0; i < 101; ++i)
        commit(list);
    list.Undo();
    EXPECT_TRUE(list.ClearRemovesForGood());
    list.ClearScreenStep();
    EXPECT_TRUE(list.pageChanged);
    EXPECT_TRUE(list.nodes.empty());
    EXPECT_TRUE(list.undoStack.empty());
    EXPECT_TRUE(list.redoStack.empty());
    list.UndoStep();
    EXPECT_TRUE(list.nodes.empty());
}
