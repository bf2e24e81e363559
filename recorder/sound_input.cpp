#include "recorder/sound_input.h"

#include <pulse/pulseaudio.h>
#include <pulse/simple.h>

#include <chrono>
#include <thread>

namespace recorder {

namespace {

struct SourceCount {
    int inputs = 0;
    bool done = false;
};

void countSource(pa_context*, const pa_source_info* info, int last, void* data)
{
    auto* count = static_cast<SourceCount*>(data);
    if (last) {
        count->done = true;
        return;
    }
    if (info && info->monitor_of_sink == PA_INVALID_INDEX)
        ++count->inputs;
}

} // namespace

bool hasSoundInput()
{
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop)
        return false;
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Quillmark recorder");
    SourceCount count;
    bool asked = false;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        // A server that does not answer within two seconds counts as no sound card.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!count.done && std::chrono::steady_clock::now() < until) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
                break;
            if (state == PA_CONTEXT_READY && !asked) {
                pa_operation* op = pa_context_get_source_info_list(context, countSource, &count);
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
    return count.done && count.inputs > 0;
}

struct SoundInput::Impl {
    pa_simple* stream = nullptr;
};

SoundInput::SoundInput()
    : d(std::make_unique<Impl>())
{
}

SoundInput::~SoundInput()
{
    close();
}

bool SoundInput::open(int sampleRate)
{
    close();
    pa_sample_spec spec {};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = uint32_t(sampleRate);
    spec.channels = 1;
    // Fragments of 50 ms: one frame of sound at a time, so the sound never waits long in the server.
    pa_buffer_attr buffer {};
    buffer.maxlength = uint32_t(-1);
    buffer.fragsize = uint32_t(sampleRate / 20 * 2);
    int error = 0;
    d->stream = pa_simple_new(
        nullptr, "Quillmark", PA_STREAM_RECORD, nullptr, "Screen recording", &spec, nullptr, &buffer, &error);
    return d->stream != nullptr;
}

bool SoundInput::read(int16_t* samples, int count)
{
    int error = 0;
    return d->stream && pa_simple_read(d->stream, samples, size_t(count) * 2, &error) >= 0;
}

int64_t SoundInput::latencyMs()
{
    int error = 0;
    if (!d->stream)
        return 0;
    const pa_usec_t latency = pa_simple_get_latency(d->stream, &error);
    return latency == pa_usec_t(-1) ? 0 : int64_t(latency / 1000);
}

void SoundInput::close()
{
    if (d->stream)
        pa_simple_free(d->stream);
    d->stream = nullptr;
}

} // namespace recorder
