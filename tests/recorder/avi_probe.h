#pragma once
// Reads an AVI back with libavformat and libavcodec, as a player would, and tells what it holds.
#include <QString>

#include <cstdint>
#include <vector>

namespace recordertest {

struct AviProbe {
    bool opened = false;
    QString container;
    uint32_t videoTag = 0;
    int width = 0;
    int height = 0;
    int rateNum = 0;
    int rateDen = 1;
    int videoFrames = 0; // pictures decoded
    int64_t lastFrameNumber = -1; // time of the last picture, in frames
    std::vector<uint32_t> colours; // 0xRRGGBB at the sample point of each decoded picture
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
    int64_t firstSoundPosition = -1; // file offset of the first sound chunk
    std::vector<int64_t> videoPositions; // file offsets of the video chunks
};

// Decodes the whole file; the colour of each picture is taken at (x, y).
AviProbe probeAvi(const QString& path, int x = 0, int y = 0);

} // namespace recordertest
