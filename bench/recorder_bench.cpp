// The recorder's cost: encoding 1080p frames with each compressor, and a whole recording of a screen that
// changes every frame (frames held, frames dropped, CPU time per recorded second, memory growth). The
// recording needs the virtual desktop: scripts/virtual-desktop build/release/bench/recorder_bench
#include "recorder/avi_writer.h"
#include "recorder/recording_session.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPalette>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <atomic>
#include <sys/resource.h>
#include <vector>

using namespace recorder;

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A 1080p screen with moving bands, so that every frame differs.
std::vector<uint8_t> bandedScreen(int shift)
{
    std::vector<uint8_t> pixels(size_t(1920) * 1080 * 4);
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            uint8_t* p = pixels.data() + (size_t(y) * 1920 + x) * 4;
            p[0] = uint8_t((x + shift) / 8);
            p[1] = uint8_t((y + shift) / 4);
            p[2] = uint8_t(((x + y) / 16 + shift) & 0xff);
        }
    }
    return pixels;
}

void BM_EncodeFrame1080p(benchmark::State& state, Compressor compressor)
{
    const QString path = QDir::temp().filePath(QStringLiteral("qm-recorder-bench.avi"));
    AviSettings settings;
    settings.compressor = compressor;
    settings.size = {1920, 1080};
    settings.sound = false;
    AviWriter writer;
    if (!writer.open(path, settings)) {
        state.SkipWithError("the encoder does not open");
        return;
    }
    std::vector<std::vector<uint8_t>> screens;
    for (int i = 0; i < 4; ++i)
        screens.push_back(bandedScreen(i * 7));
    int64_t number = 0;
    for (auto _ : state) {
        writer.writeFrame(screens[size_t(number % 4)].data(), 1920 * 4, 1920, 1080, number);
        ++number;
    }
    writer.finish();
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    QFile::remove(path);
}
BENCHMARK_CAPTURE(BM_EncodeFrame1080p, mpeg4_xvid,
    Compressor {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);
BENCHMARK_CAPTURE(BM_EncodeFrame1080p, msvideo1_default, defaultCompressor())
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);

// Records the desktop for `seconds` while a full-screen window changes colour every frame.
void BM_RecordDesktop(benchmark::State& state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs a desktop");
        return;
    }
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        QWidget screen;
        screen.setGeometry(0, 0, 1920, 1080);
        screen.show();
        int step = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor::fromHsv((step++ * 7) % 360, 200, 220));
            screen.setPalette(palette);
        });
        timer.start(50);

        SessionSettings settings;
        settings.path = QDir::temp().filePath(QStringLiteral("qm-recorder-desktop.avi"));
        settings.compressor
            = {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")};
        std::atomic<bool> ended {false};
        SessionStats last;
        RecordingSession session;
        const double cpuBefore = cpuSeconds();
        session.start(settings, [&](SessionEnd, const SessionStats& stats) {
            last = stats;
            ended = true;
        });
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        const long rssEarly = residentKb();
        QTimer::singleShot(seconds * 1000 - 2000, &loop, &QEventLoop::quit);
        loop.exec();
        session.stop();
        while (!ended)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        session.wait();
        const double cpu = cpuSeconds() - cpuBefore;
        const double recorded = double(last.recordedMs) / 1000.0;
        state.counters["recorded_s"] = recorded;
        state.counters["fps_held"] = double(last.framesGrabbed) / recorded;
        state.counters["dropped"] = double(last.framesDropped);
        state.counters["cpu_s_per_s"] = cpu / recorded;
        state.counters["maxrss_growth_kb"] = double(residentKb() - rssEarly);
        QFile::remove(settings.path);
    }
}
BENCHMARK(BM_RecordDesktop)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
