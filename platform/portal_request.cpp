#include "platform/portal_request.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <atomic>

namespace platform {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalObject = QStringLiteral("/org/freedesktop/portal/desktop");

namespace {

const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kResponse = QStringLiteral("Response");
constexpr uint kResponseSuccess = 0;

QString nextToken()
{
    static std::atomic<int> counter {0};
    return QStringLiteral("quillmark%1").arg(++counter);
}

// One request's outcome, filled by whichever comes first: the Response signal, a failed call, the time
// limit or the caller giving up.
class RequestWait : public QObject {
    Q_OBJECT
public:
    bool done = false;
    uint code = 0;
    PortalAnswer answer;

    void fail(CaptureFailure why, const QString& text)
    {
        if (done)
            return;
        done = true;
        answer.failure = why;
        answer.detail = text;
        emit finished();
    }

public slots:
    void onResponse(uint responseCode, const QVariantMap& responseResults)
    {
        if (done)
            return;
        done = true;
        code = responseCode;
        answer.results = responseResults;
        emit finished();
    }

signals:
    void finished();
};

} // namespace

CaptureFailure failureOfPortalCall(const QDBusError& error)
{
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::TimedOut
        || error.type() == QDBusError::Timeout)
        return CaptureFailure::NoAnswer;
    return CaptureFailure::NoPortal;
}

QString portalRequestPath(const QString& uniqueName, const QString& token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

PortalAnswer askPortal(QDBusConnection& bus, const QString& interface, const QString& method,
    const QVariantList& arguments, QVariantMap options, int limitMs, const std::function<bool()>& cancelled)
{
    const QString token = nextToken();
    options.insert(QStringLiteral("handle_token"), token);
    const QString predicted = portalRequestPath(bus.baseService(), token);
    RequestWait wait;
    QStringList subscribed {predicted};
    bus.connect(kPortalService, predicted, kRequest, kResponse, &wait, SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalObject, interface, method);
    call.setArguments(arguments);
    call << options;
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, limitMs));
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &wait, [&](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            wait.fail(
                failureOfPortalCall(reply.error()), method + QStringLiteral(": ") + reply.error().message());
            return;
        }
        // An older portal makes up its own path: listen there as well.
        const QString handle = reply.value().path();
        if (!wait.done && handle != predicted) {
            bus.connect(
                kPortalService, handle, kRequest, kResponse, &wait, SLOT(onResponse(uint, QVariantMap)));
            subscribed.append(handle);
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &wait, [&] {
        wait.fail(
            CaptureFailure::NoAnswer, QStringLiteral("%1: no answer in %2 ms").arg(method).arg(limitMs));
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (cancelled && cancelled())
            wait.fail(CaptureFailure::Refused, QStringLiteral("cancelled"));
    });
    QEventLoop loop;
    QObject::connect(&wait, &RequestWait::finished, &loop, &QEventLoop::quit);
    if (!wait.done) {
        limit.start(limitMs);
        if (cancelled)
            poll.start(100);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    for (const QString& path : subscribed)
        bus.disconnect(kPortalService, path, kRequest, kResponse, &wait, SLOT(onResponse(uint, QVariantMap)));
    if (wait.answer.failure == CaptureFailure::None && wait.code != kResponseSuccess) {
        wait.answer.failure = CaptureFailure::Refused;
        wait.answer.detail = QStringLiteral("%1: the portal answered %2").arg(method).arg(wait.code);
    }
    return wait.answer;
}

} // namespace platform

#include "portal_request.moc"
