#include "player/flash/movie_server.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace flash {

namespace {

// A request larger than this is no request of the page's.
constexpr qsizetype kMaxRequest = 16 * 1024;
// Ruffle's largest file, its core's WebAssembly, is about 15 MB.
constexpr qint64 kMaxRuffleFileBytes = qint64(64) << 20;
// An answer goes out a slice at a time, the next once the last has left: a client that does not read
// holds one slice, not the movie.
constexpr qint64 kSlice = 64 * 1024;
// A connection that has not sent its request by then is dropped.
constexpr int kRequestWaitMs = 10000;

QByteArray head(const QByteArray& status, const QByteArray& type, qint64 length)
{
    return "HTTP/1.0 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
        + QByteArray::number(length) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
}

QByteArray typeOf(const QString& name)
{
    if (name.endsWith(QLatin1String(".wasm")))
        return "application/wasm";
    if (name.endsWith(QLatin1String(".js")))
        return "text/javascript";
    return "application/octet-stream";
}

// Compares without stopping at the first difference, so that the time taken tells nothing of the secret.
bool sameSecret(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    return differ == 0;
}

// The value of a header of the request, without its surrounding blanks; null when it is not there.
QByteArray headerOf(const QByteArray& request, const QByteArray& name)
{
    const QList<QByteArray> lines = request.left(request.indexOf("\r\n\r\n")).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0 && lines[i].left(colon).trimmed().toLower() == name)
            return lines[i].mid(colon + 1).trimmed();
    }
    return QByteArray();
}

} // namespace

// One connection: its request as it comes in, then its answer as the socket takes it.
class ServerClient : public QObject {
public:
    ServerClient(QTcpSocket* socket, QObject* parent)
        : QObject(parent)
        , socket(socket)
    {
        socket->setParent(this);
        connect(socket, &QTcpSocket::bytesWritten, this, [this] { sendMore(); });
    }

    void Send(const QByteArray& status, const QByteArray& type, const QByteArray& body)
    {
        answering = true;
        body_ = body;
        socket->write(head(status, type, body.size()));
        sendMore();
    }

    void Refuse(const QByteArray& status) { Send(status, "text/plain", status.mid(4).toLower()); }

    QTcpSocket* socket;
    QByteArray request;
    bool answering = false; // its request was for this server, and it is being answered

private:
    void sendMore()
    {
        if (!answering)
            return;
        while (socket->bytesToWrite() < kSlice && sent_ < body_.size()) {
            const qint64 n = std::min<qint64>(kSlice, body_.size() - sent_);
            socket->write(body_.constData() + sent_, n);
            sent_ += n;
        }
        if (sent_ == body_.size() && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    }

    QByteArray body_;
    qint64 sent_ = 0;
};

QByteArray PlayerPage(const QByteArray& base)
{
    QByteArray page = R"(<!doctype html>
<html><head><meta charset="utf-8">
<style>html,body{margin:0;height:100%;overflow:hidden;background:#000}ruffle-player{width:100%;height:100%;display:block}</style>
<script>window.RufflePlayer={config:{autoplay:"on",unmuteOverlay:"hidden",splashScreen:false,letterbox:"on",contextMenu:"off"}};</script>
<script src="@BASE@ruffle/ruffle.js"></script>
</head><body><script>
const player = window.RufflePlayer.newest().createPlayer();
document.body.appendChild(player);
player.load("@BASE@movie.swf");
</script></body></html>
)";
    return page.replace("@BASE@", base);
}

MovieServer::MovieServer(const QString& moviePath, const QString& ruffleFolder, QObject* parent)
    : QTcpServer(parent)
    , moviePath_(moviePath)
    , ruffleFolder_(ruffleFolder)
{
    quint64 words[2];
    QRandomGenerator::system()->fillRange(words);
    secret_ = QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
    readers_.setMaxThreadCount(2);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection())
            admit(socket);
    });
    connect(&movieWatcher_, &QFutureWatcher<FileBytes>::finished, this, [this] {
        movie_ = movieWatcher_.result();
        movieLoaded_ = true;
        if (movieRead)
            movieRead(movie_.problem);
    });
}

MovieServer::~MovieServer()
{
    close();
    for (ServerClient* client : std::exchange(clients_, {})) {
        disconnect(client, nullptr, this, nullptr);
        delete client;
    }
}

