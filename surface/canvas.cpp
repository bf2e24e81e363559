#include "surface/canvas.h"

#include "instruments/column_shape.h"
#include "instruments/cube_shape.h"
#include "platform/gdi.h"
#include "surface/stroke_rules.h"

#include <QPainter>
#include <QRegion>

#include <cstring>

namespace DIALOG {

namespace {

QImage whiteImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(0xFFFFFFFF);
    return image;
}

// Copies from into to, reusing to's pixels when it has the same shape and is not shared: a screen-sized
// page allocated anew for every redraw costs more in fresh pages of memory than the copy itself.
void copyInto(QImage& to, const QImage& from)
{
    if (to.size() != from.size() || to.format() != from.format() || !to.isDetached()
        || to.bytesPerLine() != from.bytesPerLine()) {
        to = from.copy();
        return;
    }
    std::memcpy(to.bits(), from.constBits(), std::size_t(from.sizeInBytes()));
}

} // namespace

Canvas::Canvas(QSize size)
    : backgroundBitmap_(whiteImage(size))
    , pageBitmap_(whiteImage(size))
    , windowImage_(whiteImage(size))
{
}

void Canvas::repaint(const QRect& area) const
{
    if (repaint_ && !area.isEmpty())
        repaint_(area);
}

void Canvas::PlacePagePicture(const QImage& picture)
{
    backgroundBitmap_.fill(0xFFFFFFFF);
    QPainter p(&backgroundBitmap_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, picture.convertToFormat(QImage::Format_RGB32));
}

QImage Canvas::PageWith(const std::vector<CPenNode>& nodes, const QImage* eraserSource) const
{
    QImage page = backgroundBitmap_.copy();
    QPainter p(&page);
    for (const CPenNode& node : nodes)
        node.Draw(p, eraserSource);
    p.end();
    return page;
}

void Canvas::RedrawPage(const std::vector<CPenNode>& nodes, const QImage* eraserSource)
{
    copyInto(pageBitmap_, backgroundBitmap_);
    QPainter p(&pageBitmap_);
    for (const CPenNode& node : nodes)
        node.Draw(p, eraserSource);
}

QRect Canvas::DrawOnPage(const CPenNode& node, const QImage* eraserSource)
{
    QPainter p(&pageBitmap_);
    node.Draw(p, eraserSource);
    return ObjectBounds(node);
}

void Canvas::Compose(const QRect& area)
{
    const QRect r = area & windowImage_.rect();
    if (r.isEmpty())
        return;
    QPainter p(&windowImage_);
    p.setClipRect(r);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.topLeft(), pageBitmap_, r);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const Overlay* overlay : overlays_)
        overlay->paintOverlay(p);
    if (bandShown_)
        drawBand(p);
    p.end();
    repaint(r);
}

void Canvas::PaintWindow(QPainter& painter, const QRegion& region, double ratio) const
{
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : region) {
        if (ratio == 1.0) {
            painter.drawImage(r.topLeft(), windowImage_, r);
            continue;
        }
        // Each device pixel of the window image lands on one pixel of the screen: nothing is resampled.
        const QRectF source(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio);
        painter.drawImage(QRectF(r), windowImage_, source);
    }
}

void Canvas::LiveSegment(QPoint from, QPoint to, COLORREF colour, int width, int rop2)
{
    QPainter p(&windowImage_);
    platform::beginGdi(p);
    platform::setRop2(p, rop2);
    p.setPen(platform::gdiPen(colour, width));
    p.drawLine(from, to);
    p.end();
    repaint(SegmentRect(from, to, width));
}

void Canvas::LiveStamps(const QImage& dot, const std::vector<QPoint>& centres)
{
    if (dot.isNull() || centres.empty())
        return;
    const int w = dot.width();
    const int half = w / 2;
    QPainter p(&windowImage_);
    QRect dirty;
    for (const QPoint& c : centres) {
        p.drawImage(c.x() - half, c.y() - half, dot);
        dirty |= QRect(c.x() - half, c.y() - half, w, w);
    }
    p.end();
    repaint(dirty);
}

void Canvas::LiveEraser(
    const std::vector<QPoint>& path, int size, const QRect& restore, const QRect& square, const QRect& swept)
{
    QPainter p(&windowImage_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (!restore.isEmpty())
        p.drawImage(restore.topLeft(), backgroundBitmap_, restore);
    platform::copySquares(p, backgroundBitmap_, path.data(), path.size(), size);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    platform::beginGdi(p);
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(Qt::white);
    p.drawRect(square.adjusted(0, 0, -1, -1));
    p.end();
    repaint(restore | swept | square);
}

void Canvas::drawBand(QPainter& p) const
{
    p.save();
    platform::beginGdi(p);
    platform::setRop2(p, platform::R2_NOT);
    p.setPen(platform::gdiPen(0, band_.width));
    p.setBrush(Qt::NoBrush);
    switch (band_.kind) {
    case Rectangle:
        p.drawPolygon(QPolygon({band_.from, QPoint(band_.to.x(), band_.from.y()), band_.to,
            QPoint(band_.from.x(), band_.to.y())}));
        break;
    case Ellipse:
        p.drawEllipse(QRect(band_.from, band_.to).normalized());
        break;
    case Cube: {
        CubeShape cube;
        cube.ptFirst = band_.from;
        cube.ptSecond = band_.to;
        cube.Draw(p);
        break;
    }
    case Cylinder: {
        ColumnShape column;
        column.ptFirst = band_.from;
        column.ptSecond = band_.to;
        column.Draw(p);
        break;
    }
    default:
        p.drawLine(band_.from, band_.to);
        break;
    }
    p.restore();
}

QRect Canvas::BandBounds() const
{
    if (!bandShown_)
        return QRect();
    CPenNode outline(0, band_.width, 0, band_.kind == Polyline ? Line : band_.kind);
    outline.AddPoint(band_.from.x(), band_.from.y());
    outline.AddPoint(band_.to.x(), band_.to.y());
    return ObjectBounds(outline);
}

void Canvas::MoveBand(const Band& band)
{
    QRect dirty = BandBounds();
    QPainter p(&windowImage_);
    if (bandShown_)
        drawBand(p);
    band_ = band;
    bandShown_ = true;
    drawBand(p);
    p.end();
    repaint(dirty | BandBounds());
}

void Canvas::RemoveBand()
{
    if (!bandShown_)
        return;
    const QRect dirty = BandBounds();
    QPainter p(&windowImage_);
    drawBand(p);
    p.end();
    bandShown_ = false;
    repaint(dirty);
}

} // namespace DIALOG
