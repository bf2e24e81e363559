// The Flash view's loopback server: what the view gets from it, and what other programs and accounts on the
// machine do not.
#include "player/flash/movie_server.h"

#include "support_main/test_util.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using flash::FileProblem;
using flash::MovieServer;

namespace {

QByteArray body(const QByteArray& answer)
{
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

// What the server answers to a request, read until it closes the connection.
QByteArray exchange(const MovieServer& server, const QByteArray& request)
{
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QByteArray answer;
    client.write(request);
    qmtest::waitFor([&] {
        answer += client.readAll();
        return client.state() == QAbstractSocket::UnconnectedState;
    });
    return answer + client.readAll();
}

QByteArray hostOf(const MovieServer& server)
{
    return "127.0.0.1:" + QByteArray::number(server.serverPort());
}

QByteArray get(const MovieServer& server, const QByteArray& target)
{
    return exchange(server, "GET " + target + " HTTP/1.1\r\nHost: " + hostOf(server) + "\r\n\r\n");
}

// The path under which the view finds everything, the secret in it.
QByteArray base(const MovieServer& server)
{
    return QUrl(server.PageUrl()).path().toLatin1();
}

// Starts the server and waits until it has read the movie.
FileProblem start(MovieServer& server)
{
    std::optional<FileProblem> read;
    server.movieRead = [&](FileProblem problem) { read = problem; };
    if (!server.Start() || !qmtest::waitFor([&] { return read.has_value(); }))
        return FileProblem::Unreadable;
    server.movieRead = nullptr;
    return *read;
}

// A plain connection that sends what it is given and reads nothing until asked.
class RawClient {
public:
    explicit RawClient(quint16 port)
        : fd_(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    ~RawClient() { ::close(fd_); }
    void Send(const QByteArray& bytes) { (void)::send(fd_, bytes.constData(), std::size_t(bytes.size()), 0); }
    // The server has closed the connection (or reset it), with nothing sent to read.
    bool ClosedByServer() const
    {
        pollfd p {fd_, POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLIN));
    }
    // Everything the server sends until it closes; the server's loop runs meanwhile.
    QByteArray ReadToEnd()
    {
        QByteArray all;
        char chunk[65536];
        qmtest::waitFor([&] {
            for (;;) {
                const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
                if (n > 0)
                    all.append(chunk, n);
                else
                    return n == 0 || errno != EAGAIN;
            }
        });
        return all;
    }

private:
    int fd_;
};

class MovieServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        movie = qmtest::writeFile(dir.filePath(QStringLiteral("a movie.swf")), kMovie);
        ruffle = dir.filePath(QStringLiteral("ruffle"));
        qmtest::writeFile(ruffle + QStringLiteral("/ruffle.js"), "player");
        qmtest::writeFile(ruffle + QStringLiteral("/core.wasm"), "wasm");
        secretFile = qmtest::writeFile(dir.filePath(QStringLiteral("secret.txt")), "the teacher's own");
    }
    const QByteArray kMovie = "FWS\x0a movie bytes";
    QTemporaryDir dir;
    QString movie;
    QString ruffle;
    QString secretFile;
};

} // namespace

