#pragma once
// Window messages between the system's windows. Every window that has a message table registers it here
// under its class name; its title is the widget's window title. A message sent inside the process is a
// direct call on the UI thread; a posted one is queued on the event loop.
#include "platform/platform_export.h"
#include "platform/win_types.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <unordered_map>

namespace platform {

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_HOTKEY = 0x0312;

// The dialog class name that other programs look the main panel up by.
inline const QString kDialogClass = QStringLiteral("#32770");

// A window that may belong to this process (widget) or to another one (X window id).
struct QMPLATFORM_EXPORT WindowRef {
    QPointer<QWidget> widget;
    unsigned long xid = 0;

    WindowRef() = default;
    WindowRef(QWidget* w) : widget(w) {}
    static WindowRef fromX(unsigned long id)
    {
        WindowRef r;
        r.xid = id;
        return r;
    }
    bool isNull() const { return widget.isNull() && xid == 0; }
    explicit operator bool() const { return !isNull(); }
    bool operator==(const WindowRef& other) const { return widget == other.widget && xid == other.xid; }
};

// The message table of one window: message number → handler. A handler that is not found answers 0.
class QMPLATFORM_EXPORT MessageTable {
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

    // Registers the table for widget under className; it unregisters itself when destroyed or when the widget
    // goes away.
    MessageTable(QWidget* widget, const QString& className);
    ~MessageTable();
    MessageTable(const MessageTable&) = delete;
    MessageTable& operator=(const MessageTable&) = delete;

    void on(UINT message, Handler handler);
    bool handles(UINT message) const;
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam) const;

    QWidget* widget() const { return widget_; }
    const QString& className() const { return className_; }

private:
    QPointer<QWidget> widget_;
    QString className_;
    std::unordered_map<UINT, Handler> handlers_;
};

QMPLATFORM_EXPORT LRESULT SendMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam);
QMPLATFORM_EXPORT bool PostMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam);

// A registered message number, the same in every process of the desktop for the same name.
QMPLATFORM_EXPORT UINT RegisterWindowMessage(const QString& name);

// Finds a window of this process by class name and title; a null argument matches any.
// Only windows that are shown count, as only mapped windows are found on the desktop.
QMPLATFORM_EXPORT WindowRef FindWindow(const QString& className, const QString& title);

QMPLATFORM_EXPORT bool IsWindow(const WindowRef& window);
QMPLATFORM_EXPORT bool IsWindowVisible(const WindowRef& window);

} // namespace platform
