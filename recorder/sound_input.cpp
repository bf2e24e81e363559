#include "recorder/sound_input.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace recorder {

namespace {

struct SourceList {
    QList<SoundSource> inputs;
    bool done = false;
};

void listSource(pa_context*, const pa_source_info* info, int last, void* data)
{
    auto* list = static_cast<SourceList*>(data);
    if (last) {
        list->done = true;
        return;
    }
    if (info && info->monitor_of_sink == PA_INVALID_INDEX)
        list->inputs.append({QString::fromUtf8(info->name),
            QString::fromUtf8(info->description ? info->description : info->name)});
}

} // namespace

std::optional<QList<SoundSource>> soundSources()
{
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop)
        return std::nullopt;
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Quillmark recorder");
    SourceList list;
    bool asked = false;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        // A server that does not answer within two seconds counts as no sound card.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!list.done && std::chrono::steady_clock::now() < until) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
                break;
            if (state == PA_CONTEXT_READY && !asked) {
                pa_operation* op = pa_context_get_source_info_list(context, listSource, &list);
                if (op)
                    pa_operation_unref(op);
                asked = true;
            }
            if (pa_mainloop_iterate(loop, 0, nullptr) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    if (!list.done)
        return std::nullopt;
    return list.inputs;
}

bool hasSoundInput()
{
    const std::optional<QList<SoundSource>> sources = soundSources();
    return sources && !sources->isEmpty();
}

// The stream runs on PulseAudio's own thread; a read waits for it with a deadline, so that a microphone that
// stops giving sound (a suspended source, a frozen server) never holds the recording's end.
struct SoundInput::Impl {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    int sampleRate = 22050;
    // The fragment peeked from the stream and how much of it was taken.
    const uint8_t* fragment = nullptr;
    size_t fragmentSize = 0;
    size_t fragmentTaken = 0;
    bool fragmentIsHole = false;

    static void signal(pa_threaded_mainloop* loop) { pa_threaded_mainloop_signal(loop, 0); }
    static void contextChanged(pa_context*, void* loop) { signal(static_cast<pa_threaded_mainloop*>(loop)); }
    static void streamChanged(pa_stream*, void* loop) { signal(static_cast<pa_threaded_mainloop*>(loop)); }
    static void dataCame(pa_stream*, size_t, void* loop) { signal(static_cast<pa_threaded_mainloop*>(loop)); }
    // Wakes a waiting read now and then, so that it can see its deadline.
    static void tick(pa_mainloop_api*, pa_time_event* event, const struct timeval*, void* data)
    {
        auto* self = static_cast<Impl*>(data);
        signal(self->loop);
        pa_context_rttime_restart(self->context, event, pa_rtclock_now() + 50 * PA_USEC_PER_MSEC);
    }

    bool alive() const
    {
        return context && stream && pa_context_get_state(context) == PA_CONTEXT_READY
            && pa_stream_get_state(stream) == PA_STREAM_READY;
    }

    void dropFragment()
    {
        if (fragmentSize > 0 || fragmentIsHole)
            pa_stream_drop(stream);
        fragment = nullptr;
        fragmentSize = fragmentTaken = 0;
        fragmentIsHole = false;
    }
};

SoundInput::SoundInput()
    : d(std::make_unique<Impl>())
{
}

SoundInput::~SoundInput()
{
    close();
}

bool SoundInput::open(int sampleRate, const QString& source)
{
    if (!source.isEmpty() && openDevice(sampleRate, source.toUtf8().constData()))
        return true;
    return openDevice(sampleRate, nullptr);
}

