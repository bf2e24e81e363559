// The figures that differ between an X11 and a Wayland desktop: the frozen desktop's picture (the X server's
// pixels, or the Screenshot portal's round trip with our windows hidden first) and ten seconds of recording a
// screen that changes every 50 ms (the X server's grab, or the ScreenCast portal's PipeWire stream). The
// backend is the one the program would use in this session.
#include "bench_util.h"
#include "platform/screen_capture.h"
#include "recorder/cast_frames.h"
#include "recorder/recording_session.h"
#include "support_main/test_util.h"
#include "wayland/mutter_desktop.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <vector>

using namespace recorder;

namespace {

bool throughPortal()
{
    return platform::CaptureBackendInUse() == platform::CaptureBackend::Portal;
}

void BM_FreezePicture(benchmark::State& state)
{
    if (throughPortal() && qmtest::gnomeShellRuns())
        qmtest::grantScreenshots();
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    std::vector<double> times;
    for (auto _ : state) {
        const double start = qmbench::wallNs();
        const platform::ScreenPicture picture
            = platform::CaptureScreen(desktop, platform::OwnWindows::Hidden);
        times.push_back((qmbench::wallNs() - start) / 1e6);
        if (picture.image.isNull()) {
            state.SkipWithError(("no picture after " + std::to_string(int(times.back()))
                + " ms: " + picture.detail.toStdString())
                                    .c_str());
            return;
        }
    }
    state.counters["median_ms"] = qmbench::percentile(times, 0.5);
    state.counters["max_ms"] = qmbench::percentile(times, 1.0);
}
BENCHMARK(BM_FreezePicture)->Iterations(10)->Unit(benchmark::kMillisecond);

// A full-screen window of ours whose colour changes every 50 ms.
class ChangingWindow : public QWidget {
public:
    ChangingWindow()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
        setAutoFillBackground(true);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor::fromHsv((step_++ * 7) % 360, 200, 220));
            setPalette(palette);
        });
        timer_.start(50);
        show();
    }

private:
    QTimer timer_;
    int step_ = 0;
};

void BM_RecordTenSeconds(benchmark::State& state)
{
    const bool portal = throughPortal();
    for (auto _ : state) {
        SessionSettings settings;
        settings.path = QDir::temp().filePath(QStringLiteral("qm-wayland-bench.avi"));
        settings.compressor
            = {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")};
        std::unique_ptr<qmtest::MutterInput> input;
        if (portal) {
            input = std::make_unique<qmtest::MutterInput>();
            qmtest::leaveOverview(*input);
            settings.source = [](std::function<bool()> stopped) -> std::unique_ptr<FrameSource> {
                CastSettings cast;
                cast.cancelled = std::move(stopped);
                return std::make_unique<CastFrames>(cast);
            };
        }
        std::atomic<bool> ended {false};
        RecordingSession session;
        session.start(settings, [&](SessionEnd, const SessionStats&) { ended = true; });
        const bool started = (!portal || qmtest::answerShareQuestion(*input, 90000))
            && qmtest::waitFor([&] { return session.stats().framesGrabbed > 0; }, 20000);
        if (!started) {
            session.stop();
            session.wait();
            state.SkipWithError("the recording did not start");
            return;
        }
        ChangingWindow window;
        qmtest::waitFor([] { return false; }, 1000);
        const SessionStats before = session.stats();
        const double cpuBefore = qmbench::processCpuS();
        const double wallBefore = qmbench::wallNs();
        qmtest::waitFor([] { return false; }, 10000);
        const SessionStats after = session.stats();
        const double seconds = (qmbench::wallNs() - wallBefore) / 1e9;
        const double cpu = qmbench::processCpuS() - cpuBefore;
        session.stop();
        session.wait();
        state.counters["pictures_per_s"] = double(after.framesGrabbed - before.framesGrabbed) / seconds;
        state.counters["file_fps"] = double(after.framesWritten - before.framesWritten) / seconds;
        state.counters["dropped"] = double(after.framesDropped - before.framesDropped);
        state.counters["cpu_s_per_s"] = cpu / seconds;
        QFile::remove(settings.path);
    }
}
BENCHMARK(BM_RecordTenSeconds)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
