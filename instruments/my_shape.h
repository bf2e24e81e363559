#pragma once
// The geometry instruments of the pen surface: drawing aids that are drawn anew over the page on every
// paint, placed, moved, turned and stretched with the mouse, and never stored in a page file. MyShape is
// their common root; the surface knows the instruments only through it. Coordinates are client pixels of
// the surface window, which covers the screen.
#include "platform/win_types.h"

#include <QPoint>
#include <QRegion>
#include <QString>

#include <functional>
#include <optional>

class QImage;
class QPainter;

namespace DIALOG {

// The width of the screen in pixels, asked whenever an instrument needs it.
using ScreenWidthSource = std::function<int()>;
// The width of the primary screen; 1920 while there is none.
int PrimaryScreenWidth();

class MyShape {
public:
    explicit MyShape(ScreenWidthSource screenWidth = PrimaryScreenWidth);
    virtual ~MyShape();
    MyShape(const MyShape&) = delete;
    MyShape& operator=(const MyShape&) = delete;

    // The direction code of the vector from (x0, y0) to (x1, y1); it does not read the object. Screen y
    // grows downwards: 0 right and up, 1 left and up, 2 left and down, 3 right and down, 4 no vector,
    // 5 only x differs, 6 only y differs.
    virtual int Direction(int x0, int y0, int x1, int y1) const;
    // Draws the instrument with painter, over page (the picture under the instrument, whose pixels give its
    // scale the inverse colour), and rebuilds bodyRgn and dirtyRgn. The handle disc takes the painter's pen
    // and brush as it finds them.
    virtual void Draw(QPainter& painter, const QImage& page);
    virtual BOOL HitBody(int x, int y) const;
    // Within 15 pixels of ptHandle.
    virtual BOOL HitHandle(int x, int y) const;
    // Whether (x, y) is an allowed place for ptHandle: no farther from ptOrigin than the screen is wide.
    virtual BOOL CanReach(int x, int y) const;
    // Whether any integer point of the closed rectangle hits the body.
    virtual BOOL HitRect(int left, int top, int right, int bottom) const = 0;
    // Rebuilds bodyRgn and dirtyRgn for the present points without painting, so that hit tests and
    // repaints follow a drag step before the next paint does.
    virtual void UpdateRegions();

    void SetName(const QString& kind) { name = kind; }
    const QString& GetName() const { return name; }

    // First defining point: the ruler's zero end, a set square's right angle, the protractor's left end,
    // the compass's needle.
    QPoint ptOrigin;
    // Second defining point, where the handle that turns and stretches the instrument sits.
    QPoint ptHandle;
    // Breadth of the body (ruler and set squares).
    double width = 80.0;
    // Distance between two neighbouring scale ticks.
    double step = 5.0;
    // The drawn length of a scale is capped at this (the screen width when the instrument was made).
    double maxLength;
    // Outline of the body as last laid out; none before the first layout.
    std::optional<QRegion> bodyRgn;
    // What to repaint when the instrument changes: the body and its handle, widened on every side.
    QRegion dirtyRgn;
    // Placed: drawn and hit-tested.
    BOOL visible = 0;
    // "Compass", "Ruler", "ISOTriangular", "Triangular" or "Protractor".
    QString name;

protected:
    int screenWidth() const;
    // HitRect for an instrument whose body is bodyRgn and nothing else.
    BOOL BodyRegionMeets(int left, int top, int right, int bottom) const;

private:
    ScreenWidthSource screenWidth_;
};

// Euclidean distance between two integer points, in 64-bit floating point.
double Distance(QPoint a, QPoint b);

} // namespace DIALOG
