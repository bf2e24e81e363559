#include "recorder/recording_session.h"

#include "recorder/disk_space.h"
#include "recorder/frame_repeater.h"
#include "recorder/screen_grabber.h"
#include "recorder/sound_input.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace recorder {

SessionSettings sessionSettingsFor(
    const QString& path, const Compressor& compressor, const settings::ProgramSettings& chosen)
{
    SessionSettings session;
    session.path = path;
    session.compressor = compressor;
    // Only rates whose frame time is a whole number of milliseconds: the capture clock counts in them, and
    // any rounding would let the picture drift from the sound over a lesson.
    const int rate = settings::IsFrameRateOffered(chosen.frameRate) ? chosen.frameRate : session.rate;
    session.rate = rate;
    session.intervalMs = 1000 / rate;
    session.keyFrameEvery = rate;
    session.microphone = chosen.microphone;
    return session;
}

namespace {

// Frames waiting for the encoder; a grab finding them all in use is dropped rather than kept in memory.
constexpr size_t kFramesInFlight = 6;

struct Item {
    bool video = false;
    int64_t number = 0;
    std::vector<uint8_t> pixels;
    std::vector<int16_t> samples;
};

enum class Setup { Waiting, Ready, Failed };

} // namespace

struct RecordingSession::Impl {
    explicit Impl(MillisecondClock now)
        : clock(std::move(now))
    {
    }

    SessionSettings settings;
    Ended ended;
    RecordingClock clock;
    mutable std::mutex clockLock;

    std::mutex lock;
    std::condition_variable changed;
    std::deque<Item> queue;
    std::vector<std::vector<uint8_t>> spare;
    size_t framesOut = 0;
    Setup setup = Setup::Waiting;
    SessionEnd setupEnd = SessionEnd::Finished;
    bool captureDone = false;
    bool soundDone = false;
    std::atomic<bool> stopping {false};
    std::atomic<bool> paused {false};

    AviWriter writer;
    FrameSize screen;
    mutable std::mutex statsLock;
    SessionStats stats;

    std::thread captureThread;
    std::thread soundThread;
    std::thread encoderThread;

    int64_t elapsed() const
    {
        std::lock_guard guard(clockLock);
        return clock.elapsed();
    }

    void push(Item item)
    {
        {
            std::lock_guard guard(lock);
            queue.push_back(std::move(item));
        }
        changed.notify_all();
    }

    // A buffer for the next frame, or none while the encoder holds them all.
    bool takeBuffer(std::vector<uint8_t>& buffer)
    {
        std::lock_guard guard(lock);
        if (framesOut >= kFramesInFlight)
            return false;
        ++framesOut;
        if (!spare.empty()) {
            buffer = std::move(spare.back());
            spare.pop_back();
        }
        return true;
    }

    void giveBack(std::vector<uint8_t>&& buffer)
    {
        std::lock_guard guard(lock);
        --framesOut;
        spare.push_back(std::move(buffer));
    }

    void finishSetup(Setup result, SessionEnd end)
    {
        {
            std::lock_guard guard(lock);
            setup = result;
            setupEnd = end;
        }
        changed.notify_all();
    }

    // Opens the source and the file and starts the clock with the first picture; false (told to the other
    // threads) when either cannot be had.
    bool setUp(FrameSource& source)
    {
        std::vector<uint8_t> first;
        if (!source.open() || !source.grab(first)) {
            std::lock_guard guard(statsLock);
            stats.screenFailure = source.failure();
            return false;
        }
        screen = source.screenSize();
        const FrameFit fit = fitCompressor(settings.compressor, screen, screen);
        AviSettings avi;
        avi.compressor = fit.compressor;
        avi.size = fit.size;
        avi.rate = settings.rate;
        avi.keyFrameEvery = settings.keyFrameEvery;
        avi.quality = settings.quality;
        avi.sound = settings.sound;
        avi.sampleRate = settings.sampleRate;
        if (!writer.open(settings.path, avi)) {
            finishSetup(Setup::Failed, SessionEnd::CreateFailed);
            return false;
        }
        {
            std::lock_guard guard(statsLock);
            stats.size = fit.size;
            stats.handler = fit.compressor.handler;
        }
        {
            std::lock_guard guard(clockLock);
            clock.start();
            if (paused)
                clock.pause();
        }
        ++framesOut;
        push(Item {true, 0, std::move(first), {}});
        countGrab(source);
        finishSetup(Setup::Ready, SessionEnd::Finished);
        return true;
    }

