// The surface's fingers and stylus: touch and tablet events go to its hands, which share the mouse's press
// with the first finger and the stylus's tip.
#include "surface/screen_pen_wnd.h"

#include <QTabletEvent>
#include <QTouchEvent>

#include <utility>

namespace DIALOG {

bool CScreenPenWnd::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel: {
        // An event left unaccepted comes back as mouse events, which a child window under the finger takes.
        const bool taken = hands_.touchEvent(*static_cast<QTouchEvent*>(event));
        event->setAccepted(taken);
        return taken;
    }
    default:
        return QWidget::event(event);
    }
}

void CScreenPenWnd::tabletEvent(QTabletEvent* event)
{
    event->setAccepted(hands_.tabletEvent(*event));
}

void CScreenPenWnd::primaryDrop()
{
    if (!capturing_)
        return;
    capturing_ = false;
    if (Gesture* gesture = std::exchange(active_, nullptr))
        gesture->cancel();
    currentObject_.points.clear();
    canvas_.RemoveBand();
    lesson_.Pages().pageChanged = changedBeforePress_;
    // The live ink of the press is only in the window image: the page shows again.
    canvas_.Compose(canvas_.rect());
}

} // namespace DIALOG
