#pragma once
// Page objects the page and lesson tests build: a black stroke across the page at a height that names it.
#include "surface/pen_node.h"

#include <vector>

namespace qmtest {

inline DIALOG::CPenNode strokeAt(int y)
{
    DIALOG::CPenNode node(RGB(0, 0, 0), 3, 0, DIALOG::Pen);
    node.AddPoint(100, y);
    node.AddPoint(300, y);
    return node;
}

// The heights of the strokes a page shows, neither erased nor cleared.
inline std::vector<int> shownHeights(const std::vector<DIALOG::CPenNode>& nodes)
{
    std::vector<int> ys;
    for (const DIALOG::CPenNode& node : nodes) {
        if (!node.erased && !node.cleared && !node.points.empty())
            ys.push_back(node.points.front().y);
    }
    return ys;
}

} // namespace qmtest
