// The pen surface's live ink and full redraw, on a real window. Each pointer move is timed from the mouse
// event sent to the window until the changed part of the window has been painted; medians and 99th
// percentiles come from the individual moves.
#include "bench_util.h"
#include "instruments/my_shape.h"
#include "platform/pixel_upload.h"
#include "platform/shell.h"
#include "surface/instrument_gesture.h"
#include "surface/page_model.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QThread>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace DIALOG;

namespace {

// The lesson the benchmarks draw in.
Lesson& benchLesson()
{
    static Lesson lesson(platform::programFolder());
    return lesson;
}

using qmbench::percentile;
using qmbench::threadCpuNs;
using qmbench::wallNs;

// Counts the paints the window receives, so that a run shows each move was painted.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void send(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, p, p, Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// What the window system would do between two moves: deliver the pending repaint of the window.
void paintPending(QWidget* w)
{
    QCoreApplication::sendPostedEvents(w, QEvent::UpdateRequest);
}

// The thread CPU and wall time of each timed step, reported as medians and 99th percentiles.
class StepTimes {
public:
    // Runs step, timing it, and gives the benchmark its wall time.
    template<typename Step>
    void time(benchmark::State& state, Step step)
    {
        const double c0 = threadCpuNs();
        const double w0 = wallNs();
        step();
        const double w1 = wallNs();
        const double c1 = threadCpuNs();
        cpu_.push_back(c1 - c0);
        wall_.push_back(w1 - w0);
        state.SetIterationTime((w1 - w0) * 1e-9);
    }
    // Counters in microseconds ("us", 1e3) or milliseconds ("ms", 1e6).
    void report(benchmark::State& state, const char* unit, double nsPerUnit) const
    {
        const std::string u(unit);
        state.counters["cpu_p50_" + u] = percentile(cpu_, 0.50) / nsPerUnit;
        state.counters["cpu_p99_" + u] = percentile(cpu_, 0.99) / nsPerUnit;
        state.counters["wall_p50_" + u] = percentile(wall_, 0.50) / nsPerUnit;
        state.counters["wall_p99_" + u] = percentile(wall_, 0.99) / nsPerUnit;
    }
    std::size_t steps() const { return cpu_.size(); }

private:
    std::vector<double> cpu_;
    std::vector<double> wall_;
};

std::unique_ptr<CScreenPenWnd> openSurface()
{
    benchLesson().SetBoardMode(kBoardWhite);
    benchLesson().Pages().Clear();
    auto surface = std::make_unique<CScreenPenWnd>(nullptr, benchLesson());
    surface->SetPen(3, RGB(0, 0, 0));
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 3000 && !(surface->windowHandle() && surface->windowHandle()->isExposed())) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
    return surface;
}

// A hand-written loop across the screen: small steps as a pen gives them.
QPointF strokePoint(long i)
{
    const double t = double(i);
    return QPointF(960 + 800 * std::sin(t / 900.0) + 20 * std::sin(t / 7.0),
        540 + 420 * std::sin(t / 1300.0) + 15 * std::cos(t / 9.0));
}

void BM_PenMove(benchmark::State& state)
{
    auto surface = openSurface();
    surface->SetPen(int(state.range(0)), RGB(200, 20, 20));
    PaintCounter counter;
    surface->installEventFilter(&counter);
    StepTimes times;
    long i = 0;
    send(surface.get(), QEvent::MouseButtonPress, strokePoint(i), Qt::LeftButton);
    for (auto _ : state) {
        ++i;
        if (i % 2000 == 0) {
            state.PauseTiming();
            send(surface.get(), QEvent::MouseButtonRelease, strokePoint(i - 1), Qt::NoButton);
            benchLesson().Pages().Clear();
            surface->RedrawPage();
            paintPending(surface.get());
            send(surface.get(), QEvent::MouseButtonPress, strokePoint(i), Qt::LeftButton);
            state.ResumeTiming();
            continue;
        }
        times.time(state, [&] {
            send(surface.get(), QEvent::MouseMove, strokePoint(i), Qt::LeftButton);
            paintPending(surface.get());
        });
    }
    send(surface.get(), QEvent::MouseButtonRelease, strokePoint(i), Qt::NoButton);
    times.report(state, "us", 1e3);
    state.counters["paints_per_move"]
        = double(counter.paints) / double(std::max<std::size_t>(times.steps(), 1));
    surface->removeEventFilter(&counter);
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_PenMove)->Arg(3)->Arg(15)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20000);

