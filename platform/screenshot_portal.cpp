#include "platform/screenshot_portal.h"

#include "platform/portal_request.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>
#include <QVariantMap>

namespace platform {

namespace {

const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");

// Reads the picture the portal wrote for this request and removes its file. Only a file made since the
// request began is removed: a portal that names some older file does not get it deleted.
PortalPicture readPicture(const QVariantMap& results, const QDateTime& asked)
{
    PortalPicture picture;
    const QString uri = results.value(QStringLiteral("uri")).toString();
    const QUrl url(uri, QUrl::StrictMode);
    if (uri.isEmpty() || !url.isValid() || !url.isLocalFile() || url.toLocalFile().isEmpty()) {
        picture.failure = CaptureFailure::BadPicture;
        picture.detail = QStringLiteral("no file in the answer: \"%1\"").arg(uri);
        return picture;
    }
    const QString path = url.toLocalFile();
    const QFileInfo file(path);
    QImageReader reader(path);
    picture.image = reader.read();
    if (file.exists() && file.isFile() && file.lastModified() >= asked)
        QFile::remove(path);
    if (picture.image.isNull()) {
        picture.failure = CaptureFailure::BadPicture;
        picture.detail = QStringLiteral("%1: %2").arg(path, reader.errorString());
    }
    return picture;
}

} // namespace

ScreenshotPortal::ScreenshotPortal(const QDBusConnection& bus, int timeoutMs)
    : bus_(bus)
    , timeoutMs_(timeoutMs)
{
}

QString ScreenshotPortal::requestPath(const QString& uniqueName, const QString& token)
{
    return portalRequestPath(uniqueName, token);
}

PortalPicture ScreenshotPortal::take(const QString& parentWindow)
{
    if (!bus_.isConnected())
        return {{}, CaptureFailure::NoPortal, QStringLiteral("no session bus")};
    // File times have whole-second precision on some file systems.
    const QDateTime asked = QDateTime::currentDateTime().addSecs(-1);
    const QVariantMap options {{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}};
    const PortalAnswer answer
        = askPortal(bus_, kScreenshot, QStringLiteral("Screenshot"), {parentWindow}, options, timeoutMs_);
    if (answer.failure != CaptureFailure::None)
        return {{}, answer.failure, answer.detail};
    return readPicture(answer.results, asked);
}

} // namespace platform
