// The main panel seen from outside, as a teacher and other programs meet it: how long the program takes to
// show its panel, how long a message from another process takes to show its effect, and whether the panel
// stays responsive under a flood of messages. Runs on a desktop (the virtual one of scripts/virtual-desktop).
#include "bench_util.h"
#include "platform/messages.h"
#include "platform/x11_desktop.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using qmbench::percentile;

const QString kPanel = QStringLiteral("白板");
const QString kTip = QStringLiteral("ToolTip");
constexpr UINT kMsgBluetoothStatus = 0x065D;

bool waitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// One running program in a copy of the program folder.
class Program {
public:
    Program()
    {
        QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), QStringLiteral(QM_BIN_DIR), folder()});
        QDir(folder() + QStringLiteral("/Temp")).removeRecursively();
    }
    ~Program() { stop(); }

    QString folder() const { return dir_.path() + QStringLiteral("/program"); }

    // Milliseconds from the start of the process until the panel is on the screen.
    double start()
    {
        QElapsedTimer t;
        t.start();
        process_.setWorkingDirectory(folder());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir_.path());
        process_.setProcessEnvironment(env);
        process_.start(folder() + QStringLiteral("/Quillmark"), {});
        process_.waitForStarted();
        waitUntil([&] { return (panel_ = platform::desktop::findWindow(kPanel)) != 0; }, 30000);
        return double(t.nsecsElapsed()) / 1e6;
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        platform::PostRegisteredMessage(platform::WindowRef::fromX(panel_),
                                        platform::RegisterWindowMessage(QStringLiteral("Marlowe")), 1148, 0);
        if (!process_.waitForFinished(10000))
            process_.kill();
        process_.waitForFinished();
    }

    platform::WindowRef panel() const { return platform::WindowRef::fromX(panel_); }

private:
    QTemporaryDir dir_;
    QProcess process_;
    unsigned long panel_ = 0;
};

// From a message sent by this process until the tip window it asks for is mapped (and gone again).
double tipRoundTripMs(const platform::WindowRef& panel)
{
    QElapsedTimer t;
    t.start();
    platform::PostMessage(panel, kMsgBluetoothStatus, 2, 0);
    waitUntil([] { return platform::desktop::findWindow(kTip) != 0; }, 5000);
    const double shown = double(t.nsecsElapsed()) / 1e6;
    platform::PostMessage(panel, kMsgBluetoothStatus, 7, 0);
    waitUntil([] { return platform::desktop::findWindow(kTip) == 0; }, 5000);
    return shown;
}

void BM_StartupToPanelShown(benchmark::State& state)
{
    std::vector<double> times;
    for (auto _ : state) {
        Program program;
        const double ms = program.start();
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["max_ms"] = percentile(times, 1.0);
}
BENCHMARK(BM_StartupToPanelShown)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_MessageRoundTrip(benchmark::State& state)
{
    Program program;
    program.start();
    std::vector<double> times;
    for (auto _ : state) {
        const double ms = tipRoundTripMs(program.panel());
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
}
BENCHMARK(BM_MessageRoundTrip)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

// qmsend as a shell script would use it: the whole command, process start included.
void BM_QmsendCommand(benchmark::State& state)
{
    Program program;
    program.start();
    std::vector<double> times;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        QProcess::execute(program.folder() + QStringLiteral("/qmsend"),
                          {QStringLiteral("--title"), kPanel, QStringLiteral("0x776"), QStringLiteral("0"),
                           QStringLiteral("0")});
        const double ms = double(t.nsecsElapsed()) / 1e6;
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
}
BENCHMARK(BM_QmsendCommand)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// 10 000 messages a second for 10 seconds, sent by qmsend processes of their own (one batch of 10 000 a second),
// while this process measures the tip round trip every 200 ms.
void BM_FloodResponsiveness(benchmark::State& state)
{
    Program program;
    program.start();
    for (auto _ : state) {
        std::vector<double> latencies;
        std::vector<std::unique_ptr<QProcess>> senders;
        QElapsedTimer clock;
        clock.start();
        qint64 nextBatch = 0;
        qint64 nextProbe = 200;
        while (clock.elapsed() < 10000) {
            if (clock.elapsed() >= nextBatch) {
                auto sender = std::make_unique<QProcess>();
                sender->start(program.folder() + QStringLiteral("/qmsend"),
                              {QStringLiteral("--title"), kPanel, QStringLiteral("--count"), QStringLiteral("10000"),
                               QStringLiteral("0x776"), QStringLiteral("0"), QStringLiteral("0")});
                senders.push_back(std::move(sender));
                nextBatch += 1000;
            }
            if (clock.elapsed() >= nextProbe) {
                latencies.push_back(tipRoundTripMs(program.panel()));
                nextProbe += 200;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        int completed = 0;
        for (auto& sender : senders)
            if ((sender->state() == QProcess::NotRunning || sender->waitForFinished(30000))
                && sender->exitStatus() == QProcess::NormalExit && sender->exitCode() == 0)
                ++completed;
        state.counters["sent"] = double(completed) * 10000;
        state.counters["probes"] = double(latencies.size());
        state.counters["probe_median_ms"] = percentile(latencies, 0.5);
        state.counters["probe_p99_ms"] = percentile(latencies, 0.99);
        state.counters["probe_max_ms"] = percentile(latencies, 1.0);
        state.SetIterationTime(double(clock.elapsed()) / 1000);
    }
}
BENCHMARK(BM_FloodResponsiveness)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
