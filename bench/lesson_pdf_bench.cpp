// A lesson of 30 screen-sized pages exported as one PDF: each page a busy desktop picture, forty freehand
// strokes, a highlighter, an eraser trail and a picture. The whole export should stay under 3 s.
#include "bench_util.h"

#include "surface/lesson_pdf.h"
#include "surface/page_format.h"
#include "surface/pen_node.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace DIALOG;

namespace {

std::vector<CPenNode> pageObjects(int page, const QString& picture)
{
    std::vector<CPenNode> nodes;
    for (int i = 0; i < 40; ++i) {
        CPenNode node(RGB(255, 0, 0), 3 + i % 4, 0, Pen);
        for (int k = 0; k < 120; ++k)
            node.AddPoint(100 + (i * 41 + k * 12) % 1700,
                120 + (i * 23) % 800 + int(std::lround(25 * std::sin((k + page) / 6.0))));
        nodes.push_back(std::move(node));
    }
    CPenNode highlighter(RGB(255, 255, 0), 16, 1, Pen);
    highlighter.AddPoint(100, 500);
    highlighter.AddPoint(1800, 520);
    nodes.push_back(highlighter);
    CPenNode eraser(0, 16, 0, EraseTrail);
    for (int x = 300; x < 900; x += 4)
        eraser.AddPoint(x, 300 + x / 10);
    nodes.push_back(eraser);
    CPenNode box(0, 0, 0, Picture);
    box.SetPicturePath(picture);
    box.boxWidth = 480;
    box.boxHeight = 270;
    box.boxCentreX = 1400;
    box.boxCentreY = 700;
    box.boxAngle = 0.2;
    box.AddPoint(1400, 700);
    nodes.push_back(box);
    return nodes;
}

void BM_ExportLessonPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("photo.jpg"));
    qmbench::busyScreen().scaled(960, 540).save(picture, "JPG");
    std::vector<LessonPage> pages;
    for (int i = 0; i < int(state.range(0)); ++i) {
        const QString base = dir.filePath(QStringLiteral("8-10-%1-0").arg(i));
        if (!StorePageFiles(base + QStringLiteral(".kw"), pageObjects(i, picture),
                base + QStringLiteral(".bmp"), &qmbench::busyScreen(), 24))
            state.SkipWithError("the pages could not be stored");
        pages.push_back({base + QStringLiteral(".bmp"), base + QStringLiteral(".kw")});
    }
    const QString pdf = dir.filePath(QStringLiteral("lesson.pdf"));
    for (auto _ : state) {
        LessonExport result;
        if (!WriteLessonPdf(pdf, pages, &result) || result.pagesWritten != int(pages.size()))
            state.SkipWithError("the export failed");
    }
    state.counters["pages"] = double(pages.size());
    state.counters["pdf_bytes"] = double(QFileInfo(pdf).size());
}
BENCHMARK(BM_ExportLessonPdf)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RenderPdfPageForTheBoard(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("8-10-0-0"));
    StorePageFiles(base + QStringLiteral(".kw"), pageObjects(0, QString()), base + QStringLiteral(".bmp"),
        &qmbench::busyScreen(), 24);
    const QString pdf = dir.filePath(QStringLiteral("one.pdf"));
    WriteLessonPdf(pdf, {{base + QStringLiteral(".bmp"), base + QStringLiteral(".kw")}}, nullptr);
    PdfPages pages;
    if (pages.Open(pdf) != PdfProblem::None)
        state.SkipWithError("the PDF cannot be opened");
    for (auto _ : state)
        benchmark::DoNotOptimize(pages.Render(0, QSize(qmbench::kScreenWidth, qmbench::kScreenHeight)));
}
BENCHMARK(BM_RenderPdfPageForTheBoard)->Unit(benchmark::kMillisecond);

} // namespace
