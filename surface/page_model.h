#pragma once
// The objects of the open page, the pen state new objects are built from, and the undo log.
#include "surface/pen_node.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace DIALOG {

// The current pen state: every new drawing object is built from it.
struct PenState {
    NodeKind kind = Pen;
    BOOL highlight = 0;
    COLORREF colour = RGB(255, 0, 0);
    int width = 0;
};

// The process-wide pen state that the main panel, the popups and the surface share.
PenState& CurrentPenState();

enum UndoAction : std::int32_t {
    UndoAdd = 0,
    UndoErase = 1,
    UndoClear = 2,
};

struct UndoEntry {
    std::int32_t index = 0;
    std::int32_t action = UndoAdd;

    friend bool operator==(const UndoEntry&, const UndoEntry&) = default;
};

class PageList {
public:
    // Appends a copy of node and returns its index. A two-point kind drawn with another number of
    // points is appended as its first and last point only.
    int AddObject(const CPenNode& node);

    void PushUndo(int index, int action);
    void Undo();
    void Redo();
    void ClearUndo() { undoStack.clear(); }
    void ClearRedo() { redoStack.clear(); }
    // Empties the objects and both stacks, as when a page is cleared for good or another one opens.
    void Clear();

    // Held while the list is emptied or walked for painting; recursive like the critical section
    // it stands for.
    std::recursive_mutex& Lock() { return lock_; }

    std::vector<CPenNode> nodes;
    std::vector<UndoEntry> undoStack;
    std::vector<UndoEntry> redoStack;
    // The list differs from its page file.
    bool pageChanged = false;

private:
    CPenNode* nodeAt(int index);
    // Sets cleared on the objects a clear hid: the add entries below position top of the undo stack,
    // down to the previous clear.
    void clearWalk(std::size_t top, BOOL cleared);

    std::recursive_mutex lock_;
};

// The page list of the open page, shared by the surface and the page store.
PageList& ThePageList();

} // namespace DIALOG
