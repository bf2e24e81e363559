#include "platform/x11_messages.h"


#include "platform/messages.h"
#include "platform/x11_desktop.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>

#include "platform/x11_connection.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xproto.h>

#include <poll.h>

#include <cstdio>
#include <deque>

namespace platform::x11 {

namespace {

// A receiver that does not take copy data within this time is taken to refuse it.
constexpr int kCopyDataWaitMs = 5000;
// One turn of the event loop handles at most this many foreign messages, or this much of their time, so that
// paint, input and timers run between the turns of a flood.
constexpr int kBatchMessages = 500;
constexpr int kBatchMs = 5;

// qmsend runs on a QCoreApplication, which qGuiApp would wrongly cast.
QGuiApplication* guiApp()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

Display* display()
{
    return connection();
}

Atom atom(const char* name)
{
    static QHash<QByteArray, Atom> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, XInternAtom(display(), name, False));
    return it.value();
}

XEvent clientMessage(Window target, const std::uint32_t (&data)[5])
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atom("QM_WINDOW_MESSAGE");
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = long(data[i]);
    return event;
}

// An unmapped window of this process that holds outgoing copy data; being unmapped, no search finds it.
Window senderWindow()
{
    static Window window = [] {
        Display* d = display();
        XSetWindowAttributes attributes {};
        attributes.event_mask = PropertyChangeMask;
        attributes.override_redirect = True;
        return XCreateWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
            CopyFromParent, CWEventMask | CWOverrideRedirect, &attributes);
    }();
    return window;
}

bool waitForDeletion(Window window, Atom property, int timeoutMs)
{
    Display* d = display();
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        while (XPending(d) > 0) {
            XEvent event;
            XNextEvent(d, &event);
            if (event.type == PropertyNotify && event.xproperty.window == window
                && event.xproperty.atom == property && event.xproperty.state == PropertyDelete)
                return true;
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        pollfd fd {ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, int(left));
    }
}

// Takes the text a sender left on its window. The property is deleted whatever it holds, so that the sender
// stops waiting; only well-formed text within the limit is handed on.
bool takeCopyData(Window sender, Atom property, QString* text)
{
    if (property != atom("QM_COPYDATA"))
        return false;
    Display* d = display();
    ErrorTrap trap;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(d, sender, property, 0, kMaxCopyDataBytes / 4 + 1, False,
        AnyPropertyType, &type, &format, &count, &after, &data);
    const bool ok = status == Success && !trap.failed() && type == atom("UTF8_STRING") && format == 8
        && after == 0 && count <= static_cast<unsigned long>(kMaxCopyDataBytes);
    if (ok)
        *text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(count));
    if (data)
        XFree(data);
    if (status == Success && type != 0)
        XDeleteProperty(d, sender, property);
    return ok;
}

struct Pending {
    std::uint32_t window = 0;
    std::uint32_t data[5] = {};
};

void deliver(const Pending& message)
{
    MessageTable* table = tableForWindow(message.window);
    if (!table)
        return;
    const std::uint32_t flags = message.data[3];
    const WPARAM wParam = message.data[1];
    if (flags & kCopyDataFlag) {
        QString text;
        if (message.data[0] == WM_COPYDATA && takeCopyData(message.data[4], message.data[2], &text))
            table->dispatchCopyData(wParam, text);
        return;
    }
    // Parameters are 32-bit on the wire, as on the platform the system was made for: lParam is signed.
    const LPARAM lParam = std::int32_t(message.data[2]);
    table->dispatchForeign(message.data[0], wParam, lParam, (flags & kRegisteredFlag) != 0);
}

// Takes client messages off Qt's event stream and hands them to the UI thread in posted batches: a handler
// may open a modal loop, which must not run inside the native event filter.
class Receiver : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->type != messageAtom || client->format != 32)
            return false;
        Pending pending;
        pending.window = client->window;
        for (int i = 0; i < 5; ++i)
            pending.data[i] = client->data.data32[i];
        enqueue(pending);
        return true;
    }

    std::uint32_t messageAtom = 0;

