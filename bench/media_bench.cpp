// Pictures and media on the page, on a real desktop:
// - one drag step of a 1920 × 1080 picture with the tracker over a page of 2 000 strokes, from the mouse
//   event to the paint of what changed;
// - the material preview opened on a folder of 200 photographs, until its first 28 thumbnails are shown;
// - the first video of a run until its first frame is drawn;
// - a 1280 × 720, 30 fps video playing in its frame over the page for 60 s: frames drawn and dropped (the
//   sink's QoS messages) and the CPU the process spends on it.
#include "bench_util.h"
#include "platform/shell.h"
#include "player/playback_stats.h"
#include "player/player_exports.h"
#include "surface/image_review_dlg.h"
#include "surface/page_model.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <memory>
#include <random>

using namespace DIALOG;
using qmbench::percentile;
using qmbench::processCpuS;
using qmbench::wallNs;

namespace {

// The lesson the benchmarks draw in.
Lesson& benchLesson()
{
    static Lesson lesson(platform::programFolder());
    return lesson;
}

void send(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

std::unique_ptr<CScreenPenWnd> openSurface()
{
    benchLesson().SetBoardMode(kBoardWhite);
    benchLesson().Pages().Clear();
    auto surface = std::make_unique<CScreenPenWnd>(nullptr, benchLesson());
    surface->SetPen(3, RGB(0, 0, 0));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 3000 && !(surface->windowHandle() && surface->windowHandle()->isExposed()))
        spin(5);
    spin(50);
    return surface;
}

// A page that a long lesson leaves: 2 000 strokes of 100 points across the screen.
void fillPage()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> x(0, 1919), y(0, 1079), step(-6, 6);
    for (int s = 0; s < 2000; ++s) {
        CPenNode node(RGB(s % 256, 60, 180), 3, 0, Pen);
        int px = x(rng), py = y(rng);
        for (int k = 0; k < 100; ++k) {
            node.AddPoint(px, py);
            px = std::clamp(px + step(rng), 0, 1919);
            py = std::clamp(py + step(rng), 0, 1079);
        }
        benchLesson().Pages().AddObject(node);
    }
}

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_PictureDragStep(benchmark::State& state)
{
    auto surface = openSurface();
    fillPage();
    surface->RedrawPage();
    const QString path = scratch().filePath(QStringLiteral("photo.jpg"));
    qmbench::busyScreen().save(path, "JPG", 90);
    surface->InsertPicture(path);
    send(surface.get(), QEvent::MouseButtonPress, QPointF(700, 500), Qt::LeftButton);
    send(surface.get(), QEvent::MouseButtonRelease, QPointF(700, 500), Qt::NoButton);
    QCoreApplication::sendPostedEvents(surface.get(), QEvent::UpdateRequest);
    // The drag holds the picture by its body, away from the icons.
    const QPointF grab(700 - 150, 500 - 80);
    send(surface.get(), QEvent::MouseButtonPress, grab, Qt::LeftButton);
    std::vector<double> wall;
    long i = 0;
    for (auto _ : state) {
        ++i;
        const QPointF at = grab + QPointF(500 * std::sin(i / 300.0), 250 * std::sin(i / 470.0));
        const double w0 = wallNs();
        send(surface.get(), QEvent::MouseMove, at, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(surface.get(), QEvent::UpdateRequest);
        const double w1 = wallNs();
        wall.push_back(w1 - w0);
        state.SetIterationTime((w1 - w0) * 1e-9);
    }
    send(surface.get(), QEvent::MouseButtonRelease, grab, Qt::NoButton);
    state.counters["wall_p50_ms"] = percentile(wall, 0.5) / 1e6;
    state.counters["wall_p99_ms"] = percentile(wall, 0.99) / 1e6;
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_PictureDragStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2000);

void BM_MaterialFirstThumbnails(benchmark::State& state)
{
    const QString folder = scratch().filePath(QStringLiteral("photos"));
    if (!QDir(folder).exists()) {
        QDir().mkpath(folder);
        QImage photo = qmbench::busyScreen().scaled(1600, 1200);
        for (int i = 0; i < 200; ++i) {
            photo.setPixel(i, 0, qRgb(i, 0, 0));
            photo.save(
                QStringLiteral("%1/photo%2.jpg").arg(folder).arg(i, 3, 10, QLatin1Char('0')), "JPG", 85);
        }
    }
    std::vector<double> wall;
    for (auto _ : state) {
        // A preview of its own each time: nothing is cached between the runs.
        CImageReviewDlg preview(nullptr);
        const double w0 = wallNs();
        preview.OpenFolder(folder, false, QRect(0, 0, 1920, 1080));
        bool all = false;
        while (!all) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            all = true;
            for (int item = 0; item < 28 && all; ++item)
                all = preview.thumbnailReady(item);
        }
        QCoreApplication::sendPostedEvents(&preview, QEvent::UpdateRequest);
        const double w1 = wallNs();
        wall.push_back(w1 - w0);
        state.SetIterationTime((w1 - w0) * 1e-9);
    }
    state.counters["wall_p50_ms"] = percentile(wall, 0.5) / 1e6;
    state.counters["wall_max_ms"] = percentile(wall, 1.0) / 1e6;
}
BENCHMARK(BM_MaterialFirstThumbnails)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// What the preview's workers do for the first screen, one after the other on this thread.
void BM_ThumbnailDecodeSerial(benchmark::State& state)
{
    const QString folder = scratch().filePath(QStringLiteral("photos"));
    std::vector<double> wall;
    for (auto _ : state) {
        const double w0 = wallNs();
        for (int i = 0; i < 28; ++i)
            benchmark::DoNotOptimize(ReadThumbnail(
                QStringLiteral("%1/photo%2.jpg").arg(folder).arg(i, 3, 10, QLatin1Char('0')), QSize(64, 64)));
        const double w1 = wallNs();
        wall.push_back(w1 - w0);
        state.SetIterationTime((w1 - w0) * 1e-9);
    }
    state.counters["wall_p50_ms"] = percentile(wall, 0.5) / 1e6;
}
BENCHMARK(BM_ThumbnailDecodeSerial)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// A 1280 x 720, 30 fps lesson video with sound, made once per run.
QString lessonVideo(int seconds)
{
    const QString video = scratch().filePath(QStringLiteral("lesson-%1.mp4").arg(seconds));
    if (QFile::exists(video))
        return video;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
            QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc2=size=1280x720:rate=30:duration=%1").arg(seconds), QStringLiteral("-f"),
            QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=%1").arg(seconds),
            QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
            QStringLiteral("veryfast"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
            QStringLiteral("-c:a"), QStringLiteral("aac"), video});
    ffmpeg.waitForFinished(600000);
    return video;
}

