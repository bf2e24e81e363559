#include "mutter_desktop.h"

#include "support_main/test_util.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QThread>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cmath>

namespace qmtest {

namespace {

const QString kCast = QStringLiteral("org.gnome.Mutter.ScreenCast");
const QString kCastSession = QStringLiteral("org.gnome.Mutter.ScreenCast.Session");
const QString kRemote = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kRemoteSession = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");
constexpr int kLeftButton = 0x110; // BTN_LEFT
constexpr uint kShiftKeysym = 0xffe1;

// A ScreenCast session of mutter recording the monitor; linked to a remote desktop session when one is named.
struct CastSession {
    QString path;
    QString stream;
};

// A method call by name: QDBusInterface would introspect the object and keep what it learnt for good.
QDBusMessage callOn(const QDBusConnection& bus, const QString& service, const QString& path,
    const QString& interface, const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, 20000);
}

// The object path a call answered with; empty on an error.
QString pathIn(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusObjectPath>(reply.arguments().first()).path();
}

QVariant propertyOf(const QDBusConnection& bus, const QString& service, const QString& path,
    const QString& interface, const QString& name)
{
    const QDBusMessage reply = callOn(bus, service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
}

CastSession createCast(const QDBusConnection& bus, const QString& remoteSessionId)
{
    QVariantMap properties;
    if (!remoteSessionId.isEmpty())
        properties.insert(QStringLiteral("remote-desktop-session-id"), remoteSessionId);
    const QString session = pathIn(callOn(bus, kCast, QStringLiteral("/org/gnome/Mutter/ScreenCast"), kCast,
        QStringLiteral("CreateSession"), {properties}));
    if (session.isEmpty())
        return {};
    // cursor-mode 0: the pointer is not drawn into the picture, so it never hides what a test looks at.
    const QString stream = pathIn(callOn(bus, kCast, session, kCastSession, QStringLiteral("RecordMonitor"),
        {QString(), QVariantMap {{QStringLiteral("cursor-mode"), QVariant::fromValue(uint(0))}}}));
    return {session, stream};
}

// Pulls one picture from a PipeWire node of the desktop's PipeWire.
QImage pullPicture(uint node)
{
    static const bool initialised = [] {
        gst_init(nullptr, nullptr);
        return true;
    }();
    (void)initialised;
    const QByteArray description
        = QStringLiteral("pipewiresrc path=%1 always-copy=true num-buffers=1 ! "
                         "videoconvert ! video/x-raw,format=BGRx ! appsink name=sink")
              .arg(node)
              .toUtf8();
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.constData(), &error);
    if (!pipeline) {
        g_clear_error(&error);
        return {};
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    QImage picture;
    if (GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND)) {
        GstVideoInfo info;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample))
            && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            picture
                = QImage(map.data, info.width, info.height, int(info.stride[0]), QImage::Format_RGB32).copy();
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return picture;
}

} // namespace

QString whyNoWaylandSession()
{
    if (qEnvironmentVariable("XDG_SESSION_TYPE") != QLatin1String("wayland")
        || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("not in a Wayland session: run it with scripts/wayland-test");
    if (!QDBusConnection::sessionBus().interface()->isServiceRegistered(kCast))
        return QStringLiteral(
            "the Wayland desktop is not mutter or GNOME Shell (no org.gnome.Mutter.ScreenCast)");
    return {};
}

QImage mutterScreen()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const CastSession cast = createCast(bus, {});
    if (cast.stream.isEmpty())
        return {};
    StreamNode node;
    const QString stream = QStringLiteral("org.gnome.Mutter.ScreenCast.Stream");
    const QString added = QStringLiteral("PipeWireStreamAdded");
    bus.connect(kCast, cast.stream, stream, added, &node, SLOT(added(uint)));
    callOn(bus, kCast, cast.path, kCastSession, QStringLiteral("Start"));
    waitFor([&] { return node.node != 0; }, 10000);
    const QImage picture = node.node != 0 ? pullPicture(node.node) : QImage();
    callOn(bus, kCast, cast.path, kCastSession, QStringLiteral("Stop"));
    bus.disconnect(kCast, cast.stream, stream, added, &node, SLOT(added(uint)));
    return picture;
}

QImage waitForScreen(const std::function<bool(const QImage&)>& seen, int timeoutMs)
{
    QImage last;
    const bool found = waitFor(
        [&] {
            last = mutterScreen();
            return !last.isNull() && seen(last);
        },
        timeoutMs);
    return found ? last : QImage();
}

MutterInput::MutterInput()
    : bus_(QDBusConnection::sessionBus())
{
    const QDBusMessage session = callOn(bus_, kRemote, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
        kRemote, QStringLiteral("CreateSession"));
    session_ = pathIn(session);
    if (session_.isEmpty()) {
        error_ = session.errorMessage();
        return;
    }
    const QString id
        = propertyOf(bus_, kRemote, session_, kRemoteSession, QStringLiteral("SessionId")).toString();
    // Absolute pointer positions are given on a stream of the monitor, linked to this session.
    const CastSession cast = createCast(bus_, id);
    castSession_ = cast.path;
    stream_ = cast.stream;
    if (stream_.isEmpty()) {
        error_ = QStringLiteral("no monitor stream for the pointer");
        return;
    }
    if (!call(QStringLiteral("Start"), {}))
        return;
    // The virtual keyboard appears with its first key; a lone Shift does nothing else.
    key(kShiftKeysym);
    ready_ = true;
}

MutterInput::~MutterInput()
{
    if (!session_.isEmpty())
        call(QStringLiteral("Stop"), {});
}

