#pragma once
// Window messages between the system's windows. Every window that has a message table registers it here
// under its class name; its title is the widget's window title. A message sent inside the process is a
// direct call on the UI thread; a posted one is queued on the event loop.
//
// Other processes reach a table through its top-level X window (client messages of type QM_WINDOW_MESSAGE,
// 32-bit parameters). They are always queued, and what they carry is a number, never a pointer: handlers
// registered with onPointer() answer them 0 without being called.
#include "platform/platform_export.h"
#include "platform/win_types.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <unordered_map>

namespace platform {

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_HOTKEY = 0x0312;

// The most text one WM_COPYDATA carries between processes, in UTF-8 bytes.
constexpr int kMaxCopyDataBytes = 64 * 1024;

// The dialog class name that other programs look the main panel up by.
inline const QString kDialogClass = QStringLiteral("#32770");

// A window that may belong to this process (widget) or to another one (X window id).
struct QMPLATFORM_EXPORT WindowRef {
    QPointer<QWidget> widget;
    unsigned long xid = 0;

    WindowRef() = default;
    WindowRef(QWidget* w)
        : widget(w)
    {
    }
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

class ClassPublisher;

// The message table of one window: message number → handler. A handler that is not found answers 0.
// Fixed message numbers and registered ones live apart: a registered number is only looked up among the
// handlers added with onRegistered() and reached with Send/PostRegisteredMessage, so an atom that happens to
// equal a fixed number (X hands out small atoms) never lands in the wrong handler.
class QMPLATFORM_EXPORT MessageTable {
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;
    using CopyDataHandler = std::function<LRESULT(WPARAM, const QString&)>;

    // Registers the table for widget under className; it unregisters itself when destroyed or when the widget
    // goes away. A top-level widget also publishes className on its X window (QM_WINDOW_CLASS) so that other
    // processes find it by class, and receives their messages.
    MessageTable(QWidget* widget, const QString& className);
    ~MessageTable();
    MessageTable(const MessageTable&) = delete;
    MessageTable& operator=(const MessageTable&) = delete;

    // A message whose parameters are plain numbers.
    void on(UINT message, Handler handler);
    // A message whose wParam or lParam points into this process; only this process may send it.
    void onPointer(UINT message, Handler handler);
    // As onPointer, but another process's copy goes to foreign with lParam 0: the numbers it may carry (a
    // wParam that means something by itself) are answered, the pointer never read.
    void onPointer(UINT message, Handler handler, Handler foreign);
    // A message that only the process's own windows send (the surface telling its owner it closed, for
    // example): another process's copy is answered 0 without calling the handler.
    void onLocal(UINT message, Handler handler);
    // A message number obtained from RegisterWindowMessage.
    void onRegistered(UINT registeredMessage, Handler handler);
    // WM_COPYDATA: the text and the sender's wParam.
    void onCopyData(CopyDataHandler handler);

    // Titles the window is also found by, here and from other processes (the same title in the system's
    // other language), besides the one it shows.
    void setOtherTitles(const QStringList& titles);
    const QStringList& otherTitles() const { return otherTitles_; }

    bool handles(UINT message) const;
    bool handlesRegistered(UINT registeredMessage) const;

    // Messages from this process.
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam) const;
    LRESULT dispatchRegistered(UINT registeredMessage, WPARAM wParam, LPARAM lParam) const;
    LRESULT dispatchCopyData(WPARAM wParam, const QString& text) const;
    // A message that came from another process: pointer handlers and a bare WM_COPYDATA are refused (0).
    LRESULT dispatchForeign(UINT message, WPARAM wParam, LPARAM lParam, bool registered) const;

    QWidget* widget() const { return widget_; }
    const QString& className() const { return className_; }
    // The X window other processes address this table by; 0 while it has none or off X.
    unsigned long windowId() const;

private:
    struct Entry {
        Handler handler;
        bool localOnly = false;
        Handler foreign;
    };

    QPointer<QWidget> widget_;
    QString className_;
    std::unordered_map<UINT, Entry> handlers_;
    std::unordered_map<UINT, Handler> registered_;
    CopyDataHandler copyData_;
    QStringList otherTitles_;
    std::unique_ptr<ClassPublisher> publisher_;
};

// A window of this process is called directly. A window of another process gets the message queued and the
// call answers 0 at once: X has no synchronous reply, and no cross-process message of the system needs one.
QMPLATFORM_EXPORT LRESULT SendMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam);
QMPLATFORM_EXPORT bool PostMessage(const WindowRef& window, UINT message, WPARAM wParam, LPARAM lParam);
QMPLATFORM_EXPORT LRESULT SendRegisteredMessage(
    const WindowRef& window, UINT registeredMessage, WPARAM wParam, LPARAM lParam);
QMPLATFORM_EXPORT bool PostRegisteredMessage(
    const WindowRef& window, UINT registeredMessage, WPARAM wParam, LPARAM lParam);

// Sends WM_COPYDATA text (at most kMaxCopyDataBytes of UTF-8). In this process: the handler's answer. To
// another process: 1 once the receiver has taken the text (the call waits up to a few seconds for that), 0
// when the text is too long, the window is gone or the receiver did not take it in time.
QMPLATFORM_EXPORT LRESULT SendCopyData(const WindowRef& window, WPARAM wParam, const QString& text);

// A registered message number, the same in every process of the desktop for the same name (the X atom of the
// name; case matters, as it does for atoms). Without a desktop the numbers only agree inside the process.
QMPLATFORM_EXPORT UINT RegisterWindowMessage(const QString& name);

// Finds a window by class name and title; a null argument matches any. This process's tables come first, then
// the desktop's top-level windows (class = QM_WINDOW_CLASS or either part of WM_CLASS, title = _NET_WM_NAME,
// WM_NAME or one of the table's other titles, QM_WINDOW_TITLES). Shown and hidden windows both count, a shown
// one preferred, so a window hidden a moment ago can be sent the message that shows it again.
QMPLATFORM_EXPORT WindowRef FindWindow(const QString& className, const QString& title);

QMPLATFORM_EXPORT bool IsWindow(const WindowRef& window);
QMPLATFORM_EXPORT bool IsWindowVisible(const WindowRef& window);

} // namespace platform
