#pragma once
// The objects of the open page, the pen state new objects are built from, and the undo log.
#include "surface/pen_node.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace DIALOG {

// The current pen state: every new drawing object is built from it.
struct PenState {
    NodeKind kind = Pen;
    BOOL highlight = 0;
    COLORREF colour = RGB(255, 0, 0);
    int width = 0;

    // Whether the panel's pen width and colour apply to a tool of this kind: erasers, pictures and media
    // are not pens and keep theirs.
    static bool AttributesApply(NodeKind kind);
    // Takes the panel's width and colour where they apply; a text keeps its size, which is its font size
    // and set by the line-style popup. False when nothing changed.
    bool ApplyAttributes(int width, COLORREF colour);
};

enum UndoAction : std::int32_t {
    UndoAdd = 0,
    UndoErase = 1,
    UndoClear = 2,
    UndoReframe = 3, // the tracker moved, turned or resized a picture or a media window
};

// Where a picture's box or a media window lies: its size, centre and turn (pictures only).
struct NodeFrame {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t centreX = 0;
    std::int32_t centreY = 0;
    double angle = 0.0;

    static NodeFrame Of(const CPenNode& node);
    void ApplyTo(CPenNode& node) const;
    friend bool operator==(const NodeFrame&, const NodeFrame&) = default;
};

struct FrameChange {
    NodeFrame before;
    NodeFrame after;

    friend bool operator==(const FrameChange&, const FrameChange&) = default;
};

struct UndoEntry {
    std::int32_t index = 0;
    std::int32_t action = UndoAdd;
    // For a clear: the objects it hid, so that its undo shows them again and its redo hides them again,
    // whether or not they have add entries (a loaded page's objects have none). Null for a clear entry
    // pushed without them, which acts on the add entries below it.
    std::shared_ptr<const std::vector<std::int32_t>> hidden = nullptr;
    // For a reframe: the object's place before and after.
    std::shared_ptr<const FrameChange> frames = nullptr;

    friend bool operator==(const UndoEntry& a, const UndoEntry& b)
    {
        return a.index == b.index && a.action == b.action
            && (a.hidden == b.hidden || (a.hidden && b.hidden && *a.hidden == *b.hidden))
            && (a.frames == b.frames || (a.frames && b.frames && *a.frames == *b.frames));
    }
};

class PageList {
public:
    // A clear screen of more objects than this removes them for good (after asking) instead of hiding them.
    static constexpr std::size_t kClearHidesAtMost = 100;

    // Appends a copy of node and returns its index. A two-point kind drawn with another number of
    // points is appended as its first and last point only.
    int AddObject(const CPenNode& node);

    void PushUndo(int index, int action);
    // Clear screen: hides every object that is shown and pushes a clear entry that remembers them. The redo
    // stack is emptied, as by any new action.
    void ClearShown();
    void Undo();
    void Redo();
    void ClearUndo() { undoStack.clear(); }
    void ClearRedo() { redoStack.clear(); }
    // Empties the objects and both stacks, as when a page is cleared for good or another one opens.
    void Clear();

    // The steps of the surface, each taken under the lock.
    // A drawn object joins the page: appended, its add entry pushed, the redo stack emptied. Returns its
    // index.
    int CommitObject(const CPenNode& node);
    // The tracker let go of the object at index: it takes frame, and one undo step puts it back. Nothing
    // happens when the frame did not change. The redo stack is emptied.
    void ReframeStep(int index, const NodeFrame& frame);
    // A picture dropped on the tool strip is removed, with an erase entry.
    void EraseStep(int index);
    // The panel's undo and redo buttons. Both change the page the store would write.
    void UndoStep();
    void RedoStep();
    // Whether a clear screen now would remove the objects for good, so the user must be asked first.
    bool ClearRemovesForGood() const { return nodes.size() > kClearHidesAtMost; }
    // Clear screen, once the user agreed where ClearRemovesForGood asks: a small page is hidden with an undo
    // entry, a large one emptied with its undo log. Cleared from the panel, not by a press on the page, so
    // the page is marked changed here.
    void ClearScreenStep();

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
    // Sets cleared on the objects the clear entry at position top of the undo stack hid. An entry without
    // its list means the add entries below it, down to the previous clear; with nothing below, an undo
    // shows every object that is not erased and a redo hides nothing.
    void applyClear(std::size_t top, BOOL cleared);

    std::recursive_mutex lock_;
};

// Whether the page shows something the teacher put on it: an object that is neither erased nor cleared and
// is no eraser's mark (a trail or lasso on an empty page leaves it as empty as it was).
bool ShowsWriting(const std::vector<CPenNode>& nodes);

} // namespace DIALOG