    void capture()
    {
        std::unique_ptr<FrameSource> source = settings.source
            ? settings.source([this] { return bool(stopping); })
            : std::make_unique<ScreenGrabber>();
        if (!source || !setUp(*source)) {
            {
                std::lock_guard guard(lock);
                if (setup == Setup::Waiting) {
                    setup = Setup::Failed;
                    setupEnd = SessionEnd::NoScreen;
                }
            }
            changed.notify_all();
            markDone(captureDone);
            return;
        }
        // A source that sends pictures only as the screen changes is held to the frame rate by repetition.
        FrameRepeater repeater(settings.intervalMs);
        repeater.pictureCame();
        repeater.due(0);
        int64_t last = 0;
        while (!stopping) {
            if (source->lost()) {
                screenLost(source->failure());
                break;
            }
            if (paused) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            const int64_t now = elapsed();
            const int64_t number = frameNumberAt(now, settings.intervalMs, last);
            if (number <= last) {
                const int64_t due = (last + 1) * settings.intervalMs - now;
                std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp<int64_t>(due, 1, 50)));
                continue;
            }
            last = number;
            grabOne(*source, source->changesOnly() ? &repeater : nullptr, now, number);
        }
        const int64_t stoppedAt = elapsed();
        if (source->changesOnly()) {
            const int64_t final = repeater.last(stoppedAt);
            std::vector<uint8_t> buffer;
            if (final > 0 && takeBuffer(buffer)) {
                if (source->newest(buffer))
                    push(Item {true, final, std::move(buffer), {}});
                else
                    giveBack(std::move(buffer));
            }
        }
        {
            std::lock_guard guard(statsLock);
            stats.recordedMs = stoppedAt;
        }
        markDone(captureDone);
    }

    // One tick of the clock: the picture goes under its frame number, or, from a source of changes only,
    // under the number the repeater gives, when there is a new one.
    void grabOne(FrameSource& source, FrameRepeater* repeater, int64_t now, int64_t number)
    {
        std::vector<uint8_t> buffer;
        if (!takeBuffer(buffer)) {
            std::lock_guard guard(statsLock);
            ++stats.framesDropped;
            return;
        }
        if (!source.grab(buffer)) {
            giveBack(std::move(buffer));
            return;
        }
        if (repeater) {
            repeater->pictureCame();
            number = repeater->due(now);
        }
        push(Item {true, number, std::move(buffer), {}});
        countGrab(source);
    }

    void screenLost(platform::CaptureFailure why)
    {
        std::lock_guard guard(statsLock);
        stats.screenFailure = why;
        // The sound ends with the picture.
        stopping = true;
    }

    void countGrab(const FrameSource& grabber)
    {
        std::lock_guard guard(statsLock);
        ++stats.framesGrabbed;
        stats.cursorChanges = grabber.cursorChanges();
    }

    void markDone(bool& flag)
    {
        {
            std::lock_guard guard(lock);
            flag = true;
        }
        changed.notify_all();
    }

    bool waitForSetup()
    {
        std::unique_lock guard(lock);
        changed.wait(guard, [this] { return setup != Setup::Waiting; });
        return setup == Setup::Ready;
    }

    void sound()
    {
        SoundInput input;
        // The microphone opens while the screen side sets up; what it hears before the recording clock starts
        // is older than frame 0 and is dropped.
        const bool opened = settings.sound && input.open(settings.sampleRate, settings.microphone);
        if (!waitForSetup() || !opened) {
            if (settings.sound && !opened && !stopping && settings.soundLost)
                settings.soundLost();
            markDone(soundDone);
            return;
        }
        const SoundDrift drift(settings.sampleRate);
        const int chunk = settings.sampleRate / 20;
        std::vector<int16_t> samples(static_cast<size_t>(chunk));
        int64_t written = 0;
        // What the server gathered while the screen side set up comes in a rush, and the server's latency is
        // not yet to be trusted then. That sound is held until a read has to wait for the microphone: its
        // last sample was heard at that moment, and the held sound is placed on the clock back from there.
        std::vector<int16_t> held;
        bool live = false;
        const auto chunkTime = std::chrono::milliseconds(1000 * chunk / settings.sampleRate);
        auto readFrom = std::chrono::steady_clock::now();
        // After a stop the sound still in the server is read up to the last frame's time (for at most a
        // second), so that the sound does not end before the picture.
        int64_t endSamples = -1;
        auto stoppedAt = std::chrono::steady_clock::time_point::max();
        int64_t lastReadAt = 0; // recording time of the last read
        // The held sound goes to the file, its last sample heard at `heardAt`.
        auto placeHeld = [&](int64_t heardAt) {
            live = true;
            std::vector<int16_t> placed = drift.placeFromStart(held, heardAt);
            held = {};
            if (endSamples >= 0 && int64_t(placed.size()) > endSamples)
                placed.resize(size_t(endSamples));
            written = int64_t(placed.size());
            if (!placed.empty())
                push(Item {false, 0, {}, std::move(placed)});
        };
        bool heard = true;
        bool told = false;
        // A source silent this long counts as gone; reads give up sooner, so that a stop is not held up.
        constexpr int kReadTimeoutMs = 500;
        constexpr int kSilentForMs = 3000;
        int silentMs = 0;
        for (;;) {
            const SoundInput::Read got = input.read(samples.data(), chunk, kReadTimeoutMs);
            silentMs = got == SoundInput::Read::Nothing ? silentMs + kReadTimeoutMs : 0;
            if (got != SoundInput::Read::Done && !live && !held.empty())
                placeHeld(lastReadAt);
            if (got == SoundInput::Read::Gone) {
                heard = false;
                break;
            }
            if (got == SoundInput::Read::Nothing) {
                // A suspended or stuck source: the picture goes on, and a stop does not wait for it.
                if (stopping)
                    break;
                if (!told && silentMs >= kSilentForMs) {
                    told = true;
                    if (settings.soundLost)
                        settings.soundLost();
                }
                readFrom = std::chrono::steady_clock::now();
                continue;
            }
            if (stopping && endSamples < 0) {
                if (stoppedAt == std::chrono::steady_clock::time_point::max())
                    stoppedAt = std::chrono::steady_clock::now();
                std::lock_guard guard(lock);
                if (captureDone) {
                    std::lock_guard statsGuard(statsLock);
                    endSamples = stats.recordedMs * settings.sampleRate / 1000;
                }
            }
            if (stopping
                && ((endSamples >= 0 && written >= endSamples)
                    || std::chrono::steady_clock::now() - stoppedAt > std::chrono::seconds(1)))
                break;
            const auto readTo = std::chrono::steady_clock::now();
            const bool waited = readTo - readFrom > chunkTime * 2 / 5;
            readFrom = readTo;
            lastReadAt = elapsed();
            if (paused) {
                // What was heard before the pause is still coming in: it is written up to the pause's time.
                const int64_t length
                    = std::min<int64_t>(chunk, elapsed() * settings.sampleRate / 1000 - written);
                if (live && length > 0) {
                    push(
                        Item {false, 0, {}, std::vector<int16_t>(samples.begin(), samples.begin() + length)});
                    written += length;
                }
                continue;
            }
            if (!live) {
                held.insert(held.end(), samples.begin(), samples.end());
                if (waited || stopping || held.size() >= size_t(settings.sampleRate) * 5)
                    placeHeld(lastReadAt);
                continue;
            }
            const int64_t heardAt = elapsed() - input.latencyMs();
            int length = heardAt < 0 ? 0 : drift.correctedLength(chunk, written, heardAt);
            if (endSamples >= 0)
                length = int(std::min<int64_t>(length, endSamples - written));
            if (length <= 0)
                continue;
            push(Item {false, 0, {}, SoundDrift::fit(samples.data(), chunk, length)});
            written += length;
        }
        // The source went away (a USB microphone pulled out, the server gone): the picture goes on alone.
        if (!heard && !stopping && !told && settings.soundLost)
            settings.soundLost();
        markDone(soundDone);
    }

    void encode()
    {
        if (!waitForSetup()) {
            std::unique_lock guard(lock);
            changed.wait(guard, [this] { return captureDone && soundDone; });
            const SessionEnd end = setupEnd;
            guard.unlock();
            if (ended)
                ended(end, stats);
            return;
        }
        bool failed = false;
        bool full = false;
        int64_t checkedAtFrame = 0;
        const auto freeBytes = settings.freeBytes ? settings.freeBytes : freeBytesAt;
        for (;;) {
            Item item;
            {
                std::unique_lock guard(lock);
                changed.wait(guard, [this] { return !queue.empty() || (captureDone && soundDone); });
                if (queue.empty())
                    break;
                item = std::move(queue.front());
                queue.pop_front();
            }
            if (item.video) {
                if (!failed
                    && !writer.writeFrame(
                        item.pixels.data(), screen.width * 4, screen.width, screen.height, item.number)) {
                    failed = true;
                    stopping = true;
                }
                giveBack(std::move(item.pixels));
                // Once a second of recording: stop before the disk is full, while the file is still whole.
                if (!failed && item.number >= checkedAtFrame + settings.rate) {
                    checkedAtFrame = item.number;
                    const int64_t left = freeBytes(settings.path);
                    if (left >= 0 && left < kMinimumFreeBytes) {
                        failed = full = true;
                        stopping = true;
                    }
                }
            } else if (!failed && !item.samples.empty()) {
                if (!writer.writeSound(item.samples.data(), int(item.samples.size()))) {
                    failed = true;
                    stopping = true;
                }
            }
            std::lock_guard guard(statsLock);
            stats.framesWritten = writer.framesWritten();
            stats.samplesWritten = writer.samplesWritten();
        }
        const bool closed = writer.finish();
        SessionStats last;
        {
            std::lock_guard guard(statsLock);
            last = stats;
        }
        if (ended)
            ended(full                                                     ? SessionEnd::DiskFull
                    : failed || !closed                                    ? SessionEnd::WriteFailed
                    : last.screenFailure != platform::CaptureFailure::None ? SessionEnd::ScreenLost
                                                                           : SessionEnd::Finished,
                last);
    }
};

RecordingSession::RecordingSession(MillisecondClock now)
    : d(std::make_unique<Impl>(std::move(now)))
{
}

RecordingSession::~RecordingSession()
{
    stop();
    wait();
}

void RecordingSession::start(const SessionSettings& settings, Ended ended)
{
    if (running())
        return;
    wait();
    d->settings = settings;
    d->ended = std::move(ended);
    d->stopping = false;
    d->paused = false;
    d->setup = Setup::Waiting;
    d->captureDone = d->soundDone = false;
    d->queue.clear();
    d->framesOut = 0;
    d->stats = {};
    d->encoderThread = std::thread([this] { d->encode(); });
    d->soundThread = std::thread([this] { d->sound(); });
    d->captureThread = std::thread([this] { d->capture(); });
}

void RecordingSession::pause()
{
    std::lock_guard guard(d->clockLock);
    d->paused = true;
    d->clock.pause();
}

void RecordingSession::resume()
{
    std::lock_guard guard(d->clockLock);
    d->paused = false;
    d->clock.resume();
}

void RecordingSession::stop()
{
    d->stopping = true;
    d->changed.notify_all();
}

void RecordingSession::wait()
{
    for (std::thread* thread : {&d->captureThread, &d->soundThread, &d->encoderThread}) {
        if (thread->joinable())
            thread->join();
    }
}

bool RecordingSession::running() const
{
    return d->encoderThread.joinable() && !d->stopping;
}

SessionStats RecordingSession::stats() const
{
    std::lock_guard guard(d->statsLock);
    return d->stats;
}

} // namespace recorder
