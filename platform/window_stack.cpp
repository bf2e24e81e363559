#include "platform/window_stack.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

// Xlib last: its macros (Bool, Status, None) break Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {

namespace {

using stacking::Layer;

const char* const kLayerProperty = "qmStackLayer";
// A window manager that keeps restacking against the rule is answered at most this often.
constexpr int kBurstLimit = 20;
constexpr int kBackOffMs = 500;
// The window manager is asked to raise one of its windows at most this often.
constexpr qint64 kRaiseIntervalMs = 1500;

// Catches the X errors of this connection's calls: a window of another program can vanish at any moment.
class Trap {
public:
    explicit Trap(Display* d)
        : d_(d)
    {
        XSync(d_, False);
        failed_ = false;
        previous_ = XSetErrorHandler(&Trap::record);
    }
    ~Trap()
    {
        XSync(d_, False);
        XSetErrorHandler(previous_);
    }
    Trap(const Trap&) = delete;
    Trap& operator=(const Trap&) = delete;

private:
    static int record(Display*, XErrorEvent*)
    {
        failed_ = true;
        return 0;
    }
    Display* d_;
    XErrorHandler previous_ = nullptr;
    static inline bool failed_ = false;
};

Display* openOwnConnection()
{
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return nullptr;
    return XOpenDisplay(DisplayString(x11->display()));
}

// A connection of the owner's own: the root's events it asks for are read here and nowhere else.
Display* ownConnection()
{
    static Display* d = openOwnConnection();
    return d;
}

struct Unit {
    unsigned long client = 0;
    unsigned long top = 0; // the root's child: the window itself, or its frame
    Layer layer = Layer::Other;
};

class Owner : public QObject {
public:
    static Owner*& instance()
    {
        static Owner* owner = nullptr;
        return owner;
    }

    explicit Owner(Display* d)
        : QObject(qApp)
        , d_(d)
        , root_(DefaultRootWindow(d))
        , layerAtom_(XInternAtom(d, kStackLayerProperty, False))
    {
        clock_.start();
        check_.setSingleShot(true);
        connect(&check_, &QTimer::timeout, this, [this] { restack(); });
        // The root's children tell every map, unmap and restack, whoever made it.
        XSelectInput(d_, root_, SubstructureNotifyMask);
        XFlush(d_);
        auto* notifier = new QSocketNotifier(ConnectionNumber(d_), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { readEvents(); });
        qApp->installEventFilter(this);
    }

    void addOutsideAid(unsigned long xid)
    {
        if (xid && !outsideAids_.contains(xid))
            outsideAids_.append(xid);
        schedule(0);
    }

    void schedule(int ms)
    {
        if (!check_.isActive() || check_.remainingTime() > ms)
            check_.start(ms);
    }

    void restack();
    void pause(bool paused)
    {
        hiding_ += paused ? 1 : -1;
        if (!paused)
            restack();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readEvents()
    {
        bool changed = false;
        while (XPending(d_) > 0) {
            XEvent event;
            XNextEvent(d_, &event);
            changed = true;
        }
        if (changed)
            schedule(10);
    }
    unsigned long topOf(unsigned long window) const;
    QList<Unit> units();
    std::vector<stacking::Window> stackOf(const QList<Unit>& units);
    void apply(const stacking::Plan& plan, const QList<Unit>& units);
    void mark(unsigned long client, Layer layer);
    void prepareDialog(QWidget* dialog);
    void keepAbove(unsigned long client);

    Display* d_;
    Window root_;
    Atom layerAtom_;
    QTimer check_;
    QList<unsigned long> outsideAids_;
    QHash<unsigned long, int> marked_;
    QHash<unsigned long, qint64> raisedAt_;
    QElapsedTimer clock_;
    qint64 burstStart_ = 0;
    int burst_ = 0;
    int hiding_ = 0;
};

// The dialog inside the available area of its screen, so that its buttons can be reached.
void fitOnScreen(QWidget* dialog)
{
    QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = dialog->frameGeometry();
    QPoint at = frame.topLeft();
    if (frame.right() > area.right())
        at.setX(area.right() - frame.width() + 1);
    if (frame.bottom() > area.bottom())
        at.setY(area.bottom() - frame.height() + 1);
    at.setX(qMax(at.x(), area.left()));
    at.setY(qMax(at.y(), area.top()));
    if (at != frame.topLeft())
        dialog->move(dialog->pos() + (at - frame.topLeft()));
}

unsigned long Owner::topOf(unsigned long window) const
{
    for (int depth = 0; depth < 8; ++depth) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d_, window, &rootReturn, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == rootReturn || parent == 0)
            return window;
        window = parent;
    }
    return window;
}

