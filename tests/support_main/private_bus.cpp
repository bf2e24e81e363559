#include "private_bus.h"

#include "platform/screen_capture.h"
#include "platform/screenshot_portal.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDateTime>
#include <QFile>
#include <QMutexLocker>
#include <QUrl>

#include <atomic>

namespace qmtest {

namespace {

// No service folders: nothing on this bus is started on demand, so a missing portal stays missing.
constexpr char kConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalObject = QStringLiteral("/org/freedesktop/portal/desktop");

} // namespace

PrivateBus::PrivateBus()
{
    if (!dir_.isValid())
        return;
    const QString config = dir_.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QString::fromLatin1(kConfig).arg(dir_.path()).toUtf8());
    file.close();
    daemon_.start(QStringLiteral("dbus-daemon"),
        {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
            QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(10000))
        return;
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) { }
    address_ = QString::fromLocal8Bit(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000))
            daemon_.kill();
        daemon_.waitForFinished(5000);
    }
}

QDBusConnection PrivateBus::connect(const QString& name) const
{
    return QDBusConnection::connectToBus(address_, name);
}

bool FakeScreenshotPortal::serve(const PrivateBus& bus)
{
    static std::atomic<int> count {0};
    connectionName_ = QStringLiteral("fake-portal-%1").arg(++count);
    QDBusConnection connection = bus.connect(connectionName_);
    return connection.isConnected() && connection.registerService(kPortalService)
        && connection.registerVirtualObject(kPortalObject, this);
}

QString FakeScreenshotPortal::lastFile() const
{
    const QMutexLocker lock(&mutex_);
    return lastFile_;
}

QVariantMap FakeScreenshotPortal::lastOptions() const
{
    const QMutexLocker lock(&mutex_);
    return lastOptions_;
}

int FakeScreenshotPortal::calls() const
{
    const QMutexLocker lock(&mutex_);
    return calls_;
}

QString FakeScreenshotPortal::introspect(const QString&) const
{
    return QStringLiteral(R"(<interface name="org.freedesktop.portal.Screenshot">
  <method name="Screenshot"><arg type="s" direction="in"/><arg type="a{sv}" direction="in"/>
  <arg type="o" direction="out"/></method></interface>)");
}

QString FakeScreenshotPortal::writePicture(const QString& name) const
{
    const QString path = dir_.filePath(name);
    picture_.save(path, "PNG");
    return path;
}

// Called on the bus's own thread: it answers by sending messages, never through the event loop.
bool FakeScreenshotPortal::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.interface() != QLatin1String("org.freedesktop.portal.Screenshot")
        || message.member() != QLatin1String("Screenshot") || message.arguments().size() != 2)
        return false;
    const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().at(1));
    const QString token = options.value(QStringLiteral("handle_token")).toString();
    const QString request = platform::ScreenshotPortal::requestPath(message.service(), token);

    QString file;
    uint code = 0;
    QVariantMap results;
    switch (answer_) {
    case Answer::Picture:
    case Answer::PictureBeforeReply:
        file = writePicture(QStringLiteral("Screenshot-%1.png").arg(token));
        results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(file).toString());
        break;
    case Answer::OldFile:
        file = writePicture(QStringLiteral("Holiday.png"));
        {
            QFile old(file);
            old.open(QIODevice::ReadWrite);
            old.setFileTime(QDateTime::currentDateTime().addDays(-30), QFileDevice::FileModificationTime);
        }
        results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(file).toString());
        break;
    case Answer::Refuse:
        code = 1;
        break;
    case Answer::Silent:
        break;
    case Answer::BadUri:
        results.insert(QStringLiteral("uri"), QStringLiteral("https://example.invalid/Screenshot.png"));
        break;
    case Answer::MissingFile:
        file = dir_.filePath(QStringLiteral("gone.png"));
        results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(file).toString());
        break;
    }
    {
        const QMutexLocker lock(&mutex_);
        lastFile_ = file;
        lastOptions_ = options;
        ++calls_;
    }
    QDBusMessage response = QDBusMessage::createSignal(
        request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    response << code << results;
    const QDBusMessage reply = message.createReply(QVariant::fromValue(QDBusObjectPath(request)));
    QDBusConnection bus = connection;
    if (answer_ == Answer::PictureBeforeReply)
        bus.send(response);
    bus.send(reply);
    if (answer_ != Answer::PictureBeforeReply && answer_ != Answer::Silent)
        bus.send(response);
    return true;
}

PortalSession::PortalSession(const QImage& picture)
    : sessionType_(qgetenv("XDG_SESSION_TYPE"))
{
    static std::atomic<int> count {0};
    clientName_ = QStringLiteral("portal-client-%1").arg(++count);
    portal_.setPicture(picture);
    if (!bus_.started() || !portal_.serve(bus_))
        return;
    const QDBusConnection client = bus_.connect(clientName_);
    platform::SetPortalForTests(clientName_, 5000);
    qputenv("XDG_SESSION_TYPE", "wayland");
    ready_ = client.isConnected();
}

PortalSession::~PortalSession()
{
    platform::SetPortalForTests(QString(), platform::kPortalTimeoutMs);
    qputenv("XDG_SESSION_TYPE", sessionType_);
    QDBusConnection::disconnectFromBus(clientName_);
}

} // namespace qmtest
