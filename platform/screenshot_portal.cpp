#include "platform/screenshot_portal.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <atomic>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
constexpr uint kResponseSuccess = 0;

// One request's outcome, filled by whichever comes first: the Response signal, a failed call or the time
// limit.
class RequestWait : public QObject {
    Q_OBJECT
public:
    bool done = false;
    uint code = 0;
    QVariantMap results;
    CaptureFailure failure = CaptureFailure::None;
    QString detail;

    void fail(CaptureFailure why, const QString& text)
    {
        if (done)
            return;
        done = true;
        failure = why;
        detail = text;
        emit finished();
    }

public slots:
    void onResponse(uint responseCode, const QVariantMap& responseResults)
    {
        if (done)
            return;
        done = true;
        code = responseCode;
        results = responseResults;
        emit finished();
    }

signals:
    void finished();
};

QString nextToken()
{
    static std::atomic<int> counter {0};
    return QStringLiteral("quillmark%1").arg(++counter);
}

CaptureFailure failureOfCallError(const QDBusError& error)
{
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::TimedOut
        || error.type() == QDBusError::Timeout)
        return CaptureFailure::NoAnswer;
    return CaptureFailure::NoPortal;
}

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
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

PortalPicture ScreenshotPortal::take(const QString& parentWindow)
{
    if (!bus_.isConnected())
        return {{}, CaptureFailure::NoPortal, QStringLiteral("no session bus")};
    const QString token = nextToken();
    const QString predicted = requestPath(bus_.baseService(), token);
    RequestWait wait;
    QStringList subscribed {predicted};
    // Subscribed before the call: the answer may come before the call's reply does.
    bus_.connect(kService, predicted, kRequest, QStringLiteral("Response"), &wait,
        SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call
        = QDBusMessage::createMethodCall(kService, kObject, kScreenshot, QStringLiteral("Screenshot"));
    const QVariantMap options {{QStringLiteral("handle_token"), token},
        {QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}};
    call << parentWindow << options;
    // File times have whole-second precision on some file systems.
    const QDateTime asked = QDateTime::currentDateTime().addSecs(-1);
    QDBusPendingCallWatcher watcher(bus_.asyncCall(call, timeoutMs_));
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &wait, [&](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            wait.fail(failureOfCallError(reply.error()), reply.error().message());
            return;
        }
        // An older portal makes up its own path: listen there as well.
        const QString handle = reply.value().path();
        if (!wait.done && handle != predicted) {
            bus_.connect(kService, handle, kRequest, QStringLiteral("Response"), &wait,
                SLOT(onResponse(uint, QVariantMap)));
            subscribed.append(handle);
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &wait,
        [&] { wait.fail(CaptureFailure::NoAnswer, QStringLiteral("no answer in %1 ms").arg(timeoutMs_)); });
    QEventLoop loop;
    QObject::connect(&wait, &RequestWait::finished, &loop, &QEventLoop::quit);
    if (!wait.done) {
        limit.start(timeoutMs_);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    for (const QString& path : subscribed)
        bus_.disconnect(
            kService, path, kRequest, QStringLiteral("Response"), &wait, SLOT(onResponse(uint, QVariantMap)));

    if (wait.failure != CaptureFailure::None)
        return {{}, wait.failure, wait.detail};
    if (wait.code != kResponseSuccess)
        return {{}, CaptureFailure::Refused, QStringLiteral("the portal answered %1").arg(wait.code)};
    return readPicture(wait.results, asked);
}

} // namespace platform

#include "screenshot_portal.moc"
