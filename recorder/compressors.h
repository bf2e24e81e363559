#pragma once
// The video compressors a recording can use: the AVI-capable encoders of libavcodec that accept the frame.
#include "recorder/qmvidio_export.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace recorder {

// One usable compressor: the handler code stored in the AVI and a description shown to people.
struct Compressor {
    QString encoder; // libavcodec encoder name ("mpeg4", "msvideo1", ...)
    QString handler; // four letters, e.g. "XVID"
    QString description;
};

// At most this many compressors are listed.
constexpr int kMaxCompressors = 30;
// Handler of the compressor every recording falls back to.
inline const char kDefaultHandler[] = "MSVC";

// A frame size in pixels.
struct FrameSize {
    int width = 0;
    int height = 0;
    bool operator==(const FrameSize&) const = default;
};

// The "Default Compressor": Microsoft Video 1, which takes any frame whose sides are multiples of 4.
QMVIDIO_EXPORT Compressor defaultCompressor();

// Whether the compressor takes frames of that size.
using AcceptsFrame = std::function<bool(const Compressor&, FrameSize)>;

// Opens the encoder at that size to learn whether it takes the frame.
QMVIDIO_EXPORT bool encoderAcceptsFrame(const Compressor& compressor, FrameSize size);

// The AVI-capable video encoders that accept a frame of that size, at most kMaxCompressors, in libavcodec's
// order.
QMVIDIO_EXPORT std::vector<Compressor> listCompressors(
    FrameSize size, const AcceptsFrame& accepts = encoderAcceptsFrame);

// MPEG-4 Part 2 first, then Microsoft Video 1, else the first listed; -1 for an empty list.
QMVIDIO_EXPORT int preferredCompressor(const std::vector<Compressor>& list);

// Rounds a side to a multiple: up, or down when the rounded value would pass the screen's side.
QMVIDIO_EXPORT int roundToCompressorSize(int side, int multiple, int screenSide);

// The compressor and frame size a recording starts with.
struct FrameFit {
    Compressor compressor;
    FrameSize size;
};

// Tries the compressor at the capture size, then at sizes rounded to 2, 4 and 8; when it takes none of them
// the "Default Compressor" is used at a size it takes. Handlers "DIVX" and "IV50" are always replaced by it.
QMVIDIO_EXPORT FrameFit fitCompressor(const Compressor& wanted, FrameSize capture, FrameSize screen,
    const AcceptsFrame& accepts = encoderAcceptsFrame);

// Four letters as the little-endian code AVI stores.
QMVIDIO_EXPORT uint32_t fourCC(const QString& letters);

} // namespace recorder
