#pragma once
// The microphone, through PulseAudio: 16-bit mono samples at 22 050 a second.
#include "recorder/qmvidio_export.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace recorder {

// Whether the sound server has a source that is not the monitor of an output: a real or virtual microphone.
QMVIDIO_EXPORT bool hasSoundInput();

// A source the sound server records from: its name, which the server knows it by, and its description, which
// a teacher reads.
struct SoundSource {
    QString name;
    QString description;
};

// The sources that are not the monitor of an output, in the server's order; nothing when no sound server
// answers within two seconds. It waits for the server: call it off the user-interface thread.
QMVIDIO_EXPORT std::optional<QList<SoundSource>> soundSources();

class QMVIDIO_EXPORT SoundInput {
public:
    SoundInput();
    ~SoundInput();
    SoundInput(const SoundInput&) = delete;
    SoundInput& operator=(const SoundInput&) = delete;

    // Opens source, or the server's default source when source is empty or cannot be opened (a microphone
    // that was unplugged since it was chosen).
    bool open(int sampleRate = 22050, const QString& source = QString());
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
    bool openDevice(int sampleRate, const char* device);

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace recorder
