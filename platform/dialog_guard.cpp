#include "platform/dialog_guard.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

// Xlib last: its macros (Bool, Status, None) break Qt headers.
#include "platform/x11_connection.h"

namespace platform {

namespace {

bool isFloating(const QWidget* w)
{
    return w->isWindow() && w->windowFlags().testFlag(Qt::X11BypassWindowManagerHint)
        && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip;
}

bool isGuardedDialog(const QWidget* w)
{
    return w->isWindow() && qobject_cast<const QDialog*>(w) && !isFloating(w);
}

bool onX()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// The window the window manager stacks for this client window: its frame, a child of the root.
Window frameOf(Display* d, Window w)
{
    for (int depth = 0; depth < 8; ++depth) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count))
            return w;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            return w;
        w = parent;
    }
    return w;
}

// The dialog inside the available area of its screen, so that its buttons can be reached.
void fitOnScreen(QWidget* dialog)
{
    QScreen* screen = dialog->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
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

void stackFloatingUnder(QWidget* dialog)
{
    if (!onX() || !dialog->isVisible())
        return;
    Display* d = x11::connection();
    if (!d)
        return;
    x11::ErrorTrap trap;
    // The window manager keeps a dialog's owner (the page, when one is open) directly under the dialog: the
    // floating windows go right above that owner, so they stay above the page too. Without a managed owner
    // they go right under the dialog.
    XWindowChanges changes {};
    changes.sibling = frameOf(d, Window(dialog->winId()));
    changes.stack_mode = Below;
    QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (owner && owner->isVisible() && !isFloating(owner) && owner->internalWinId()) {
        changes.sibling = frameOf(d, Window(owner->internalWinId()));
        changes.stack_mode = Above;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !isFloating(w) || !w->internalWinId())
            continue;
        XConfigureWindow(d, Window(w->internalWinId()), CWSibling | CWStackMode, &changes);
    }
    XFlush(d);
}

void bringForward(QWidget* dialog)
{
    fitOnScreen(dialog);
    dialog->raise();
    stackFloatingUnder(dialog);
}

class DialogGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!isGuardedDialog(w))
            return false;
        // The window manager frames and places the dialog a moment after it is mapped, and restacks the
        // dialog's owner again when the focus moves to it: the dialog is looked after for as long as it is
        // shown, quickly at first.
        QPointer<QWidget> dialog(w);
        for (int delay : {0, 60, 200})
            QTimer::singleShot(delay, w, [dialog] {
                if (dialog)
                    bringForward(dialog);
            });
        auto* keeper = w->findChild<QTimer*>(QStringLiteral("qmDialogKeeper"));
        if (!keeper) {
            keeper = new QTimer(w);
            keeper->setObjectName(QStringLiteral("qmDialogKeeper"));
            keeper->setInterval(300);
            QObject::connect(keeper, &QTimer::timeout, w, [dialog, keeper] {
                if (dialog && dialog->isVisible())
                    stackFloatingUnder(dialog);
                else
                    keeper->stop();
            });
        }
        keeper->start();
        return false;
    }
};

} // namespace

void keepDialogsAboveFloatingWindows()
{
    static DialogGuard* guard = nullptr;
    if (guard || !qApp)
        return;
    guard = new DialogGuard(qApp);
    qApp->installEventFilter(guard);
}

void restackUnderOpenDialogs()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && isGuardedDialog(w))
            stackFloatingUnder(w);
}

} // namespace platform
