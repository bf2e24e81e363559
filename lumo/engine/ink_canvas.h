#pragma once
// A picture to write on, laid over the place the wall shows it: a pen that draws anti-aliased lines in its
// colour and width, and an eraser that brings the picture back under a square. The picture wall's slide and
// the 3D board's page are this canvas with their own rules. It lives in this header whole, so that each
// library that shows a wall, and its tests, have it without an export.
#include "lumo/engine/ink_mark.h"

#include <QImage>
#include <QList>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace lumo::wall {

class InkCanvas : public QWidget {
public:
    // paper shows where the picture leaves room; the cursors are the pen's and the eraser's.
    InkCanvas(QWidget* parent, QColor paper, Qt::CursorShape penCursor, Qt::CursorShape eraserCursor)
        : QWidget(parent)
        , paper_(paper)
        , penCursor_(penCursor)
        , eraserCursor_(eraserCursor)
    {
        // A window of its own, so that it stands above the engine's native window.
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(penCursor_);
    }

    void SetEraser(bool eraser)
    {
        eraser_ = eraser;
        setCursor(eraser ? eraserCursor_ : penCursor_);
    }
    bool Eraser() const { return eraser_; }
    void SetPenColour(const QColor& colour) { colour_ = colour; }
    QColor PenColour() const { return colour_; }
    // "放大"/"缩小": the pen's width by one within 1..10, or the eraser's half-size by 4 within 8..48.
    void Larger()
    {
        if (eraser_)
            eraserHalf_ = std::min(48, eraserHalf_ + 4);
        else
            width_ = std::min(10, width_ + 1);
    }
    void Smaller()
    {
        if (eraser_)
            eraserHalf_ = std::max(8, eraserHalf_ - 4);
        else
            width_ = std::max(1, width_ - 1);
    }
    void SetPenWidth(int width) { width_ = std::clamp(width, 1, 10); }
    int PenWidth() const { return width_; }
    int EraserHalfSize() const { return eraserHalf_; }
    // Takes back the ink of the picture shown.
    void Clear()
    {
        marks_.clear();
        Rebuild();
    }
    // The ink on the picture shown, in the canvas's coordinates.
    const QList<InkMark>& Marks() const { return marks_; }
    // The picture with its ink, as shown.
    const QImage& Shown() const { return shown_; }

protected:
    // Shows a picture scaled into the canvas, with the ink given.
    void ShowPicture(const QImage& picture, QList<InkMark> marks)
    {
        picture_ = picture;
        marks_ = std::move(marks);
        pressed_ = false;
        Rebuild();
    }
    // Where a pointer position writes; the whole canvas unless a rule keeps the pen away from the edges.
    virtual QPoint Place(QPoint point) const { return point; }
    virtual QRect WritableArea() const { return rect(); }

    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        p.drawImage(event->rect(), shown_, event->rect());
    }
    void resizeEvent(QResizeEvent*) override { Rebuild(); }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        pressed_ = true;
        last_ = Place(event->position().toPoint());
        if (eraser_)
            EraseAt(last_);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!pressed_ || !(event->buttons() & Qt::LeftButton))
            return;
        const QPoint point = Place(event->position().toPoint());
        if (eraser_) {
            EraseAt(point);
        } else if (point != last_) {
            QPainter p(&shown_);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(colour_, width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(last_, point);
            marks_.append(InkMark {QLine(last_, point), QRect(), colour_, width_});
            update(
                QRect(last_, point).normalized().adjusted(-width_ - 1, -width_ - 1, width_ + 1, width_ + 1));
        }
        last_ = point;
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !pressed_)
            return;
        pressed_ = false;
        if (eraser_)
            EraseAt(Place(event->position().toPoint()));
    }

private:
    void Rebuild()
    {
        const QSize size = this->size().expandedTo(QSize(1, 1));
        background_ = QImage(size, QImage::Format_RGB32);
        background_.fill(paper_);
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
    void EraseAt(QPoint point)
    {
        const QRect square
            = QRect(point - QPoint(eraserHalf_, eraserHalf_), QSize(2 * eraserHalf_, 2 * eraserHalf_))
                  .intersected(WritableArea());
        if (square.isEmpty())
            return;
        QPainter p(&shown_);
        p.drawImage(square.topLeft(), background_, square);
        marks_.append(InkMark {QLine(), square, QColor(), 0});
        update(square);
    }

    QColor paper_;
    Qt::CursorShape penCursor_;
    Qt::CursorShape eraserCursor_;
    QImage picture_;
    QImage background_; // the picture at the canvas's size: what the eraser brings back
    QImage shown_;
    QList<InkMark> marks_;
    QColor colour_ {0, 0, 255};
    int width_ = 2;
    int eraserHalf_ = 12;
    bool eraser_ = false;
    bool pressed_ = false;
    QPoint last_;
};

} // namespace lumo::wall
