#include "fake_screencast_portal.h"

#include "platform/screenshot_portal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QMutexLocker>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

namespace {

struct CastSize {
    int width = 0;
    int height = 0;
};

struct CastStream {
    uint node = 0;
    QVariantMap properties;
};

} // namespace

Q_DECLARE_METATYPE(CastSize)
Q_DECLARE_METATYPE(CastStream)

namespace {

QDBusArgument& operator<<(QDBusArgument& out, const CastSize& size)
{
    out.beginStructure();
    out << size.width << size.height;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, CastSize& size)
{
    in.beginStructure();
    in >> size.width >> size.height;
    in.endStructure();
    return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const CastStream& stream)
{
    out.beginStructure();
    out << stream.node << stream.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, CastStream& stream)
{
    in.beginStructure();
    in >> stream.node >> stream.properties;
    in.endStructure();
    return in;
}

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

} // namespace

namespace qmtest {

FakeScreenCastPortal::FakeScreenCastPortal()
{
    qDBusRegisterMetaType<CastSize>();
    qDBusRegisterMetaType<CastStream>();
    qDBusRegisterMetaType<QList<CastStream>>();
    if (::pipe2(pipe_, O_CLOEXEC) != 0)
        pipe_[0] = pipe_[1] = -1;
}

FakeScreenCastPortal::~FakeScreenCastPortal()
{
    if (!connectionName_.isEmpty())
        QDBusConnection::disconnectFromBus(connectionName_);
    for (int fd : pipe_)
        if (fd >= 0)
            ::close(fd);
}

bool FakeScreenCastPortal::serve(const PrivateBus& bus)
{
    static std::atomic<int> count {0};
    connectionName_ = QStringLiteral("fake-cast-%1").arg(++count);
    QDBusConnection connection = bus.connect(connectionName_);
    return connection.isConnected() && connection.registerService(kPortalService)
        && connection.registerVirtualObject(kPortalObject, this, QDBusConnection::SubPath);
}

void FakeScreenCastPortal::closeSession()
{
    QString session;
    {
        const QMutexLocker lock(&mutex_);
        session = session_;
    }
    QDBusConnection(connectionName_)
        .send(QDBusMessage::createSignal(session, kSession, QStringLiteral("Closed")));
}

QVariantMap FakeScreenCastPortal::lastSourceOptions() const
{
    const QMutexLocker lock(&mutex_);
    return sourceOptions_;
}

QString FakeScreenCastPortal::lastTokenGiven() const
{
    const QMutexLocker lock(&mutex_);
    return tokenGiven_;
}

int FakeScreenCastPortal::starts() const
{
    const QMutexLocker lock(&mutex_);
    return starts_;
}

int FakeScreenCastPortal::closes() const
{
    const QMutexLocker lock(&mutex_);
    return closes_;
}

QString FakeScreenCastPortal::introspect(const QString&) const
{
    return QStringLiteral(R"(<interface name="org.freedesktop.portal.ScreenCast">
  <method name="CreateSession"><arg type="a{sv}" direction="in"/><arg type="o" direction="out"/></method>
  <method name="SelectSources"><arg type="o" direction="in"/><arg type="a{sv}" direction="in"/>
  <arg type="o" direction="out"/></method>
  <method name="Start"><arg type="o" direction="in"/><arg type="s" direction="in"/><arg type="a{sv}" direction="in"/>
  <arg type="o" direction="out"/></method>
  <method name="OpenPipeWireRemote"><arg type="o" direction="in"/><arg type="a{sv}" direction="in"/>
  <arg type="h" direction="out"/></method></interface>)");
}

// Called on the bus's own thread: it answers by sending messages, never through the event loop.
bool FakeScreenCastPortal::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    QDBusConnection bus = connection;
    const QString member = message.member();
    if (message.interface() == kSession && member == QLatin1String("Close")) {
        const QMutexLocker lock(&mutex_);
        ++closes_;
        bus.send(message.createReply());
        return true;
    }
    if (message.interface() != QLatin1String("org.freedesktop.portal.ScreenCast")
        || message.arguments().isEmpty())
        return false;
    if (member == QLatin1String("OpenPipeWireRemote")) {
        bus.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(pipe_[0]))));
        return true;
    }
    const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().last());
    const QString token = options.value(QStringLiteral("handle_token")).toString();
    const QString request = platform::ScreenshotPortal::requestPath(message.service(), token);
    uint code = 0;
    QVariantMap results;
    bool answer = true;
    if (member == QLatin1String("CreateSession")) {
        const QString session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                                    .arg(request.section(QLatin1Char('/'), -2, -2),
                                        options.value(QStringLiteral("session_handle_token")).toString());
        const QMutexLocker lock(&mutex_);
        session_ = session;
        results.insert(QStringLiteral("session_handle"), session);
    } else if (member == QLatin1String("SelectSources")) {
        const QMutexLocker lock(&mutex_);
        sourceOptions_ = options;
    } else if (member == QLatin1String("Start")) {
        const QMutexLocker lock(&mutex_);
        ++starts_;
        code = answer_ == Answer::Refuse ? 1 : 0;
        answer = answer_ != Answer::Silent;
        tokenGiven_ = QStringLiteral("restore-%1").arg(starts_);
        CastStream stream {
            kNode, {{QStringLiteral("size"), QVariant::fromValue(CastSize {kWidth, kHeight})}}};
        results.insert(QStringLiteral("streams"), QVariant::fromValue(QList<CastStream> {stream}));
        results.insert(QStringLiteral("restore_token"), tokenGiven_);
    } else {
        return false;
    }
    bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
    if (answer) {
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << code << results;
        bus.send(response);
    }
    return true;
}

} // namespace qmtest
