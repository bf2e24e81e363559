#include "player/video_window.h"

#include <QKeyEvent>

namespace player {

VideoWindow::VideoWindow(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Native siblings of a native child would each get an X window of their own; this one needs only its own.
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
}

VideoWindow::~VideoWindow()
{
    if (auto gone = std::exchange(onGone, nullptr))
        gone();
}

void VideoWindow::paintEvent(QPaintEvent*)
{
    if (onExpose)
        onExpose();
}

void VideoWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && onLeave) {
        onLeave();
        return;
    }
    QWidget::keyPressEvent(event);
}

void VideoWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (onLeave) {
        onLeave();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace player
