// Start-up as the class sees it: from starting the program until its panel is viewable on the desktop, then
// the resident memory at rest and with the writing surface open, beside a bare Qt Widgets window started the
// same way (the floor) and two annotation programs of the field found on the PATH (Xournal++ and Gromit-MPX,
// skipped when absent). Every start is fresh: a new process, a new copy of the program folder, a new home
// folder. The shared libraries mapped at rest are written to startup_maps_<name>.txt in the current
// directory.
#include "bench_util.h"
#include "platform/desktop_probe.h"
#include "platform/dialog_units.h"
#include "platform/x11_desktop.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <benchmark/benchmark.h>

#include <sched.h>

#include <vector>

namespace {

using qmbench::percentile;

constexpr int kRestMs = 3000;

QString programFolder()
{
    const QString chosen = qEnvironmentVariable("QM_PROGRAM_FOLDER");
    return chosen.isEmpty() ? QStringLiteral(QM_BIN_DIR) : chosen;
}

struct Subject {
    const char* name;
    QString program; // empty: the built program in a copy of its folder, or a peer that is not installed
    QString title; // null: any title
    QString className; // null: any class
    bool built = false; // the program this project builds
};

// A program of the field on the PATH, waited for by its window's class (and title, where it maps several).
Subject peer(const char* name, const char* command, const QString& title, const QString& className)
{
    return {name, QStandardPaths::findExecutable(QString::fromLatin1(command)), title, className, false};
}

const Subject kQuillmark {"quillmark", QString(), QStringLiteral("白板"), QString(), true};

bool waitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::usleep(500);
    }
    return true;
}

double residentMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// The shared objects the process has mapped, each path once, sorted.
QStringList mappedLibraries(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    QSet<QString> paths;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash >= 0 && line.contains(".so"))
            paths.insert(QString::fromLocal8Bit(line.mid(slash)));
    }
    QStringList sorted(paths.begin(), paths.end());
    sorted.sort();
    return sorted;
}

class Run {
public:
    explicit Run(const Subject& subject)
        : subject_(subject)
    {
        program_ = subject.program;
        if (subject.built) {
            const QString folder = dir_.path() + QStringLiteral("/program");
            QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), programFolder(), folder});
            QDir(folder + QStringLiteral("/Temp")).removeRecursively();
            program_ = folder + QStringLiteral("/Quillmark");
        }
        QDir().mkpath(dir_.path() + QStringLiteral("/home"));
    }
    ~Run()
    {
        process_.kill();
        process_.waitForFinished(10000);
    }

    // Milliseconds from starting the process until its window is viewable; 0 when it never came.
    double start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir_.path() + QStringLiteral("/home"));
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(QFileInfo(program_).absolutePath());
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        process_.start(program_, {});
        process_.waitForStarted();
        const auto shown = [&] {
            return (window_ = platform::desktop::findWindow(subject_.title, subject_.className)) != 0;
        };
        if (!waitUntil(shown, 30000))
            return 0;
        return double(t.nsecsElapsed()) / 1e6;
    }

    qint64 pid() const { return process_.processId(); }
    const QString& program() const { return program_; }

    // Presses the panel's writing button with the pointer and waits for the surface.
    bool openSurface()
    {
        const QRect panel = platform::desktop::windowGeometry(window_);
        const QPoint at = panel.topLeft() + QPoint(1, 30)
            + QPoint(platform::dialogUnitsToPixelsX(49) / 2, platform::dialogUnitsToPixelsY(20) / 2);
        platform::desktop::moveMouse(at.x(), at.y());
        platform::desktop::mouseButton(1, true);
        platform::desktop::mouseButton(1, false);
        platform::desktop::flush();
        return waitUntil(
            [] { return platform::desktop::findWindow(QStringLiteral("ScreenPen")) != 0; }, 30000);
    }

private:
    Subject subject_;
    QTemporaryDir dir_;
    QString program_;
    QProcess process_;
    unsigned long window_ = 0;
};

void writeLibraries(const char* name, const QStringList& libraries)
{
    QFile out(QStringLiteral("startup_maps_%1.txt").arg(QString::fromLatin1(name)));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(libraries.join(u'\n').toLocal8Bit() + '\n');
}

void BM_Startup(benchmark::State& state, const Subject& subject)
{
    if (!subject.built && subject.program.isEmpty()) {
        state.SkipWithError("not found on the PATH");
        return;
    }
    std::vector<double> shown, rest, surface;
    QStringList libraries;
    for (auto _ : state) {
        Run run(subject);
        const double ms = run.start();
        if (ms <= 0) {
            state.SkipWithError("the window never became viewable");
            return;
        }
        shown.push_back(ms);
        state.SetIterationTime(ms / 1000);
        QThread::msleep(kRestMs);
        rest.push_back(residentMb(run.pid()));
        libraries = mappedLibraries(run.pid());
        if (subject.built && run.openSurface()) {
            QThread::msleep(kRestMs);
            surface.push_back(residentMb(run.pid()));
        }
    }
    writeLibraries(subject.name, libraries);
    state.counters["median_ms"] = percentile(shown, 0.5);
    state.counters["max_ms"] = percentile(shown, 1.0);
    state.counters["rest_MB"] = percentile(rest, 0.5);
    state.counters["libs_mapped"] = double(libraries.size());
    if (!surface.empty())
        state.counters["surface_MB"] = percentile(surface, 0.5);
}

