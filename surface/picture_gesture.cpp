#include "surface/picture_gesture.h"

#include "surface/page_model.h"

#include <mutex>

namespace DIALOG {

LRESULT PictureGesture::OnFlashClicked()
{
    // No Flash player window can be opened yet, so there is no window to put the tracker around.
    return 0;
}

LRESULT PictureGesture::OnMediaWindow(WPARAM wParam)
{
    if (wParam == 2) {
        std::lock_guard guard(ThePageList().Lock());
        for (CPenNode& node : ThePageList().nodes) {
            if (node.kind == Video) {
                node.mediaShown = false;
                break;
            }
        }
    }
    return 1;
}

} // namespace DIALOG
