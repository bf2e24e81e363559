#include "platform/messages.h"

#include "platform/x11_messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QMetaObject>
#include <QThread>

#include <vector>

namespace platform {

// Publishes the table's class on the widget's X window whenever Qt creates one for it. WinIdChange comes
// before the window is mapped, so a program that finds the mapped window also finds its class.
class ClassPublisher : public QObject {
public:
    ClassPublisher(QWidget* widget, const QString& className)
        : widget_(widget)
        , className_(className)
    {
        widget->installEventFilter(this);
        publish();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show))
            publish();
        return false;
    }

    void setOtherTitles(const QStringList& titles)
    {
        titles_ = titles;
        published_ = 0;
        publish();
    }

private:
    void publish()
    {
        if (!widget_ || !widget_->isWindow() || QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        x11::ensureReceiver();
        const WId id = widget_->internalWinId();
        if (id != 0 && id != published_) {
            x11::publishClass(id, className_);
            x11::publishOtherTitles(id, titles_);
            published_ = id;
        }
    }

    QPointer<QWidget> widget_;
    QString className_;
    QStringList titles_;
    WId published_ = 0;
};

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

// The table a reference reaches without leaving the process.
MessageTable* localTable(const WindowRef& window)
{
    if (window.widget)
        return tableOf(window.widget);
    return window.xid ? x11::tableForWindow(window.xid) : nullptr;
}

template<typename Call>
bool postToApp(QPointer<QWidget> target, Call call)
{
    if (!target || !QCoreApplication::instance())
        return false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [target, call] {
            if (target)
                call(WindowRef(target));
        },
        Qt::QueuedConnection);
    return true;
}

// Posting is allowed from any thread (the recorder's capture thread does); the tables and the layer's X
// connection belong to the UI thread, so the routing happens there.
bool onUiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

bool postToUiThread(std::function<void()> call)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
    return true;
}

} // namespace

MessageTable::MessageTable(QWidget* widget, const QString& className)
    : widget_(widget)
    , className_(className)
{
    tables().push_back(this);
    x11::ensureReceiver();
    if (widget)
        publisher_ = std::make_unique<ClassPublisher>(widget, className);
}

MessageTable::~MessageTable()
{
    std::erase(tables(), this);
}

void MessageTable::on(UINT message, Handler handler)
{
    handlers_[message] = Entry {std::move(handler), false, {}};
}

void MessageTable::onPointer(UINT message, Handler handler)
{
    handlers_[message] = Entry {std::move(handler), true, {}};
}

void MessageTable::onPointer(UINT message, Handler handler, Handler foreign)
{
    handlers_[message] = Entry {std::move(handler), true, std::move(foreign)};
}

void MessageTable::setOtherTitles(const QStringList& titles)
{
    otherTitles_ = titles;
    if (publisher_)
        publisher_->setOtherTitles(titles);
}

void MessageTable::onLocal(UINT message, Handler handler)
{
    handlers_[message] = Entry {std::move(handler), true, {}};
}

void MessageTable::onRegistered(UINT registeredMessage, Handler handler)
{
    registered_[registeredMessage] = std::move(handler);
}

void MessageTable::onCopyData(CopyDataHandler handler)
{
    copyData_ = std::move(handler);
}

bool MessageTable::handles(UINT message) const
{
    return handlers_.count(message) != 0;
}

bool MessageTable::handlesRegistered(UINT registeredMessage) const
{
    return registered_.count(registeredMessage) != 0;
}

LRESULT MessageTable::dispatch(UINT message, WPARAM wParam, LPARAM lParam) const
{
    auto it = handlers_.find(message);
    if (it != handlers_.end())
        return it->second.handler(wParam, lParam);
    if (message == WM_CLOSE && widget_)
        widget_->close();
    return 0;
}

LRESULT MessageTable::dispatchRegistered(UINT registeredMessage, WPARAM wParam, LPARAM lParam) const
{
    auto it = registered_.find(registeredMessage);
    return it == registered_.end() ? 0 : it->second(wParam, lParam);
}

LRESULT MessageTable::dispatchCopyData(WPARAM wParam, const QString& text) const
{
    return copyData_ ? copyData_(wParam, text) : 0;
}

LRESULT MessageTable::dispatchForeign(UINT message, WPARAM wParam, LPARAM lParam, bool registered) const
{
    if (registered)
        return dispatchRegistered(message, wParam, lParam);
    // A bare WM_COPYDATA would carry the address of its record; the text only travels as copy data.
    if (message == WM_COPYDATA)
        return 0;
    auto it = handlers_.find(message);
    if (it != handlers_.end() && it->second.localOnly)
        return it->second.foreign ? it->second.foreign(wParam, 0) : 0;
    return dispatch(message, wParam, lParam);
}

