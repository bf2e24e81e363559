#include "surface/page_model.h"

#include <algorithm>

namespace DIALOG {

bool PenState::AttributesApply(NodeKind kind)
{
    switch (kind) {
    case EraseTrail:
    case EraseLasso:
    case Picture:
    case Flash:
    case Video:
        return false;
    default:
        return true;
    }
}

bool PenState::ApplyAttributes(int newWidth, COLORREF newColour)
{
    if (!AttributesApply(kind))
        return false;
    if (kind != Text)
        width = newWidth;
    colour = newColour;
    return true;
}

NodeFrame NodeFrame::Of(const CPenNode& node)
{
    if (node.kind == Flash || node.kind == Video)
        return NodeFrame {node.mediaWidth, node.mediaHeight, node.mediaCentreX, node.mediaCentreY, 0.0};
    return NodeFrame {node.boxWidth, node.boxHeight, node.boxCentreX, node.boxCentreY, node.boxAngle};
}

void NodeFrame::ApplyTo(CPenNode& node) const
{
    if (node.kind == Flash || node.kind == Video) {
        node.mediaWidth = width;
        node.mediaHeight = height;
        node.mediaCentreX = centreX;
        node.mediaCentreY = centreY;
        return;
    }
    node.boxWidth = width;
    node.boxHeight = height;
    node.boxCentreX = centreX;
    node.boxCentreY = centreY;
    node.boxAngle = angle;
}

bool ShowsWriting(const std::vector<CPenNode>& nodes)
{
    return std::any_of(nodes.begin(), nodes.end(), [](const CPenNode& node) {
        return !node.erased && !node.cleared && node.kind != EraseTrail && node.kind != EraseLasso;
    });
}

int PageList::AddObject(const CPenNode& node)
{
    if (IsTwoPointKind(node.kind) && node.points.size() != 2 && !node.points.empty()) {
        CPenNode spanned(node.colour, node.width, node.highlight, node.kind);
        spanned.AddPoint(node.points.front().x, node.points.front().y, 1, 0);
        spanned.AddPoint(node.points.back().x, node.points.back().y, 1, 0);
        nodes.push_back(std::move(spanned));
    } else {
        nodes.push_back(node);
    }
    return int(nodes.size()) - 1;
}

void PageList::PushUndo(int index, int action)
{
    undoStack.push_back(UndoEntry {index, action});
}

CPenNode* PageList::nodeAt(int index)
{
    // An entry can outlive its object when the list was emptied without the log.
    if (index < 0 || std::size_t(index) >= nodes.size())
        return nullptr;
    return &nodes[std::size_t(index)];
}

void PageList::ClearShown()
{
    auto hidden = std::make_shared<std::vector<std::int32_t>>();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        CPenNode& node = nodes[i];
        if (node.erased || node.cleared)
            continue;
        node.cleared = 1;
        hidden->push_back(std::int32_t(i));
    }
    undoStack.push_back(UndoEntry {0, UndoClear, std::move(hidden)});
    redoStack.clear();
}

void PageList::applyClear(std::size_t top, BOOL cleared)
{
    if (const auto& hidden = undoStack[top].hidden) {
        for (std::int32_t index : *hidden) {
            if (CPenNode* node = nodeAt(index))
                node->cleared = cleared;
        }
        return;
    }
    if (top == 0) {
        if (!cleared) {
            for (CPenNode& node : nodes) {
                if (!node.erased)
                    node.cleared = 0;
            }
        }
        return;
    }
    for (std::size_t i = top; i-- > 0;) {
        const UndoEntry& entry = undoStack[i];
        if (entry.action == UndoClear)
            break;
        if (entry.action != UndoAdd)
            continue;
        if (CPenNode* node = nodeAt(entry.index); node && !node->erased)
            node->cleared = cleared;
    }
}

void PageList::Undo()
{
    if (undoStack.empty())
        return;
    const UndoEntry entry = undoStack.back();
    redoStack.push_back(entry);
    switch (entry.action) {
    case UndoAdd:
        if (CPenNode* node = nodeAt(entry.index))
            node->erased = 1;
        break;
    case UndoErase:
        if (CPenNode* node = nodeAt(entry.index))
            node->erased = 0;
        break;
    case UndoClear:
        applyClear(undoStack.size() - 1, 0);
        break;
    case UndoReframe:
        if (CPenNode* node = nodeAt(entry.index); node && entry.frames)
            entry.frames->before.ApplyTo(*node);
        break;
    default:
        break;
    }
    undoStack.pop_back();
}

void PageList::Redo()
{
    if (redoStack.empty())
        return;
    const UndoEntry entry = redoStack.back();
    undoStack.push_back(entry);
    switch (entry.action) {
    case UndoAdd:
        if (CPenNode* node = nodeAt(entry.index))
            node->erased = 0;
        break;
    case UndoErase:
        if (CPenNode* node = nodeAt(entry.index))
            node->erased = 1;
        break;
    case UndoClear:
        applyClear(undoStack.size() - 1, 1);
        break;
    case UndoReframe:
        if (CPenNode* node = nodeAt(entry.index); node && entry.frames)
            entry.frames->after.ApplyTo(*node);
        break;
    default:
        break;
    }
    redoStack.pop_back();
}

int PageList::CommitObject(const CPenNode& node)
{
    std::lock_guard guard(lock_);
    const int index = AddObject(node);
    PushUndo(index, UndoAdd);
    ClearRedo();
    return index;
}

void PageList::ReframeStep(int index, const NodeFrame& frame)
{
    std::lock_guard guard(lock_);
    CPenNode* node = nodeAt(index);
    if (!node)
        return;
    const NodeFrame before = NodeFrame::Of(*node);
    if (before == frame)
        return;
    frame.ApplyTo(*node);
    undoStack.push_back(
        UndoEntry {index, UndoReframe, nullptr, std::make_shared<FrameChange>(FrameChange {before, frame})});
    ClearRedo();
    pageChanged = true;
}

void PageList::EraseStep(int index)
{
    std::lock_guard guard(lock_);
    CPenNode* node = nodeAt(index);
    if (!node || node->erased)
        return;
    node->erased = 1;
    PushUndo(index, UndoErase);
    ClearRedo();
    pageChanged = true;
}

void PageList::UndoStep()
{
    std::lock_guard guard(lock_);
    Undo();
    pageChanged = true;
}

void PageList::RedoStep()
{
    std::lock_guard guard(lock_);
    Redo();
    pageChanged = true;
}

void PageList::ClearScreenStep()
{
    std::lock_guard guard(lock_);
    if (ClearRemovesForGood()) {
        // Nothing is left to undo or redo: the objects are gone.
        nodes.clear();
        ClearUndo();
        ClearRedo();
    } else {
        ClearShown();
    }
    pageChanged = true;
}

void PageList::Clear()
{
    std::lock_guard guard(lock_);
    nodes.clear();
    undoStack.clear();
    redoStack.clear();
}

} // namespace DIALOG
