#include "assist/spotlight_wnd.h"

#include "assist/presentation_aids_model.h"
#include "platform/window_flags.h"
#include "platform/window_stack.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace DIALOG {

CSpoltLight::CSpoltLight(int* flag, unsigned diameter, const QImage& snapshot, const QRect& screen)
    : QWidget(nullptr, platform::kAidFlags)
    , exit_(QStringLiteral(":/qmhelp/3072.png"))
    , snapshot_(snapshot.convertToFormat(QImage::Format_RGB32))
    , diameter_(diameter)
    , flag_(flag)
{
    setWindowTitle(QStringLiteral("SpoltLightWnd"));
    platform::SetStackLayer(this, platform::StackLayer::Aid);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setGeometry(screen);
    if (snapshot_.size() != screen.size()) {
        QImage fitted(screen.size(), QImage::Format_RGB32);
        fitted.fill(Qt::black);
        QPainter(&fitted).drawImage(0, 0, snapshot_);
        snapshot_ = fitted;
    }
    darkened_ = aids::darkened(snapshot_, aids::kSpotlightDarkening);
    frame_ = darkened_.copy();
    spot_ = aids::spotSquare(QPoint(screen.width() / 2, screen.height() / 2), diameter_);
    aids::paintSpot(frame_, snapshot_, spot_);
}

QRect CSpoltLight::exitRect() const
{
    return QRect(QPoint(width() - 60 - exit_.width(), height() - 31 - exit_.height()), exit_.size());
}

void CSpoltLight::placeSpot(const QRect& square)
{
    const QRect changed = aids::moveSpot(frame_, darkened_, snapshot_, spot_, square);
    spot_ = square;
    update(changed);
}

void CSpoltLight::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, frame_, area);
    if (area.intersects(exitRect()))
        painter.drawImage(exitRect().topLeft(), exit_);
}

void CSpoltLight::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (aids::onSpotRing(spot_, p)) {
        resizing_ = true;
        return;
    }
    if (exitRect().contains(p)) {
        if (flag_)
            *flag_ = 0;
        hide();
        return;
    }
    placeSpot(aids::spotSquare(p, diameter_));
}

void CSpoltLight::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    setCursor(resizing_ || aids::onSpotRing(spot_, p) ? Qt::SizeAllCursor : Qt::ArrowCursor);
    if (!resizing_)
        return;
    const double grow = aids::distanceFromSpotEdge(spot_, p);
    const double next = std::max(2.0, double(diameter_) + grow);
    diameter_ = unsigned(next);
    placeSpot(aids::spotSquare(spot_.center(), diameter_));
}

void CSpoltLight::mouseReleaseEvent(QMouseEvent*)
{
    resizing_ = false;
}

} // namespace DIALOG
