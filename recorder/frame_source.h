#pragma once
// Where a recording's pictures come from: the X server (ScreenGrabber) on an X11 desktop, the desktop's
// screen cast (CastFrames) in a Wayland session, whose X server holds no pixels of native windows.
#include "recorder/compressors.h"

#include "platform/screen_capture.h"

#include <cstdint>
#include <vector>

namespace recorder {

class FrameSource {
public:
    virtual ~FrameSource() = default;

    // Prepares the source and waits for its first picture; false when there is nothing to record, with the
    // reason in failure().
    virtual bool open() = 0;
    virtual FrameSize screenSize() const = 0;
    // Copies a picture with the cursor into bgrx (screen width × 4 bytes a row). A source that changesOnly()
    // gives one only when the screen changed since the last call, and false otherwise.
    virtual bool grab(std::vector<uint8_t>& bgrx) = 0;
    // The newest picture again, changed or not.
    virtual bool newest(std::vector<uint8_t>& bgrx) { return grab(bgrx); }
    virtual bool changesOnly() const { return false; }
    // The pictures stopped for good (the desktop ended the cast); the reason is in failure().
    virtual bool lost() { return false; }
    virtual platform::CaptureFailure failure() const { return platform::CaptureFailure::None; }
    virtual int cursorChanges() const { return 0; }
};

} // namespace recorder
