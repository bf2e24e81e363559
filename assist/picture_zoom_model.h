#pragma once
// The picture zoom's view without a window: the factor (1 to 10), the view centre in snapshot pixels, panning
// that never shows past the picture's edge, and the centre pulled back in when the factor drops.
#include "assist/qmhelp_export.h"

#include <QPointF>
#include <QRectF>
#include <QSize>

namespace DIALOG::zoom {

constexpr int kMinFactor = 1;
constexpr int kMaxFactor = 10;
constexpr int kOpeningFactor = 2;

class QMHELP_EXPORT PictureZoom {
public:
    // display: the screen rectangle's size; the view starts centred at the opening factor.
    explicit PictureZoom(const QSize& display, int factor = kOpeningFactor);

    int factor() const { return factor_; }
    QPointF centre() const { return centre_; }
    // The part of the snapshot the window shows, stretched to the whole window.
    QRectF sourceRect() const;

    void enlarge();
    // False when the factor reached 1: the zoom window then closes.
    bool reduce();
    // Factor 1, centred; the window then closes.
    void noChange();
    // The pointer moved from last to current while the button is down; each axis that would show past the
    // picture's edge is left as it was.
    void pan(const QPointF& last, const QPointF& current);

private:
    void reclamp();

    QSize display_;
    int factor_;
    QPointF centre_;
};

} // namespace DIALOG::zoom
