#pragma once
// Pictures and media on the page, first in the surface's chain: a picture being placed, the frames of the
// pictures and media windows of the page (moving, resizing, turning, the media buttons) and a pending
// insertion take a press before the instruments and the pens see it. Its tracker is painted above the
// instruments and below the text frame.
#include "surface/gesture.h"

namespace DIALOG {

class PictureGesture : public Gesture {
public:
    using Gesture::Gesture;

    // Nothing is on the page to take a press until pictures can be inserted.
    Press press(QPoint) override { return Press::Declined; }

    // Pictures and media windows on the page come with the picture frame; until then nothing is inserted.
    void InsertPicture(const QString&) { }
    void InsertMedia(const QString&) { }

    // The Flash player window was clicked: its tracker is shown. The message's result.
    LRESULT OnFlashClicked();
    // A media window reports; wParam 2: the video window was closed, and the page's video is no longer
    // shown. The message's result.
    LRESULT OnMediaWindow(WPARAM wParam);
};

} // namespace DIALOG