bool MutterInput::call(const QString& method, const QVariantList& arguments)
{
    const QDBusMessage reply = callOn(bus_, kRemote, session_, kRemoteSession, method, arguments);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        error_ = method + QStringLiteral(": ") + reply.errorMessage();
        return false;
    }
    return true;
}

void MutterInput::key(uint keysym)
{
    // mutter drops a release that follows its press too closely.
    call(QStringLiteral("NotifyKeyboardKeysym"), {keysym, true});
    QThread::msleep(40);
    call(QStringLiteral("NotifyKeyboardKeysym"), {keysym, false});
    QThread::msleep(40);
}

void MutterInput::moveTo(QPoint at)
{
    call(QStringLiteral("NotifyPointerMotionAbsolute"), {stream_, double(at.x()), double(at.y())});
    QThread::msleep(20);
}

void MutterInput::button(bool down)
{
    call(QStringLiteral("NotifyPointerButton"), {kLeftButton, down});
    QThread::msleep(40);
}

void MutterInput::click(QPoint at)
{
    moveTo(at);
    QThread::msleep(100);
    button(true);
    button(false);
}

void MutterInput::drag(const QList<QPoint>& points)
{
    if (points.isEmpty())
        return;
    moveTo(points.first());
    button(true);
    for (const QPoint& point : points)
        moveTo(point);
    button(false);
}

// The question on a 1920x1080 monitor: a dialog in the middle, the monitor's row under the "remember" box,
// and the Share button at the top right, greyed until a monitor is chosen.
const QPoint kMonitorRow(1100, 564), kShareButton(1140, 413), kDialogBody(960, 640);

bool shareQuestionShown(const QImage& screen, bool monitorChosen)
{
    if (!screen.rect().contains(kMonitorRow) || !screen.rect().contains(kShareButton))
        return false;
    // The Share button's colour tells only the chosen state: greyed, it looks different with and without
    // focus. The monitor's row is white, or light grey once chosen.
    const QRgb body = screen.pixel(kDialogBody), row = screen.pixel(kMonitorRow),
               share = screen.pixel(kShareButton);
    const bool shown = near(body, QColor(250, 250, 250), 6) && qRed(row) > 215 && qGreen(row) > 215;
    return shown && (!monitorChosen || (qBlue(share) > qRed(share) + 60 && qRed(share) < 110));
}

bool answerShareQuestion(MutterInput& input, int timeoutMs)
{
    if (waitForScreen([](const QImage& s) { return shareQuestionShown(s); }, timeoutMs).isNull())
        return false;
    // A dialog that came up without the focus may take the first click for the focus alone.
    for (int tries = 0; tries < 3; ++tries) {
        input.click(kMonitorRow);
        if (!waitForScreen([](const QImage& s) { return shareQuestionShown(s, true); }, 3000).isNull()) {
            input.click(kShareButton);
            return true;
        }
    }
    return false;
}

bool gnomeShellRuns()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QStringLiteral("org.gnome.Shell.Screenshot"));
}

bool leaveOverview(MutterInput& input)
{
    const QString shell = QStringLiteral("org.gnome.Shell");
    const auto inOverview = [&] {
        return propertyOf(QDBusConnection::sessionBus(), shell, QStringLiteral("/org/gnome/Shell"), shell,
            QStringLiteral("OverviewActive"))
            .toBool();
    };
    if (!inOverview())
        return true;
    constexpr uint kEscapeKeysym = 0xff1b;
    input.key(kEscapeKeysym);
    return waitFor([&] { return !inOverview(); }, 5000);
}

bool grantScreenshots()
{
    const QString store = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
    // A program outside a sandbox has the empty application id.
    const QDBusMessage reply = callOn(QDBusConnection::sessionBus(), store,
        QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"), store,
        QStringLiteral("SetPermission"),
        {QStringLiteral("screenshot"), true, QStringLiteral("screenshot"), QString(),
            QStringList {QStringLiteral("yes")}});
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString desktopProfileIn(const QString& home)
{
    return home + QStringLiteral("/.local/share/Quillmark/Desktop.ini");
}

NativeWindow::NativeWindow(const QColor& colour, QSize size, const QColor& middle)
    : colour_(colour)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // The system's Python: its GTK bindings come with the distribution.
    process_.start(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral(QM_SOURCE_DIR "/tests/wayland/native_window.py"), colour.name().mid(1),
            QString::number(size.width()), QString::number(size.height()),
            middle.isValid() ? middle.name().mid(1) : QString()});
}

NativeWindow::~NativeWindow()
{
    process_.kill();
    process_.waitForFinished(5000);
}

QRect NativeWindow::waitShown(int timeoutMs)
{
    QRect area;
    waitForScreen(
        [&](const QImage& screen) {
            area = areaOfColour(screen, colour_);
            return area.width() > 50 && area.height() > 50;
        },
        timeoutMs);
    return area.width() > 50 ? area : QRect();
}

QString NativeWindow::output()
{
    return QString::fromUtf8(process_.readAll());
}

bool near(QRgb pixel, const QColor& colour, int tolerance)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance
        && std::abs(qGreen(pixel) - colour.green()) <= tolerance
        && std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

QRect areaOfColour(const QImage& picture, const QColor& colour, int tolerance)
{
    QRect area;
    // Every fourth pixel is enough for windows of hundreds of pixels.
    for (int y = 0; y < picture.height(); y += 4) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); x += 4) {
            if (near(line[x], colour, tolerance))
                area |= QRect(x, y, 4, 4);
        }
    }
    return area;
}

} // namespace qmtest
