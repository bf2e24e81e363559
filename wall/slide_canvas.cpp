#include "wall/slide_canvas.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace lumo::show {

SlideCanvas::SlideCanvas(QWidget* parent)
    : QWidget(parent)
{
    // A window of its own, so that it stands above the engine's native window.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
}

void SlideCanvas::SetSlide(const QString& path, const QImage& picture)
{
    if (!slide_.isEmpty())
        inkOfSlides_[slide_] = marks_;
    slide_ = path;
    picture_ = picture;
    marks_ = inkOfSlides_.value(path);
    Rebuild();
}

void SlideCanvas::Larger()
{
    if (eraser_)
        eraserHalf_ = std::min(48, eraserHalf_ + 4);
    else
        width_ = std::min(10, width_ + 1);
}

void SlideCanvas::Smaller()
{
    if (eraser_)
        eraserHalf_ = std::max(8, eraserHalf_ - 4);
    else
        width_ = std::max(1, width_ - 1);
}

void SlideCanvas::Clear()
{
    marks_.clear();
    inkOfSlides_.remove(slide_);
    Rebuild();
}

void SlideCanvas::Rebuild()
{
    const QSize size = this->size().expandedTo(QSize(1, 1));
    background_ = QImage(size, QImage::Format_RGB32);
    background_.fill(Qt::black);
    if (!picture_.isNull()) {
        QPainter p(&background_);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(QPoint(0, 0), size), picture_);
    }
    page_ = background_;
    QPainter p(&page_);
    p.setRenderHint(QPainter::Antialiasing);
    for (const Mark& m : std::as_const(marks_)) {
        if (m.erased.isValid()) {
            p.drawImage(m.erased.topLeft(), background_, m.erased);
        } else {
            p.setPen(QPen(m.colour, m.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(m.segment);
        }
    }
    update();
}

void SlideCanvas::EraseAt(const QPoint& point)
{
    const QRect square
        = QRect(point - QPoint(eraserHalf_, eraserHalf_), QSize(2 * eraserHalf_, 2 * eraserHalf_))
              .intersected(page_.rect());
    if (square.isEmpty())
        return;
    QPainter p(&page_);
    p.drawImage(square.topLeft(), background_, square);
    marks_.append(Mark {QLine(), square, QColor(), 0});
    update(square);
}

void SlideCanvas::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.drawImage(event->rect(), page_, event->rect());
}

void SlideCanvas::resizeEvent(QResizeEvent*)
{
    Rebuild();
}

void SlideCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    last_ = event->position().toPoint();
    if (eraser_)
        EraseAt(last_);
}

void SlideCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_ || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    if (eraser_) {
        EraseAt(point);
    } else {
        QPainter p(&page_);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colour_, width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(last_, point);
        marks_.append(Mark {QLine(last_, point), QRect(), colour_, width_});
        update(QRect(last_, point).normalized().adjusted(-width_ - 1, -width_ - 1, width_ + 1, width_ + 1));
    }
    last_ = point;
}

void SlideCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (eraser_)
        EraseAt(event->position().toPoint());
}

} // namespace lumo::show
