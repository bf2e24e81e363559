#include "instruments/iso_triangular.h"

#include "instruments/set_square.h"

namespace DIALOG {

namespace {

// The one shift of the dirty region that tells the two set squares apart.
constexpr int kDirtyShiftX = 20;

} // namespace

void ISOTriangular::Draw(QPainter& painter, const QImage& page)
{
    DrawSetSquare(*this, painter, page, kSecondLegRatio, kDirtyShiftX);
}

BOOL ISOTriangular::HitBody(int x, int y) const
{
    return bodyRgn && bodyRgn->contains(QPoint(x, y));
}

BOOL ISOTriangular::HitRect(int left, int top, int right, int bottom) const
{
    return BodyRegionMeets(left, top, right, bottom);
}

void ISOTriangular::UpdateRegions()
{
    if (const auto layout = LaySetSquare(*this, kSecondLegRatio))
        SetSquareRegions(*this, *layout, kDirtyShiftX);
}

} // namespace DIALOG
