#include "assist/picture_zoom_model.h"

#include <algorithm>

namespace DIALOG::zoom {

PictureZoom::PictureZoom(const QSize& display, int factor)
    : display_(display)
    , factor_(std::clamp(factor, kMinFactor, kMaxFactor))
    , centre_(display.width() / 2.0, display.height() / 2.0)
{
}

QRectF PictureZoom::sourceRect() const
{
    const double w = display_.width() / double(factor_);
    const double h = display_.height() / double(factor_);
    return QRectF(centre_.x() - w / 2, centre_.y() - h / 2, w, h);
}

void PictureZoom::enlarge()
{
    factor_ = std::min(factor_ + 1, kMaxFactor);
}

bool PictureZoom::reduce()
{
    factor_ = std::max(factor_ - 1, kMinFactor);
    reclamp();
    return factor_ > kMinFactor;
}

void PictureZoom::noChange()
{
    factor_ = kMinFactor;
    centre_ = QPointF(display_.width() / 2.0, display_.height() / 2.0);
}

void PictureZoom::reclamp()
{
    const double f = factor_;
    const double halfW = display_.width() / 2.0;
    const double halfH = display_.height() / 2.0;
    double x = centre_.x();
    double y = centre_.y();
    if (f * x < halfW)
        x = halfW / f;
    if (f * (display_.width() - x) < halfW)
        x = (f * display_.width() - halfW) / f;
    if (f * y < halfH)
        y = halfH / f;
    if (f * (display_.height() - y) < halfH)
        y = (f * display_.height() - halfH) / f;
    centre_ = QPointF(x, y);
}

void PictureZoom::pan(const QPointF& last, const QPointF& current)
{
    const double f = factor_;
    const QPointF offset = last - current;
    const double x = centre_.x() + offset.x() / f;
    const double y = centre_.y() + offset.y() / f;
    const double halfW = display_.width() / 2.0;
    const double halfH = display_.height() / 2.0;
    if (f * x - halfW >= 0 && f * x + halfW <= f * display_.width())
        centre_.setX(x);
    if (f * y - halfH >= 0 && f * y + halfH <= f * display_.height())
        centre_.setY(y);
}

} // namespace DIALOG::zoom
