#pragma once
// The rules that turn pointer moves into the points and widths of a stroke, and the areas a stroke inks.
// Plain functions of their arguments: the gestures call them, tests check them without a window.
#include "platform/win_types.h"
#include "surface/pen_node.h"

#include <QPoint>
#include <QRect>

#include <vector>

namespace DIALOG {

// The live rhythm of a dashed stroke: dash and gap switch every 30 pixels of path, logical pixels: the
// rhythm is given the device pixels per logical one.
struct DashRhythm {
    static constexpr double kSwitchLength = 30.0;

    // Path length since the last switch, and whether the stroke is in a gap now.
    double dashDistance = 0.0;
    BOOL dashGap = 0;

    // Adds the segment from..to; true when it is drawn, false when it falls in a gap. The point that ends
    // it is stored linked exactly when it is drawn.
    bool Step(QPoint from, QPoint to, double ratio = 1.0);
    void Reset() { *this = DashRhythm(); }
};

// The speed pen: the faster the hand, the thinner the stroke, within a range set by the chosen width.
struct SpeedPenWidth {
    // The width is judged again after this much path, in logical pixels.
    static constexpr double kJudgeDistance = 10.0;
    // Slower than this (logical pixels per millisecond) leaves the width as it is.
    static constexpr double kSlowest = 0.05;

    double speedPrev = 0.0;
    double speedDistance = 0.0;
    qint64 speedClock = 0;
    QPoint speedLastPoint;
    int speedWidth = 7;
    int speedMinWidth = 3;
    int speedMaxWidth = 8;

    // The chosen width, raised to at least 8, becomes the widest; the narrowest follows from it. Returns
    // the pen width of the speed pen.
    int SetWidth(int width);
    // The pen goes down at point at time now (milliseconds of any steady clock).
    void Begin(QPoint point, qint64 now);
    // The pen moves to point (in pixels of ratio logical ones) at time now; returns the width of the
    // segment from speedLastPoint, which becomes point.
    int Step(QPoint point, qint64 now, double ratio = 1.0);
};

// The width a stylus pressing with pressure (0 to 1) gives a pen of the chosen width: half of it at the
// lightest touch, the chosen width at half pressure and twice it at the firmest, growing by equal ratios in
// between as the eye judges widths; never less than one pixel.
int PressureWidth(int chosen, double pressure);

// A lasso counts as closed when its ends are at most this far apart in logical pixels, the distance cut to
// whole pixels: a hand-drawn loop never meets itself exactly. Its points are in pixels of ratio logical ones.
constexpr int kLassoClosing = 100;
bool LassoClosed(const std::vector<PenPoint>& points, double ratio = 1.0);
// A lasso is drawn from its first kMaxLassoPoints points only: a longer one keeps evenly spaced points of
// the whole way round, both ends among them, so that it erases all it encloses and not a slice of it.
std::vector<PenPoint> ThinLasso(const std::vector<PenPoint>& points);

// A press and release at one point with a freehand tool (not a shape, not a polyline) is a click: the
// object stays the single point the pen touched, one pixel or one dot.
bool IsClick(const CPenNode& object, QPoint release);

// Kinds drawn by dragging a rubber band from the press to the release point.
bool IsShapeKind(NodeKind kind);

// Where an object can put ink: its points widened by the pen, the solids' back faces and the arrow head.
QRect ObjectBounds(const CPenNode& node);
// What a live segment of this width inks, with a pixel to spare.
QRect SegmentRect(QPoint from, QPoint to, int width);

// The point eraser's way from one pointer event to the next, a point for every pixel step so that a fast
// sweep leaves no ink between its squares; from itself is left out, to is the last point.
std::vector<QPoint> EraserPath(QPoint from, QPoint to);
// The square the point eraser of this size shows and erases around point: size on every side.
QRect EraserSquare(QPoint point, int size);

// A compass arc is drawn counter-clockwise from each of its points to the next. The pencil points of one
// drag (the hand may go either way, pause, or turn back) become the arc it swept: its points in
// counter-clockwise order from one end to the other, each step a short one, repeated points left out. A
// sweep all the way round starts and ends on the same point. Fewer than two distinct points give what
// there is.
std::vector<QPoint> CounterClockwiseArc(QPoint centre, const std::vector<QPoint>& pencil);

} // namespace DIALOG
