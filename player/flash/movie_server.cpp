#include "player/flash/movie_server.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>

namespace flash {

namespace {

// A request larger than this is no request of the page's.
constexpr qsizetype kMaxRequest = 16 * 1024;

QByteArray response(const QByteArray& status, const QByteArray& type, const QByteArray& body)
{
    return "HTTP/1.0 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

QByteArray notFound()
{
    return response("404 Not Found", "text/plain", "not found");
}

QByteArray fileOf(const QString& path, const QByteArray& type)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return notFound();
    return response("200 OK", type, file.readAll());
}

QByteArray typeOf(const QString& name)
{
    if (name.endsWith(QLatin1String(".wasm")))
        return "application/wasm";
    if (name.endsWith(QLatin1String(".js")))
        return "text/javascript";
    return "application/octet-stream";
}

} // namespace

QByteArray PlayerPage()
{
    return R"(<!doctype html>
<html><head><meta charset="utf-8">
<style>html,body{margin:0;height:100%;overflow:hidden;background:#000}ruffle-player{width:100%;height:100%;display:block}</style>
<script>window.RufflePlayer={config:{autoplay:"on",unmuteOverlay:"hidden",splashScreen:false,letterbox:"on",contextMenu:"off"}};</script>
<script src="/ruffle/ruffle.js"></script>
</head><body><script>
const player = window.RufflePlayer.newest().createPlayer();
document.body.appendChild(player);
player.load("/movie.swf");
</script></body></html>
)";
}

MovieServer::MovieServer(const QString& moviePath, const QString& ruffleFolder, QObject* parent)
    : QTcpServer(parent)
    , moviePath_(moviePath)
    , ruffleFolder_(ruffleFolder)
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection())
            serve(socket);
    });
}

bool MovieServer::Start()
{
    return listen(QHostAddress::LocalHost, 0);
}

QString MovieServer::PageUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(serverPort());
}

QByteArray MovieServer::Answer(const QByteArray& path) const
{
    if (path == "/" || path == "/index.html")
        return response("200 OK", "text/html; charset=utf-8", PlayerPage());
    if (path == "/movie.swf")
        return fileOf(moviePath_, "application/x-shockwave-flash");
    // Ruffle's own files by their plain names; no other file of the machine is reachable.
    static const QRegularExpression ruffleFile(QStringLiteral("^/ruffle/([A-Za-z0-9_.-]+)$"));
    const QRegularExpressionMatch match = ruffleFile.match(QString::fromLatin1(path));
    if (match.hasMatch() && !match.captured(1).startsWith(u'.'))
        return fileOf(ruffleFolder_ + u'/' + match.captured(1), typeOf(match.captured(1)));
    return notFound();
}

void MovieServer::serve(QTcpSocket* socket)
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        if (request.size() > kMaxRequest) {
            socket->abort();
            return;
        }
        if (!request.contains("\r\n\r\n")) {
            socket->setProperty("request", request);
            return;
        }
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        QByteArray path = line.size() >= 2 && line[0] == "GET" ? line[1] : QByteArray();
        if (const qsizetype query = path.indexOf('?'); query >= 0)
            path.truncate(query);
        socket->write(
            path.isEmpty() ? response("400 Bad Request", "text/plain", "bad request") : Answer(path));
        socket->disconnectFromHost();
    });
}

} // namespace flash