unsigned long pixelAt(Display* display, int x, int y)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
}

// Milliseconds from each XTest move of a pressed pointer until the pixel it moved to has changed; moves that
// never showed within 200 ms are left out and counted. The strokes keep to the left half of the screen: the
// panel and the surface's tool strip beside it stand at the right, and a move over them draws nothing.
void BM_InkLatency(benchmark::State& state)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no display");
        return;
    }
    const Subject& subject = kQuillmark;
    Run run(subject);
    if (run.start() <= 0 || !run.openSurface()) {
        state.SkipWithError("no surface");
        XCloseDisplay(display);
        return;
    }
    QThread::msleep(1000);
    std::vector<double> latencies;
    int lost = 0;
    constexpr int kLeft = 200, kRight = 1000;
    int x = kLeft, y = 300;
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XSync(display, False);
    QThread::msleep(50);
    for (auto _ : state) {
        x += 4;
        if (x > kRight) {
            x = kLeft;
            y += 12;
            XTestFakeButtonEvent(display, 1, False, CurrentTime);
            XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
            XTestFakeButtonEvent(display, 1, True, CurrentTime);
            XSync(display, False);
            QThread::msleep(50);
            x += 4;
        }
        const unsigned long before = pixelAt(display, x, y);
        const double start = qmbench::wallNs();
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XFlush(display);
        double shown = 0;
        while (qmbench::wallNs() - start < 200e6) {
            if (pixelAt(display, x, y) != before) {
                shown = qmbench::wallNs() - start;
                break;
            }
            // The poll must not keep a core from the program and the X server it waits for: on two cores
            // a loop that never yields is the third busy process.
            sched_yield();
        }
        if (shown > 0) {
            latencies.push_back(shown / 1e6);
            state.SetIterationTime(shown / 1e9);
        } else {
            ++lost;
            state.SetIterationTime(0.2);
        }
        QThread::msleep(8);
    }
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
    state.counters["median_ms"] = percentile(latencies, 0.5);
    state.counters["p95_ms"] = percentile(latencies, 0.95);
    state.counters["lost"] = lost;
}

// The viewable windows of the desktop, by id.
QSet<unsigned long> shownWindows()
{
    QSet<unsigned long> shown;
    for (const platform::desktop::TopWindow& w : platform::desktop::topLevelWindows())
        if (w.viewable)
            shown.insert(w.xid);
    return shown;
}

// Milliseconds from a panel command sent by another process until a window it opens is viewable, in a fresh
// program: the first use, its library loaded then. wanted names the window, or is empty for any new one.
double firstUseMs(int command, const QString& wanted)
{
    const Subject& subject = kQuillmark;
    Run run(subject);
    if (run.start() <= 0)
        return 0;
    QThread::msleep(kRestMs);
    const QSet<unsigned long> before = shownWindows();
    QElapsedTimer t;
    t.start();
    QProcess::execute(QFileInfo(run.program()).absolutePath() + QStringLiteral("/qmsend"),
        {QStringLiteral("--title"), subject.title, QStringLiteral("0x111"), QString::number(command),
            QStringLiteral("0")});
    const bool shown = waitUntil(
        [&] {
            return wanted.isEmpty() ? !(shownWindows() - before).isEmpty()
                                    : platform::desktop::findWindow(wanted) != 0;
        },
        30000);
    return shown ? double(t.nsecsElapsed()) / 1e6 : 0;
}

void BM_FirstUse(benchmark::State& state, int command, const QString& wanted)
{
    std::vector<double> times;
    for (auto _ : state) {
        const double ms = firstUseMs(command, wanted);
        if (ms <= 0) {
            state.SkipWithError("the feature showed no window");
            return;
        }
        times.push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
    state.counters["median_ms"] = percentile(times, 0.5);
}
BENCHMARK_CAPTURE(BM_FirstUse, recorder, 1145, QString())
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstUse, picture_wall, 32856, QStringLiteral("QMShow"))
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

const Subject kFloor {
    "floor", QStringLiteral(QM_FLOOR_WINDOW), QStringLiteral("QmFloorWindow"), QString(), false};
// Gromit-MPX shows no window of its own but a transparent overlay over the screen, the window it draws on.
const Subject kGromit
    = peer("gromit_mpx", "gromit-mpx", QStringLiteral("gromit-mpx"), QStringLiteral("Gromit-mpx"));
const Subject kXournal = peer("xournalpp", "xournalpp", QString(), QStringLiteral("Xournalpp"));

BENCHMARK_CAPTURE(BM_Startup, floor, kFloor)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Startup, quillmark, kQuillmark)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Startup, gromit_mpx, kGromit)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Startup, xournalpp, kXournal)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_InkLatency)->UseManualTime()->Iterations(300)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
