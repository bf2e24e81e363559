// How far apart picture and sound are in a recording, at its start and at its end. Once a second a
// full-screen window lights up and a beep goes into the speaker whose monitor is the desktop's microphone,
// at the same instant. The recording is then read back: the flashes are found in the pictures and the beeps
// in the sound, and each pair's offset is reported.
//
// The flash is a ramp from black to white over 100 ms, repainted as fast as the window can, so that the
// brightness of the first lit picture tells how long before that picture the flash began: the offset is
// measured to a few milliseconds, not to a whole frame.
//
//   scripts/virtual-desktop build/release/bench/recorder_av_offset [--seconds N] [--keep FILE]
#include "recorder/recording_session.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

using namespace recorder;

namespace {

constexpr int kSampleRate = 22050;
constexpr int kRampMs = 100; // black to white
constexpr int kLitMs = 250; // ramp and white together
constexpr int kBeepMs = 100;

int64_t steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The window that flashes: black, then from `flashAt` a ramp to white, held white until kLitMs.
class FlashWindow : public QWidget {
public:
    std::atomic<int64_t> flashAt {-1};

    FlashWindow()
    {
        setGeometry(0, 0, 1920, 1080);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(Qt::BlankCursor);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            const int level = levelNow();
            if (level != shown_)
                repaint();
        });
        timer_.start(1);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        shown_ = levelNow();
        QPainter painter(this);
        painter.fillRect(rect(), QColor(shown_, shown_, shown_));
    }

private:
    int levelNow() const
    {
        const int64_t at = flashAt;
        if (at < 0)
            return 0;
        const int64_t since = steadyMs() - at;
        if (since < 0 || since >= kLitMs)
            return 0;
        return since >= kRampMs ? 255 : int(since * 255 / kRampMs);
    }

    QTimer timer_;
    int shown_ = -1;
};

// Plays silence with a beep once a second into the virtual speaker; each beep sets the window's flash to
// the instant its first sample is heard.
void playBeeps(FlashWindow& window, const std::atomic<bool>& stop, std::atomic<int>& beeps)
{
    pa_sample_spec spec {};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = kSampleRate;
    spec.channels = 1;
    // A short buffer keeps the time from writing a beep to hearing it small and steady.
    pa_buffer_attr buffer {};
    buffer.maxlength = uint32_t(-1);
    buffer.tlength = kSampleRate / 50 * 2 * 2; // 40 ms
    buffer.prebuf = uint32_t(-1);
    buffer.minreq = uint32_t(-1);
    buffer.fragsize = uint32_t(-1);
    int error = 0;
    pa_simple* out = pa_simple_new(nullptr, "Quillmark offset bench", PA_STREAM_PLAYBACK, "virtual_speaker",
        "beeps", &spec, nullptr, &buffer, &error);
    if (!out) {
        std::fprintf(stderr, "no virtual speaker: %d\n", error);
        return;
    }
    const int chunk = kSampleRate / 100; // 10 ms
    std::vector<int16_t> silence(size_t(chunk), 0);
    std::vector<int16_t> beep(size_t(kSampleRate) * kBeepMs / 1000);
    for (size_t i = 0; i < beep.size(); ++i)
        beep[i] = int16_t(16000 * std::sin(2 * M_PI * 1000.0 * double(i) / kSampleRate));
    int64_t nextBeep = steadyMs() + 1500;
    while (!stop) {
        if (steadyMs() >= nextBeep) {
            const pa_usec_t latency = pa_simple_get_latency(out, &error);
            window.flashAt = steadyMs() + int64_t(latency == pa_usec_t(-1) ? 0 : latency / 1000);
            pa_simple_write(out, beep.data(), beep.size() * 2, &error);
            ++beeps;
            nextBeep += 1000;
        } else {
            pa_simple_write(out, silence.data(), silence.size() * 2, &error);
        }
    }
    pa_simple_drain(out, &error);
    pa_simple_free(out);
}

struct Track {
    std::vector<double> flashes; // ms into the file
    std::vector<double> beeps;
    int64_t frames = 0;
    int64_t samples = 0;
};