bool SoundInput::openDevice(int sampleRate, const char* device)
{
    close();
    d->sampleRate = sampleRate;
    d->loop = pa_threaded_mainloop_new();
    if (!d->loop)
        return false;
    d->context = pa_context_new(pa_threaded_mainloop_get_api(d->loop), "Quillmark");
    if (!d->context) {
        close();
        return false;
    }
    pa_context_set_state_callback(d->context, Impl::contextChanged, d->loop);
    if (pa_context_connect(d->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(d->loop) < 0) {
        close();
        return false;
    }
    pa_threaded_mainloop_lock(d->loop);
    bool ok = true;
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(d->context);
        if (state == PA_CONTEXT_READY)
            break;
        if (!PA_CONTEXT_IS_GOOD(state)) {
            ok = false;
            break;
        }
        pa_threaded_mainloop_wait(d->loop);
    }
    if (ok) {
        pa_sample_spec sampleFormat {};
        sampleFormat.format = PA_SAMPLE_S16LE;
        sampleFormat.rate = uint32_t(sampleRate);
        sampleFormat.channels = 1;
        // Fragments of 50 ms: one frame of sound at a time, so the sound never waits long in the server.
        pa_buffer_attr buffer {};
        buffer.maxlength = uint32_t(-1);
        buffer.fragsize = uint32_t(sampleRate / 20 * 2);
        d->stream = pa_stream_new(d->context, "Screen recording", &sampleFormat, nullptr);
        ok = d->stream != nullptr;
        if (ok) {
            pa_stream_set_state_callback(d->stream, Impl::streamChanged, d->loop);
            pa_stream_set_read_callback(d->stream, Impl::dataCame, d->loop);
            ok = pa_stream_connect_record(d->stream, device, &buffer,
                     pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_ADJUST_LATENCY
                         | PA_STREAM_AUTO_TIMING_UPDATE))
                >= 0;
        }
        while (ok) {
            const pa_stream_state_t state = pa_stream_get_state(d->stream);
            if (state == PA_STREAM_READY)
                break;
            if (!PA_STREAM_IS_GOOD(state))
                ok = false;
            else
                pa_threaded_mainloop_wait(d->loop);
        }
        if (ok)
            pa_context_rttime_new(d->context, pa_rtclock_now() + 50 * PA_USEC_PER_MSEC, Impl::tick, d.get());
    }
    pa_threaded_mainloop_unlock(d->loop);
    if (!ok)
        close();
    return ok;
}

SoundInput::Read SoundInput::read(int16_t* samples, int count, int timeoutMs)
{
    if (!d->loop)
        return Read::Gone;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    auto* out = reinterpret_cast<uint8_t*>(samples);
    size_t wanted = size_t(count) * 2;
    pa_threaded_mainloop_lock(d->loop);
    Read result = Read::Done;
    while (wanted > 0) {
        if (!d->alive()) {
            result = Read::Gone;
            break;
        }
        if (d->fragmentSize == 0 && !d->fragmentIsHole) {
            const void* data = nullptr;
            size_t size = 0;
            if (pa_stream_peek(d->stream, &data, &size) < 0) {
                result = Read::Gone;
                break;
            }
            if (size == 0) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    result = Read::Nothing;
                    break;
                }
                pa_threaded_mainloop_wait(d->loop);
                continue;
            }
            d->fragment = static_cast<const uint8_t*>(data);
            d->fragmentSize = size;
            d->fragmentIsHole = data == nullptr;
            d->fragmentTaken = 0;
        }
        const size_t take = std::min(wanted, d->fragmentSize - d->fragmentTaken);
        // A hole in the stream (lost data) reads as silence.
        if (d->fragment)
            std::memcpy(out, d->fragment + d->fragmentTaken, take);
        else
            std::memset(out, 0, take);
        out += take;
        wanted -= take;
        d->fragmentTaken += take;
        if (d->fragmentTaken >= d->fragmentSize)
            d->dropFragment();
    }
    pa_threaded_mainloop_unlock(d->loop);
    return result;
}

int64_t SoundInput::latencyMs()
{
    if (!d->loop)
        return 0;
    pa_threaded_mainloop_lock(d->loop);
    pa_usec_t latency = 0;
    int negative = 0;
    int64_t ms = 0;
    if (d->stream && pa_stream_get_latency(d->stream, &latency, &negative) >= 0 && !negative) {
        // The part of the fragment already taken counts in the stream's latency but was read.
        const pa_usec_t taken = pa_bytes_to_usec(d->fragmentTaken, pa_stream_get_sample_spec(d->stream));
        ms = int64_t((latency > taken ? latency - taken : 0) / 1000);
    }
    pa_threaded_mainloop_unlock(d->loop);
    return ms;
}

void SoundInput::close()
{
    if (d->loop)
        pa_threaded_mainloop_stop(d->loop);
    if (d->stream) {
        pa_stream_disconnect(d->stream);
        pa_stream_unref(d->stream);
    }
    if (d->context) {
        pa_context_disconnect(d->context);
        pa_context_unref(d->context);
    }
    if (d->loop)
        pa_threaded_mainloop_free(d->loop);
    d->stream = nullptr;
    d->context = nullptr;
    d->loop = nullptr;
    d->fragment = nullptr;
    d->fragmentSize = d->fragmentTaken = 0;
    d->fragmentIsHole = false;
}

} // namespace recorder
