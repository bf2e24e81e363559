// Opening the capture window on the desktop: the screen snapshot, its dimmed copy, the window shown over the
// screen rectangle and its first paint handled. The median per opening is the figure.
#include "assist/assist_exports.h"
#include "bench_util.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

using qmbench::percentile;

namespace {

using Clock = std::chrono::steady_clock;

// Notes the first paint of the capture window.
class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == qmhelp::captureWindow())
            painted = true;
        return false;
    }
};

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_CaptureWindowOpening(benchmark::State& state)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    SetScreenRect(screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1);
    std::vector<double> times;
    for (auto _ : state) {
        FirstPaint watch;
        qApp->installEventFilter(&watch);
        Clock::time_point end;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // The paint has been handled once a turn of the loop comes after it.
            if (!watch.painted)
                return;
            end = Clock::now();
            poll.stop();
            static_cast<QDialog*>(qmhelp::captureWindow())->reject();
        });
        poll.start();
        const Clock::time_point start = Clock::now();
        BeginCapSelect();
        qApp->removeEventFilter(&watch);
        const std::chrono::duration<double> spent = end - start;
        times.push_back(spent.count());
        state.SetIterationTime(spent.count());
        // The closed window leaves the screen before the next snapshot.
        waitMs(150);
    }
    state.counters["median_ms"] = percentile(times, 0.5) * 1e3;
    state.counters["p99_ms"] = percentile(times, 0.99) * 1e3;
    SetScreenRect(0, 0, 0, 0);
}
BENCHMARK(BM_CaptureWindowOpening)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace
