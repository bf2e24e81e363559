#pragma once
// Pictures from a stream whose start or end may block for good: pipewiresrc on a PipeWire connection that
// never answers blocks inside its state change. The stream is started and ended on a thread of its own; the
// recording waits for the first picture only so long and then gives the stream up, never waiting for that
// thread.
#include "recorder/compressors.h"
#include "recorder/qmvidio_export.h"

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace recorder {

// Where a stream hands its pictures; shared with the stream's threads, so it outlives a recording that gave
// the stream up.
class QMVIDIO_EXPORT StreamInbox {
public:
    // A picture of BGRx rows, `stride` bytes apart (any thread).
    void picture(const uint8_t* rows, size_t stride, size_t bytes, FrameSize size);
    // The stream stopped for good (any thread).
    void ended();

private:
    friend class PictureStream;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<uint8_t> newest; // width × 4 bytes a row
    FrameSize size;
    uint64_t serial = 0; // pictures that came
    bool over = false; // ended, or failed to start
    bool givenUp = false; // the recording no longer wants the stream: it may end
    QString why; // when the start failed
};

struct StreamHooks {
    // Starts the stream into the inbox; false, with the reason in `why`, when it cannot. It may block for
    // good.
    std::function<bool(const std::shared_ptr<StreamInbox>& inbox, QString& why)> start;
    // Ends what start began, once start returned and the stream was given up. It may block for good as well.
    std::function<void()> end;
};

class QMVIDIO_EXPORT PictureStream {
public:
    enum class FirstPicture { Came, Failed, TimedOut, Cancelled };

    explicit PictureStream(StreamHooks hooks); // starts the stream's thread
    ~PictureStream(); // gives the stream up and returns at once
    PictureStream(const PictureStream&) = delete;
    PictureStream& operator=(const PictureStream&) = delete;

    // Waits for the first picture, up to limitMs; cancelled is asked ten times a second while it waits.
    FirstPicture waitForFirst(int limitMs, const std::function<bool()>& cancelled = {});
    QString failure() const; // why the start failed
    FrameSize size() const; // of the newest picture

    // Copies the newest picture into bgrx at the given size (the top-left part when the desktop changed size
    // since); false when there is none. takeNew gives each picture only once.
    bool newest(std::vector<uint8_t>& bgrx, FrameSize want);
    bool takeNew(std::vector<uint8_t>& bgrx, FrameSize want);
    bool ended() const;

private:
    std::shared_ptr<StreamInbox> inbox_;
    uint64_t taken_ = 0; // the serial last given by takeNew
};

} // namespace recorder
