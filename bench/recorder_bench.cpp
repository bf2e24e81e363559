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
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

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

double cpuSeconds(const rusage& usage)
{
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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

// A full-screen window that shows the next of a few banded pictures every 50 ms: every frame differs, as
// lesson content moving on the screen would.
class ChangingScreen : public QWidget {
public:
    ChangingScreen()
    {
        for (int i = 0; i < 8; ++i) {
            std::vector<uint8_t> pixels = bandedScreen(i * 11);
            pictures_.push_back(QImage(pixels.data(), 1920, 1080, 1920 * 4, QImage::Format_RGB32).copy());
        }
        setGeometry(0, 0, 1920, 1080);
        setAttribute(Qt::WA_OpaquePaintEvent);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            ++step_;
            update();
        });
        timer_.start(50);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, pictures_[size_t(step_) % pictures_.size()]);
    }

private:
    std::vector<QImage> pictures_;
    QTimer timer_;
    int step_ = 0;
};

// Runs a program to its end while the event loop keeps the screen changing; its CPU seconds, or -1.
double runChild(const std::vector<QByteArray>& args, QByteArray* output = nullptr)
{
    std::vector<char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);
    const QString outPath = QDir::temp().filePath(QStringLiteral("qm-recorder-child.txt"));
    const QByteArray outFile = outPath.toLocal8Bit();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    rusage usage {};
    int status = 0;
    while (wait4(pid, &status, WNOHANG, &usage) == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (output) {
        QFile file(outPath);
        if (file.open(QIODevice::ReadOnly))
            *output = file.readAll();
    }
    QFile::remove(outPath);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return cpuSeconds(usage);
}

// The recorder and ffmpeg's x11grab, one after the other in one run, each recording the same changing screen
// for `seconds` at 20 fps with MPEG-4 Part 2 at the same quantiser and key-frame interval. Both run as child
// processes, so each one's CPU time is its own; the screen is drawn by this process.
void BM_RecordCpuAgainstFfmpeg(benchmark::State& state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs a desktop");
        return;
    }
    const int seconds = int(state.range(0));
    const QByteArray child = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("recorder_child"))
                                 .toLocal8Bit();
    const QByteArray ours = QDir::temp().filePath(QStringLiteral("qm-recorder-ours.avi")).toLocal8Bit();
    const QByteArray theirs = QDir::temp().filePath(QStringLiteral("qm-recorder-ffmpeg.avi")).toLocal8Bit();
    const QByteArray quantiser = QByteArray::number(quantiserForQuality(3000));
    for (auto _ : state) {
        ChangingScreen screen;
        screen.show();
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();

        QByteArray report;
        const double ourCpu = runChild({child, QByteArray::number(seconds), ours}, &report);
        long long recordedMs = 0;
        long long grabbed = 0;
        long long dropped = 0;
        std::sscanf(report.constData(), "recorded_ms %lld grabbed %lld dropped %lld", &recordedMs, &grabbed,
            &dropped);
        const double ffmpegCpu = runChild(
            {"/usr/bin/ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "x11grab", "-framerate", "20",
                "-video_size", "1920x1080", "-i", qgetenv("DISPLAY"), "-t", QByteArray::number(seconds),
                "-c:v", "mpeg4", "-vtag", "XVID", "-q:v", quantiser, "-g", "20", "-bf", "0", theirs});
        if (ourCpu < 0 || ffmpegCpu < 0 || recordedMs <= 0) {
            state.SkipWithError("a recording failed");
            break;
        }
        const double ourPerSecond = ourCpu / (double(recordedMs) / 1000.0);
        const double ffmpegPerSecond = ffmpegCpu / double(seconds);
        state.counters["ours_cpu_s_per_s"] = ourPerSecond;
        state.counters["ffmpeg_cpu_s_per_s"] = ffmpegPerSecond;
        state.counters["ratio"] = ourPerSecond / ffmpegPerSecond;
        state.counters["ours_fps"] = double(grabbed) / (double(recordedMs) / 1000.0);
        state.counters["ours_dropped"] = double(dropped);
        state.counters["ours_MB"] = double(QFile(QString::fromLocal8Bit(ours)).size()) / 1e6;
        state.counters["ffmpeg_MB"] = double(QFile(QString::fromLocal8Bit(theirs)).size()) / 1e6;
    }
    // QM_BENCH_KEEP=1 leaves both files in the temporary folder for a look at them.
    if (qEnvironmentVariableIsEmpty("QM_BENCH_KEEP")) {
        QFile::remove(QString::fromLocal8Bit(ours));
        QFile::remove(QString::fromLocal8Bit(theirs));
    }
}
BENCHMARK(BM_RecordCpuAgainstFfmpeg)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
