#include "board3d/page_canvas.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace lumo::board {

PageCanvas::PageCanvas(QWidget* parent)
    : QWidget(parent)
{
    // A window of its own, so that it stands above the engine's native window.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

void PageCanvas::SetPage(const QString& path, const QImage& picture)
{
    path_ = path;
    picture_ = picture;
    marks_.clear();
    pressed_ = false;
    Rebuild();
}

void PageCanvas::SetEraser(bool eraser)
{
    eraser_ = eraser;
    setCursor(eraser ? Qt::PointingHandCursor : Qt::CrossCursor);
}

void PageCanvas::Larger()
{
    if (eraser_)
        eraserHalf_ = std::min(48, eraserHalf_ + 4);
    else
        width_ = std::min(10, width_ + 1);
}

void PageCanvas::Smaller()
{
    if (eraser_)
        eraserHalf_ = std::max(8, eraserHalf_ - 4);
    else
        width_ = std::max(1, width_ - 1);
}

void PageCanvas::SetPenWidth(int width)
{
    width_ = std::clamp(width, 1, 10);
}

void PageCanvas::Clear()
{
    marks_.clear();
    Rebuild();
}

void PageCanvas::Rebuild()
{
    const QSize size = this->size().expandedTo(QSize(1, 1));
    background_ = QImage(size, QImage::Format_RGB32);
    background_.fill(Qt::white);
    if (!picture_.isNull()) {
        QPainter p(&background_);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(QPoint(0, 0), size), picture_);
    }
    shown_ = background_;
    QPainter p(&shown_);
    p.setRenderHint(QPainter::Antialiasing);
    for (const InkMark& m : std::as_const(marks_)) {
        if (m.erased.isValid()) {
            p.drawImage(m.erased.topLeft(), background_, m.erased);
        } else {
            p.setPen(QPen(m.colour, m.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(m.segment);
        }
    }
    update();
}

void PageCanvas::EraseAt(QPoint point)
{
    const QRect inside = rect().adjusted(kPageInset, kPageInset, -kPageInset, -kPageInset);
    const QRect square
        = QRect(point - QPoint(eraserHalf_, eraserHalf_), QSize(2 * eraserHalf_, 2 * eraserHalf_))
              .intersected(inside);
    if (square.isEmpty())
        return;
    QPainter p(&shown_);
    p.drawImage(square.topLeft(), background_, square);
    marks_.append(InkMark {QLine(), square, QColor(), 0});
    update(square);
}

void PageCanvas::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.drawImage(event->rect(), shown_, event->rect());
}

void PageCanvas::resizeEvent(QResizeEvent*)
{
    Rebuild();
}

void PageCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    last_ = clampToPage(event->position().toPoint(), size());
    if (eraser_)
        EraseAt(last_);
}

void PageCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_ || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = clampToPage(event->position().toPoint(), size());
    if (eraser_) {
        EraseAt(point);
    } else if (point != last_) {
        QPainter p(&shown_);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colour_, width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(last_, point);
        marks_.append(InkMark {QLine(last_, point), QRect(), colour_, width_});
        update(QRect(last_, point).normalized().adjusted(-width_ - 1, -width_ - 1, width_ + 1, width_ + 1));
    }
    last_ = point;
}

void PageCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    if (eraser_)
        EraseAt(clampToPage(event->position().toPoint(), size()));
}

} // namespace lumo::board
