#pragma once
// The six pen styles of the line-style popup, each with its own width and colour, and the steps its plus and
// minus buttons make. Plain data: the popup shows it, the surface receives it.
#include "platform/win_types.h"

#include <array>

namespace DIALOG {

enum class LineStyle { Pen = 0, DashPen = 1, Highlighter = 2, SpeedPen = 3, Text = 4, BrushPen = 5 };
constexpr int kLineStyleCount = 6;

class LineStyles {
public:
    LineStyles();

    int Current() const { return current_; }
    LineStyle CurrentStyle() const { return LineStyle(current_); }
    // An index outside 0..5 is ignored.
    void Select(int style);

    // Width of the current style; for the text style it is the font size.
    int Width() const { return width_[current_]; }
    COLORREF Colour() const { return colour_[current_]; }
    int WidthOf(int style) const { return width_[style]; }
    COLORREF ColourOf(int style) const { return colour_[style]; }
    void SetColour(COLORREF colour) { colour_[current_] = colour; }
    // Sets the current style's width as it is, without the step rules (a value the panel hands over).
    void SetWidth(int width) { width_[current_] = width; }

    // A step is made only while the width passes the style's test, so a step may end past the limit (the
    // speed pen from 31 reaches 34). True when the width changed.
    bool Plus();
    bool Minus();

private:
    int current_ = 0;
    std::array<int, kLineStyleCount> width_;
    std::array<COLORREF, kLineStyleCount> colour_;
};

} // namespace DIALOG
