#pragma once
// Holds a recording to its steady frame rate when pictures come only as the screen changes (a desktop's
// screen cast sends nothing while the screen stands still). Each frame number of the file shows the newest
// picture that had come by its time: a number with no new picture is left out, and the AVI writer repeats the
// picture before it; at the stop the last picture is given once more, so the file lasts to the stop. Before
// the first picture there is nothing to show, and nothing is made up.
#include "recorder/qmvidio_export.h"

#include <cstdint>

namespace recorder {

class QMVIDIO_EXPORT FrameRepeater {
public:
    explicit FrameRepeater(int intervalMs);

    // A newer picture came (several between two frames count as one: the newest is kept).
    void pictureCame();
    // The frame number to write the newest picture under at recording time `nowMs`, or -1 when the file needs
    // nothing new (no picture yet, or none since the last one written).
    int64_t due(int64_t nowMs);
    // The number to write the last picture under once more when the recording stops at `stopMs`, or -1.
    int64_t last(int64_t stopMs);

    int64_t lastWritten() const { return written_; }

private:
    int64_t numberAt(int64_t ms) const;

    int intervalMs_;
    bool any_ = false;
    bool fresh_ = false;
    int64_t written_ = -1;
};

} // namespace recorder
