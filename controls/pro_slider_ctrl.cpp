#include "controls/pro_slider_ctrl.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace UICONTROL {

CProSliderCtrl::CProSliderCtrl(int id, QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
    , id_(id)
{
    setFocusPolicy(Qt::NoFocus);
}

void CProSliderCtrl::SetChannelColor(COLORREF colour)
{
    channel_ = colour;
    update();
}

int CProSliderCtrl::thumbRadius() const
{
    return std::max(4, height() / 2 - 2);
}

int CProSliderCtrl::ThumbCentre() const
{
    const int r = thumbRadius();
    const int span = width() - 2 * r - 1;
    if (maximum() <= minimum() || span <= 0)
        return r;
    return r + int(std::lround(double(value() - minimum()) * span / (maximum() - minimum())));
}

int CProSliderCtrl::ValueAt(int x) const
{
    const int r = thumbRadius();
    const int span = width() - 2 * r - 1;
    if (maximum() <= minimum() || span <= 0)
        return minimum();
    const double share = std::clamp(double(x - r) / span, 0.0, 1.0);
    return minimum() + int(std::lround(share * (maximum() - minimum())));
}

QSize CProSliderCtrl::sizeHint() const
{
    return {160, 24};
}

void CProSliderCtrl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor channel(GetRValue(channel_), GetGValue(channel_), GetBValue(channel_));
    const int r = thumbRadius();
    const int cy = height() / 2;
    const QRectF track(r, cy - 3, width() - 2 * r, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(channel.lighter(125));
    p.drawRoundedRect(track, 3, 3);
    const int cx = ThumbCentre();
    p.setBrush(channel.darker(150));
    p.drawRoundedRect(QRectF(track.left(), track.top(), cx - track.left(), track.height()), 3, 3);
    p.setBrush(Qt::white);
    p.setPen(QPen(channel.darker(170), 2));
    p.drawEllipse(QPointF(cx, cy), r - 1, r - 1);
}

void CProSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    setSliderDown(true);
    setValue(ValueAt(event->position().toPoint().x()));
}

void CProSliderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        setValue(ValueAt(event->position().toPoint().x()));
}

void CProSliderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    dragging_ = false;
    setValue(ValueAt(event->position().toPoint().x()));
    setSliderDown(false);
}

} // namespace UICONTROL
