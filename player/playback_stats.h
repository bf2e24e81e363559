#pragma once
// How the video now loaded has played so far: frames drawn, and frames the sink dropped as too late, as its
// QoS messages tell them. For measurements and diagnostics.
#include "player/qmdirect_export.h"

#include <cstdint>

namespace player {

struct PlaybackStats {
    std::uint64_t rendered = 0;
    // The latest count the sink's QoS messages gave; 0 when it dropped nothing.
    std::uint64_t dropped = 0;
    int qosMessages = 0;
};

// Zeros without a video loaded.
QMDIRECT_EXPORT PlaybackStats CurrentPlaybackStats();

} // namespace player
