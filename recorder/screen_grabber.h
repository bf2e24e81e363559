#pragma once
// Grabs the whole screen with XShm on the recorder's own X connection, with the mouse cursor drawn in.
#include "recorder/compressors.h"
#include "recorder/frame_source.h"
#include "recorder/qmvidio_export.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace recorder {

// A cursor picture as XFixes gives it: premultiplied ARGB, with its hot spot.
struct CursorPicture {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> argb;
};

// Draws the cursor into 32-bit BGRX rows with its hot spot at (x, y), clipped to the picture.
QMVIDIO_EXPORT void drawCursor(
    uint8_t* bgrx, int stride, int width, int height, const CursorPicture& cursor, int x, int y);

class QMVIDIO_EXPORT ScreenGrabber : public FrameSource {
public:
    ScreenGrabber();
    ~ScreenGrabber() override;
    ScreenGrabber(const ScreenGrabber&) = delete;
    ScreenGrabber& operator=(const ScreenGrabber&) = delete;

    // Opens a connection of its own to the display; false when there is none.
    bool open() override;
    FrameSize screenSize() const override;
    platform::CaptureFailure failure() const override;
    // Copies the screen with the cursor into `bgrx` (screen width × 4 bytes a row); false when the grab
    // failed.
    bool grab(std::vector<uint8_t>& bgrx) override;
    // Cursor changes seen since open (each change fetches the new picture once).
    int cursorChanges() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace recorder
