#include "platform/stacking_rule.h"

#include <algorithm>

namespace platform::stacking {

namespace {

bool ours(const Window& w)
{
    return w.viewable && w.layer != Layer::Other;
}

bool anchored(const Window& w)
{
    return ours(w) && !w.movable && w.layer != Layer::Menu;
}

// The order the program's windows should have, bottom to top: the managed ones where they are, each of the
// others right above the last one of a layer not above its own.
std::vector<Window> wantedOrder(const std::vector<Window>& stack)
{
    std::vector<Window> order;
    for (const Window& w : stack)
        if (anchored(w))
            order.push_back(w);
    std::vector<Window> movable;
    for (const Window& w : stack)
        if (ours(w) && w.movable && w.layer != Layer::Menu)
            movable.push_back(w);
    std::stable_sort(movable.begin(), movable.end(),
        [](const Window& a, const Window& b) { return int(a.layer) < int(b.layer); });
    for (const Window& w : movable) {
        auto at = order.begin();
        for (auto it = order.begin(); it != order.end(); ++it)
            if (int(it->layer) <= int(w.layer))
                at = it + 1;
        order.insert(at, w);
    }
    return order;
}

std::vector<Move> movesFor(const std::vector<Window>& stack, const std::vector<Window>& order)
{
    std::vector<Move> moves;
    unsigned long above = 0;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (it->movable)
            moves.push_back({it->id, above});
        above = it->id;
    }
    // Menus last, each to the top in the order they have now.
    std::vector<unsigned long> menus;
    for (const Window& w : stack)
        if (w.viewable && w.layer == Layer::Menu)
            menus.push_back(w.id);
    for (unsigned long menu : menus)
        moves.push_back({menu, 0});
    return moves;
}

std::vector<unsigned long> raisesFor(const std::vector<Window>& stack)
{
    std::vector<const Window*> wanted;
    for (size_t i = 0; i < stack.size(); ++i) {
        const Window& w = stack[i];
        if (!anchored(w) || w.layer == Layer::Page)
            continue;
        bool covered = false;
        for (size_t j = i + 1; j < stack.size() && !covered; ++j) {
            const Window& above = stack[j];
            if (!above.viewable || above.movable)
                continue;
            // Another program's managed window, or a managed window of ours of a lower layer.
            covered = above.layer == Layer::Other || (anchored(above) && int(above.layer) < int(w.layer));
        }
        if (covered)
            wanted.push_back(&w);
    }
    std::stable_sort(wanted.begin(), wanted.end(),
        [](const Window* a, const Window* b) { return int(a->layer) < int(b->layer); });
    std::vector<unsigned long> raise;
    for (const Window* w : wanted)
        raise.push_back(w->id);
    return raise;
}

// The same shown windows in the same order: where hidden ones lie changes nothing on the screen.
bool sameOrder(const std::vector<Window>& a, const std::vector<Window>& b)
{
    std::vector<unsigned long> shownA, shownB;
    for (const Window& w : a)
        if (w.viewable)
            shownA.push_back(w.id);
    for (const Window& w : b)
        if (w.viewable)
            shownB.push_back(w.id);
    return shownA == shownB;
}

} // namespace

std::vector<Window> applied(std::vector<Window> stack, const std::vector<Move>& moves)
{
    for (const Move& move : moves) {
        auto it
            = std::find_if(stack.begin(), stack.end(), [&](const Window& w) { return w.id == move.window; });
        if (it == stack.end())
            continue;
        const Window moved = *it;
        stack.erase(it);
        auto sibling = std::find_if(stack.begin(), stack.end(),
            [&](const Window& w) { return move.sibling && w.id == move.sibling; });
        stack.insert(sibling, moved);
    }
    return stack;
}

Plan planFor(const std::vector<Window>& stack)
{
    Plan plan;
    std::vector<Move> moves = movesFor(stack, wantedOrder(stack));
    if (!sameOrder(applied(stack, moves), stack))
        plan.moves = std::move(moves);
    plan.raise = raisesFor(stack);
    return plan;
}

bool follows(const std::vector<Window>& stack)
{
    int layer = 0;
    bool seenOurs = false;
    for (const Window& w : stack) {
        if (!w.viewable)
            continue;
        if (w.layer == Layer::Other) {
            if (seenOurs)
                return false;
            continue;
        }
        if (int(w.layer) < layer)
            return false;
        layer = int(w.layer);
        seenOurs = true;
    }
    return true;
}

} // namespace platform::stacking
