#include "recorder/recording_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace recorder {

MillisecondClock steadyMilliseconds()
{
    return [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
}

RecordingClock::RecordingClock(MillisecondClock now)
    : now_(std::move(now))
{
}

void RecordingClock::start()
{
    startedAt_ = now_();
    pausedFor_ = 0;
    paused_ = false;
}

void RecordingClock::pause()
{
    if (paused_)
        return;
    pausedAt_ = now_();
    paused_ = true;
}

void RecordingClock::resume()
{
    if (!paused_)
        return;
    pausedFor_ += now_() - pausedAt_;
    paused_ = false;
}

int64_t RecordingClock::elapsed() const
{
    const int64_t until = paused_ ? pausedAt_ : now_();
    return std::max<int64_t>(0, until - startedAt_ - pausedFor_);
}

int64_t frameNumberAt(int64_t elapsedMs, int intervalMs, int64_t previous)
{
    if (previous < 0)
        return 0;
    if (intervalMs <= 0 || intervalMs > 1000)
        return previous + 1;
    // Milliseconds, not whole seconds: whole seconds would give every frame of a second the same number.
    return elapsedMs / intervalMs;
}

SoundDrift::SoundDrift(int sampleRate)
    : sampleRate_(sampleRate)
{
}

int SoundDrift::correctedLength(int count, int64_t written, int64_t elapsedMs) const
{
    if (count <= 0)
        return count;
    const int64_t due = elapsedMs * sampleRate_ / 1000;
    const int64_t ahead = written + count - due;
    // Within 10 ms nothing is done: the chunks of the sound card arrive with their own jitter.
    const int64_t tolerance = sampleRate_ / 100;
    if (std::llabs(ahead) <= tolerance)
        return count;
    // Beyond a frame (the late start of the sound card, a lost chunk) the gap is closed at once.
    if (std::llabs(ahead) > sampleRate_ / 20)
        return int(std::max<int64_t>(0, count - ahead));
    const int step = std::max(1, count / 100);
    const int64_t change = std::clamp<int64_t>(-ahead, -step, step);
    return count + int(change);
}

std::vector<int16_t> SoundDrift::fit(const int16_t* samples, int count, int length)
{
    if (std::abs(length - count) <= std::max(1, count / 100))
        return resample(samples, count, length);
    if (length > count) {
        std::vector<int16_t> out(static_cast<size_t>(length - count), 0);
        out.insert(out.end(), samples, samples + count);
        return out;
    }
    return std::vector<int16_t>(samples + (count - length), samples + count);
}

std::vector<int16_t> SoundDrift::placeFromStart(const std::vector<int16_t>& samples, int64_t heardAtMs) const
{
    const int64_t size = int64_t(samples.size());
    const int64_t start = heardAtMs * sampleRate_ / 1000 - size;
    if (start >= 0) {
        std::vector<int16_t> out(static_cast<size_t>(start), 0);
        out.insert(out.end(), samples.begin(), samples.end());
        return out;
    }
    return std::vector<int16_t>(samples.begin() + std::min(-start, size), samples.end());
}

std::vector<int16_t> SoundDrift::resample(const int16_t* samples, int count, int length)
{
    std::vector<int16_t> out(static_cast<size_t>(std::max(0, length)));
    if (count <= 0 || length <= 0)
        return out;
    if (count == 1 || length == 1) {
        std::fill(out.begin(), out.end(), samples[0]);
        return out;
    }
    for (int i = 0; i < length; ++i) {
        const int64_t pos = int64_t(i) * (count - 1) * 65536 / (length - 1);
        const int index = int(pos >> 16);
        const int64_t frac = pos & 0xffff;
        const int next = std::min(index + 1, count - 1);
        out[size_t(i)] = int16_t((samples[index] * (65536 - frac) + samples[next] * frac) / 65536);
    }
    return out;
}

} // namespace recorder
