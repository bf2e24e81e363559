// Stored form of a full page and a full redraw of a page of pen strokes.
#include "surface/pen_node.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>

using namespace DIALOG;

namespace {

// A page as a lesson leaves it: mostly strokes of some hundred points, some shapes, texts and erasers.
std::vector<CPenNode> mixedPage(int count)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> coord(0, 1919);
    std::uniform_int_distribution<int> step(-6, 6);
    std::uniform_int_distribution<int> length(20, 300);
    const NodeKind kinds[] = {Pen, Pen, Pen, Pen, SpeedPen, BrushPen, DashPen, EraseTrail, Line, Rectangle,
        Arrow, Text, Cube, CompassArc};
    std::vector<CPenNode> page;
    page.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const NodeKind kind = kinds[std::size_t(i) % std::size(kinds)];
        CPenNode node(RGB(i % 256, 40, 200), 3, 0, kind);
        const int n = IsTwoPointKind(kind) || kind == Arrow || kind == Text ? 2 : length(rng);
        int x = coord(rng), y = coord(rng) % 1080;
        for (int k = 0; k < n; ++k) {
            node.AddPoint(x, y, 1, kind == SpeedPen ? 3 + k % 5 : 0);
            x += step(rng);
            y += step(rng);
        }
        if (kind == Text)
            node.SetEditText(QStringLiteral("Photosynthesis makes sugar\nfrom light and water"));
        if (kind == CompassArc) {
            node.arcCentreX = 900;
            node.arcCentreY = 500;
            node.arcRadius = 123.5;
        }
        page.push_back(std::move(node));
    }
    return page;
}

const std::vector<CPenNode>& benchPage()
{
    static const std::vector<CPenNode> page = mixedPage(10000);
    return page;
}

std::string storedPage()
{
    std::ostringstream os;
    for (const CPenNode& node : benchPage())
        node.Write(os);
    os << 'e';
    return os.str();
}

std::size_t readAll(std::istream& is)
{
    std::size_t n = 0;
    CPenNode scratch(0, 3, 0, Pen);
    while (is.peek() != 'e' && is.peek() != std::char_traits<char>::eof()) {
        scratch.Reset();
        scratch.cleared = 1;
        if (!scratch.Read(is))
            break;
        n += scratch.points.size();
    }
    return n;
}

void BM_WritePageToString(benchmark::State& state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream os;
        for (const CPenNode& node : benchPage())
            node.Write(os);
        bytes = os.str().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
    state.SetBytesProcessed(std::int64_t(state.iterations() * bytes));
}
BENCHMARK(BM_WritePageToString)->Unit(benchmark::kMillisecond);

void BM_ReadPageFromString(benchmark::State& state)
{
    const std::string text = storedPage();
    for (auto _ : state) {
        std::istringstream is(text);
        benchmark::DoNotOptimize(readAll(is));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadPageFromString)->Unit(benchmark::kMillisecond);

void BM_WritePageToFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("page.kw")).toStdString();
    for (auto _ : state) {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        for (const CPenNode& node : benchPage())
            node.Write(f);
        f << 'e';
    }
}
BENCHMARK(BM_WritePageToFile)->Unit(benchmark::kMillisecond);

void BM_ReadPageFromFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("page.kw")).toStdString();
    std::ofstream(path, std::ios::binary) << storedPage();
    for (auto _ : state) {
        std::ifstream f(path, std::ios::binary);
        benchmark::DoNotOptimize(readAll(f));
    }
}
BENCHMARK(BM_ReadPageFromFile)->Unit(benchmark::kMillisecond);

void BM_DrawPenStrokes(benchmark::State& state)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(0, 1919);
    std::uniform_int_distribution<int> step(-8, 8);
    std::vector<CPenNode> strokes;
    for (int i = 0; i < 2000; ++i) {
        CPenNode node(RGB(200, i % 256, 30), int(state.range(0)), 0, Pen);
        int x = coord(rng), y = coord(rng) % 1080;
        for (int k = 0; k < 100; ++k) {
            node.AddPoint(x, y);
            x += step(rng);
            y += step(rng);
        }
        strokes.push_back(std::move(node));
    }
    QImage pageBitmap(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        pageBitmap.fill(Qt::white);
        QPainter p(&pageBitmap);
        for (const CPenNode& node : strokes)
            node.Draw(p, nullptr);
    }
}
// The argument is the pen width: 1 takes Qt's one-pixel path, wider pens are stroked as outlines.
BENCHMARK(BM_DrawPenStrokes)->Arg(1)->Arg(3)->Arg(8)->Unit(benchmark::kMillisecond);

} // namespace
