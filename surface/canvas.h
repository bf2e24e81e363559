#pragma once
// The pictures of the pen surface, on QImage alone: the still background, the page (background plus every
// committed object) and the window image, which is exactly what the window shows. Live ink is drawn only
// into the window image and the changed rectangle handed to the repaint function; whatever else shows
// over the page (previews, frames, buttons) is an overlay registered here, so that rebuilding an area of
// the window image from the page never loses it.
#include "platform/win_types.h"
#include "surface/pen_node.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

class QPainter;
class QRegion;

namespace DIALOG {

// Something painted over the page whenever an area of the window image is rebuilt.
class Overlay {
public:
    virtual ~Overlay() = default;
    virtual void paintOverlay(QPainter& painter) const = 0;
};

// A rubber-band outline drawn with R2_NOT: drawing it again removes it.
struct Band {
    NodeKind kind = Line;
    QPoint from;
    QPoint to;
    int width = 1;
};

class Canvas {
public:
    using Repaint = std::function<void(const QRect&)>;

    // Images of size: a white background, page and window image.
    explicit Canvas(QSize size = QSize(1, 1));

    // Receives every rectangle of the window image that changed; nothing by default.
    void SetRepaint(Repaint repaint) { repaint_ = std::move(repaint); }
    // Overlays are painted in the order they were added, over the page; the canvas does not own them.
    void AddOverlay(const Overlay* overlay) { overlays_.push_back(overlay); }

    QRect rect() const { return windowImage_.rect(); }
    const QImage& backgroundBitmap() const { return backgroundBitmap_; }
    // The background, to be replaced or filled; the page shows the change after RedrawPage.
    QImage& background() { return backgroundBitmap_; }
    const QImage& pageBitmap() const { return pageBitmap_; }
    const QImage& windowImage() const { return windowImage_; }

    // A stored page's picture becomes the background: it keeps its pixel positions, which the page's objects
    // refer to, whatever its size; what it does not cover is white.
    void PlacePagePicture(const QImage& picture);
    // The background with nodes drawn on it, in a picture of its own.
    QImage PageWith(const std::vector<CPenNode>& nodes, const QImage* eraserSource) const;
    // The page becomes the background with nodes drawn on it in order; eraser objects restore from
    // eraserSource. The window image is not touched: Compose the area to show it.
    void RedrawPage(const std::vector<CPenNode>& nodes, const QImage* eraserSource);
    // Draws one more object on the page; returns where it may have put ink.
    QRect DrawOnPage(const CPenNode& node, const QImage* eraserSource);
    // Rebuilds the window image over area from the page, the overlays and the band, and repaints it.
    void Compose(const QRect& area);
    // Copies the window image to a window's painter over region (logical pixels of a window whose device
    // pixel ratio is ratio: the canvas is in its device pixels).
    void PaintWindow(QPainter& painter, const QRegion& region, double ratio = 1.0) const;

    // Live ink, straight into the window image: a segment in a GDI pen with a raster operation, and brush
    // dots stamped at centres.
    void LiveSegment(QPoint from, QPoint to, COLORREF colour, int width, int rop2);
    void LiveStamps(const QImage& dot, const std::vector<QPoint>& centres);
    // The point eraser's step: restore (a square left by the previous step, may be empty) and the squares
    // of size around path come back from the background, then square is outlined under the pointer.
    // swept is the area the step covers.
    void LiveEraser(const std::vector<QPoint>& path, int size, const QRect& restore, const QRect& square,
        const QRect& swept);

    // The one rubber band: moved (the old outline removed, the new one drawn) or removed. The band lies
    // over everything else, so that drawing it twice always gives back what was beneath.
    void MoveBand(const Band& band);
    void RemoveBand();
    bool BandShown() const { return bandShown_; }
    // What the band now shown covers; empty without one.
    QRect BandBounds() const;

private:
    void drawBand(QPainter& painter) const;
    void repaint(const QRect& area) const;

    QImage backgroundBitmap_;
    QImage pageBitmap_;
    QImage windowImage_;
    std::vector<const Overlay*> overlays_;
    Repaint repaint_;
    Band band_;
    bool bandShown_ = false;
};

} // namespace DIALOG
