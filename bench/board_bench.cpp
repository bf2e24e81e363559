// The 3D board with 18 pages (a new board) and with 100: frames per second at the screen's size while a
// teacher drags the wall to and fro, how long the UI thread waits for the scene lock meanwhile (p99), and the
// resident memory the board adds to the process. Both sizes in one run:
//   scripts/virtual-desktop build/<dir>/bench/board_bench
// QM_WALL_DRIVER=burnings measures Burning's Video instead of OpenGL (Mesa's software rasteriser here).
#include "bench_util.h"

#include "board3d/board3d_exports.h"
#include "board3d/board_rules.h"
#include "board3d/cmfc_lumo_dlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using lumo::wall::PointerEvent;

namespace {

double residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024.0;
    return 0;
}

void spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

bool waitTiles(lumo::board::CmfcLumoDlg* board, int tiles)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300000) {
        const auto v = board->Engine().View();
        if (v.loaded && v.tiles == tiles && v.frames > 3)
            return true;
        spin(20);
    }
    return false;
}

void BM_BoardPages(benchmark::State& state)
{
    const int pages = int(state.range(0));
    // A home of its own, so that the board starts new; the program folder holds the template and background.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("QM_WALL_LOAD_PAUSE_MS", "0");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
    spin(500);
    const double before = residentBytes();
    if (!Create3DScreenPen()) {
        state.SkipWithError("no 3D device");
        QDir::setCurrent(previous);
        return;
    }
    lumo::board::CmfcLumoDlg* board = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<lumo::board::CmfcLumoDlg*>(w))
            board = found;
    if (!board || !waitTiles(board, 18)) {
        state.SkipWithError("the board did not show its pages");
        Destroy3DScreen();
        QDir::setCurrent(previous);
        return;
    }
    // The pages past 18 are made as the board makes a new page, and the wall is read again once.
    const QImage templatePage(QStringLiteral("Bin/Template.PNG"));
    for (int n = 19; n <= pages; ++n)
        lumo::board::writePicture(lumo::board::drawPage(templatePage, n),
            QDir(board->BoardFolder()).filePath(lumo::board::pageFileName(n)));
    if (pages > 18) {
        board->Engine().Refresh();
        if (!waitTiles(board, pages)) {
            state.SkipWithError("the board did not show every page");
            Destroy3DScreen();
            QDir::setCurrent(previous);
            return;
        }
    }
    spin(1000);
    const double resident = residentBytes() - before;
    const double process = residentBytes();
    board->Engine().TakeLockWaits();
    double fps = 0;
    std::vector<double> waits;
    for (auto _ : state) {
        // Five seconds of a teacher dragging the wall to and fro: a pointer move every 16 ms.
        const quint64 framesBefore = board->Engine().View().frames;
        QElapsedTimer t;
        t.start();
        board->Pointer({PointerEvent::LeftDown, 1500, 950, 0});
        int x = 1500, dx = -6;
        while (t.elapsed() < 5000) {
            x += dx;
            if (x < 400 || x > 1500)
                dx = -dx;
            board->Pointer({PointerEvent::Move, x, 950, 0});
            spin(16);
        }
        board->Pointer({PointerEvent::LeftUp, x, 950, 0});
        fps = double(board->Engine().View().frames - framesBefore) * 1000.0 / double(t.elapsed());
        const auto w = board->Engine().TakeLockWaits();
        waits.insert(waits.end(), w.begin(), w.end());
    }
    state.counters["fps"] = fps;
    state.counters["gui_wait_p99_ms"] = qmbench::percentile(waits, 0.99);
    state.counters["gui_wait_max_ms"] = qmbench::percentile(waits, 1.0);
    // What the board added to the process since before it opened (its first opening also loads the graphics
    // driver), and the whole process.
    state.counters["resident_MB"] = resident / 1e6;
    state.counters["process_resident_MB"] = process / 1e6;
    state.SetLabel(board->Engine().DriverName().toStdString() + ", " + std::to_string(pages) + " pages");
    Destroy3DScreen();
    QDir::setCurrent(previous);
}
BENCHMARK(BM_BoardPages)->Arg(18)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
