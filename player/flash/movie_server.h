#pragma once
// The loopback server the Flash view loads from: Ruffle does not run from file:// pages. It answers
// HTTP/1.0 GETs on 127.0.0.1 only, for the page, Ruffle's files and the one movie, and nothing else.
#include <QByteArray>
#include <QString>
#include <QTcpServer>

namespace flash {

class MovieServer : public QTcpServer {
public:
    MovieServer(const QString& moviePath, const QString& ruffleFolder, QObject* parent = nullptr);

    // Listens on a free loopback port; false when none could be had.
    bool Start();
    QString PageUrl() const;

    // What a GET of path answers: status line, headers and body. Public for the tests.
    QByteArray Answer(const QByteArray& path) const;

private:
    void serve(QTcpSocket* socket);

    QString moviePath_;
    QString ruffleFolder_;
};

// The page that plays /movie.swf with Ruffle: autoplay, no splash screen, no unmute overlay.
QByteArray PlayerPage();

} // namespace flash