// Fingers writing at once: one touch event moves every finger a step along its own loop (as a touch frame
// reports all its contacts in one event), timed from the event handed to Qt's touch path until the changed
// part of the window has been painted. Argument: the number of fingers; one finger is the mouse's path.
void BM_FingersMove(benchmark::State& state)
{
    static QPointingDevice* frame = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen,
        QInputDevice::Capability::Position | QInputDevice::Capability::Area);
    const int fingers = int(state.range(0));
    auto surface = openSurface();
    QWidget* w = surface.get();
    // Each finger writes in a band of its own, so that no two strokes meet.
    const auto at = [&](int finger, long i) {
        const QPointF p = strokePoint(i);
        return QPoint(int(p.x()), 80 + finger * 90 + int(std::fmod(std::abs(p.y()), 60.0)));
    };
    auto touch = QTest::touchEvent(w, frame, false);
    const auto pressAll = [&](long i) {
        for (int f = 0; f < fingers; ++f)
            touch.press(f, at(f, i), w);
        touch.commit(false);
    };
    const auto releaseAll = [&](long i) {
        for (int f = 0; f < fingers; ++f)
            touch.release(f, at(f, i), w);
        touch.commit(false);
    };
    StepTimes times;
    long i = 0;
    pressAll(i);
    for (auto _ : state) {
        ++i;
        if (i % 1000 == 0) {
            state.PauseTiming();
            releaseAll(i - 1);
            benchLesson().Pages().Clear();
            surface->RedrawPage();
            paintPending(w);
            pressAll(i);
            state.ResumeTiming();
            continue;
        }
        times.time(state, [&] {
            for (int f = 0; f < fingers; ++f)
                touch.move(f, at(f, i), w);
            touch.commit(false);
            paintPending(w);
        });
    }
    releaseAll(i);
    times.report(state, "us", 1e3);
    state.counters["cpu_p50_us_per_finger"] = state.counters["cpu_p50_us"] / fingers;
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_FingersMove)
    ->Arg(1)
    ->Arg(2)
    ->Arg(10)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(10000);

// A page that a long lesson leaves: 2 000 strokes of 100 points across the screen.
void fillPage()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> x(0, 1919), y(0, 1079), step(-6, 6);
    PageList& list = benchLesson().Pages();
    for (int s = 0; s < 2000; ++s) {
        CPenNode node(RGB(s % 256, 60, 180), 3, 0, Pen);
        int px = x(rng), py = y(rng);
        for (int k = 0; k < 100; ++k) {
            node.AddPoint(px, py);
            px = std::clamp(px + step(rng), 0, 1919);
            py = std::clamp(py + step(rng), 0, 1079);
        }
        list.AddObject(node);
    }
}

void BM_FullRedraw(benchmark::State& state)
{
    auto surface = openSurface();
    fillPage();
    StepTimes times;
    for (auto _ : state) {
        times.time(state, [&] {
            surface->RedrawPage();
            paintPending(surface.get());
        });
    }
    times.report(state, "ms", 1e6);
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_FullRedraw)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// One drag step of an instrument over a page of 2 000 strokes: the move and the repaint of what changed, up
// to the window's paint. Arguments: the instrument's number (3 ruler, 2 protractor, 5 set square) and
// whether the recorder records (then only where the instrument was and is is repainted).
void BM_InstrumentDrag(benchmark::State& state)
{
    const int number = int(state.range(0));
    const bool recording = state.range(1) != 0;
    InstrumentGesture::SetRecordingProbe(recording ? +[] { return true; } : +[] { return false; });
    auto surface = openSurface();
    fillPage();
    surface->RedrawPage();
    surface->SelectInstrumentByNumber(number);
    // Laid across the middle of the screen: a press there, a drag and a release.
    const QPointF from(560, 540), to(1160, 540);
    send(surface.get(), QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(surface.get(), QEvent::MouseMove, to, Qt::LeftButton);
    send(surface.get(), QEvent::MouseButtonRelease, to, Qt::NoButton);
    paintPending(surface.get());
    const MyShape* shape = surface->instruments().GetActiveInstrument();
    QPointF grip = (from + to) / 2;
    for (int d = 0; d < 200 && shape && !shape->HitBody(int(grip.x()), int(grip.y())); ++d)
        grip = (from + to) / 2 + QPointF(0, d % 2 ? d : -d);
    send(surface.get(), QEvent::MouseButtonPress, grip, Qt::LeftButton);

    StepTimes times;
    long i = 0;
    for (auto _ : state) {
        // The hand carries it to and fro in small steps.
        ++i;
        const QPointF at
            = grip + QPointF(300 * std::sin(double(i) / 150.0), 150 * std::sin(double(i) / 230.0));
        times.time(state, [&] {
            send(surface.get(), QEvent::MouseMove, at, Qt::LeftButton);
            paintPending(surface.get());
        });
    }
    times.report(state, "ms", 1e6);
    InstrumentGesture::SetRecordingProbe(nullptr);
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_InstrumentDrag)
    ->ArgsProduct({{3, 2, 5}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1000);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The surface sends its pixels as the program does.
    platform::sendPixelsThroughTheConnection();
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
