#pragma once
// The stacking rule of the program's windows, as a pure function of the stack the X server reports. From the
// bottom: other programs (a running slide show among them); the page; the aids the teacher opened; the panel
// and its popups; a dialog or message box of the program. Menus and tool tips of the program stay above them
// all.
//
// Windows the program stacks itself (override-redirect: the window manager never moves them) are placed
// around the ones the window manager stacks (dialogs, another program's calculator), which stay where they
// are; when a managed window of ours has another program's window above it, the window manager is asked to
// raise it.
#include "platform/platform_export.h"

#include <vector>

namespace platform::stacking {

enum class Layer {
    Other = 0, // another program's window, or one of ours the rule leaves where it is
    Page = 1,
    Aid = 2,
    Panel = 3,
    Dialog = 4,
    Menu = 5, // menus and tool tips of the program: above everything, never moved under anything
};

// One child of the root window: a window, or the frame the window manager put round a window.
struct Window {
    unsigned long id = 0;
    Layer layer = Layer::Other;
    // Outside the window manager's reach (override-redirect): the program stacks it itself.
    bool movable = false;
    bool viewable = true;
};

// Puts window directly below sibling, or on top of the whole stack when sibling is 0.
struct Move {
    unsigned long window = 0;
    unsigned long sibling = 0;
    bool operator==(const Move& o) const { return window == o.window && sibling == o.sibling; }
};

struct Plan {
    std::vector<Move> moves;
    // Managed windows of ours with another program's managed window above them: raise them, lowest first.
    std::vector<unsigned long> raise;
    bool empty() const { return moves.empty() && raise.empty(); }
};

// What to do to a stack, given bottom to top, so that it follows the rule. An empty plan when it does
// already.
QMPLATFORM_EXPORT Plan planFor(const std::vector<Window>& stack);

// The stack after the moves, as the X server would leave it (for checks and tests).
QMPLATFORM_EXPORT std::vector<Window> applied(std::vector<Window> stack, const std::vector<Move>& moves);

// Whether the stack follows the rule: the viewable windows of ours (another program's calculator opened as an
// aid counts as one of ours) from the bottom up in layer order, and no other window above the lowest of them.
QMPLATFORM_EXPORT bool follows(const std::vector<Window>& stack);

} // namespace platform::stacking
