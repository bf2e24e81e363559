#include "app/line_styles.h"

#include "surface/surface_state.h"

namespace DIALOG {

namespace {

struct StepRule {
    int initialWidth;
    COLORREF initialColour;
    int step;
    int plusBelow; // plus steps while the width is below this
    int minusAbove; // minus steps while the width is above this
};

constexpr StepRule kRules[kLineStyleCount] = {
    {kDefaultPenWidth, 0x0000FF, 1, 8, 2}, // pen, red: the pen the panel gives
    {6, 0xFFFF66, 1, 10, 1}, // dashed pen
    {16, 0x00FFFF, 1, 32, 1}, // highlighter, yellow
    {8, 0x000000, 3, 32, 8}, // speed pen
    {60, 0x000000, 6, 150, 12}, // text: font size
    {8, 0x000000, 1, 20, 4}, // brush pen
};

} // namespace

LineStyles::LineStyles()
{
    for (int i = 0; i < kLineStyleCount; ++i) {
        width_[i] = kRules[i].initialWidth;
        colour_[i] = kRules[i].initialColour;
    }
}

void LineStyles::Select(int style)
{
    if (style >= 0 && style < kLineStyleCount)
        current_ = style;
}

bool LineStyles::Plus()
{
    const StepRule& rule = kRules[current_];
    if (width_[current_] >= rule.plusBelow)
        return false;
    width_[current_] += rule.step;
    return true;
}

bool LineStyles::Minus()
{
    const StepRule& rule = kRules[current_];
    if (width_[current_] <= rule.minusAbove)
        return false;
    width_[current_] -= rule.step;
    return true;
}

} // namespace DIALOG
