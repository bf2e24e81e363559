// One paint of an instrument over a full-screen page, as the surface repaints it on every drag step: every
// tick and number reads one page pixel for its colour. Medians and 99th percentiles per paint.
#include "bench_util.h"
#include "instruments/instrument_table.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

using namespace DIALOG;
using qmbench::percentile;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

void paintOnce(benchmark::State& state, const char* kind, QPoint from, QPoint to)
{
    InstrumentTable table([] { return kWidth; });
    table.SelectInstrument(QString::fromLatin1(kind));
    table.Press(from);
    table.Move(to, QRect());
    table.Release(to);
    const QImage& page = qmbench::busyScreen();
    QImage window = page.copy();
    QPainter painter(&window);
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        table.Paint(painter, page);
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        times.push_back(spent.count());
        state.SetIterationTime(spent.count());
    }
    state.counters["median_us"] = percentile(times, 0.5) * 1e6;
    state.counters["p99_us"] = percentile(times, 0.99) * 1e6;
}

void BM_PaintScreenWideRuler(benchmark::State& state)
{
    paintOnce(state, "Ruler", {0, 500}, {kWidth - 1, 500});
}
BENCHMARK(BM_PaintScreenWideRuler)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The same ruler laid slanting: ticks and numbers off the pixel grid.
void BM_PaintSlantedRuler(benchmark::State& state)
{
    paintOnce(state, "Ruler", {100, 1000}, {1700, 100});
}
BENCHMARK(BM_PaintSlantedRuler)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_PaintProtractor(benchmark::State& state)
{
    paintOnce(state, "Protractor", {960, 700}, {960, 700});
}
BENCHMARK(BM_PaintProtractor)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_PaintTriangular(benchmark::State& state)
{
    paintOnce(state, "Triangular", {300, 200}, {1500, 200});
}
BENCHMARK(BM_PaintTriangular)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_PaintCompass(benchmark::State& state)
{
    paintOnce(state, "Compass", {800, 900}, {1200, 800});
}
BENCHMARK(BM_PaintCompass)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace
