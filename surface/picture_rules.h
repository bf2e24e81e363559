#pragma once
// Where and how large a picture lands on the page when the teacher clicks to place it.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace DIALOG {

struct PictureBox {
    int width = 0;
    int height = 0;
    int centreX = 0;
    int centreY = 0;

    friend bool operator==(const PictureBox&, const PictureBox&) = default;
};

// The smallest side a placed picture keeps.
constexpr int kPictureMinSide = 25;

// The box of a picture of size picture clicked at click on screen. It keeps inside the screen, no larger
// than a third of it (with its aspect), and no side under kPictureMinSide.
PictureBox PlacePicture(QSize picture, QPoint click, const QRect& screen);

} // namespace DIALOG
