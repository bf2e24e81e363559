#include "instruments/triangular.h"

#include "instruments/set_square.h"

namespace DIALOG {

namespace {

// The one shift of the dirty region that tells the two set squares apart.
constexpr int kDirtyShiftX = 70;

} // namespace

void Triangular::Draw(QPainter& painter, const QImage& page)
{
    DrawSetSquare(*this, painter, page, kSecondLegRatio, kDirtyShiftX);
}

BOOL Triangular::HitBody(int x, int y) const
{
    return bodyRgn && bodyRgn->contains(QPoint(x, y));
}

BOOL Triangular::HitRect(int left, int top, int right, int bottom) const
{
    return BodyRegionMeets(left, top, right, bottom);
}

void Triangular::UpdateRegions()
{
    if (const auto layout = LaySetSquare(*this, kSecondLegRatio))
        SetSquareRegions(*this, *layout, kDirtyShiftX);
}

} // namespace DIALOG