void Owner::mark(unsigned long client, Layer layer)
{
    if (marked_.value(client, -1) == int(layer))
        return;
    marked_.insert(client, int(layer));
    const long value = long(layer);
    XChangeProperty(d_, client, layerAtom_, XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<const unsigned char*>(&value), 1);
}

QList<Unit> Owner::units()
{
    QList<Unit> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !w->testAttribute(Qt::WA_WState_Created) || !w->internalWinId())
            continue;
        const Layer layer = StackLayerOf(w);
        if (layer == Layer::Other)
            continue;
        const unsigned long client = w->internalWinId();
        mark(client, layer);
        if (const unsigned long top = topOf(client))
            found.append({client, top, layer});
    }
    for (auto it = outsideAids_.begin(); it != outsideAids_.end();) {
        const unsigned long top = topOf(*it);
        if (!top) {
            it = outsideAids_.erase(it);
            continue;
        }
        found.append({*it, top, Layer::Aid});
        ++it;
    }
    return found;
}

std::vector<stacking::Window> Owner::stackOf(const QList<Unit>& units)
{
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d_, root_, &rootReturn, &parent, &children, &count))
        return {};
    std::vector<stacking::Window> stack(count);
    QHash<unsigned long, Layer> layers;
    for (const Unit& u : units)
        layers.insert(u.top, u.layer);
    XWindowAttributes rootAttributes {};
    XGetWindowAttributes(d_, root_, &rootAttributes);
    const QRect screen(0, 0, rootAttributes.width, rootAttributes.height);
    // A window counts where it can be seen: window managers keep mapped windows of their own off the screen.
    auto describe = [this, screen](stacking::Window& w) {
        XWindowAttributes a {};
        if (!XGetWindowAttributes(d_, w.id, &a)) {
            w.viewable = false;
            return;
        }
        w.viewable = a.map_state == IsViewable && a.c_class == InputOutput
            && screen.intersects(QRect(a.x, a.y, a.width, a.height));
        w.movable = a.override_redirect;
    };
    // Only what lies above the lowest shown window of ours can break the rule.
    size_t lowest = count;
    for (size_t i = count; i-- > 0;) {
        stack[i].id = children[i];
        stack[i].viewable = false;
        if (!layers.contains(children[i]))
            continue;
        stack[i].layer = layers.value(children[i]);
        describe(stack[i]);
        if (stack[i].viewable)
            lowest = i;
    }
    for (size_t i = lowest + 1; i < count; ++i)
        if (stack[i].layer == Layer::Other)
            describe(stack[i]);
    if (children)
        XFree(children);
    return stack;
}

void Owner::apply(const stacking::Plan& plan, const QList<Unit>& units)
{
    for (const stacking::Move& move : plan.moves) {
        if (!move.sibling) {
            XRaiseWindow(d_, move.window);
            continue;
        }
        XWindowChanges changes {};
        changes.sibling = move.sibling;
        changes.stack_mode = Below;
        XConfigureWindow(d_, move.window, CWSibling | CWStackMode, &changes);
    }
    // A managed window is raised by its window manager, which hears the request for its client window.
    const qint64 now = clock_.elapsed();
    for (unsigned long top : plan.raise) {
        for (const Unit& u : units) {
            if (u.top != top)
                continue;
            if (raisedAt_.contains(u.client) && now - raisedAt_.value(u.client) < kRaiseIntervalMs)
                break;
            raisedAt_.insert(u.client, now);
            XRaiseWindow(d_, u.client);
            break;
        }
    }
}

void Owner::restack()
{
    if (hiding_)
        return;
    const qint64 now = clock_.elapsed();
    if (now - burstStart_ > 1000) {
        burstStart_ = now;
        burst_ = 0;
    }
    Trap trap(d_);
    const QList<Unit> found = units();
    if (found.isEmpty())
        return;
    const stacking::Plan plan = stacking::planFor(stackOf(found));
    if (plan.empty()) {
        QTimer::singleShot(0, this, [this] { readEvents(); });
        return;
    }
    if (++burst_ > kBurstLimit) {
        schedule(kBackOffMs);
        return;
    }
    apply(plan, found);
    XFlush(d_);
    // The calls above may have read the root's events into the queue, where the socket never tells of them.
    QTimer::singleShot(0, this, [this] { readEvents(); });
}

