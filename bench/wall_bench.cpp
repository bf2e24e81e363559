// The picture wall: frames per second of 60 tiles at the screen's size with the render thread's own pacing,
// how long the UI thread waits for the scene lock while it hands over pointer moves (p99), the resident
// memory that a folder of 60 photos of 4000 × 3000 adds, and the time a 30-slide deck takes to convert,
// split into LibreOffice's part and ours.
//   scripts/virtual-desktop build/<dir>/bench/wall_bench
// QM_WALL_DRIVER=burnings measures Burning's Video instead of OpenGL.
#include "bench_util.h"

#include "assist/ppt_convert.h"
#include "tests/assist/slide_deck_fixture.h"
#include "lumo/engine/wall_engine.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using lumo::wall::PointerEvent;
using lumo::wall::WallEngine;

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

// The engine's native child: Qt never paints it.
class RenderTarget : public QWidget {
public:
    using QWidget::QWidget;
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent*) override { }
};

// A full-screen window with the engine's native child, as the wall dialog has it.
struct WallWindow {
    QWidget top;
    QWidget* target;
    WallEngine engine;

    explicit WallWindow(int frameMs)
        : target(new RenderTarget(&top))
    {
        top.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        top.setGeometry(QGuiApplication::primaryScreen()->geometry());
        target->setAttribute(Qt::WA_NativeWindow);
        target->setAttribute(Qt::WA_PaintOnScreen);
        target->setGeometry(top.rect());
        top.show();
        spin(300);
        lumo::wall::WallSettings settings;
        settings.loadPauseMs = 0;
        settings.frameMs = frameMs;
        const WId id = target->winId();
        QGuiApplication::sync();
        started = engine.Start(id, target->size(), settings);
    }
    bool Load(const QString& folder, int tiles)
    {
        engine.LoadFolder(folder);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300000) {
            const auto v = engine.View();
            if (v.loaded && v.tiles == tiles && v.frames > 3)
                return true;
            spin(20);
        }
        return false;
    }
    bool started = false;
};

// Slide-like pictures of 1280 × 960, each a colour with a few shapes.
QString slideFolder(int count)
{
    static QTemporaryDir dir;
    static int made = 0;
    for (; made < count; ++made) {
        QImage img(1280, 960, QImage::Format_RGB32);
        img.fill(QColor::fromHsv(made * 37 % 360, 160, 220));
        QPainter p(&img);
        p.setBrush(Qt::white);
        p.drawRect(100, 100, 1080, 200);
        p.drawEllipse(300, 400, 600, 400);
        p.end();
        img.save(dir.filePath(QStringLiteral("Deck_%1.PNG").arg(made + 1, 3, 10, QLatin1Char('0'))));
    }
    return dir.path();
}

// Photos of 4000 × 3000 with detail everywhere, as JPEG files of a few megabytes; made once.
QString photoFolder(int count)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/qm_wall_bench_photos");
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const QString name = folder + QStringLiteral("/photo_%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'));
        if (QFileInfo::exists(name))
            continue;
        QImage img(4000, 3000, QImage::Format_RGB32);
        QRandomGenerator rng(quint32(i + 1));
        for (int y = 0; y < img.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                row[x] = qRgb((x / 7 + i * 40) & 255, (y / 5) & 255, int(rng.bounded(256)));
        }
        img.save(name, "JPEG", 85);
    }
    return folder;
}

void BM_WallFramesOf60Tiles(benchmark::State& state)
{
    const QString folder = slideFolder(60);
    WallWindow wall(int(state.range(0)));
    if (!wall.started) {
        state.SkipWithError("no 3D device");
        return;
    }
    if (!wall.Load(folder, 60)) {
        state.SkipWithError("the wall did not load");
        return;
    }
    wall.engine.TakeLockWaits();
    double fps = 0;
    std::vector<double> waits;
    for (auto _ : state) {
        // Five seconds of a teacher dragging the wall to and fro: a pointer move every 16 ms.
        const quint64 before = wall.engine.View().frames;
        QElapsedTimer t;
        t.start();
        wall.engine.Pointer({PointerEvent::LeftDown, 1500, 900, 0});
        int x = 1500, dx = -6;
        while (t.elapsed() < 5000) {
            x += dx;
            if (x < 400 || x > 1500)
                dx = -dx;
            wall.engine.Pointer({PointerEvent::Move, x, 900, 0});
            spin(16);
        }
        wall.engine.Pointer({PointerEvent::LeftUp, x, 900, 0});
        fps = double(wall.engine.View().frames - before) * 1000.0 / double(t.elapsed());
        const auto w = wall.engine.TakeLockWaits();
        waits.insert(waits.end(), w.begin(), w.end());
    }
    state.counters["fps"] = fps;
    state.counters["lock_wait_p99_ms"] = qmbench::percentile(waits, 0.99);
    state.counters["lock_wait_max_ms"] = qmbench::percentile(waits, 1.0);
    state.SetLabel(
        wall.engine.DriverName().toStdString() + ", frame pacing " + std::to_string(state.range(0)) + " ms");
}
BENCHMARK(BM_WallFramesOf60Tiles)
    ->Arg(10)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_WallMemoryOf60Photos(benchmark::State& state)
{
    const QString folder = photoFolder(60);
    WallWindow wall(10);
    if (!wall.started) {
        state.SkipWithError("no 3D device");
        return;
    }
    // The empty wall first, so that the engine's own start is not counted.
    if (!wall.Load(slideFolder(1), 1)) {
        state.SkipWithError("the wall did not load");
        return;
    }
    double growth = 0;
    for (auto _ : state) {
        const double before = residentBytes();
        if (!wall.Load(folder, 60)) {
            state.SkipWithError("the wall did not load the photos");
            return;
        }
        spin(1000);
        growth = residentBytes() - before;
    }
    state.counters["resident_growth_MB"] = growth / 1e6;
}
BENCHMARK(BM_WallMemoryOf60Photos)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DeckConversionOf30Slides(benchmark::State& state)
{
    if (UICONTROL::CPptConvert::officeProgram().isEmpty()) {
        state.SkipWithError("LibreOffice is not installed");
        return;
    }
    QTemporaryDir dir;
    const QString deck = dir.filePath(QStringLiteral("Lesson 30.odp"));
    QList<QColor> slides;
    for (int i = 0; i < 30; ++i)
        slides << QColor::fromHsv(i * 12, 180, 210);
    qmtest::writeSlideDeck(deck, slides);
    double office = 0, ours = 0;
    for (auto _ : state) {
        UICONTROL::CPptConvert converter;
        if (!converter.Initialise()
            || !converter.Convert(deck, dir.filePath(QStringLiteral("Save/PowerPoint/Lesson 30")), 0)) {
            state.SkipWithError(converter.Error().toStdString().c_str());
            return;
        }
        office = double(converter.OfficeMilliseconds());
        ours = double(converter.RenderMilliseconds());
        if (converter.SlideCount() != 30)
            state.SkipWithError("not 30 slides");
    }
    state.counters["libreoffice_ms"] = office;
    state.counters["render_and_rename_ms"] = ours;
}
BENCHMARK(BM_DeckConversionOf30Slides)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
