#include "platform/messages.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QMetaObject>

#include <X11/Xlib.h>

#include <vector>

namespace platform {

namespace {

std::vector<MessageTable*>& tables()
{
    static std::vector<MessageTable*> all;
    return all;
}

MessageTable* tableOf(QWidget* widget)
{
    if (!widget)
        return nullptr;
    for (MessageTable* t : tables())
        if (t->widget() == widget)
            return t;
    return nullptr;
}

Display* x11Display()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

} // namespace

MessageTable::MessageTable(QWidget* widget, const QString& className) : widget_(widget), className_(className)
{
    tables().push_back(this);
}

MessageTable::~MessageTable() { std::erase(tables(), this); }

void MessageTable::on(UINT message, Handler handler) { handlers_[message] = std::move(handler); }

bool MessageTable::handles(UINT message) const { return handlers_.count(message) != 0; }

LRESULT MessageTable::dispatch(UINT message, WPARAM wParam, LPARAM lParam) const
{
    auto it = handlers_.find(message);
    return it == handlers_.end() ? 0 : it->second(wParam, lParam);
}

LRESULT SendMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (MessageTable* table = tableOf(window.widget))
        return table->dispatch(message, wParam, lParam);
    if (window.widget && message == WM_CLOSE) {
        window.widget->close();
        return 0;
    }
    return 0;
}

bool PostMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window.widget || !QCoreApplication::instance())
        return false;
    QPointer<QWidget> target = window.widget;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [target, message, wParam, lParam] {
            if (target)
                SendMessage(WindowRef(target), message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return true;
}

UINT RegisterWindowMessage(const QString& name)
{
    if (name.isEmpty())
        return 0;
    if (Display* display = x11Display())
        return UINT(XInternAtom(display, name.toUtf8().constData(), False));
    // Without a desktop the numbers only need to agree inside the process; they lie where Windows puts them.
    static QHash<QString, UINT> registered;
    auto it = registered.find(name.toLower());
    if (it == registered.end())
        it = registered.insert(name.toLower(), 0xC000 + UINT(registered.size()));
    return it.value();
}

WindowRef FindWindow(const QString& className, const QString& title)
{
    for (MessageTable* t : tables()) {
        QWidget* w = t->widget();
        if (!w || !w->isVisible())
            continue;
        if (!className.isNull() && t->className().compare(className, Qt::CaseInsensitive) != 0)
            continue;
        if (!title.isNull() && w->windowTitle() != title)
            continue;
        return WindowRef(w);
    }
    return {};
}

bool IsWindow(const WindowRef& window) { return !window.widget.isNull() || window.xid != 0; }

bool IsWindowVisible(const WindowRef& window) { return window.widget && window.widget->isVisible(); }

} // namespace platform
