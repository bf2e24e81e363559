// One pointer step of the spotlight and of the magnifier over a 1920x1080 screen: the picture is brought up
// to date and the part that changed is copied to the window's backing store, as a paint of that part does.
// The anchors do the same with the whole screen repainted on every step. Medians and 99th percentiles per
// step.
#include "assist/presentation_aids_model.h"
#include "bench_util.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

using namespace DIALOG::aids;
using qmbench::percentile;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The pointer's path: a wide circle, a few pixels a step, as a hand moves.
QPoint pointerAt(int step)
{
    const double a = step * 0.01;
    return QPoint(kWidth / 2 + int(600 * std::cos(a)), kHeight / 2 + int(350 * std::sin(a)));
}

void present(QImage& backing, const QImage& frame, const QRect& area)
{
    QPainter painter(&backing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area, frame, area);
}

void report(benchmark::State& state, const std::vector<double>& times)
{
    state.counters["median_ms"] = percentile(times, 0.5) * 1e3;
    state.counters["p99_ms"] = percentile(times, 0.99) * 1e3;
}

template<typename Step>
void measure(benchmark::State& state, Step step)
{
    std::vector<double> times;
    int i = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        step(i++);
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        times.push_back(spent.count());
        state.SetIterationTime(spent.count());
    }
    report(state, times);
}

void BM_SpotlightMove(benchmark::State& state)
{
    const QImage& screen = qmbench::busyScreen();
    const QImage dark = darkened(screen, kSpotlightDarkening);
    QImage frame = dark.copy();
    QImage backing = frame.copy();
    QRect spot = spotSquare(pointerAt(0), 300);
    paintSpot(frame, screen, spot);
    measure(state, [&](int i) {
        const QRect next = spotSquare(pointerAt(i + 1), 300);
        present(backing, frame, moveSpot(frame, dark, screen, spot, next));
        spot = next;
    });
}
BENCHMARK(BM_SpotlightMove)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1000);

void BM_SpotlightFullRepaint(benchmark::State& state)
{
    const QImage& screen = qmbench::busyScreen();
    const QImage dark = darkened(screen, kSpotlightDarkening);
    QImage frame = dark.copy();
    QImage backing = frame.copy();
    measure(state, [&](int i) {
        {
            QPainter painter(&frame);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, dark);
        }
        paintSpot(frame, screen, spotSquare(pointerAt(i + 1), 300));
        present(backing, frame, frame.rect());
    });
}
BENCHMARK(BM_SpotlightFullRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

// A 200x150 area enlarged three times, dragged about.
void BM_MagnifierMove(benchmark::State& state)
{
    const QImage& screen = qmbench::busyScreen();
    const QImage magnified = screen.copy(860, 465, 200, 150).scaled(600, 450);
    QImage frame = screen.copy();
    QImage backing = frame.copy();
    QRect area = magnifiedRect(pointerAt(0), {200, 150}, 3);
    moveMagnified(frame, screen, magnified, QRect(), area);
    measure(state, [&](int i) {
        const QRect next = magnifiedRect(pointerAt(i + 1), {200, 150}, 3);
        present(backing, frame, moveMagnified(frame, screen, magnified, area, next));
        area = next;
    });
}
BENCHMARK(BM_MagnifierMove)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1000);

void BM_MagnifierFullRepaint(benchmark::State& state)
{
    const QImage& screen = qmbench::busyScreen();
    const QImage magnified = screen.copy(860, 465, 200, 150).scaled(600, 450);
    QImage frame = screen.copy();
    QImage backing = frame.copy();
    measure(state, [&](int i) {
        {
            QPainter painter(&frame);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(0, 0, screen);
            painter.drawImage(magnifiedRect(pointerAt(i + 1), {200, 150}, 3).topLeft(), magnified);
        }
        present(backing, frame, frame.rect());
    });
}
BENCHMARK(BM_MagnifierFullRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace
