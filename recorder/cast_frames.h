#pragma once
// The recording's pictures in a Wayland session: the desktop's ScreenCast portal shares the screen, and its
// PipeWire stream comes through GStreamer (pipewiresrc ! videoconvert ! appsink), which is started only here.
// The stream sends a picture only when the screen changed; the newest one is kept for the recording clock.
#include "recorder/frame_source.h"
#include "recorder/qmvidio_export.h"

#include <QString>

#include <functional>
#include <memory>

namespace recorder {

struct CastSettings {
    QString restoreToken; // the desktop's token from the last recording, passed so it asks nothing
    std::function<void(const QString&)> tokenKept; // a new token to keep (called on the capture thread)
    std::function<bool()> cancelled; // the recording was stopped while the desktop is asked
    QString busName; // a connection of that name instead of the session bus (tests)
    int answerMs = 10000;
    int firstPictureMs = 5000; // how long the stream may take to give its first picture
};

class QMVIDIO_EXPORT CastFrames : public FrameSource {
public:
    explicit CastFrames(CastSettings settings);
    ~CastFrames() override;
    CastFrames(const CastFrames&) = delete;
    CastFrames& operator=(const CastFrames&) = delete;

    bool open() override;
    FrameSize screenSize() const override;
    bool grab(std::vector<uint8_t>& bgrx) override;
    bool newest(std::vector<uint8_t>& bgrx) override;
    bool changesOnly() const override { return true; }
    bool lost() override;
    platform::CaptureFailure failure() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace recorder