bool MovieServer::Start()
{
    if (!listen(QHostAddress::LocalHost, 0))
        return false;
    movieWatcher_.setFuture(QtConcurrent::run(&readers_, ReadRegularFile, moviePath_, kMaxMovieBytes));
    return true;
}

QString MovieServer::PageUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/%2/").arg(serverPort()).arg(QString::fromLatin1(secret_));
}

qint64 MovieServer::BytesQueued() const
{
    qint64 queued = 0;
    for (const ServerClient* client : clients_)
        queued += client->socket->bytesToWrite();
    return queued;
}

void MovieServer::admit(QTcpSocket* socket)
{
    if (clients_.size() >= kMaxClients) {
        // The oldest connection that has not shown the secret makes room; the view's own are kept.
        const auto idle = std::find_if(
            clients_.begin(), clients_.end(), [](const ServerClient* c) { return !c->answering; });
        if (idle == clients_.end()) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        (*idle)->socket->abort();
        delete *idle;
    }
    auto* client = new ServerClient(socket, this);
    clients_.append(client);
    connect(client, &QObject::destroyed, this, [this, client] { clients_.removeOne(client); });
    connect(socket, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    QTimer::singleShot(kRequestWaitMs, client, [client] {
        if (!client->answering)
            client->socket->abort();
    });
    connect(socket, &QTcpSocket::readyRead, client, [this, client] {
        if (client->answering) {
            client->socket->readAll();
            return;
        }
        client->request += client->socket->readAll();
        if (client->request.size() > kMaxRequest)
            client->socket->abort();
        else if (client->request.contains("\r\n\r\n"))
            answer(client);
    });
}

std::optional<QByteArray> MovieServer::pathOf(const QByteArray& request) const
{
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    if (line.size() < 2 || line[0] != "GET")
        return std::nullopt;
    // A page of another site that has its name answer with 127.0.0.1 sends its own name as the host.
    if (headerOf(request, "host") != "127.0.0.1:" + QByteArray::number(serverPort()))
        return std::nullopt;
    QByteArray target = line[1];
    if (const qsizetype query = target.indexOf('?'); query >= 0)
        target.truncate(query);
    const qsizetype end = target.indexOf('/', 1);
    if (!target.startsWith('/') || end < 0 || !sameSecret(target.mid(1, end - 1), secret_))
        return std::nullopt;
    return target.mid(end + 1);
}

void MovieServer::answer(ServerClient* client)
{
    const std::optional<QByteArray> asked = pathOf(client->request);
    if (!asked) {
        client->Refuse("404 Not Found");
        return;
    }
    const QByteArray& path = *asked;
    if (path.isEmpty() || path == "index.html") {
        client->Send("200 OK", "text/html; charset=utf-8", PlayerPage("/" + secret_ + "/"));
    } else if (path == "movie.swf") {
        if (!movieLoaded_)
            client->Refuse("503 Service Unavailable");
        else if (movie_.problem != FileProblem::None)
            client->Refuse("404 Not Found");
        else
            client->Send("200 OK", "application/x-shockwave-flash", movie_.bytes);
    } else {
        // Ruffle's own files by their plain names; no other file of the machine is reachable.
        static const QRegularExpression ruffleFile(QStringLiteral("^ruffle/([A-Za-z0-9_-][A-Za-z0-9_.-]*)$"));
        const QRegularExpressionMatch match = ruffleFile.match(QString::fromLatin1(path));
        if (match.hasMatch())
            sendRuffleFile(client, match.captured(1));
        else
            client->Refuse("404 Not Found");
    }
}

void MovieServer::sendRuffleFile(ServerClient* client, const QString& name)
{
    client->answering = true;
    auto* watcher = new QFutureWatcher<FileBytes>(client);
    connect(watcher, &QFutureWatcher<FileBytes>::finished, client, [client, watcher, name] {
        const FileBytes file = watcher->result();
        if (file.problem == FileProblem::None)
            client->Send("200 OK", typeOf(name), file.bytes);
        else
            client->Refuse("404 Not Found");
    });
    watcher->setFuture(
        QtConcurrent::run(&readers_, ReadRegularFile, ruffleFolder_ + u'/' + name, kMaxRuffleFileBytes));
}

} // namespace flash
