// Resident memory of a loaded page: the process's VmRSS after loading a page file of freehand strokes,
// less what it was with the page empty.
#include "platform/shell.h"
#include "surface/page_model.h"
#include "surface/page_store.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <fstream>
#include <string>

using namespace DIALOG;

namespace {

// The lesson the benchmarks draw in.
Lesson& benchLesson()
{
    static Lesson lesson(platform::programFolder());
    return lesson;
}

// VmRSS of this process in bytes, from /proc/self/status.
double residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024.0;
    }
    return 0;
}

// Freehand strokes of 24 points each, as a lesson's worth of writing looks.
void writePage(const QString& path, int objects)
{
    std::vector<CPenNode> nodes;
    nodes.reserve(std::size_t(objects));
    for (int i = 0; i < objects; ++i) {
        CPenNode node(RGB(255, 0, 0), 3, 0, Pen);
        for (int k = 0; k < 24; ++k)
            node.AddPoint(100 + (i * 7 + k * 3) % 1700, 100 + (i * 13 + k) % 900, 1, 0);
        nodes.push_back(std::move(node));
    }
    std::ofstream out(QFile::encodeName(path).toStdString(), std::ios::binary);
    WritePageObjects(out, nodes);
}

void BM_PageResidentMemory(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString kw = dir.filePath(QStringLiteral("page.kw"));
    const int objects = int(state.range(0));
    writePage(kw, objects);
    double above = 0;
    for (auto _ : state) {
        state.PauseTiming();
        benchLesson().Pages().Clear();
        benchLesson().Pages().nodes.shrink_to_fit();
        malloc_trim(0);
        const double empty = residentBytes();
        state.ResumeTiming();
        LoadPage(benchLesson().Pages(), kw);
        state.PauseTiming();
        above = residentBytes() - empty;
        if (benchLesson().Pages().nodes.size() != std::size_t(objects))
            state.SkipWithError("page did not load whole");
        state.ResumeTiming();
    }
    state.counters["objects"] = objects;
    state.counters["rss_above_empty_MB"] = above / (1024.0 * 1024.0);
    state.counters["bytes_per_object"] = above / objects;
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_PageResidentMemory)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
