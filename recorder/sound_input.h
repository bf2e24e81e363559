#pragma once
// The microphone, through PulseAudio: 16-bit mono samples at 22 050 a second.
#include "recorder/qmvidio_export.h"

#include <cstdint>
#include <memory>

namespace recorder {

// Whether the sound server has a source that is not the monitor of an output: a real or virtual microphone.
QMVIDIO_EXPORT bool hasSoundInput();

class QMVIDIO_EXPORT SoundInput {
public:
    SoundInput();
    ~SoundInput();
    SoundInput(const SoundInput&) = delete;
    SoundInput& operator=(const SoundInput&) = delete;

    bool open(int sampleRate = 22050);
    enum class Read {
        Done, // all the samples
        Nothing, // the microphone gave no sound within the time
        Gone, // the server or the source went away
    };
    // Waits until `count` samples were recorded, but no more than `timeoutMs` in all; the samples of a read
    // that timed out are lost.
    Read read(int16_t* samples, int count, int timeoutMs = 1000);
    // How long ago the last sample read was heard, in milliseconds.
    int64_t latencyMs();
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace recorder
