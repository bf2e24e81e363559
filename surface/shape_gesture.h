#pragma once
// The shapes spanned by a drag (line, guide line, arrow, rectangle, ellipse, cube, cylinder) and the
// polyline. A drag shows a rubber band from its start; a shape is committed on the release, a polyline
// gathers a vertex per release and is committed when the tool changes.
#include "surface/gesture.h"

namespace DIALOG {

class ShapeGesture : public Gesture {
public:
    using Gesture::Gesture;

    Press press(QPoint point) override;
    void move(QPoint point) override;
    void release(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;
    // The polyline's committed-to-be segments.
    void paintOverlay(QPainter& painter) const override;
    // Commits a pending polyline and tells the owner so.
    void finish() override;
    void cancel() override { drawing_ = false; }

private:
    bool drawing_ = false;
    // The press point of a shape; the last vertex of a polyline.
    QPoint dragStart_;
};

} // namespace DIALOG
