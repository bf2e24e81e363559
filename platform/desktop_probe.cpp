#include "platform/desktop_probe.h"

#include "platform/x11_desktop.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>

#include "platform/x11_connection.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <xcb/xcb.h>

namespace platform::desktop {

namespace {

Display* display()
{
    return x11::connection();
}

} // namespace

unsigned long windowAt(const QPoint& point)
{
    const QList<TopWindow> all = topLevelWindows();
    for (auto it = all.crbegin(); it != all.crend(); ++it)
        if (it->viewable && it->geometry.contains(point))
            return it->xid;
    return 0;
}

bool giveFocus(unsigned long xid)
{
    x11::ErrorTrap trap;
    Display* d = display();
    if (!d || !xid)
        return false;
    XSetInputFocus(d, xid, RevertToParent, CurrentTime);
    XFlush(d);
    return true;
}

bool pressChord(const QStringList& keysyms)
{
    Display* d = display();
    if (!d)
        return false;
    QList<KeyCode> codes;
    for (const QString& name : keysyms) {
        const KeySym sym = XStringToKeysym(name.toLatin1().constData());
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
        if (!code)
            return false;
        codes.append(code);
    }
    for (KeyCode c : codes)
        XTestFakeKeyEvent(d, c, True, CurrentTime);
    for (auto it = codes.crbegin(); it != codes.crend(); ++it)
        XTestFakeKeyEvent(d, *it, False, CurrentTime);
    XFlush(d);
    return true;
}

bool moveWindow(unsigned long xid, const QPoint& topLeft)
{
    x11::ErrorTrap trap;
    Display* d = display();
    if (!d || !xid)
        return false;
    XMoveWindow(d, xid, topLeft.x(), topLeft.y());
    XFlush(d);
    return true;
}

bool hideWindow(unsigned long xid)
{
    x11::ErrorTrap trap;
    Display* d = display();
    if (!d || !xid)
        return false;
    XWithdrawWindow(d, xid, DefaultScreen(d));
    XFlush(d);
    return true;
}

bool showWindow(unsigned long xid)
{
    x11::ErrorTrap trap;
    Display* d = display();
    if (!d || !xid)
        return false;
    XMapWindow(d, xid);
    XFlush(d);
    return true;
}

QRect windowGeometry(unsigned long xid)
{
    for (const TopWindow& t : topLevelWindows())
        if (t.xid == xid)
            return t.geometry;
    return {};
}

} // namespace platform::desktop

