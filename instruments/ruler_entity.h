#pragma once
// The straight ruler: a transparent band `width` pixels broad whose measuring edge runs from ptOrigin (the
// zero end) to ptHandle, with a tick every `step` pixels, longer ticks every 5 and 10 steps and a number at
// every tenth tick, all in the inverse colour of the page where they end, and a red outline.
#include "instruments/my_shape.h"
#include "instruments/scale_marks.h"

namespace DIALOG {

class RulerEntity : public MyShape {
public:
    using MyShape::MyShape;

    // Ticks, numbers and the corners of the back edge, as Draw lays them out. Tick i (0, 1, …) stands
    // (i + 1)·step from ptOrigin; the number k at tick 10·k.
    struct Layout {
        ScaleMarks marks;
        QPoint startCorner;
        QPoint endCorner;
    };
    // Nothing while the two points coincide.
    std::optional<Layout> Scale() const;

    void Draw(QPainter& painter, const QImage& page) override;
    BOOL HitBody(int x, int y) const override;
    BOOL HitRect(int left, int top, int right, int bottom) const override;
    void UpdateRegions() override;

private:
    void setRegions(const Layout& layout);
};

} // namespace DIALOG
