// Drawing a point-eraser trail onto a full-HD page, as every full redraw does for each trail of the page. A
// trail is a point for every pixel the eraser went; its width is the half size of its square.
#include "surface/pen_node.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace DIALOG;

namespace {

constexpr int kPageWidth = 1920;
constexpr int kPageHeight = 1080;

QImage background()
{
    QImage img(kPageWidth, kPageHeight, QImage::Format_RGB32);
    img.fill(qRgb(250, 250, 240));
    return img;
}

// A teacher scrubbing the board: rows swept left and right, one point per pixel step, 40 pixels apart.
CPenNode scrub(int width, int points)
{
    CPenNode trail(0xCB5B36, width, 0, EraseTrail);
    int x = 100;
    int y = 100;
    int dx = 1;
    for (int i = 0; i < points; ++i) {
        trail.AddPoint(x, y, 1, 0);
        x += dx;
        if (x < 100 || x > kPageWidth - 100) {
            dx = -dx;
            x += dx;
            y = 100 + (y - 100 + 40) % (kPageHeight - 200);
        }
    }
    return trail;
}

void setCounters(benchmark::State& state, int points)
{
    state.counters["points"] = points;
    state.counters["ns_per_point"] = benchmark::Counter(
        double(points), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DrawEraseTrail(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int points = int(state.range(1));
    const QImage source = background();
    const CPenNode trail = scrub(width, points);
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::black);
        QPainter p(&page);
        trail.Draw(p, &source);
    }
    setCounters(state, points);
}
BENCHMARK(BM_DrawEraseTrail)
    ->Args({8, 1000})
    ->Args({8, 100000})
    ->Args({32, 10000})
    ->Args({2048, 1000})
    ->Args({2048, 100000})
    ->Unit(benchmark::kMillisecond);

// What a trail cost when each square was copied on its own, for comparison.
void BM_DrawEraseTrailSquareBySquare(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int points = int(state.range(1));
    const QImage source = background();
    const CPenNode trail = scrub(width, points);
    QImage page(kPageWidth, kPageHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::black);
        QPainter p(&page);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const PenPoint& pt : trail.points) {
            const QRect square = QRect(pt.x - width, pt.y - width, 2 * width, 2 * width) & source.rect();
            p.drawImage(square.topLeft(), source, square);
        }
    }
    setCounters(state, points);
}
BENCHMARK(BM_DrawEraseTrailSquareBySquare)
    ->Args({8, 1000})
    ->Args({32, 10000})
    ->Args({2048, 1000})
    ->Unit(benchmark::kMillisecond);

} // namespace
