#include "assist/alarm_sound.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <dlfcn.h>
#include <iterator>
#include <mutex>
#include <thread>

namespace DIALOG::timer {

QByteArray alarmSamples()
{
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kBeepSeconds = 0.18;
    constexpr double kGapSeconds = 0.09;
    constexpr double kEdgeSeconds = 0.01;
    constexpr double kFrequencies[] = {880.0, 1108.7, 1318.5};
    const int beep = int(kBeepSeconds * kAlarmSampleRate);
    const int gap = int(kGapSeconds * kAlarmSampleRate);
    const int edge = int(kEdgeSeconds * kAlarmSampleRate);
    QByteArray bytes;
    bytes.reserve(int(std::size(kFrequencies)) * (beep + gap) * 2);
    auto append = [&bytes](std::int16_t sample) {
        bytes.append(char(sample & 0xFF));
        bytes.append(char((sample >> 8) & 0xFF));
    };
    for (const double frequency : kFrequencies) {
        for (int i = 0; i < beep; ++i) {
            const double envelope = std::min({1.0, double(i) / edge, double(beep - 1 - i) / edge});
            append(std::int16_t(
                std::lround(0.6 * 32767 * envelope * std::sin(2 * kPi * frequency * i / kAlarmSampleRate))));
        }
        for (int i = 0; i < gap; ++i)
            append(0);
    }
    return bytes;
}

namespace {

struct PulseSimple {
    decltype(&pa_simple_new) open = nullptr;
    decltype(&pa_simple_write) write = nullptr;
    decltype(&pa_simple_drain) drain = nullptr;
    decltype(&pa_simple_free) free = nullptr;
};

// The sound server's client library, loaded by the first alarm rather than with this library: starting the
// program never waits on the sound server. Null when it is not there.
const PulseSimple* pulseSimple()
{
    static const PulseSimple* const loaded = []() -> const PulseSimple* {
        void* library = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        static PulseSimple functions;
        functions.open = reinterpret_cast<decltype(&pa_simple_new)>(dlsym(library, "pa_simple_new"));
        functions.write = reinterpret_cast<decltype(&pa_simple_write)>(dlsym(library, "pa_simple_write"));
        functions.drain = reinterpret_cast<decltype(&pa_simple_drain)>(dlsym(library, "pa_simple_drain"));
        functions.free = reinterpret_cast<decltype(&pa_simple_free)>(dlsym(library, "pa_simple_free"));
        const bool complete = functions.open && functions.write && functions.drain && functions.free;
        return complete ? &functions : nullptr;
    }();
    return loaded;
}

} // namespace

bool playAlarmAndWait()
{
    const PulseSimple* pulse = pulseSimple();
    if (!pulse)
        return false;
    pa_sample_spec sampleFormat {};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = kAlarmSampleRate;
    sampleFormat.channels = 1;
    int error = 0;
    pa_simple* stream = pulse->open(nullptr, "Quillmark", PA_STREAM_PLAYBACK, nullptr, "Timer alarm",
        &sampleFormat, nullptr, nullptr, &error);
    if (!stream)
        return false;
    const QByteArray samples = alarmSamples();
    const bool written = pulse->write(stream, samples.constData(), size_t(samples.size()), &error) == 0
        && pulse->drain(stream, &error) == 0;
    pulse->free(stream);
    return written;
}

namespace {

// One alarm at a time; the thread is joined before the next one starts and when the library unloads.
struct AlarmPlayer {
    std::mutex mutex;
    std::thread thread;
    std::atomic<bool> playing {false};

    ~AlarmPlayer()
    {
        if (thread.joinable())
            thread.join();
    }
};

AlarmPlayer& player()
{
    static AlarmPlayer instance;
    return instance;
}

} // namespace

void playAlarm()
{
    AlarmPlayer& p = player();
    const std::lock_guard lock(p.mutex);
    if (p.playing.load())
        return;
    if (p.thread.joinable())
        p.thread.join();
    p.playing = true;
    p.thread = std::thread([&p] {
        playAlarmAndWait();
        p.playing = false;
    });
}

} // namespace DIALOG::timer
