#pragma once
// The loopback server the Flash view loads from: Ruffle does not run from file:// pages. It answers HTTP/1.0
// GETs on 127.0.0.1 for the page, Ruffle's files and the one movie, under a secret path that only the view is
// given, so that another account or program on the machine gets nothing from it.
#include "player/flash/regular_file.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QString>
#include <QTcpServer>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace flash {

class ServerClient;

// The largest movie served; the view says so for a larger one.
constexpr qint64 kMaxMovieBytes = qint64(256) << 20;
// The most connections kept at once. The view makes a few; more come from elsewhere.
constexpr int kMaxClients = 16;

class MovieServer : public QTcpServer {
public:
    MovieServer(const QString& moviePath, const QString& ruffleFolder, QObject* parent = nullptr);
    ~MovieServer() override;

    // Listens on a free loopback port and reads the movie, once and off the UI thread; false when no port
    // could be had.
    bool Start();
    // The page's address, with the secret in its path.
    QString PageUrl() const;

    // Called once the movie has been read: FileProblem::None when it can be served.
    std::function<void(FileProblem)> movieRead;

    // The connections held and the bytes waiting in them to be sent.
    int ClientCount() const { return int(clients_.size()); }
    qint64 BytesQueued() const;

private:
    void admit(QTcpSocket* socket);
    void answer(ServerClient* client);
    void sendRuffleFile(ServerClient* client, const QString& name);
    // The path below the secret of a request for this server; none when it is not one.
    std::optional<QByteArray> pathOf(const QByteArray& request) const;

    QString moviePath_;
    QString ruffleFolder_;
    QByteArray secret_;
    QList<ServerClient*> clients_;
    QThreadPool readers_;
    QFutureWatcher<FileBytes> movieWatcher_;
    FileBytes movie_;
    bool movieLoaded_ = false;
};

// The page that plays base + "movie.swf" with Ruffle from base + "ruffle/": autoplay, no splash screen, no
// unmute overlay.
QByteArray PlayerPage(const QByteArray& base);

} // namespace flash
