#pragma once
// The erasers. The point eraser shows a square under the pointer and brings the background back along its
// whole way; the lasso draws a loop and, once closed, erases what it encloses. Each gesture becomes an
// eraser object of the page, so that undo brings back what it covered.
#include "surface/gesture.h"

namespace DIALOG {

class EraserGesture : public Gesture {
public:
    static constexpr int kDefaultSize = 16;
    // The pen states of the two erasers: the point eraser's width is its size.
    static constexpr COLORREF kPointEraserColour = 0xCB5B36;
    static constexpr COLORREF kLassoColour = 0xEE1C04;
    static constexpr int kLassoWidth = 5;

    using Gesture::Gesture;

    Press press(QPoint point) override;
    void move(QPoint point) override;
    void release(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;
    // The lasso drawn so far, or what the point eraser has erased so far.
    void paintOverlay(QPainter& painter) const override;
    void cancel() override { drawing_ = false; }

    // Half the side of the point eraser's square.
    int eraserSize() const { return eraserSize_; }
    void SetEraserSize(int size) { eraserSize_ = size; }

private:
    bool pointEraser() const;
    void liveEraser(QPoint to);
    void lassoRelease(QPoint point);

    bool drawing_ = false;
    QPoint lastPoint_;
    int eraserSize_ = kDefaultSize;
    // The square last shown by the point eraser.
    QRect eraserRect_;
};

} // namespace DIALOG