TEST_F(MovieServerTest, ThePageAndItsFilesUnderTheSecretPath)
{
    MovieServer server(movie, ruffle);
    ASSERT_EQ(start(server), FileProblem::None);
    EXPECT_EQ(server.serverAddress(), QHostAddress(QHostAddress::LocalHost));
    const QByteArray page = exchange(server,
        "GET " + base(server) + "?x=1 HTTP/1.1\r\nhost:  " + hostOf(server) + " \r\nAccept: */*\r\n\r\n");
    EXPECT_TRUE(page.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(page.contains("Content-Type: text/html"));
    EXPECT_TRUE(body(page).contains("src=\"" + base(server) + "ruffle/ruffle.js\""));
    EXPECT_TRUE(body(page).contains("player.load(\"" + base(server) + "movie.swf\")"));
    EXPECT_TRUE(body(page).contains("autoplay:\"on\""));

    const QByteArray swf = get(server, base(server) + "movie.swf");
    EXPECT_TRUE(swf.contains("Content-Type: application/x-shockwave-flash\r\n"));
    EXPECT_EQ(body(swf), kMovie);
    EXPECT_TRUE(
        get(server, base(server) + "ruffle/core.wasm").contains("Content-Type: application/wasm\r\n"));
    const QByteArray js = get(server, base(server) + "ruffle/ruffle.js");
    EXPECT_TRUE(js.contains("Content-Type: text/javascript\r\n"));
    EXPECT_EQ(body(js), "player");
    EXPECT_TRUE(
        exchange(server, "DELETE " + base(server) + "movie.swf HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 404"));
}

TEST_F(MovieServerTest, NothingElseOfTheMachineIsHandedOut)
{
    MovieServer server(movie, ruffle);
    ASSERT_EQ(start(server), FileProblem::None);
    for (const char* path : {"ruffle/../secret.txt", "ruffle/..", "secret.txt", "ruffle/", "ruffle/.hidden",
             "ruffle/a/b.js", "../a movie.swf", "ruffle/%2e%2e/secret.txt"})
        EXPECT_TRUE(get(server, base(server) + path).startsWith("HTTP/1.0 404")) << path;
    // A movie that is not there: the view is told, and the server has nothing to give.
    MovieServer gone(dir.filePath(QStringLiteral("gone.swf")), ruffle);
    EXPECT_EQ(start(gone), FileProblem::Unreadable);
    EXPECT_TRUE(get(gone, base(gone) + "movie.swf").startsWith("HTTP/1.0 404"));
}

TEST_F(MovieServerTest, AClientWithoutTheSecretGetsNothing)
{
    MovieServer server(movie, ruffle);
    ASSERT_EQ(start(server), FileProblem::None);
    QByteArray wrong = base(server);
    wrong[1] = wrong[1] == 'a' ? 'b' : 'a';
    const QByteArray bare = base(server).chopped(1);
    for (const QByteArray& target : {QByteArray("/"), QByteArray("/movie.swf"), QByteArray("/index.html"),
             QByteArray("/ruffle/ruffle.js"), QByteArray(wrong + "movie.swf"), QByteArray(bare + "movie.swf"),
             QByteArray("/" + bare + "/movie.swf"),
             QByteArray("/00000000000000000000000000000000/movie.swf")}) {
        const QByteArray answer = get(server, target);
        EXPECT_TRUE(answer.startsWith("HTTP/1.0 404")) << target.constData();
        EXPECT_FALSE(answer.contains("movie bytes")) << target.constData();
    }
    // The right path from a page of another site that names itself as 127.0.0.1, or with no host at all.
    const QByteArray request = "GET " + base(server) + "movie.swf HTTP/1.1\r\n";
    EXPECT_FALSE(exchange(
        server, request + "Host: evil.example:" + QByteArray::number(server.serverPort()) + "\r\n\r\n")
                     .contains("movie bytes"));
    EXPECT_FALSE(exchange(server, request + "\r\n").contains("movie bytes"));
    // Each view has a secret of its own.
    MovieServer other(movie, ruffle);
    ASSERT_TRUE(other.Start());
    EXPECT_NE(base(other), base(server));
}

TEST_F(MovieServerTest, AnotherAccountGetsNothing)
{
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (geteuid() != 0 || curl.isEmpty() || setpriv.isEmpty())
        GTEST_SKIP() << "needs root, curl and setpriv to act as another account";
    MovieServer server(movie, ruffle);
    ASSERT_EQ(start(server), FileProblem::None);
    auto asNobody = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(setpriv,
            QStringList {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                QStringLiteral("--clear-groups"), program}
                + arguments);
        qmtest::waitFor([&] { return process.state() == QProcess::NotRunning; });
        return process.readAllStandardOutput();
    };
    // The movie's folder is closed to the other account, which can still reach the port.
    EXPECT_TRUE(asNobody(QStringLiteral("/bin/cat"), {movie}).isEmpty());
    const QString root = QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
    for (const QString& path :
        {QStringLiteral("/"), QStringLiteral("/movie.swf"), QStringLiteral("/ruffle/ruffle.js")}) {
        const QByteArray answer = asNobody(curl, {QStringLiteral("-s"), QStringLiteral("-i"), root + path});
        EXPECT_TRUE(answer.startsWith("HTTP/1.0 404")) << answer.constData();
        EXPECT_FALSE(answer.contains("movie bytes"));
    }
}

