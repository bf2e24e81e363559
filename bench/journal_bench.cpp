// The journal of the open page: what a finished stroke costs the thread that drew it, what a burst of strokes
// costs in CPU time and syncs, and how long a page of ten thousand objects takes to come back from its files.
#include "bench_util.h"
#include "surface/page_format.h"
#include "surface/page_journal.h"
#include "surface/page_model.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

using namespace DIALOG;

namespace {

CPenNode stroke(int seed, int points)
{
    CPenNode node(RGB(255, 0, 0), 3, 0, Pen);
    for (int k = 0; k < points; ++k)
        node.AddPoint(100 + (seed * 7 + k * 3) % 1700, 100 + (seed * 13 + k) % 900, 1, 0);
    return node;
}

// A page of 24-point strokes, as a lesson's worth of writing looks.
std::vector<CPenNode> page(int objects)
{
    std::vector<CPenNode> nodes;
    nodes.reserve(std::size_t(objects) + 1);
    for (int i = 0; i < objects; ++i)
        nodes.push_back(stroke(i, 24));
    return nodes;
}

JournalRecord beginOf(const QString& pageFile)
{
    JournalRecord begin;
    begin.kind = JournalRecord::Begin;
    begin.pageFile = pageFile;
    return begin;
}

// The end of one 100-point stroke on the drawing thread: the shadow's comparison and the hand-over to the
// writer. Encoding and writing happen on the writer's thread, and are counted in process_cpu_us.
void BM_JournalStroke(benchmark::State& state)
{
    QTemporaryDir dir;
    std::vector<CPenNode> nodes = page(int(state.range(0)));
    JournalShadow shadow;
    shadow.Reset(nodes);
    PageJournal journal(dir.path() + QStringLiteral("/page.journal"));
    journal.Restart(beginOf(QString()));
    journal.Flush();
    const CPenNode drawn = stroke(1, 100);
    const double processStart = qmbench::processCpuS();
    std::int64_t strokes = 0;
    for (auto _ : state) {
        nodes.push_back(drawn);
        journal.Append(shadow.Changes(nodes));
        state.PauseTiming();
        nodes.pop_back(); // the page stays at its size; the shadow forgets the stroke with it
        shadow.Reset(nodes);
        state.ResumeTiming();
        ++strokes;
    }
    journal.Flush();
    state.counters["process_cpu_us"] = (qmbench::processCpuS() - processStart) * 1e6 / double(strokes);
}
BENCHMARK(BM_JournalStroke)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The shadow's pass alone, over a page where nothing changed (as after a stroke that was cancelled).
void BM_JournalShadowPass(benchmark::State& state)
{
    const std::vector<CPenNode> nodes = page(int(state.range(0)));
    JournalShadow shadow;
    shadow.Reset(nodes);
    for (auto _ : state)
        benchmark::DoNotOptimize(shadow.Changes(nodes));
}
BENCHMARK(BM_JournalShadowPass)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_JournalEncodeStroke(benchmark::State& state)
{
    JournalRecord put;
    put.index = 10000;
    put.node = stroke(1, 100);
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = EncodeJournalRecord(put).size();
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_JournalEncodeStroke)->Unit(benchmark::kMicrosecond);

// Fifty strokes on a page of 1 000 objects, handed over at once (range 0) or 20 ms apart as fast writing
// comes (range 20). syncs: the fdatasyncs the burst cost, the last one included.
void BM_JournalBurst(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto gap = std::chrono::milliseconds(state.range(0));
    double syncs = 0;
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<CPenNode> nodes = page(1000);
        JournalShadow shadow;
        shadow.Reset(nodes);
        PageJournal journal(dir.path() + QStringLiteral("/page.journal"));
        journal.Restart(beginOf(QString()));
        journal.Flush();
        const std::uint64_t before = journal.Syncs();
        const double cpuStart = qmbench::processCpuS();
        state.ResumeTiming();
        for (int i = 0; i < 50; ++i) {
            nodes.push_back(stroke(i, 100));
            journal.Append(shadow.Changes(nodes));
            if (gap.count() > 0)
                std::this_thread::sleep_for(gap);
        }
        journal.Flush();
        state.PauseTiming();
        syncs = double(journal.Syncs() - before);
        cpu = qmbench::processCpuS() - cpuStart;
        state.ResumeTiming();
    }
    state.counters["syncs"] = syncs;
    state.counters["process_cpu_ms"] = cpu * 1e3;
}
BENCHMARK(BM_JournalBurst)->Arg(0)->Arg(20)->Iterations(3)->Unit(benchmark::kMillisecond);

// A page of 10 000 objects brought back: its objects file read, its journal read, decoded and replayed.
// Range 0: the page was stored and the journal holds 200 changes since; range 1: the page was never stored
// and every object is in the journal.
void BM_JournalRecovery(benchmark::State& state)
{
    QTemporaryDir dir;
    const bool neverStored = state.range(0) == 1;
    const std::vector<CPenNode> nodes = page(10000);
    const std::string pageFile = (dir.path() + QStringLiteral("/page.kw")).toStdString();
    const QString journalFile = dir.path() + QStringLiteral("/page.journal");
    {
        std::ofstream out(pageFile, std::ios::binary);
        WritePageObjects(out, neverStored ? std::vector<CPenNode>() : nodes);
        QByteArray journal = EncodeJournalRecord(beginOf(QString::fromStdString(pageFile)));
        const int from = neverStored ? 0 : 9800;
        for (int i = from; i < 10000; ++i) {
            JournalRecord put;
            put.index = i;
            put.node = nodes[std::size_t(i)];
            journal.append(EncodeJournalRecord(put));
        }
        QFile file(journalFile);
        file.open(QIODevice::WriteOnly);
        file.write(journal);
    }
    std::size_t recovered = 0;
    for (auto _ : state) {
        PageList list;
        std::ifstream in(pageFile, std::ios::binary);
        ReadPageObjects(in, list);
        QFile file(journalFile);
        file.open(QIODevice::ReadOnly);
        ApplyJournal(list.nodes, DecodeJournal(file.readAll()));
        recovered = list.nodes.size();
    }
    if (recovered != nodes.size())
        state.SkipWithError("the page did not come back whole");
    state.counters["objects"] = double(recovered);
}
BENCHMARK(BM_JournalRecovery)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