namespace platform::presentation {

const QList<ShowProgram>& showPrograms()
{
    static const QList<ShowProgram> programs = {
        {QStringLiteral("LibreOffice Impress"),
            {QStringLiteral("libreoffice-impress"), QStringLiteral("libreoffice"), QStringLiteral("soffice")},
            QStringLiteral("LibreOffice Impress")},
        {QStringLiteral("WPS Presentation"), {QStringLiteral("wpp")}, QStringLiteral("WPS Presentation")},
    };
    return programs;
}

namespace {

bool isShowProgramWindow(const desktop::TopWindow& w)
{
    for (const ShowProgram& p : showPrograms())
        for (const QString& cls : p.windowClasses)
            if (w.className.compare(cls, Qt::CaseInsensitive) == 0
                || w.instanceName.compare(cls, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

bool coversAScreen(const QRect& geometry)
{
    for (const QScreen* s : QGuiApplication::screens())
        if (geometry.contains(s->geometry()))
            return true;
    return false;
}

} // namespace

unsigned long findSlideShow()
{
    for (const desktop::TopWindow& w : desktop::topLevelWindows())
        if (w.viewable && isShowProgramWindow(w) && coversAScreen(w.geometry))
            return w.xid;
    return 0;
}

bool showInFront()
{
    const unsigned long active = desktop::activeWindow();
    if (!active)
        return false;
    for (const desktop::TopWindow& w : desktop::topLevelWindows()) {
        if (w.xid != active)
            continue;
        if (!w.viewable || !isShowProgramWindow(w))
            return false;
        for (const QScreen* s : QGuiApplication::screens())
            if (w.geometry == s->geometry())
                return true;
        return false;
    }
    return false;
}

QList<unsigned long> findPresentationWindows()
{
    QList<unsigned long> found;
    const QList<desktop::TopWindow> all = desktop::topLevelWindows();
    for (auto it = all.crbegin(); it != all.crend() && found.size() < 255; ++it) {
        if (!it->viewable)
            continue;
        for (const ShowProgram& p : showPrograms())
            if (it->title.endsWith(p.mainTitleSuffix) || it->title.startsWith(QStringLiteral("WPS"))) {
                found.append(it->xid);
                break;
            }
    }
    return found;
}

bool officeWindowPresent()
{
    for (const desktop::TopWindow& w : desktop::topLevelWindows()) {
        if (!w.viewable)
            continue;
        const QString cls = w.className.toLower();
        if (cls.startsWith(QStringLiteral("libreoffice")) || cls == QStringLiteral("soffice")
            || cls == QStringLiteral("wps") || cls == QStringLiteral("wpp"))
            return true;
    }
    return false;
}

} // namespace platform::presentation

namespace platform::hotkey {

namespace {

struct HotKey {
    unsigned int modifiers = 0;
    KeyCode code = 0;
    std::function<void()> callback;
};

QHash<int, HotKey>& hotKeys()
{
    static QHash<int, HotKey> keys;
    return keys;
}

// Key presses on the root window arrive at the application's own connection.
class HotKeyFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        const unsigned int state = key->state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
        for (const HotKey& h : hotKeys()) {
            if (h.code == key->detail && h.modifiers == state) {
                if (h.callback)
                    h.callback();
                return true;
            }
        }
        return false;
    }
};

Display* appDisplay()
{
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

unsigned int toX11(Qt::KeyboardModifiers m)
{
    unsigned int x = 0;
    if (m & Qt::ShiftModifier)
        x |= ShiftMask;
    if (m & Qt::ControlModifier)
        x |= ControlMask;
    if (m & Qt::AltModifier)
        x |= Mod1Mask;
    if (m & Qt::MetaModifier)
        x |= Mod4Mask;
    return x;
}

bool g_grabFailed = false;
int onGrabError(Display*, XErrorEvent* e)
{
    if (e->error_code == BadAccess)
        g_grabFailed = true;
    return 0;
}

} // namespace

bool RegisterHotKey(
    int id, Qt::KeyboardModifiers modifiers, const QString& keysym, std::function<void()> callback)
{
    Display* d = appDisplay();
    if (!d)
        return false;
    static HotKeyFilter* filter = [] {
        auto* f = new HotKeyFilter;
        QCoreApplication::instance()->installNativeEventFilter(f);
        return f;
    }();
    (void)filter;
    const KeySym sym = XStringToKeysym(keysym.toLatin1().constData());
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (!code)
        return false;
    const unsigned int mods = toX11(modifiers);
    g_grabFailed = false;
    XSync(d, False);
    auto previous = XSetErrorHandler(onGrabError);
    // With and without Caps Lock and Num Lock, or the key would only work with both off.
    for (unsigned int extra : {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)})
        XGrabKey(d, code, mods | extra, DefaultRootWindow(d), True, GrabModeAsync, GrabModeAsync);
    XSync(d, False);
    XSetErrorHandler(previous);
    if (g_grabFailed)
        return false;
    hotKeys().insert(id, HotKey {mods, code, std::move(callback)});
    return true;
}

void UnregisterHotKey(int id)
{
    Display* d = appDisplay();
    auto it = hotKeys().find(id);
    if (it == hotKeys().end())
        return;
    if (d) {
        for (unsigned int extra : {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)})
            XUngrabKey(d, it->code, it->modifiers | extra, DefaultRootWindow(d));
        XFlush(d);
    }
    hotKeys().erase(it);
}

} // namespace platform::hotkey
