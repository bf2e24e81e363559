#include "platform/window_ops.h"

#include "platform/desktop_probe.h"
#include "platform/x11_desktop.h"

#include <QApplication>
#include <QWidget>

namespace platform {

namespace {

// A window of this process is handled through Qt, which knows its state better than the X server does.
QWidget* ownWindow(const WindowRef& window)
{
    return window.widget ? window.widget->window() : nullptr;
}

} // namespace

WindowRef WindowFromPoint(const QPoint& point)
{
    const unsigned long xid = desktop::windowAt(point);
    return xid ? WindowRef::fromX(xid) : WindowRef();
}

WindowRef FindSlideShow()
{
    const unsigned long xid = presentation::findSlideShow();
    return xid ? WindowRef::fromX(xid) : WindowRef();
}

bool IsSlideShowInFront()
{
    return presentation::showInFront();
}

QList<WindowRef> FindPresentationWindows()
{
    QList<WindowRef> found;
    for (unsigned long xid : presentation::findPresentationWindows())
        found.append(WindowRef::fromX(xid));
    return found;
}

WindowRef GetForegroundWindow()
{
    const unsigned long active = desktop::activeWindow();
    if (!active)
        return {};
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->testAttribute(Qt::WA_WState_Created) && w->internalWinId() == WId(active))
            return WindowRef(w);
    return WindowRef::fromX(active);
}

bool SetForegroundWindow(const WindowRef& window)
{
    if (QWidget* own = ownWindow(window)) {
        own->raise();
        own->activateWindow();
        return true;
    }
    return window.xid && desktop::activate(window.xid);
}

bool SetFocus(const WindowRef& window)
{
    if (QWidget* own = ownWindow(window)) {
        own->activateWindow();
        return true;
    }
    return window.xid && desktop::giveFocus(window.xid);
}

bool RequestClose(const WindowRef& window)
{
    if (QWidget* own = ownWindow(window))
        return own->close();
    return window.xid && desktop::requestClose(window.xid);
}

bool ShowWindow(const WindowRef& window, bool shown)
{
    if (QWidget* own = ownWindow(window)) {
        own->setVisible(shown);
        return true;
    }
    if (!window.xid)
        return false;
    return shown ? desktop::showWindow(window.xid) : desktop::hideWindow(window.xid);
}

QRect GetWindowRect(const WindowRef& window)
{
    if (QWidget* own = ownWindow(window))
        return own->frameGeometry();
    return window.xid ? desktop::windowGeometry(window.xid) : QRect();
}

bool MoveWindow(const WindowRef& window, const QPoint& topLeft)
{
    if (QWidget* own = ownWindow(window)) {
        own->move(topLeft);
        return true;
    }
    return window.xid && desktop::moveWindow(window.xid, topLeft);
}

} // namespace platform
