// Drops one file on the window under a point with XDND, as a file manager does: it owns the drag's selection,
// offers text/uri-list, announces itself, moves to the point, drops and answers the target's request for the
// data. Written on Xlib alone, so that the target's side is the only toolkit in the exchange.
// Usage: qm_xdnd_source FILE X Y   (X, Y on the root window). Prints "dropped" or "ignored".
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sys/select.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Atoms {
    Atom aware, enter, position, status, drop, finished, selection, actionCopy, uriList;
    explicit Atoms(Display* d)
        : aware(XInternAtom(d, "XdndAware", False))
        , enter(XInternAtom(d, "XdndEnter", False))
        , position(XInternAtom(d, "XdndPosition", False))
        , status(XInternAtom(d, "XdndStatus", False))
        , drop(XInternAtom(d, "XdndDrop", False))
        , finished(XInternAtom(d, "XdndFinished", False))
        , selection(XInternAtom(d, "XdndSelection", False))
        , actionCopy(XInternAtom(d, "XdndActionCopy", False))
        , uriList(XInternAtom(d, "text/uri-list", False))
    {
    }
};

// The XDND version a window speaks, or 0 when it takes no drops.
long awareVersion(Display* d, Window w, const Atoms& atoms)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long version = 0;
    if (XGetWindowProperty(d, w, atoms.aware, 0, 1, False, XA_ATOM, &type, &format, &count, &after, &data)
            == Success
        && type == XA_ATOM && count == 1)
        version = long(reinterpret_cast<Atom*>(data)[0]);
    if (data)
        XFree(data);
    return version;
}

// The deepest window under the point that takes drops, searching down from the root.
Window dropTarget(Display* d, int x, int y, const Atoms& atoms, long& version)
{
    const Window root = DefaultRootWindow(d);
    Window at = root;
    for (int depth = 0; depth < 16; ++depth) {
        int cx = 0, cy = 0;
        Window child = None;
        if (!XTranslateCoordinates(d, root, at, x, y, &cx, &cy, &child) || child == None)
            break;
        at = child;
        if ((version = awareVersion(d, at, atoms)) > 0)
            return at;
    }
    version = 0;
    return None;
}

void sendClient(Display* d, Window to, Atom type, long l0, long l1, long l2, long l3, long l4)
{
    XEvent e {};
    e.xclient.type = ClientMessage;
    e.xclient.display = d;
    e.xclient.window = to;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d, to, False, NoEventMask, &e);
    XFlush(d);
}

// A server time for the selection: a property change on our own window reports it.
Time serverTime(Display* d, Window w)
{
    const Atom stamp = XInternAtom(d, "QM_TIME_STAMP", False);
    XChangeProperty(d, w, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent e;
    XWindowEvent(d, w, PropertyChangeMask, &e);
    return e.xproperty.time;
}

std::string fileUri(const char* path)
{
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(path); *c; ++c) {
        if (std::isalnum(*c) || std::strchr("/-_.~", *c)) {
            uri += char(*c);
        } else {
            uri += '%';
            uri += hex[*c >> 4];
            uri += hex[*c & 15];
        }
    }
    return uri + "\r\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return 3;
    const Atoms atoms(d);
    const std::string uri = fileUri(argv[1]);
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);

    XSetWindowAttributes attributes {};
    attributes.override_redirect = True;
    attributes.event_mask = PropertyChangeMask;
    const Window source = XCreateWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
        CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    const Time time = serverTime(d, source);
    XSetSelectionOwner(d, atoms.selection, source, time);

    long version = 0;
    const Window target = dropTarget(d, x, y, atoms, version);
    if (target == None) {
        std::puts("ignored");
        return 0;
    }
    version = std::min(version, 5L);
    sendClient(d, target, atoms.enter, long(source), version << 24, long(atoms.uriList), 0, 0);
    sendClient(d, target, atoms.position, long(source), 0, (long(x) << 16) | long(y), long(time),
        long(atoms.actionCopy));

    enum class Stage { Moving, Dropped, Done } stage = Stage::Moving;
    bool accepted = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const int fd = ConnectionNumber(d);
    while (stage != Stage::Done && std::chrono::steady_clock::now() < deadline) {
        if (!XPending(d)) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(fd, &readable);
            timeval wait {0, 100000};
            select(fd + 1, &readable, nullptr, nullptr, &wait);
            continue;
        }
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == ClientMessage && e.xclient.message_type == atoms.status && stage == Stage::Moving) {
            accepted = e.xclient.data.l[1] & 1;
            if (!accepted)
                break;
            sendClient(d, target, atoms.drop, long(source), 0, long(time), 0, 0);
            stage = Stage::Dropped;
        } else if (e.type == ClientMessage && e.xclient.message_type == atoms.finished) {
            // Before version 5 a finish says nothing of its outcome.
            accepted = version < 5 || (e.xclient.data.l[1] & 1);
            stage = Stage::Done;
        } else if (e.type == SelectionRequest) {
            const XSelectionRequestEvent& request = e.xselectionrequest;
            XEvent reply {};
            reply.xselection.type = SelectionNotify;
            reply.xselection.display = d;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = None;
            if (request.target == atoms.uriList) {
                const Atom property = request.property != None ? request.property : request.target;
                XChangeProperty(d, request.requestor, property, atoms.uriList, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(uri.data()), int(uri.size()));
                reply.xselection.property = property;
            }
            XSendEvent(d, request.requestor, False, NoEventMask, &reply);
            XFlush(d);
        }
    }
    std::puts(stage == Stage::Done && accepted ? "dropped" : "ignored");
    std::fflush(stdout);
    XDestroyWindow(d, source);
    XCloseDisplay(d);
    return 0;
}
