// The memory of the Flash view's loopback server:
// - its peak while one client fetches a large movie (the process's VmHWM, reset before the server starts);
// - what clients that ask for the movie and never read hold, and how many connections it keeps, for a crowd
//   of clients that know the page's address and for a crowd that does not.
#include "player/flash/movie_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kMB = 1024.0 * 1024.0;

// A field of /proc/self/status ("VmRSS:", "VmHWM:") in bytes.
double statusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(field.size())) * 1024.0;
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

QString writeMovie(const QTemporaryDir& dir, qint64 bytes)
{
    const QString path = dir.filePath(QStringLiteral("movie.swf"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const QByteArray block(1 << 20, 'F');
    for (qint64 done = 0; done < bytes; done += block.size())
        file.write(block);
    return path;
}

int connectTo(quint16 port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return fd;
}

QByteArray movieRequest(const flash::MovieServer& server, bool withSecret)
{
    const QByteArray base = withSecret ? QUrl(server.PageUrl()).path().toLatin1() : QByteArray("/");
    return "GET " + base + "movie.swf HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(server.serverPort())
        + "\r\n\r\n";
}

void runEventsFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool startAndRead(flash::MovieServer& server)
{
    bool read = false;
    server.movieRead = [&](flash::FileProblem problem) { read = problem == flash::FileProblem::None; };
    if (!server.Start())
        return false;
    for (int i = 0; i < 3000 && !read; ++i)
        runEventsFor(10);
    return read;
}

void BM_PeakServingALargeMovie(benchmark::State& state)
{
    QTemporaryDir dir;
    const qint64 size = state.range(0) << 20;
    const QString movie = writeMovie(dir, size);
    double before = 0, peak = 0, received = 0;
    for (auto _ : state) {
        resetPeak();
        before = statusBytes("VmRSS:");
        flash::MovieServer server(movie, dir.path());
        if (!startAndRead(server)) {
            state.SkipWithError("the movie was not read");
            return;
        }
        std::atomic<bool> done = false;
        std::atomic<qint64> got = 0;
        const int fd = connectTo(server.serverPort());
        const QByteArray request = movieRequest(server, true);
        std::thread reader([&] {
            ::send(fd, request.constData(), std::size_t(request.size()), 0);
            char chunk[65536];
            for (ssize_t n; (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0;)
                got += n;
            done = true;
        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        reader.join();
        ::close(fd);
        peak = statusBytes("VmHWM:");
        received = double(got);
    }
    state.counters["movie_MB"] = double(size) / kMB;
    state.counters["received_MB"] = received / kMB;
    state.counters["peak_above_start_MB"] = (peak - before) / kMB;
}
BENCHMARK(BM_PeakServingALargeMovie)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

// state.range(0): clients; state.range(1): 1 when they know the page's address.
void BM_ClientsThatNeverRead(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString movie = writeMovie(dir, 14 << 20);
    double held = 0, queued = 0, above = 0;
    for (auto _ : state) {
        flash::MovieServer server(movie, dir.path());
        if (!startAndRead(server)) {
            state.SkipWithError("the movie was not read");
            return;
        }
        const double before = statusBytes("VmRSS:");
        const QByteArray request = movieRequest(server, state.range(1) == 1);
        std::vector<int> fds;
        for (int i = 0; i < state.range(0); ++i) {
            fds.push_back(connectTo(server.serverPort()));
            ::send(fds.back(), request.constData(), std::size_t(request.size()), 0);
            QCoreApplication::processEvents();
        }
        runEventsFor(3000);
        held = server.ClientCount();
        queued = double(server.BytesQueued());
        above = statusBytes("VmRSS:") - before;
        for (int fd : fds)
            ::close(fd);
    }
    state.counters["clients"] = double(state.range(0));
    state.counters["clients_held"] = held;
    state.counters["queued_MB"] = queued / kMB;
    state.counters["rss_above_start_MB"] = above / kMB;
}
BENCHMARK(BM_ClientsThatNeverRead)
    ->Args({100, 1})
    ->Args({100, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
