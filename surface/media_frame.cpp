#include "surface/media_frame.h"

#include "platform/messages.h"
#include "player/player_exports.h"
#include "surface/surface_messages.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace DIALOG {

namespace {

// wParam of 0x113D: the video window was closed.
constexpr WPARAM kVideoWindowClosed = 2;
const QColor kCaptionColour(0x1B, 0x4C, 0x8C);

// The picture area takes no clicks of its own: a click on the video plays or pauses it.
class PictureArea : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void mousePressEvent(QMouseEvent* event) override { event->ignore(); }
};

} // namespace

CMediaFrame::CMediaFrame(QWidget* surface, const QString& path)
    : QWidget(surface)
    , path_(path)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_ = new PictureArea(this);
    picture_->setAttribute(Qt::WA_NativeWindow);
    picture_->setAutoFillBackground(true);
    QPalette black = picture_->palette();
    black.setColor(QPalette::Window, Qt::black);
    picture_->setPalette(black);
    messages_ = std::make_unique<platform::MessageTable>(this, QStringLiteral("MediaFrame"));
    messages_->on(kMsgGraphNotify, [](WPARAM, LPARAM) { return LRESULT(vpHandleGraphEvent()); });
    messages_->on(kMsgPlaybackComplete, [this](WPARAM, LPARAM) {
        // At its end the video goes back to its first frame, ready to be played again.
        vpStop();
        update(playButton());
        return LRESULT(0);
    });
}

CMediaFrame::~CMediaFrame()
{
    if (picture_ && vpGetPlayState() != VPS_NOPLAYER)
        vpQuit();
}

bool CMediaFrame::Load()
{
    picture_->setGeometry(0, kCaptionHeight, width(), height() - kCaptionHeight);
    vpAttach(picture_);
    vpLoad(path_);
    return vpGetPlayState() != VPS_NOPLAYER;
}

void CMediaFrame::Play()
{
    vpPlay();
    update(playButton());
}

void CMediaFrame::PauseOrPlay()
{
    if (vpGetPlayState() == VPS_PLAYING)
        vpPause();
    else
        vpPlay();
    update(playButton());
}

void CMediaFrame::Close()
{
    vpQuit();
    hide();
    if (QWidget* surface = parentWidget())
        platform::SendMessage(
            platform::WindowRef(surface), ScreenPenMsg::kMediaWindow, kVideoWindowClosed, 0);
}

void CMediaFrame::Place(QPoint centre, QSize size)
{
    setGeometry(QRect(QPoint(centre.x() - size.width() / 2, centre.y() - size.height() / 2), size));
}

QRect CMediaFrame::closeButton() const
{
    return QRect(width() - kCaptionHeight, 0, kCaptionHeight, kCaptionHeight);
}

QRect CMediaFrame::playButton() const
{
    return QRect(0, 0, kCaptionHeight, kCaptionHeight);
}

void CMediaFrame::resizeEvent(QResizeEvent*)
{
    picture_->setGeometry(0, kCaptionHeight, width(), std::max(1, height() - kCaptionHeight));
    vpAdjustToWindow();
}

void CMediaFrame::hideEvent(QHideEvent*)
{
    if (vpGetPlayState() == VPS_PLAYING)
        vpPause();
}

void CMediaFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(QRect(0, 0, width(), kCaptionHeight), kCaptionColour);
    p.setPen(Qt::white);
    p.setBrush(Qt::white);
    const QRect play = playButton().adjusted(8, 7, -8, -7);
    if (vpGetPlayState() == VPS_PLAYING) {
        p.fillRect(QRect(play.left(), play.top(), 3, play.height()), Qt::white);
        p.fillRect(QRect(play.right() - 2, play.top(), 3, play.height()), Qt::white);
    } else {
        p.drawPolygon(QPolygon({play.topLeft(), QPoint(play.right(), play.center().y()), play.bottomLeft()}));
    }
    const QRect close = closeButton().adjusted(8, 8, -8, -8);
    p.setPen(QPen(Qt::white, 2.0));
    p.drawLine(close.topLeft(), close.bottomRight());
    p.drawLine(close.topRight(), close.bottomLeft());
    const QRect title(kCaptionHeight + 4, 0, width() - 2 * kCaptionHeight - 8, kCaptionHeight);
    p.drawText(title, Qt::AlignVCenter | Qt::AlignLeft,
        p.fontMetrics().elidedText(QFileInfo(path_).fileName(), Qt::ElideMiddle, title.width()));
}

void CMediaFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (closeButton().contains(p)) {
        Close();
        return;
    }
    if (playButton().contains(p) || p.y() >= kCaptionHeight) {
        PauseOrPlay();
        return;
    }
    moving_ = true;
    grab_ = p;
}

void CMediaFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (moving_ && parentWidget())
        move(parentWidget()->mapFromGlobal(event->globalPosition().toPoint()) - grab_);
}

void CMediaFrame::mouseReleaseEvent(QMouseEvent*)
{
    if (std::exchange(moving_, false) && moved)
        moved(geometry());
}

} // namespace DIALOG