private:
    void enqueue(const Pending& message)
    {
        if (queue_.size() >= size_t(kMaxPending)) {
            if (!warned_)
                std::fprintf(stderr,
                    "qmplatform: more than %d window messages from other processes pending; "
                    "dropping the rest\n",
                    kMaxPending);
            warned_ = true;
            return;
        }
        queue_.push_back(message);
        schedule();
    }

    void schedule()
    {
        if (scheduled_ || !QCoreApplication::instance())
            return;
        scheduled_ = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [this] { drain(); }, Qt::QueuedConnection);
    }

    void drain()
    {
        scheduled_ = false;
        QElapsedTimer clock;
        clock.start();
        for (int handled = 0; !queue_.empty(); ++handled) {
            if (handled >= kBatchMessages || clock.elapsed() >= kBatchMs) {
                schedule();
                return;
            }
            const Pending message = queue_.front();
            queue_.pop_front();
            deliver(message);
        }
        warned_ = false;
    }

    std::deque<Pending> queue_;
    bool scheduled_ = false;
    bool warned_ = false;
};

Receiver& receiver()
{
    static Receiver r;
    return r;
}

} // namespace

bool available()
{
    return display() != nullptr;
}

UINT internAtom(const QString& name)
{
    return display() ? UINT(XInternAtom(display(), name.toUtf8().constData(), False)) : 0;
}

bool sendMessage(unsigned long target, UINT message, WPARAM wParam, LPARAM lParam, bool registered)
{
    Display* d = display();
    if (!d || target == 0)
        return false;
    const std::uint32_t data[5]
        = {message, std::uint32_t(wParam), std::uint32_t(lParam), registered ? kRegisteredFlag : 0u, 0};
    XEvent event = clientMessage(target, data);
    ErrorTrap trap;
    XSendEvent(d, target, False, NoEventMask, &event);
    return !trap.failed();
}

LRESULT sendCopyData(unsigned long target, WPARAM wParam, const QByteArray& utf8)
{
    Display* d = display();
    if (!d || target == 0 || utf8.size() > kMaxCopyDataBytes)
        return 0;
    const Window sender = senderWindow();
    const Atom property = atom("QM_COPYDATA");
    ErrorTrap trap;
    XChangeProperty(d, sender, property, atom("UTF8_STRING"), 8, PropModeReplace,
        reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()));
    const std::uint32_t data[5]
        = {WM_COPYDATA, std::uint32_t(wParam), std::uint32_t(property), kCopyDataFlag, std::uint32_t(sender)};
    XEvent event = clientMessage(target, data);
    XSendEvent(d, target, False, NoEventMask, &event);
    const bool taken = !trap.failed() && waitForDeletion(sender, property, kCopyDataWaitMs);
    // Text that was not taken must not reach the window late, in place of the next one.
    if (!taken)
        XDeleteProperty(d, sender, property);
    return taken ? 1 : 0;
}

void publishClass(unsigned long xid, const QString& className)
{
    Display* d = display();
    if (!d || xid == 0)
        return;
    const QByteArray utf8 = className.toUtf8();
    ErrorTrap trap;
    XChangeProperty(d, xid, atom("QM_WINDOW_CLASS"), atom("UTF8_STRING"), 8, PropModeReplace,
        reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()));
}

void publishOtherTitles(unsigned long xid, const QStringList& titles)
{
    Display* d = display();
    if (!d || xid == 0)
        return;
    ErrorTrap trap;
    if (titles.isEmpty()) {
        XDeleteProperty(d, xid, atom("QM_WINDOW_TITLES"));
        return;
    }
    // One title a line: a window title never holds a line break.
    const QByteArray utf8 = titles.join(QLatin1Char('\n')).toUtf8();
    XChangeProperty(d, xid, atom("QM_WINDOW_TITLES"), atom("UTF8_STRING"), 8, PropModeReplace,
        reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()));
}

void ensureReceiver()
{
    static QPointer<QCoreApplication> installedOn;
    QCoreApplication* app = QCoreApplication::instance();
    if (!guiApp() || QGuiApplication::platformName() != QLatin1String("xcb") || installedOn == app
        || !display())
        return;
    receiver().messageAtom = std::uint32_t(atom("QM_WINDOW_MESSAGE"));
    app->installNativeEventFilter(&receiver());
    installedOn = app;
}

unsigned long findDesktopWindow(const QString& className, const QString& title)
{
    if (!display())
        return 0;
    ErrorTrap trap;
    return desktop::findAnyWindow(title, className);
}

bool windowExists(unsigned long xid)
{
    if (!display())
        return false;
    ErrorTrap trap;
    XWindowAttributes attributes;
    return XGetWindowAttributes(display(), xid, &attributes) != 0 && !trap.failed();
}

bool windowViewable(unsigned long xid)
{
    if (!display())
        return false;
    ErrorTrap trap;
    XWindowAttributes attributes;
    return XGetWindowAttributes(display(), xid, &attributes) != 0 && !trap.failed()
        && attributes.map_state == IsViewable;
}

} // namespace platform::x11
