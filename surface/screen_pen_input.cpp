// The surface's edge towards the pointer: the mouse's events become points of the page in device pixels for
// the gestures, and the window paints the window image at the screen's full resolution.
#include "surface/screen_pen_wnd.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace DIALOG {

void CScreenPenWnd::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    canvas_.PaintWindow(p, event->region(), scale_.ratio);
}

// ---- mouse ----

void CScreenPenWnd::mousePressEvent(QMouseEvent* event)
{
    if (hands_.follows(*event))
        return;
    const QPoint p = pagePoint(event->scenePosition());
    lastMousePoint_ = p;
    if (event->button() == Qt::LeftButton)
        primaryPress(p);
}

void CScreenPenWnd::primaryPress(QPoint p)
{
    lastMousePoint_ = p;
    capturing_ = true;
    active_ = nullptr;
    // A press of the pen tools changes the page; one in instrument mode does not.
    changedBeforePress_ = lesson_.Pages().pageChanged;
    if (!instrumentMode())
        lesson_.Pages().pageChanged = true;
    // A board button may hand the page to the owner, which can delete this surface before it returns.
    const QPointer<CScreenPenWnd> self(this);
    for (Gesture* gesture : chain_) {
        const Gesture::Press taken = gesture->press(p);
        if (taken == Gesture::Press::Declined)
            continue;
        if (!self)
            return;
        if (taken == Gesture::Press::Captured)
            active_ = gesture;
        else
            capturing_ = false;
        return;
    }
}

void CScreenPenWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void CScreenPenWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (hands_.follows(*event))
        return;
    const QPoint p = pagePoint(event->scenePosition());
    if (!capturing_ || !(event->buttons() & Qt::LeftButton)) {
        lastMousePoint_ = p;
        updateCursor(p);
        return;
    }
    primaryMove(p);
}

void CScreenPenWnd::primaryMove(QPoint p)
{
    if (capturing_ && active_)
        active_->move(p);
    lastMousePoint_ = p;
}

void CScreenPenWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (hands_.follows(*event))
        return;
    const QPoint p = pagePoint(event->scenePosition());
    if (event->button() == Qt::LeftButton)
        primaryRelease(p);
    lastMousePoint_ = p;
}

void CScreenPenWnd::primaryRelease(QPoint p)
{
    if (!capturing_) {
        lastMousePoint_ = p;
        return;
    }
    capturing_ = false;
    if (Gesture* gesture = std::exchange(active_, nullptr))
        gesture->release(p);
    setToolStripRect();
    lastMousePoint_ = p;
    updateCursor(p);
    // The end of a stroke or a drag: what it committed goes to the journal, never a move before it.
    lesson_.JournalChanges();
}

void CScreenPenWnd::setToolStripRect()
{
    toolStrip_.PlaceIn(panelScreenRect(), scale_);
    canvas_.Compose(toolStrip_.rect());
}

QPoint CScreenPenWnd::cursorPoint() const
{
    return pagePoint(QPointF(mapFromGlobal(QCursor::pos())));
}

void CScreenPenWnd::updateCursor(QPoint point)
{
    for (const Gesture* gesture : chain_) {
        if (const std::optional<QCursor> cursor = gesture->cursor(point)) {
            setCursor(*cursor);
            return;
        }
    }
}

} // namespace DIALOG
