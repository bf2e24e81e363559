#pragma once
// The pair of compasses: an opaque grey figure standing upright on the page, its needle leg on ptOrigin
// and its pencil tip, which is also its handle, at ptHandle; a hinge where the legs meet and a grip above.
// While it is the active instrument a drag that grabs nothing draws: the pencil follows the mouse around
// the needle at the set radius, one pencil point a drag step, and the points become a compass arc of the
// page. The opening is shown as "r = %.1f" in units of 50 pixels, the unit of the ruler's numbers.
#include "instruments/my_shape.h"

#include <QPolygon>
#include <QRect>
#include <QSize>

#include <array>
#include <vector>

namespace DIALOG {

class Compass : public MyShape {
public:
    using MyShape::MyShape;

    // Pencil points filed away when the compass was moved.
    struct ArcRecord {
        std::vector<QPoint> points;
        double radius = 0;
        QPoint centre;
        std::array<int, 2> tags {};
    };

    // Direction codes with the compass's own numbering: 0 right and up, 1 right and down, 2 left and down,
    // 3 left and up; 4, 5 and 6 as MyShape's.
    int Direction(int x0, int y0, int x1, int y1) const override;
    void Draw(QPainter& painter, const QImage& page) override;
    // The hinge, the grip, the needle leg or the pencil leg outside its tip.
    BOOL HitBody(int x, int y) const override;
    // The pencil tip, widened by 10 pixels to either side.
    BOOL HitHandle(int x, int y) const override;
    // No farther from the needle than the legs open: 2·legLength − 10 = 490 pixels.
    BOOL CanReach(int x, int y) const override;
    BOOL HitRect(int left, int top, int right, int bottom) const override;
    void UpdateRegions() override;

    // On the pencil leg and not on its tip.
    BOOL OnPencilLeg(int x, int y) const;
    // The point on the circle of radius `radius` about ptOrigin in the direction of (x, y).
    QPoint PencilPoint(int x, int y) const;
    // One drag step of drawing towards p: the pencil point, which becomes ptHandle and joins arcPoints.
    // With no opening there is nothing to draw.
    std::optional<QPoint> DrawTowards(QPoint p);
    // Files arcPoints away as a record of arcs and empties them, as a move of the compass does.
    void FileArc();
    // "r = %.1f" of the opening in units of 50 pixels, at most 7 characters.
    QString Label() const;
    // Where the legs meet.
    QPoint Hinge() const;

    std::vector<QPoint> arcPoints;
    std::vector<ArcRecord> arcs;
    std::optional<QRegion> hingeRgn;
    std::optional<QRegion> tipRgn;
    std::optional<QRegion> needleLegRgn;
    std::optional<QRegion> pencilLegRgn;
    std::optional<QRegion> gripRgn;
    // The opening in pixels, fixed when the button goes up.
    int radius = 0;
    std::array<int, 2> arcTags {20, 3};
    double legLength = 250.0;
    double legWidth = 20.0;
    double tipLength = 100.0;
    // The breadth of a leg as seen in the present pose: the compass turns about its upright axis as the
    // line from needle to pencil turns, so breadths shrink as that line steepens.
    double legSlant = 20.0;
    QPolygon needleLeg;
    QPolygon pencilLeg;
    QPolygon hinge;
    QPolygon grip;
    QPolygon pencilTip;

private:
    void layOut();
    QRect handleBox() const;
    QRegion hitRegion() const;

    // Thin bands along the legs, so that a compass seen edge-on, whose parts have no breadth, can still
    // be taken hold of.
    QRegion legBands_;
    // The size of the label as last written, so that the dirty region covers it.
    QSize labelSize_;
};

} // namespace DIALOG