// The first video of a run, from the insertion until its first frame is drawn: the player's library and
// GStreamer are loaded then. Run it alone (--benchmark_filter=FirstVideo), so that nothing before it loaded
// them.
void BM_FirstVideoFrame(benchmark::State& state)
{
    const QString video = lessonVideo(10);
    auto surface = openSurface();
    for (auto _ : state) {
        const double w0 = wallNs();
        surface->InsertVideo(video);
        while (player::CurrentPlaybackStats().rendered == 0 && wallNs() - w0 < 10e9)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const double ms = (wallNs() - w0) / 1e6;
        state.SetIterationTime(ms / 1e3);
        state.counters["first_frame_ms"] = player::CurrentPlaybackStats().rendered > 0 ? ms : -1;
    }
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_FirstVideoFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_VideoInPageFrame(benchmark::State& state)
{
    const int seconds = int(state.range(0));
    const QString video = lessonVideo(seconds + 5);
    auto surface = openSurface();
    for (auto _ : state) {
        surface->InsertVideo(video);
        const double c0 = processCpuS();
        const double w0 = wallNs();
        spin(seconds * 1000);
        const double w1 = wallNs();
        const double c1 = processCpuS();
        const player::PlaybackStats stats = player::CurrentPlaybackStats();
        state.SetIterationTime((w1 - w0) * 1e-9);
        state.counters["frames_drawn"] = double(stats.rendered);
        state.counters["frames_dropped"] = double(stats.dropped);
        state.counters["qos_messages"] = stats.qosMessages;
        state.counters["cpu_of_one_core"] = (c1 - c0) / ((w1 - w0) * 1e-9);
        state.counters["position_s"] = vpGetCurrentPosition();
    }
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_VideoInPageFrame)->Arg(60)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
