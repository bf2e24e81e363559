#pragma once
// The frame of the text box being typed: the rubber band that opens it, and moving and resizing it by its
// border and eight handles. A model without a window: the surface feeds it mouse points and paints it.
#include <QPoint>
#include <QRect>
#include <Qt>

#include <algorithm>
#include <cmath>

class QPainter;

namespace DIALOG {

class TextTracker {
public:
    enum Hit {
        HitNothing = -1,
        HitTopLeft,
        HitTopRight,
        HitBottomRight,
        HitBottomLeft,
        HitTop,
        HitRight,
        HitBottom,
        HitLeft,
        HitMiddle,
    };

    // Width of the frame around the box, and of its handle squares.
    static constexpr int kFrame = 6;
    static constexpr int kHandle = 7;
    // The place the tracker waits at while no box is open.
    static constexpr int kOffScreen = -10000;

    TextTracker() { MoveOffScreen(); }

    // Device pixels per logical pixel of the page: the frame and its handles keep their physical size.
    void SetScale(double scale) { scale_ = scale; }

    void MoveOffScreen();
    bool IsOffScreen() const { return rect_.left() == kOffScreen; }
    const QRect& rect() const { return rect_; }
    void SetRect(const QRect& rect) { rect_ = rect; }

    // What a point hits: a handle, the frame or the inside (HitMiddle), or nothing.
    Hit HitTest(QPoint point) const;

    void BeginRubberBand(QPoint point);
    void BeginTrack(QPoint point, Hit hit);
    // Follows the mouse while tracking; the rectangle may be inverted until End.
    void TrackTo(QPoint point);
    // Ends the gesture and returns the normalised rectangle, which also becomes the tracker's.
    QRect End();
    bool Tracking() const { return mode_ != Mode::Idle; }
    bool RubberBanding() const { return mode_ == Mode::RubberBand; }
    // The rectangle as shown while tracking.
    QRect TrackedRect() const { return tracked_.normalized(); }

    // What the frame covers on the screen, handles included.
    QRect FrameBounds(const QRect& box) const;
    // The rubber band as a dotted outline, or the frame of an open box with its handles.
    void DrawRubberBand(QPainter& painter, const QRect& box) const;
    void DrawFrame(QPainter& painter, const QRect& box) const;

    static Qt::CursorShape CursorFor(Hit hit);

private:
    enum class Mode { Idle, RubberBand, Track };
    QRect handleRect(const QRect& box, Hit hit) const;
    int frame() const { return std::max(1, int(std::lround(kFrame * scale_))); }
    int handle() const { return std::max(1, int(std::lround(kHandle * scale_))); }

    QRect rect_;
    QRect tracked_;
    QRect trackStart_;
    QPoint grab_;
    Hit hit_ = HitNothing;
    Mode mode_ = Mode::Idle;
    double scale_ = 1.0;
};

// A box narrower than 32 pixels that is also at most 32 pixels high is taken for a slip of the pen (pixels
// of a plain desktop: scale times as many on a scaled one).
bool IsTextBoxTooSmall(const QRect& box, double scale = 1.0);

} // namespace DIALOG
