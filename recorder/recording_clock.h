#pragma once
// The time of a recording: the wall clock less the time spent paused. Frames are numbered by it, and the
// sound is held to it.
#include "recorder/qmvidio_export.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace recorder {

// Milliseconds of a steady clock; tests give their own.
using MillisecondClock = std::function<int64_t()>;
QMVIDIO_EXPORT MillisecondClock steadyMilliseconds();

class QMVIDIO_EXPORT RecordingClock {
public:
    explicit RecordingClock(MillisecondClock now = steadyMilliseconds());
    void start();
    void pause();
    void resume();
    bool paused() const { return paused_; }
    // Milliseconds recorded since start, not counting pauses.
    int64_t elapsed() const;

private:
    MillisecondClock now_;
    int64_t startedAt_ = 0;
    int64_t pausedAt_ = 0;
    int64_t pausedFor_ = 0;
    bool paused_ = false;
};

// The number of the frame grabbed `elapsedMs` into the recording: (1000 / interval) frames a second of
// recording time; with an interval above one second, the previous number + 1.
QMVIDIO_EXPORT int64_t frameNumberAt(int64_t elapsedMs, int intervalMs, int64_t previous);

// Keeps the sound on the recording clock. The sound card and the system clock drift apart; a chunk of sound
// is stretched or squeezed a little (at most 1 %) until the samples written match the recording time again;
// a gap of more than a frame is closed at once.
class QMVIDIO_EXPORT SoundDrift {
public:
    explicit SoundDrift(int sampleRate = 22050);
    // The length a chunk of `count` samples is written with, given the samples written so far and the
    // recording time at the chunk's end.
    int correctedLength(int count, int64_t written, int64_t elapsedMs) const;
    // The chunk made `length` samples long: resampled for a small change, silence put before it or its first
    // samples dropped for a large one.
    static std::vector<int16_t> fit(const int16_t* samples, int count, int length);
    // Sound whose last sample was heard `heardAtMs` into the recording, as the file holds it from its start:
    // silence before it, or without what was heard before the recording began.
    std::vector<int16_t> placeFromStart(const std::vector<int16_t>& samples, int64_t heardAtMs) const;
    // Samples of the chunk, resampled to `length` samples.
    static std::vector<int16_t> resample(const int16_t* samples, int count, int length);

private:
    int sampleRate_;
};

} // namespace recorder
