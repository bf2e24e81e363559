// The Flash view's loopback server: what it answers, and what it never hands out.
#include "player/flash/movie_server.h"

#include "support_main/test_util.h"

#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using flash::MovieServer;

namespace {

QByteArray body(const QByteArray& answer)
{
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

class MovieServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        movie = qmtest::writeFile(dir.filePath(QStringLiteral("a movie.swf")), "FWS\x0a movie bytes");
        qmtest::writeFile(dir.filePath(QStringLiteral("ruffle/ruffle.js")), "player");
        qmtest::writeFile(dir.filePath(QStringLiteral("ruffle/core.wasm")), "wasm");
        qmtest::writeFile(dir.filePath(QStringLiteral("secret.txt")), "secret");
    }
    QTemporaryDir dir;
    QString movie;
};

} // namespace

TEST_F(MovieServerTest, ThePagePlaysTheMovieWithRuffle)
{
    MovieServer server(movie, dir.filePath(QStringLiteral("ruffle")));
    const QByteArray page = server.Answer("/");
    EXPECT_TRUE(page.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(page.contains("Content-Type: text/html"));
    EXPECT_TRUE(body(page).contains("/ruffle/ruffle.js"));
    EXPECT_TRUE(body(page).contains("player.load(\"/movie.swf\")"));
    EXPECT_TRUE(body(page).contains("autoplay:\"on\""));
}

TEST_F(MovieServerTest, TheMovieAndRufflesFilesWithTheirTypes)
{
    MovieServer server(movie, dir.filePath(QStringLiteral("ruffle")));
    const QByteArray swf = server.Answer("/movie.swf");
    EXPECT_TRUE(swf.contains("Content-Type: application/x-shockwave-flash\r\n"));
    EXPECT_EQ(body(swf), QByteArray("FWS\x0a movie bytes"));
    EXPECT_TRUE(server.Answer("/ruffle/core.wasm").contains("Content-Type: application/wasm\r\n"));
    EXPECT_TRUE(server.Answer("/ruffle/ruffle.js").contains("Content-Type: text/javascript\r\n"));
}

TEST_F(MovieServerTest, NothingElseOfTheMachineIsHandedOut)
{
    MovieServer server(movie, dir.filePath(QStringLiteral("ruffle")));
    for (const char* path : {"/ruffle/../secret.txt", "/ruffle/..", "/secret.txt", "/ruffle/",
             "/ruffle/a/b.js", "/../a movie.swf", "/ruffle/%2e%2e/secret.txt"})
        EXPECT_TRUE(server.Answer(path).startsWith("HTTP/1.0 404")) << path;
    // A movie that went away is not found either.
    MovieServer gone(dir.filePath(QStringLiteral("gone.swf")), dir.filePath(QStringLiteral("ruffle")));
    EXPECT_TRUE(gone.Answer("/movie.swf").startsWith("HTTP/1.0 404"));
}

TEST_F(MovieServerTest, AnswersOnTheLoopbackOnly)
{
    MovieServer server(movie, dir.filePath(QStringLiteral("ruffle")));
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(server.serverAddress(), QHostAddress(QHostAddress::LocalHost));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    ASSERT_TRUE(qmtest::waitFor([&] { return client.state() == QAbstractSocket::ConnectedState; }));
    client.write("GET /movie.swf?x=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray answer;
    EXPECT_TRUE(qmtest::waitFor([&] {
        answer += client.readAll();
        return answer.endsWith("movie bytes");
    }));
    EXPECT_TRUE(answer.startsWith("HTTP/1.0 200 OK"));
    // A request that is no GET gets no file.
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, server.serverPort());
    ASSERT_TRUE(qmtest::waitFor([&] { return other.state() == QAbstractSocket::ConnectedState; }));
    other.write("DELETE /movie.swf HTTP/1.0\r\n\r\n");
    QByteArray refused;
    EXPECT_TRUE(qmtest::waitFor([&] {
        refused += other.readAll();
        return refused.contains("\r\n\r\n");
    }));
    EXPECT_TRUE(refused.startsWith("HTTP/1.0 400"));
}
