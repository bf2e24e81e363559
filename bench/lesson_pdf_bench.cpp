// A lesson of 30 screen-sized pages exported as one PDF: each page a busy desktop picture, forty freehand
// strokes, a highlighter, an eraser trail and a picture. The whole export should stay under 3 s. And a long
// PDF paged through on the board as the panel does it: the pages made as the teacher reaches them, stored as
// page files and let go behind; its memory, its disk, the first page, the 300th, and how soon it stops.
#include "bench_util.h"

#include "surface/lesson_pdf.h"
#include "surface/page_format.h"
#include "surface/pdf_page_maker.h"
#include "surface/pen_node.h"
#include "tests/surface/many_pages_pdf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>

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

// The board's side of an opened PDF, without the window: pages come from the maker's thread, are stored as
// page files, and the window around the page shown decides what is asked for and what goes.
class BoardOfPdf {
public:
    BoardOfPdf(const QString& pdf, const QString& folder)
        : folder_(folder)
    {
        PdfPageMaker::Events events;
        events.opened = [this](PdfProblem, int count, const QString&) {
            std::lock_guard guard(lock_);
            count_ = count;
            arrived_.notify_all();
        };
        events.made = [this](int page, const QImage& image) {
            std::lock_guard guard(lock_);
            queue_.push_back({page, image});
            arrived_.notify_all();
        };
        maker_ = std::make_unique<PdfPageMaker>(
            pdf, QSize(qmbench::kScreenWidth, qmbench::kScreenHeight), std::move(events));
    }

    // Stores what came until page is on disk; false when nothing more comes.
    bool waitFor(int page)
    {
        for (;;) {
            std::unique_lock guard(lock_);
            if (page < int(made_.size()) && made_[std::size_t(page)])
                return true;
            if (!arrived_.wait_for(guard, std::chrono::seconds(60), [this] { return !queue_.empty(); }))
                return false;
            const auto [made, image] = queue_.front();
            queue_.pop_front();
            made_.resize(std::size_t(count_));
            guard.unlock();
            const QString base = folder_ + QStringLiteral("/8-10-0-0_%1").arg(made + 1);
            StorePageFiles(base + QStringLiteral(".kw"), {}, base + QStringLiteral(".bmp"), &image, 24);
            made_[std::size_t(made)] = true;
        }
    }

    void turnTo(int shown)
    {
        const std::vector<bool> none(made_.size());
        for (const int page : PdfPagesToLetGo(shown, count_, made_, none)) {
            const QString base = folder_ + QStringLiteral("/8-10-0-0_%1").arg(page + 1);
            QFile::remove(base + QStringLiteral(".kw"));
            QFile::remove(base + QStringLiteral(".bmp"));
            made_[std::size_t(page)] = false;
            maker_->Forget(page);
        }
        maker_->Want(PdfPagesToMake(shown, count_, made_));
    }

    PdfPageMaker& maker() { return *maker_; }

private:
    QString folder_;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::deque<std::pair<int, QImage>> queue_;
    int count_ = 0;
    std::vector<bool> made_;
    std::unique_ptr<PdfPageMaker> maker_;
};

qint64 bytesIn(const QString& folder)
{
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

// A teacher presses next as soon as a page shows, from the first page to the 300th, then closes.
void BM_PageThroughLongPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    qmtest::writeManyPagesPdf(pdf, int(state.range(0)));
    const QString folder = dir.filePath(QStringLiteral("board"));
    QDir().mkpath(folder);
    double firstMs = 0, page300Ms = 0, stopMs = 0, mostDisk = 0, mostHeld = 0;
    for (auto _ : state) {
        const double before = qmbench::residentBytes();
        const double start = qmbench::wallNs();
        BoardOfPdf board(pdf, folder);
        if (!board.waitFor(0))
            state.SkipWithError("the first page did not come");
        firstMs = (qmbench::wallNs() - start) / 1e6;
        for (int shown = 1; shown < 300; ++shown) {
            board.turnTo(shown);
            if (!board.waitFor(shown))
                state.SkipWithError("a page did not come");
            mostDisk = std::max(mostDisk, double(bytesIn(folder)));
            mostHeld = std::max(mostHeld, qmbench::residentBytes() - before);
        }
        page300Ms = (qmbench::wallNs() - start) / 1e6;
        // The close comes while the pages ahead are being drawn.
        const double close = qmbench::wallNs();
        board.maker().Stop();
        board.maker().WaitUntilEnded(10000);
        stopMs = (qmbench::wallNs() - close) / 1e6;
    }
    state.counters["first_page_ms"] = firstMs;
    state.counters["page_300_ms"] = page300Ms;
    state.counters["stop_ms"] = stopMs;
    state.counters["disk_MB"] = mostDisk / 1048576;
    state.counters["held_MB"] = mostHeld / 1048576;
    state.counters["pdf_KB"] = double(QFileInfo(pdf).size()) / 1024;
}
BENCHMARK(BM_PageThroughLongPdf)->Arg(300)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