TEST_F(MovieServerTest, AMovieSwappedForALinkOnceOpenIsNotFollowed)
{
    MovieServer server(movie, ruffle);
    ASSERT_EQ(start(server), FileProblem::None);
    // Another user who owns the movie's folder puts a link to one of the teacher's files in its place.
    const QString planted = dir.filePath(QStringLiteral("planted"));
    ASSERT_TRUE(QFile::link(secretFile, planted));
    ASSERT_EQ(::rename(QFile::encodeName(planted).constData(), QFile::encodeName(movie).constData()), 0);
    const QByteArray answer = get(server, base(server) + "movie.swf");
    EXPECT_EQ(body(answer), kMovie);
    EXPECT_FALSE(answer.contains("teacher's own"));
}

TEST_F(MovieServerTest, AFifoInTheMoviesPlaceIsRefusedWithoutWaitingForItsWriter)
{
    ASSERT_TRUE(QFile::remove(movie));
    const QByteArray fifo = QFile::encodeName(movie);
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    // The planting process waits for a reader and then pushes its bytes.
    std::thread writer([&] {
        // Its write fails, rather than ending the process, when the reader has gone by then.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        const int fd = ::open(fifo.constData(), O_WRONLY | O_CLOEXEC);
        (void)::write(fd, "planted bytes", 13);
        ::close(fd);
    });
    MovieServer server(movie, ruffle);
    EXPECT_EQ(start(server), FileProblem::NotAFile);
    const QByteArray answer = get(server, base(server) + "movie.swf");
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 404"));
    EXPECT_FALSE(answer.contains("planted"));
    // Lets the writer go.
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    writer.join();
    ::close(reader);
}

TEST_F(MovieServerTest, ClientsThatDoNotReadHoldASliceEachNotTheMovie)
{
    QByteArray large(48 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char(i * 7919 >> 8);
    qmtest::writeFile(movie, large);
    MovieServer server(movie, ruffle);
    ASSERT_EQ(start(server), FileProblem::None);
    const QByteArray request
        = "GET " + base(server) + "movie.swf HTTP/1.1\r\nHost: " + hostOf(server) + "\r\n\r\n";
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.serverPort()));
        clients.back()->Send(request);
    }
    // Once the socket stops taking bytes, what waits in the program is bounded by what was let out.
    ASSERT_TRUE(qmtest::waitFor([&] { return server.ClientCount() == 4 && server.BytesQueued() > 0; }));
    EXPECT_LT(server.BytesQueued(), 4 * (1 << 20));
    // A client that reads at last gets the whole movie.
    EXPECT_EQ(body(clients.front()->ReadToEnd()), large);
}

TEST_F(MovieServerTest, ACrowdOfIdleConnectionsNeitherPilesUpNorShutsOutTheView)
{
    MovieServer server(movie, ruffle);
    ASSERT_EQ(start(server), FileProblem::None);
    std::vector<std::unique_ptr<RawClient>> crowd;
    for (int i = 0; i < 100; ++i)
        crowd.push_back(std::make_unique<RawClient>(server.serverPort()));
    auto open = [&] {
        return std::count_if(crowd.begin(), crowd.end(), [](const auto& c) { return !c->ClosedByServer(); });
    };
    EXPECT_TRUE(qmtest::waitFor([&] { return open() <= flash::kMaxClients; })) << open();
    EXPECT_LE(server.ClientCount(), flash::kMaxClients);
    // The view's own request still gets its answer.
    EXPECT_EQ(body(get(server, base(server) + "movie.swf")), kMovie);
}
