#pragma once
// Writes a recording into an AVI file as it comes: video frames and sound interleaved in the order they
// arrive, each written through to the file, with the header brought up to date every few seconds so that a
// recording cut off by a crash or a kill still plays to its last second.
#include "recorder/compressors.h"
#include "recorder/qmvidio_export.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace recorder {

struct AviSettings {
    Compressor compressor;
    FrameSize size;
    int rate = 20; // frames per second
    int keyFrameEvery = 20; // frames
    int quality = 3000; // 0..10000, higher is better
    bool sound = true;
    int sampleRate = 22050; // 16-bit mono
};

// The encoder's quantiser for a compressor quality of 0..10000 (2 is the finest, 31 the coarsest).
QMVIDIO_EXPORT int quantiserForQuality(int quality);

class QMVIDIO_EXPORT AviWriter {
public:
    AviWriter();
    ~AviWriter(); // finishes an open file
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Creates the file and writes its header; false (with the reason in error) when the encoder or the file
    // cannot be opened.
    bool open(const QString& path, const AviSettings& settings, QString* error = nullptr);
    bool isOpen() const;

    // Writes one frame of the screen (32-bit BGRX rows, at least the frame size; the top-left part is taken)
    // as frame number `number`. Numbers must grow; a skipped number repeats the previous picture. False on a
    // write error (a full disk) or when the number does not grow.
    bool writeFrame(const uint8_t* pixels, int stride, int width, int height, int64_t number);
    // Writes 16-bit mono samples after those written before.
    bool writeSound(const int16_t* samples, int count);

    // Writes the frame and sample counts and the chunk sizes into the header, so that the file as it is now
    // plays without its final index. Called by itself every two seconds of video.
    bool seal();
    // Writes the index and closes the file; true when everything reached the file.
    bool finish();

    int64_t framesWritten() const; // frame numbers covered, counting repeated ones
    int64_t samplesWritten() const;
    FrameSize frameSize() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace recorder
