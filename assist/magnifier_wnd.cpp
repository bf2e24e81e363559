#include "assist/magnifier_wnd.h"

#include "assist/presentation_aids_model.h"
#include "platform/window_flags.h"
#include "platform/window_stack.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace DIALOG {

namespace {
// The tracker's rectangle when nothing is selected: out of sight.
const QRect kOutOfSight(-10000, -10000, 0, 0);
constexpr int kBarGap = 4;
} // namespace

CBackgroundScreen::CBackgroundScreen(int* flag, const QRect& screen)
    : QWidget(nullptr, platform::kAidFlags)
    , close_(QStringLiteral(":/qmhelp/3002.png"))
    , zoomInPicture_(QStringLiteral(":/qmhelp/3059.png"))
    , reselectPicture_(QStringLiteral(":/qmhelp/3063.png"))
    , zoomOutPicture_(QStringLiteral(":/qmhelp/3069.png"))
    , tracker_(kOutOfSight)
    , flag_(flag)
{
    setWindowTitle(QStringLiteral("MagnifierWnd"));
    platform::SetStackLayer(this, platform::StackLayer::Aid);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(screen);
}

void CBackgroundScreen::restart(const QImage& snapshot, const QRect& screen)
{
    setGeometry(screen);
    snapshot_ = QImage(screen.size(), QImage::Format_RGB32);
    snapshot_.fill(Qt::black);
    QPainter(&snapshot_).drawImage(0, 0, snapshot);
    frame_ = snapshot_.copy();
    level_ = 1;
    tracker_ = kOutOfSight;
    source_ = QImage();
    magnified_ = QImage();
    update();
}

QRect CBackgroundScreen::barRect() const
{
    if (level_ == 1 && source_.isNull())
        return {};
    const int pictures = level_ > 1 ? 3 : 2;
    const QSize bar(pictures * (zoomInPicture_.width() + kBarGap), zoomInPicture_.height());
    return aids::magnifierBarRect(tracker_, bar, size());
}

QRect CBackgroundScreen::closeRect() const
{
    return QRect(QPoint(width() - 60 - close_.width(), height() - 31 - close_.height()), close_.size());
}

void CBackgroundScreen::rezoom()
{
    if (source_.isNull())
        return;
    const QRect next = aids::magnifiedRect(centre_, source_.size(), level_);
    magnified_ = level_ > 1 ? source_.scaled(source_.size() * level_) : source_;
    const QRect oldBar = barRect();
    moveTracker(next);
    update(oldBar | barRect());
}

void CBackgroundScreen::moveTracker(const QRect& rect)
{
    const QRect oldBar = barRect();
    QRect changed;
    if (level_ > 1)
        changed = aids::moveMagnified(frame_, snapshot_, magnified_, tracker_, rect);
    else {
        QPainter painter(&frame_);
        const QRect old = tracker_ & frame_.rect();
        painter.drawImage(old, snapshot_, old);
        changed = (old | rect) & frame_.rect();
    }
    tracker_ = rect;
    update(changed.adjusted(-2, -2, 2, 2) | oldBar | barRect());
}

void CBackgroundScreen::zoomIn()
{
    if (source_.isNull())
        return;
    ++level_;
    rezoom();
}

void CBackgroundScreen::zoomOut()
{
    if (level_ <= 1)
        return;
    --level_;
    rezoom();
}

void CBackgroundScreen::reselect()
{
    const QRect old = tracker_ | barRect();
    QPainter(&frame_).drawImage(tracker_ & frame_.rect(), snapshot_, tracker_ & frame_.rect());
    level_ = 1;
    source_ = QImage();
    tracker_ = kOutOfSight;
    update(old.adjusted(-2, -2, 2, 2));
}

void CBackgroundScreen::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, frame_, area);
    if (tracker_.intersects(rect())) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(tracker_.adjusted(0, 0, -1, -1));
    }
    const QRect bar = barRect();
    if (!bar.isEmpty()) {
        int x = bar.left();
        painter.drawImage(x, bar.top(), zoomInPicture_);
        x += zoomInPicture_.width() + kBarGap;
        painter.drawImage(x, bar.top(), reselectPicture_);
        x += reselectPicture_.width() + kBarGap;
        if (level_ > 1)
            painter.drawImage(x, bar.top(), zoomOutPicture_);
    }
    painter.drawImage(closeRect().topLeft(), close_);
}

void CBackgroundScreen::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (closeRect().contains(p)) {
        if (flag_)
            *flag_ = 0;
        tracker_ = kOutOfSight;
        hide();
        return;
    }
    const QRect bar = barRect();
    if (bar.contains(p)) {
        const int index = (p.x() - bar.left()) / (zoomInPicture_.width() + kBarGap);
        if (index == 0)
            zoomIn();
        else if (index == 1)
            reselect();
        else
            zoomOut();
        return;
    }
    press_ = p;
    if (level_ > 1 && tracker_.contains(p)) {
        moving_ = true;
        setCursor(Qt::ClosedHandCursor);
    } else if (level_ == 1) {
        selecting_ = true;
        reselect();
    }
}

void CBackgroundScreen::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (moving_) {
        centre_ += p - press_;
        press_ = p;
        moveTracker(aids::magnifiedRect(centre_, source_.size(), level_));
    } else if (selecting_) {
        moveTracker(aids::bandBetween(press_, p));
    }
}

void CBackgroundScreen::mouseReleaseEvent(QMouseEvent* event)
{
    if (moving_) {
        moving_ = false;
        setCursor(tracker_.contains(event->position().toPoint()) ? Qt::OpenHandCursor : Qt::ArrowCursor);
        return;
    }
    if (!selecting_)
        return;
    selecting_ = false;
    const QRect band = aids::clipToScreen(aids::bandBetween(press_, event->position().toPoint()), size());
    if (band.width() < 2 || band.height() < 2) {
        reselect();
        return;
    }
    source_ = snapshot_.copy(band);
    centre_ = band.center();
    magnified_ = source_;
    moveTracker(band);
}

} // namespace DIALOG
