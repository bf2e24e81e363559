#pragma once
// One stroke written on a wall's picture, in the coordinates of the picture as it was shown: a pen segment in
// its colour and width, or a square the eraser took back to the picture as it was.
#include <QColor>
#include <QLine>
#include <QRect>

namespace lumo::wall {

struct InkMark {
    QLine segment;
    QRect erased;
    QColor colour;
    int width = 0;
};

} // namespace lumo::wall
