#include "platform/x11_desktop.h"

#include "platform/x11_connection.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace platform::desktop {

namespace {

Display* display()
{
    return x11::connection();
}

Atom atom(const char* name)
{
    return XInternAtom(display(), name, False);
}

QString utf8Property(Window w, const char* name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QString text;
    if (XGetWindowProperty(display(), w, atom(name), 0, 1024, False, atom("UTF8_STRING"), &type, &format,
            &count, &after, &data)
            == Success
        && data && count > 0) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
    }
    if (data)
        XFree(data);
    return text;
}

QString windowTitle(Window w)
{
    Display* d = display();
    QString title = utf8Property(w, "_NET_WM_NAME");
    if (title.isEmpty()) {
        char* name = nullptr;
        if (XFetchName(d, w, &name) && name) {
            title = QString::fromLocal8Bit(name);
            XFree(name);
        }
    }
    return title;
}

bool hasWmState(Window w)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display(), w, atom("WM_STATE"), 0, 2, False, AnyPropertyType, &type,
                           &format, &count, &after, &data)
            == Success
        && type != None;
    if (data)
        XFree(data);
    return found;
}

int cardinalProperty(Window w, const char* name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int value = -1;
    if (XGetWindowProperty(
            display(), w, atom(name), 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            == Success
        && data && count == 1 && format == 32)
        value = int(*reinterpret_cast<const long*>(data));
    if (data)
        XFree(data);
    return value;
}

void collect(Window parent, int depth, QList<TopWindow>& out)
{
    Display* d = display();
    Window root = 0, par = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, parent, &root, &par, &children, &n))
        return;
    for (unsigned int i = 0; i < n; ++i) {
        const Window w = children[i];
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(d, w, &attrs))
            continue;
        // A client window carries WM_STATE; a window manager frame holds it one or two levels down. A window
        // its program has hidden (withdrawn) is back on the root without WM_STATE, and still counts.
        const bool withdrawn = depth == 0 && attrs.map_state == IsUnmapped && attrs.c_class == InputOutput;
        if (hasWmState(w) || (depth == 0 && attrs.override_redirect) || withdrawn) {
            TopWindow t;
            t.xid = w;
            t.title = windowTitle(w);
            XClassHint hint {};
            if (XGetClassHint(d, w, &hint)) {
                t.instanceName = QString::fromLocal8Bit(hint.res_name ? hint.res_name : "");
                t.className = QString::fromLocal8Bit(hint.res_class ? hint.res_class : "");
                if (hint.res_name)
                    XFree(hint.res_name);
                if (hint.res_class)
                    XFree(hint.res_class);
            }
            t.windowClass = utf8Property(w, "QM_WINDOW_CLASS");
            const QString others = utf8Property(w, "QM_WINDOW_TITLES");
            if (!others.isEmpty())
                t.otherTitles = others.split(QLatin1Char('\n'));
            t.viewable = attrs.map_state == IsViewable;
            t.inputOutput = attrs.c_class == InputOutput;
            t.overrideRedirect = attrs.override_redirect;
            t.stackLayer = cardinalProperty(w, "_QM_STACK_LAYER");
            int x = 0, y = 0;
            Window child = 0;
            XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
            t.geometry = QRect(x, y, attrs.width, attrs.height);
            out.append(t);
        } else if (depth < 3) {
            collect(w, depth + 1, out);
        }
    }
    if (children)
        XFree(children);
}

} // namespace

bool available()
{
    return display() != nullptr;
}

QList<TopWindow> topLevelWindows()
{
    x11::ErrorTrap trap;
    QList<TopWindow> out;
    if (display())
        collect(DefaultRootWindow(display()), 0, out);
    return out;
}

namespace {
bool matches(const TopWindow& t, const QString& title, const QString& className)
{
    if (!title.isNull() && t.title != title && !t.otherTitles.contains(title))
        return false;
    return className.isNull() || t.className.compare(className, Qt::CaseInsensitive) == 0
        || t.instanceName.compare(className, Qt::CaseInsensitive) == 0
        || t.windowClass.compare(className, Qt::CaseInsensitive) == 0;
}
} // namespace

unsigned long findWindow(const QString& title, const QString& className)
{
    const QList<TopWindow> all = topLevelWindows();
    for (auto it = all.crbegin(); it != all.crend(); ++it)
        if (it->viewable && matches(*it, title, className))
            return it->xid;
    return 0;
}

unsigned long findAnyWindow(const QString& title, const QString& className)
{
    const QList<TopWindow> all = topLevelWindows();
    unsigned long hidden = 0;
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (!matches(*it, title, className))
            continue;
        if (it->viewable)
            return it->xid;
        if (!hidden)
            hidden = it->xid;
    }
    return hidden;
}

bool windowExists(unsigned long xid)
{
    for (const TopWindow& t : topLevelWindows())
        if (t.xid == xid)
            return true;
    return false;
}

// A 32-bit client message about window, sent to target with the event mask given.
static bool sendClientMessage(Window target, Window window, const char* type, long l0, long mask)
{
    Display* d = display();
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(type);
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = CurrentTime;
    return XSendEvent(d, target, False, mask, &event) != 0;
}

bool requestClose(unsigned long xid)
{
    x11::ErrorTrap trap;
    Display* d = display();
    if (!d || !xid)
        return false;
    const bool ok = sendClientMessage(xid, xid, "WM_PROTOCOLS", long(atom("WM_DELETE_WINDOW")), NoEventMask);
    XFlush(d);
    return ok;
}

bool activate(unsigned long xid)
{
    x11::ErrorTrap trap;
    Display* d = display();
    if (!d || !xid)
        return false;
    // As a pager asks (source 2), which the window manager obeys at once.
    sendClientMessage(DefaultRootWindow(d), xid, "_NET_ACTIVE_WINDOW", 2,
        SubstructureRedirectMask | SubstructureNotifyMask);
    XRaiseWindow(d, xid);
    XSetInputFocus(d, xid, RevertToParent, CurrentTime);
    XSync(d, False);
    return true;
}

unsigned long activeWindow()
{
    x11::ErrorTrap trap;
    Display* d = display();
    if (!d)
        return 0;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    unsigned long active = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), atom("_NET_ACTIVE_WINDOW"), 0, 1, False, XA_WINDOW, &type,
            &format, &count, &after, &data)
            == Success
        && data && count == 1 && format == 32)
        active = reinterpret_cast<unsigned long*>(data)[0];
    if (data)
        XFree(data);
    if (!active) {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(d, &focus, &revert);
        if (focus != PointerRoot && focus != None)
            active = focus;
    }
    return active;
}

bool pressKey(const QString& keysym)
{
    Display* d = display();
    if (!d)
        return false;
    const KeySym sym = XStringToKeysym(keysym.toLatin1().constData());
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (!code)
        return false;
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
    return true;
}

bool moveMouse(int x, int y)
{
    Display* d = display();
    if (!d)
        return false;
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XFlush(d);
    return true;
}

bool mouseButton(int button, bool press)
{
    Display* d = display();
    if (!d)
        return false;
    XTestFakeButtonEvent(d, unsigned(button), press ? True : False, CurrentTime);
    XFlush(d);
    return true;
}

void flush()
{
    if (display())
        XSync(display(), False);
}

} // namespace platform::desktop
