#include "surface/picture_rules.h"

#include <algorithm>

namespace DIALOG {

namespace {

// A box passing an edge by its far half is narrowed to end this far inside the screen.
constexpr int kEdgeGuard = 32;
constexpr int kNarrowedMargin = 124;

// The side a box is narrowed to when it would pass the edge at far, clicked at centre. The narrowed side
// comes out as 2 × (far − centre) − 124, which is not a side at all for a click within 62 pixels of the
// edge; then the box keeps the smallest side and its centre moves in, far enough to keep it on screen.
void narrow(int& side, int& centre, int far)
{
    if (centre + side / 2 <= far - kEdgeGuard)
        return;
    side = 2 * (far - centre) - kNarrowedMargin;
    if (side < kPictureMinSide) {
        side = kPictureMinSide;
        centre = std::min(centre, far - kNarrowedMargin / 2 - (kPictureMinSide + 1) / 2);
    }
}

} // namespace

PictureBox PlacePicture(QSize picture, QPoint click, const QRect& screen)
{
    PictureBox box {std::max(picture.width(), 1), std::max(picture.height(), 1), click.x(), click.y()};
    const int right = screen.x() + screen.width();
    const int bottom = screen.y() + screen.height();
    narrow(box.width, box.centreX, right);
    narrow(box.height, box.centreY, bottom);

    // No larger than a third of the screen. Both sides shrink by the same factor, so that the picture
    // keeps its shape.
    const int thirdWidth = screen.width() / 3;
    const int thirdHeight = screen.height() / 3;
    if (box.width > thirdWidth || box.height > thirdHeight) {
        const double factor = std::min(double(thirdWidth) / box.width, double(thirdHeight) / box.height);
        box.width = std::max(1, int(box.width * factor));
        box.height = std::max(1, int(box.height * factor));
    }

    if (box.width <= kPictureMinSide) {
        box.height = int(double(box.height) * kPictureMinSide / box.width + 1);
        box.width = kPictureMinSide;
    } else if (box.height <= kPictureMinSide) {
        box.width = int(double(box.width) * kPictureMinSide / box.height + 1);
        box.height = kPictureMinSide;
    }
    return box;
}

} // namespace DIALOG