void Owner::keepAbove(unsigned long client)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = client;
    event.xclient.message_type = XInternAtom(d_, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1; // add
    event.xclient.data.l[1] = long(XInternAtom(d_, "_NET_WM_STATE_ABOVE", False));
    event.xclient.data.l[3] = 1; // asked for by an application
    XSendEvent(d_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void Owner::prepareDialog(QWidget* dialog)
{
    // The window manager frames and places the dialog a moment after it is mapped.
    QPointer<QWidget> guarded(dialog);
    for (int delay : {0, 60, 200})
        QTimer::singleShot(delay, this, [this, guarded, delay] {
            if (!guarded || !guarded->isVisible())
                return;
            fitOnScreen(guarded);
            if (delay == 60 && guarded->internalWinId()) {
                // Above every other program's window, where the window manager keeps a layer for that
                // (telling Qt so instead would make the window anew).
                Trap trap(d_);
                keepAbove(guarded->internalWinId());
            }
            if (delay > 0 && !guarded->isActiveWindow())
                guarded->activateWindow();
            restack();
        });
}

bool Owner::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::WinIdChange)
        return false;
    if (!watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow())
        return false;
    if (type == QEvent::Show && StackLayerOf(w) == Layer::Dialog)
        prepareDialog(w);
    if (type != QEvent::Show && w->internalWinId())
        marked_.remove(w->internalWinId());
    schedule(0);
    return false;
}

// Takes the program's windows off the screen. Those outside the window manager's reach are unmapped behind
// Qt's back, so that nothing of theirs changes; one the window manager frames is hidden through Qt, since
// unmapping it would hand it back to the window manager as withdrawn. A dialog waiting for an answer stays:
// hiding it would end its question.
QList<unsigned long> unmapProgramWindows(Display* d, QList<QPointer<QWidget>>* withdrawn)
{
    QList<unsigned long> hidden;
    Trap trap(d);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        // A menu holds the pointer while it is open; it is never open when a picture is taken.
        if (!w->isVisible() || !w->internalWinId() || w->windowType() == Qt::Popup)
            continue;
        XWindowAttributes a {};
        const unsigned long id = w->internalWinId();
        if (!XGetWindowAttributes(d, id, &a) || a.map_state != IsViewable)
            continue;
        if (a.override_redirect) {
            XUnmapWindow(d, id);
            hidden.append(id);
        } else if (!w->isModal() && w != QApplication::activeModalWidget()) {
            w->hide();
            withdrawn->append(w);
        }
    }
    return hidden;
}

void mapWindows(Display* d, const QList<unsigned long>& windows)
{
    Trap trap(d);
    for (unsigned long id : windows)
        XMapWindow(d, id);
}

} // namespace

void SetStackLayer(QWidget* window, StackLayer layer)
{
    if (!window)
        return;
    window->setProperty(kLayerProperty, int(layer));
    if (Owner* owner = Owner::instance())
        owner->schedule(0);
}

StackLayer StackLayerOf(const QWidget* window)
{
    const QVariant layer = window->property(kLayerProperty);
    if (layer.isValid())
        return StackLayer(layer.toInt());
    const Qt::WindowType type = window->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip)
        return Layer::Menu;
    if (window->windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
        return Layer::Panel;
    if (qobject_cast<const QDialog*>(window))
        return Layer::Dialog;
    return Layer::Other;
}

void AddOutsideAid(const WindowRef& window)
{
    if (window.widget) {
        SetStackLayer(window.widget->window(), Layer::Aid);
        return;
    }
    if (Owner* owner = Owner::instance())
        owner->addOutsideAid(window.xid);
}

void StartWindowStack()
{
    if (Owner::instance() || !qobject_cast<QApplication*>(QCoreApplication::instance())
        || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    if (Display* d = ownConnection())
        Owner::instance() = new Owner(d);
}

void RestackWindows()
{
    if (Owner* owner = Owner::instance())
        owner->restack();
}

ProgramWindowsHidden::ProgramWindowsHidden()
{
    Display* d = ownConnection();
    if (!d || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (Owner* owner = Owner::instance())
        owner->pause(true);
    hidden_ = unmapProgramWindows(d, &withdrawn_);
    if (hidden_.isEmpty() && withdrawn_.isEmpty())
        return;
    // The programs underneath repaint what the windows covered.
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(15);
    }
}

ProgramWindowsHidden::~ProgramWindowsHidden()
{
    Display* d = ownConnection();
    if (!d || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    mapWindows(d, hidden_);
    for (const QPointer<QWidget>& w : withdrawn_)
        if (w)
            w->show();
    if (Owner* owner = Owner::instance())
        owner->pause(false);
}

} // namespace platform
