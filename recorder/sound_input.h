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
    // Blocks until `count` samples were recorded; false when the server went away.
    bool read(int16_t* samples, int count);
    // How long ago the last sample read was heard, in milliseconds.
    int64_t latencyMs();
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace recorder
