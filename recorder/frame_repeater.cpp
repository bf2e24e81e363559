#include "recorder/frame_repeater.h"

#include <algorithm>

namespace recorder {

FrameRepeater::FrameRepeater(int intervalMs)
    : intervalMs_(std::max(1, intervalMs))
{
}

int64_t FrameRepeater::numberAt(int64_t ms) const
{
    return std::max<int64_t>(0, ms) / intervalMs_;
}

void FrameRepeater::pictureCame()
{
    any_ = true;
    fresh_ = true;
}

int64_t FrameRepeater::due(int64_t nowMs)
{
    if (!fresh_)
        return -1;
    // Two pictures within one frame's time: the newer one takes the next number, so none is lost to a
    // number already written.
    const int64_t number = std::max(numberAt(nowMs), written_ + 1);
    fresh_ = false;
    written_ = number;
    return number;
}

int64_t FrameRepeater::last(int64_t stopMs)
{
    if (!any_)
        return -1;
    const int64_t number = numberAt(stopMs);
    if (fresh_)
        return due(stopMs);
    if (number <= written_)
        return -1;
    written_ = number;
    return number;
}

} // namespace recorder
