#pragma once
// The picture tracker: a frame around a picture or a media window that moves, turns and resizes it. Eight
// round handles sit on the corners and the edge middles; the rotate icon stands above the top edge and the
// move icon at the centre, both turned with the frame.
#include <QImage>
#include <QPointF>
#include <QPolygonF>
#include <QRect>

class QPainter;

namespace DIALOG {

struct TrackerFrame {
    QPointF centre;
    double width = 0.0;
    double height = 0.0;
    // Radians, clockwise on the screen; 0 upright.
    double angle = 0.0;

    friend bool operator==(const TrackerFrame&, const TrackerFrame&) = default;
};

class CMyRectTracker {
public:
    enum class Part { None, Rotate, MoveIcon, Handle, Body };

    // Handles within this distance of the pointer are picked.
    static constexpr double kPickDistance = 8.0;
    static constexpr double kHandleRadius = 4.5;
    static constexpr int kIconSize = 24;
    // The rotate icon's centre stands this far above the top edge.
    static constexpr double kRotateIconOffset = 26.0;
    // A frame is never resized smaller than this.
    static constexpr double kMinSide = 8.0;

    void SetFrame(const TrackerFrame& frame) { frame_ = frame; }
    // Device pixels per logical pixel of the page: the handles, icons and distances above keep their
    // physical size.
    void SetScale(double scale) { scale_ = scale; }
    const TrackerFrame& frame() const { return frame_; }

    // What a press at point takes, in the order rotate icon, move icon, the nearest handle, the body;
    // handle receives the handle's index (0..7 clockwise from the top-left corner).
    Part HitTest(QPointF point, int* handle = nullptr) const;

    // A drag of part (and handle) from where it started to point; start is the frame the drag began with.
    void Begin(Part part, int handle, QPointF point);
    void Drag(QPointF point);
    bool dragging() const { return part_ != Part::None; }
    void End() { part_ = Part::None; }

    // The eight handle centres and the two icon centres on the screen.
    QPointF HandleCentre(int index) const;
    QPointF RotateIconCentre() const;
    QPointF MoveIconCentre() const { return frame_.centre; }
    QPolygonF Outline() const;
    // Everything the tracker paints, on the screen.
    QRect Bounds() const;

    void Draw(QPainter& painter, const QImage& moveIcon, const QImage& rotateIcon) const;

private:
    QPointF toScreen(QPointF local) const;
    QPointF toLocal(QPointF screen) const;

    TrackerFrame frame_;
    double scale_ = 1.0;
    TrackerFrame start_;
    Part part_ = Part::None;
    int handle_ = 0;
    QPointF grab_;
};

} // namespace DIALOG
