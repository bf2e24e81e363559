// Storing and loading a board page of many strokes: the object file and the screen-sized picture written
// beside their final names and renamed, and the object file read back into the page list.
#include "platform/shell.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace DIALOG;

namespace {

// The lesson the benchmarks draw in.
Lesson& benchLesson()
{
    static Lesson lesson(platform::programFolder());
    return lesson;
}

// A page of freehand strokes of 24 points each, as a lesson's worth of writing looks.
void fillPage(int objects)
{
    benchLesson().Pages().Clear();
    for (int i = 0; i < objects; ++i) {
        CPenNode node(RGB(255, 0, 0), 3, 0, Pen);
        for (int k = 0; k < 24; ++k)
            node.AddPoint(100 + (i * 7 + k * 3) % 1700, 100 + (i * 13 + k) % 900, 1, 0);
        benchLesson().Pages().PushUndo(benchLesson().Pages().AddObject(node), UndoAdd);
    }
}

void BM_SavePage(benchmark::State& state)
{
    QTemporaryDir dir;
    benchLesson().BoardPages() = PageFileList();
    benchLesson().SetBoardMode(kBoardWhite);
    QWidget owner;
    CScreenPenWnd surface(&owner, benchLesson());
    fillPage(int(state.range(0)));
    const QString path = dir.path() + QStringLiteral("/Temp/1-2-3-4.xxx");
    qint64 bytes = 0;
    for (auto _ : state) {
        benchLesson().Pages().pageChanged = true;
        if (!SavePage(&surface, path))
            state.SkipWithError("store failed");
        state.PauseTiming();
        const QString kw = benchLesson().BoardPages().files.value(0);
        bytes = QFileInfo(kw).size() + QFileInfo(WithExtension(kw, QStringLiteral("bmp"))).size();
        state.ResumeTiming();
    }
    state.counters["bytes_written"] = double(bytes);
    state.counters["picture_pixels"]
        = double(surface.backgroundBitmap().width()) * surface.backgroundBitmap().height();
    benchLesson().SetBoardMode(kBoardDesktop);
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_SavePage)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadPage(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString kw = dir.path() + QStringLiteral("/page.kw");
    fillPage(int(state.range(0)));
    qint64 bytes = 0;
    StorePageFiles(kw, benchLesson().Pages().nodes, QString(), nullptr, 0, nullptr, &bytes);
    for (auto _ : state) {
        benchLesson().Pages().Clear();
        LoadPage(benchLesson().Pages(), kw);
        benchmark::DoNotOptimize(benchLesson().Pages().nodes.data());
    }
    if (benchLesson().Pages().nodes.size() != std::size_t(state.range(0)))
        state.SkipWithError("page did not load whole");
    state.counters["bytes_read"] = double(bytes);
    benchLesson().Pages().Clear();
}
BENCHMARK(BM_LoadPage)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
