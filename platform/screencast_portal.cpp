#include "platform/screencast_portal.h"

#include "platform/portal_request.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QVariantMap>

#include <fcntl.h>

#include <atomic>

namespace platform {

namespace {

const QString& kService = kPortalService;
const QString& kObject = kPortalObject;
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
constexpr uint kMonitor = 1;
constexpr uint kCursorEmbedded = 2;
constexpr uint kPersistUntilRevoked = 2;

QString nextToken()
{
    static std::atomic<int> counter {0};
    return QStringLiteral("quillmarkcast%1").arg(++counter);
}

class SessionWatch : public QObject {
    Q_OBJECT
public:
    bool closed = false;
public slots:
    void onClosed() { closed = true; }
};

// Reads the (ii) of a stream's size.
QSize sizeOf(const QVariant& value)
{
    if (!value.canConvert<QDBusArgument>())
        return {};
    const QDBusArgument argument = value.value<QDBusArgument>();
    int width = 0;
    int height = 0;
    argument.beginStructure();
    argument >> width >> height;
    argument.endStructure();
    return {width, height};
}

// The first stream of a Start answer, a(ua{sv}): its node and size.
bool firstStream(const QVariant& streams, uint& node, QSize& size)
{
    if (!streams.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument argument = streams.value<QDBusArgument>();
    bool found = false;
    argument.beginArray();
    while (!argument.atEnd()) {
        uint id = 0;
        QVariantMap properties;
        argument.beginStructure();
        argument >> id >> properties;
        argument.endStructure();
        if (!found) {
            found = true;
            node = id;
            size = sizeOf(properties.value(QStringLiteral("size")));
        }
    }
    argument.endArray();
    return found;
}

ScreenCastStream failedWith(CaptureFailure why, const QString& detail)
{
    ScreenCastStream stream;
    stream.failure = why;
    stream.detail = detail;
    return stream;
}

} // namespace

struct ScreenCastPortal::Impl {
    QDBusConnection bus;
    int answerMs;
    int questionMs;
    QString session;
    SessionWatch watch;

    Impl(const QDBusConnection& connection, int answer, int question)
        : bus(connection)
        , answerMs(answer)
        , questionMs(question)
    {
    }

    // Calls a method of the screen cast that answers through a request object.
    PortalAnswer ask(const QString& method, const QVariantList& arguments, const QVariantMap& options,
        int limitMs, const std::function<bool()>& cancelled)
    {
        return askPortal(bus, kScreenCast, method, arguments, options, limitMs, cancelled);
    }

    // The session's PipeWire connection; -1 with the reason on failure.
    int openRemote(ScreenCastStream& stream)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, kObject, kScreenCast, QStringLiteral("OpenPipeWireRemote"));
        call << QVariant::fromValue(QDBusObjectPath(session)) << QVariantMap();
        // Waited for in a local loop, like the requests: the portal may live in this very process (tests).
        QDBusPendingCallWatcher watcher(bus.asyncCall(call, answerMs));
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!watcher.isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        const QDBusMessage reply = watcher.reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            stream.failure = CaptureFailure::NoAnswer;
            stream.detail = QStringLiteral("OpenPipeWireRemote: ") + reply.errorMessage();
            return -1;
        }
        const QDBusUnixFileDescriptor remote
            = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().at(0));
        // The descriptor above closes its own copy.
        const int fd = remote.isValid() ? fcntl(remote.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1;
        if (fd < 0) {
            stream.failure = CaptureFailure::NoFrames;
            stream.detail = QStringLiteral("OpenPipeWireRemote gave no connection");
        }
        return fd;
    }
};

ScreenCastPortal::ScreenCastPortal(const QDBusConnection& bus, int answerMs, int questionMs)
    : d(std::make_unique<Impl>(bus, answerMs, questionMs))
{
}

ScreenCastPortal::~ScreenCastPortal()
{
    close();
}

ScreenCastStream ScreenCastPortal::start(const QString& restoreToken, const std::function<bool()>& cancelled)
{
    ScreenCastStream stream;
    const auto failed = [&stream](const PortalAnswer& answer) {
        stream.failure = answer.failure;
        stream.detail = answer.detail;
        return stream;
    };
    if (!d->bus.isConnected())
        return failedWith(CaptureFailure::NoPortal, QStringLiteral("no session bus"));
    close();
    const PortalAnswer created = d->ask(QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), nextToken()}}, d->answerMs, cancelled);
    if (created.failure != CaptureFailure::None)
        return failed(created);
    d->session = created.results.value(QStringLiteral("session_handle")).toString();
    if (d->session.isEmpty())
        return failedWith(CaptureFailure::NoPortal, QStringLiteral("CreateSession gave no session"));
    d->watch.closed = false;
    d->bus.connect(kService, d->session, kSession, QStringLiteral("Closed"), &d->watch, SLOT(onClosed()));
    const QVariant session = QVariant::fromValue(QDBusObjectPath(d->session));

    QVariantMap choice {{QStringLiteral("types"), kMonitor}, {QStringLiteral("multiple"), false},
        {QStringLiteral("cursor_mode"), kCursorEmbedded},
        {QStringLiteral("persist_mode"), kPersistUntilRevoked}};
    if (!restoreToken.isEmpty())
        choice.insert(QStringLiteral("restore_token"), restoreToken);
    const PortalAnswer chosen
        = d->ask(QStringLiteral("SelectSources"), {session}, choice, d->answerMs, cancelled);
    if (chosen.failure != CaptureFailure::None)
        return failed(chosen);

    // The share question, when the desktop asks it, is answered within this call.
    const PortalAnswer started
        = d->ask(QStringLiteral("Start"), {session, QString()}, {}, d->questionMs, cancelled);
    if (started.failure != CaptureFailure::None)
        return failed(started);
    stream.restoreToken = started.results.value(QStringLiteral("restore_token")).toString();
    if (!firstStream(started.results.value(QStringLiteral("streams")), stream.node, stream.size))
        return failedWith(CaptureFailure::NoFrames, QStringLiteral("Start gave no stream"));
    stream.fd = d->openRemote(stream);
    return stream;
}

bool ScreenCastPortal::closedByDesktop()
{
    if (d->session.isEmpty())
        return false;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return d->watch.closed;
}

void ScreenCastPortal::close()
{
    if (d->session.isEmpty())
        return;
    d->bus.disconnect(kService, d->session, kSession, QStringLiteral("Closed"), &d->watch, SLOT(onClosed()));
    if (!d->watch.closed && d->bus.isConnected())
        d->bus.call(QDBusMessage::createMethodCall(kService, d->session, kSession, QStringLiteral("Close")),
            QDBus::NoBlock);
    d->session.clear();
}

} // namespace platform

#include "screencast_portal.moc"
