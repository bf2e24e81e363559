#include "recorder/picture_stream.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace recorder {

void StreamInbox::picture(const uint8_t* rows, size_t stride, size_t bytes, FrameSize frame)
{
    {
        std::lock_guard guard(lock);
        const size_t row = size_t(frame.width) * 4;
        newest.assign(row * size_t(frame.height), 0);
        for (int y = 0; y < frame.height && stride * y + row <= bytes; ++y)
            std::memcpy(newest.data() + row * y, rows + stride * y, row);
        size = frame;
        ++serial;
    }
    changed.notify_all();
}

void StreamInbox::ended()
{
    {
        std::lock_guard guard(lock);
        over = true;
    }
    changed.notify_all();
}

PictureStream::PictureStream(StreamHooks hooks)
    : inbox_(std::make_shared<StreamInbox>())
{
    // The thread owns the hooks and its share of the inbox: nothing of this object is touched once it is
    // gone.
    std::thread([inbox = inbox_, hooks = std::move(hooks)] {
        QString why;
        const bool started = hooks.start && hooks.start(inbox, why);
        std::unique_lock guard(inbox->lock);
        if (!started) {
            inbox->over = true;
            inbox->why = why;
        }
        inbox->changed.notify_all();
        inbox->changed.wait(guard, [&] { return inbox->givenUp; });
        guard.unlock();
        if (hooks.end)
            hooks.end();
    }).detach();
}

PictureStream::~PictureStream()
{
    {
        std::lock_guard guard(inbox_->lock);
        inbox_->givenUp = true;
    }
    inbox_->changed.notify_all();
}

PictureStream::FirstPicture PictureStream::waitForFirst(int limitMs, const std::function<bool()>& cancelled)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    std::unique_lock guard(inbox_->lock);
    for (;;) {
        if (inbox_->serial > 0)
            return FirstPicture::Came;
        if (inbox_->over)
            return FirstPicture::Failed;
        if (cancelled && cancelled())
            return FirstPicture::Cancelled;
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return FirstPicture::TimedOut;
        inbox_->changed.wait_for(guard,
            std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(100)));
    }
}

QString PictureStream::failure() const
{
    std::lock_guard guard(inbox_->lock);
    return inbox_->why;
}

FrameSize PictureStream::size() const
{
    std::lock_guard guard(inbox_->lock);
    return inbox_->size;
}

bool PictureStream::newest(std::vector<uint8_t>& bgrx, FrameSize want)
{
    std::lock_guard guard(inbox_->lock);
    if (inbox_->serial == 0)
        return false;
    taken_ = inbox_->serial;
    bgrx.assign(size_t(want.width) * 4 * want.height, 0);
    const int rows = std::min(want.height, inbox_->size.height);
    const size_t bytes = size_t(std::min(want.width, inbox_->size.width)) * 4;
    for (int y = 0; y < rows; ++y)
        std::memcpy(bgrx.data() + size_t(want.width) * 4 * y,
            inbox_->newest.data() + size_t(inbox_->size.width) * 4 * y, bytes);
    return true;
}

bool PictureStream::takeNew(std::vector<uint8_t>& bgrx, FrameSize want)
{
    {
        std::lock_guard guard(inbox_->lock);
        if (inbox_->serial == taken_)
            return false;
    }
    return newest(bgrx, want);
}

bool PictureStream::ended() const
{
    std::lock_guard guard(inbox_->lock);
    return inbox_->over;
}

} // namespace recorder