unsigned long MessageTable::windowId() const
{
    if (!widget_ || QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    return widget_->window()->internalWinId();
}

namespace x11 {

MessageTable* tableForWindow(unsigned long xid)
{
    if (xid == 0)
        return nullptr;
    // The window's own table wins over one of a child widget inside it.
    MessageTable* inside = nullptr;
    for (MessageTable* t : tables()) {
        if (t->windowId() != xid)
            continue;
        if (t->widget()->isWindow())
            return t;
        if (!inside)
            inside = t;
    }
    return inside;
}

} // namespace x11

LRESULT SendMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (MessageTable* table = localTable(window))
        return table->dispatch(message, wParam, lParam);
    if (window.widget) {
        if (message == WM_CLOSE)
            window.widget->close();
        return 0;
    }
    if (window.xid)
        x11::sendMessage(window.xid, message, wParam, lParam, false);
    return 0;
}

bool PostMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window.widget)
        return postToApp(
            window.widget, [=](const WindowRef& target) { SendMessage(target, message, wParam, lParam); });
    if (!window.xid)
        return false;
    if (!onUiThread())
        return postToUiThread([=] { PostMessage(window, message, wParam, lParam); });
    if (MessageTable* table = x11::tableForWindow(window.xid))
        return postToApp(
            table->widget(), [=](const WindowRef& target) { SendMessage(target, message, wParam, lParam); });
    return x11::sendMessage(window.xid, message, wParam, lParam, false);
}

LRESULT SendRegisteredMessage(const WindowRef& window, UINT registeredMessage, WPARAM wParam, LPARAM lParam)
{
    if (MessageTable* table = localTable(window))
        return table->dispatchRegistered(registeredMessage, wParam, lParam);
    if (!window.widget && window.xid)
        x11::sendMessage(window.xid, registeredMessage, wParam, lParam, true);
    return 0;
}

bool PostRegisteredMessage(const WindowRef& window, UINT registeredMessage, WPARAM wParam, LPARAM lParam)
{
    const auto deliver
        = [=](const WindowRef& target) { SendRegisteredMessage(target, registeredMessage, wParam, lParam); };
    if (window.widget)
        return postToApp(window.widget, deliver);
    if (!window.xid)
        return false;
    if (!onUiThread())
        return postToUiThread([=] { PostRegisteredMessage(window, registeredMessage, wParam, lParam); });
    if (MessageTable* table = x11::tableForWindow(window.xid))
        return postToApp(table->widget(), deliver);
    return x11::sendMessage(window.xid, registeredMessage, wParam, lParam, true);
}

LRESULT SendCopyData(const WindowRef& window, WPARAM wParam, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > kMaxCopyDataBytes)
        return 0;
    if (MessageTable* table = localTable(window))
        return table->dispatchCopyData(wParam, text);
    if (!window.widget && window.xid)
        return x11::sendCopyData(window.xid, wParam, utf8);
    return 0;
}

UINT RegisterWindowMessage(const QString& name)
{
    if (name.isEmpty())
        return 0;
    if (x11::available())
        return x11::internAtom(name);
    // Without a desktop the numbers only need to agree inside the process; they lie where Windows puts them.
    static QHash<QString, UINT> registered;
    auto it = registered.find(name.toLower());
    if (it == registered.end())
        it = registered.insert(name.toLower(), 0xC000 + UINT(registered.size()));
    return it.value();
}

WindowRef FindWindow(const QString& className, const QString& title)
{
    QWidget* hidden = nullptr;
    for (MessageTable* t : tables()) {
        QWidget* w = t->widget();
        if (!w)
            continue;
        if (!className.isNull() && t->className().compare(className, Qt::CaseInsensitive) != 0)
            continue;
        if (!title.isNull() && w->windowTitle() != title && !t->otherTitles().contains(title))
            continue;
        if (w->isVisible())
            return WindowRef(w);
        if (!hidden)
            hidden = w;
    }
    if (hidden)
        return WindowRef(hidden);
    if (!x11::available())
        return {};
    const unsigned long xid = x11::findDesktopWindow(className, title);
    if (xid == 0)
        return {};
    if (MessageTable* t = x11::tableForWindow(xid))
        return WindowRef(t->widget());
    return WindowRef::fromX(xid);
}

bool IsWindow(const WindowRef& window)
{
    if (window.widget)
        return true;
    return window.xid != 0 && x11::windowExists(window.xid);
}

bool IsWindowVisible(const WindowRef& window)
{
    if (window.widget)
        return window.widget->isVisible();
    return window.xid != 0 && x11::windowViewable(window.xid);
}

} // namespace platform
