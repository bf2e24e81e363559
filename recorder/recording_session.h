#pragma once
// One recording: a capture thread grabs the screen on the recording clock, a sound thread reads the
// microphone and holds it to the same clock, and an encoder thread writes both into the AVI as they come.
// Nothing here makes the caller wait for the file: start and stop return at once, and the end is told through
// a callback.
#include "recorder/avi_writer.h"
#include "recorder/frame_source.h"
#include "recorder/qmvidio_export.h"
#include "recorder/recording_clock.h"
#include "support/program_settings.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace recorder {

struct SessionSettings {
    QString path; // the temporary recording
    Compressor compressor; // the one wanted; the fit may give way to the default
    int intervalMs = 50; // time between captures
    int rate = 20; // frames per second in the file
    int keyFrameEvery = 20;
    int quality = 3000;
    bool sound = true;
    int sampleRate = 22050;
    QString microphone; // the source to record from; empty: the sound server's default
    // Free bytes at the file's place; statvfs unless a test says otherwise.
    std::function<int64_t(const QString&)> freeBytes;
    // Called once, on the sound thread, when the microphone cannot be opened or stops giving sound before the
    // end; the recording goes on without sound.
    std::function<void()> soundLost;
    // Where the pictures come from; the X server unless set (a Wayland session sets the screen cast). Called
    // on the capture thread with what tells a source that waits on the desktop that the recording stopped.
    std::function<std::unique_ptr<FrameSource>(std::function<bool()> stopped)> source;
};

// A recording's settings under the teacher's: the frame rate (a frame every 1000 / rate ms, a key frame each
// second) and the microphone.
QMVIDIO_EXPORT SessionSettings sessionSettingsFor(
    const QString& path, const Compressor& compressor, const settings::ProgramSettings& chosen);

// How a recording ended.
enum class SessionEnd {
    Finished, // stopped, the file is complete
    CreateFailed, // the AVI could not be created with that compressor
    WriteFailed, // writing failed: what was written plays
    DiskFull, // the file system of the file fell below kMinimumFreeBytes: what was written plays
    NoScreen, // no picture of the screen to record: the reason is in SessionStats::screenFailure
    ScreenLost, // the pictures stopped mid-way (the desktop ended its cast): what was written plays
};

struct SessionStats {
    int64_t framesGrabbed = 0;
    int64_t framesDropped = 0; // grabbed while the encoder was behind
    int64_t framesWritten = 0; // frame numbers covered in the file
    int64_t samplesWritten = 0;
    int cursorChanges = 0;
    int64_t recordedMs = 0; // recording time when the capture ended
    FrameSize size;
    QString handler;
    platform::CaptureFailure screenFailure = platform::CaptureFailure::None;
};

class QMVIDIO_EXPORT RecordingSession {
public:
    using Ended = std::function<void(SessionEnd, const SessionStats&)>;

    explicit RecordingSession(MillisecondClock now = steadyMilliseconds());
    ~RecordingSession(); // stops and waits for the threads

    // Starts the threads; `ended` is called once, on the encoder thread, when the file is closed.
    void start(const SessionSettings& settings, Ended ended);
    void pause();
    void resume();
    // Asks the threads to end; returns at once.
    void stop();
    // Waits until the file is closed (tests and the library's unload only).
    void wait();
    bool running() const;
    SessionStats stats() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace recorder