// Reads the recording back and finds the flashes and the beeps.
Track findFlashesAndBeeps(const QString& path)
{
    Track track;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return track;
    avformat_find_stream_info(format, nullptr);
    const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int sound = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video < 0 || sound < 0) {
        avformat_close_input(&format);
        return track;
    }
    AVStream* videoStream = format->streams[video];
    const AVCodec* codec = avcodec_find_decoder(videoStream->codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, videoStream->codecpar);
    avcodec_open2(decoder, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();

    // Brightness of each picture by its time, from the Y plane away from the screen's edges.
    std::vector<std::pair<double, double>> lights;
    std::vector<int16_t> samples;
    auto takeFrames = [&] {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            const int64_t pts = frame->best_effort_timestamp;
            double sum = 0;
            int count = 0;
            for (int y = frame->height / 4; y < frame->height * 3 / 4; y += 16) {
                const uint8_t* row = frame->data[0] + int64_t(y) * frame->linesize[0];
                for (int x = frame->width / 4; x < frame->width * 3 / 4; x += 16) {
                    sum += row[x];
                    ++count;
                }
            }
            lights.emplace_back(double(pts) * av_q2d(videoStream->time_base) * 1000.0, sum / count);
            ++track.frames;
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == video) {
            if (avcodec_send_packet(decoder, packet) >= 0)
                takeFrames();
        } else if (packet->stream_index == sound) {
            const auto* data = reinterpret_cast<const int16_t*>(packet->data);
            samples.insert(samples.end(), data, data + packet->size / 2);
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    takeFrames();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    track.samples = int64_t(samples.size());

    // The pictures: black and white as the file shows them; a flash begins where a picture is lit after a
    // dark one, earlier by the part of the ramp it shows.
    if (lights.empty())
        return track;
    double black = 255;
    double white = 0;
    for (const auto& [time, light] : lights) {
        black = std::min(black, light);
        white = std::max(white, light);
    }
    bool dark = true;
    for (const auto& [time, light] : lights) {
        const double part = (light - black) / std::max(1.0, white - black);
        if (dark && part > 0.04 && part < 0.98)
            track.flashes.push_back(time - part * kRampMs);
        dark = part <= 0.04;
    }

    // The sound: a beep begins at the first sample above a third of the loudest after 300 ms of quiet.
    int peak = 1;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    const int loud = peak / 3;
    int64_t quietSince = 0;
    for (int64_t i = 0; i < int64_t(samples.size()); ++i) {
        if (std::abs(int(samples[size_t(i)])) < loud)
            continue;
        if (i - quietSince > kSampleRate * 3 / 10)
            track.beeps.push_back(double(i) * 1000.0 / kSampleRate);
        quietSince = i;
    }
    return track;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 60;
    QString keep;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (qstrcmp(argv[i], "--seconds") == 0)
            seconds = std::max(5, atoi(argv[i + 1]));
        else if (qstrcmp(argv[i], "--keep") == 0)
            keep = QString::fromLocal8Bit(argv[i + 1]);
    }
    QApplication app(argc, argv);
    FlashWindow window;
    window.show();

    SessionSettings settings;
    settings.path = keep.isEmpty() ? QDir::temp().filePath(QStringLiteral("qm-recorder-offset.avi")) : keep;
    settings.compressor = {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")};
    std::atomic<bool> ended {false};
    SessionEnd end = SessionEnd::Finished;
    SessionStats stats;
    RecordingSession session;
    std::atomic<bool> stopBeeps {false};
    std::atomic<int> beeps {0};
    QTimer::singleShot(500, [&] {
        session.start(settings, [&](SessionEnd how, const SessionStats& last) {
            end = how;
            stats = last;
            ended = true;
        });
    });
    std::thread player([&] { playBeeps(window, stopBeeps, beeps); });
    QTimer::singleShot(500 + seconds * 1000, [&] { session.stop(); });
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    session.wait();
    stopBeeps = true;
    player.join();
    if (end != SessionEnd::Finished) {
        std::fprintf(stderr, "the recording ended with %d\n", int(end));
        return 1;
    }

    const Track track = findFlashesAndBeeps(settings.path);
    if (keep.isEmpty())
        QFile::remove(settings.path);
    std::printf("recorded %.1f s: %lld pictures, %.1f s of sound, %d beeps played, %zu flashes and %zu beeps "
                "found\n",
        double(stats.recordedMs) / 1000.0, static_cast<long long>(track.frames),
        double(track.samples) / kSampleRate, beeps.load(), track.flashes.size(), track.beeps.size());
    // Pairs: each flash with the beep nearest to it, within half a second.
    std::vector<std::pair<double, double>> offsets; // flash time, sound - picture
    for (double flash : track.flashes) {
        const auto nearest = std::min_element(track.beeps.begin(), track.beeps.end(),
            [flash](double a, double b) { return std::abs(a - flash) < std::abs(b - flash); });
        if (nearest != track.beeps.end() && std::abs(*nearest - flash) < 500)
            offsets.emplace_back(flash, *nearest - flash);
    }
    if (offsets.size() < 4) {
        std::fprintf(stderr, "too few flashes with their beeps\n");
        return 1;
    }
    auto mean = [](auto first, auto last) {
        double sum = 0;
        int count = 0;
        for (auto it = first; it != last; ++it, ++count)
            sum += it->second;
        return sum / std::max(1, count);
    };
    double worst = 0;
    for (const auto& [at, offset] : offsets)
        worst = std::max(worst, std::abs(offset));
    std::printf("sound after picture, ms (positive: the sound is late)\n");
    std::printf("  start (first 3 flashes at %.1f s): %+.1f\n", offsets.front().first / 1000.0,
        mean(offsets.begin(), offsets.begin() + 3));
    std::printf("  end   (last 3 flashes to %.1f s): %+.1f\n", offsets.back().first / 1000.0,
        mean(offsets.end() - 3, offsets.end()));
    std::printf("  largest of %zu pairs: %.1f\n", offsets.size(), worst);
    if (qEnvironmentVariableIsSet("QM_BENCH_ALL")) {
        for (const auto& [at, offset] : offsets)
            std::printf("  %8.1f s %+6.1f\n", at / 1000.0, offset);
    }
    return 0;
}
