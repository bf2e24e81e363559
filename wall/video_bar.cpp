#include "wall/video_bar.h"

#include "player/player_exports.h"

#include <QDir>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace lumo::show {

VideoBar::VideoBar(QWidget* owner)
    : QWidget(owner)
    , play_(new QPushButton(this))
    , position_(new QSlider(Qt::Horizontal, this))
    , volume_(new QSlider(Qt::Horizontal, this))
    , time_(new QLabel(this))
    , timer_(new QTimer(this))
{
    // Native, so that it stands above the engine's window.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_StyledBackground);
    setObjectName(QStringLiteral("videoBar"));
    setStyleSheet(QStringLiteral("#videoBar { background: #10233f; } QLabel { color: white; font-size: 10px; }"));
    play_->setFixedSize(48, 48);
    play_->setIconSize(QSize(44, 44));
    play_->setFlat(true);
    play_->setFocusPolicy(Qt::NoFocus);
    time_->setFixedSize(50, 18);
    volume_->setRange(-1000, 0);
    volume_->setValue(0);
    volume_->setFixedSize(60, 21);
    position_->setFocusPolicy(Qt::NoFocus);
    volume_->setFocusPolicy(Qt::NoFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(play_);
    row->addWidget(time_);
    row->addWidget(position_, 1);
    row->addWidget(volume_);
    timer_->setInterval(500);
    connect(timer_, &QTimer::timeout, this, &VideoBar::Tick);
    connect(play_, &QPushButton::clicked, this, &VideoBar::Toggle);
    // A drag of the position seeks; the timer waits meanwhile, so that it does not pull the handle back.
    connect(position_, &QSlider::sliderPressed, timer_, &QTimer::stop);
    connect(position_, &QSlider::sliderReleased, this, [this] {
        vpSetCurrentPosition(position_->value());
        ShowTime(position_->value());
        timer_->start();
    });
    connect(volume_, &QSlider::valueChanged, this, [](int value) { vpSetVolume(value); });
}

int VideoBar::PositionWidth(int screenWidth)
{
    if (screenWidth <= 800)
        return 450;
    if (screenWidth <= 1439)
        return 650;
    return 800;
}

void VideoBar::Place(const QRect& pictureRect, int screenWidth)
{
    const int width = 48 + 50 + PositionWidth(screenWidth) + 60 + 32;
    setGeometry(pictureRect.center().x() - width / 2, pictureRect.bottom() - 52, width, 52);
}

void VideoBar::Start()
{
    position_->setRange(0, std::max(0, vpGetTotalTime()));
    position_->setValue(0);
    ShowTime(0);
    playing_ = true;
    play_->setIcon(QIcon(QDir::current().filePath(QStringLiteral("Bin/pause.jpg"))));
    timer_->start();
}

void VideoBar::Stop()
{
    timer_->stop();
    playing_ = false;
}

void VideoBar::Toggle()
{
    if (playing_) {
        vpPause();
        play_->setIcon(QIcon(QDir::current().filePath(QStringLiteral("Bin/play.jpg"))));
    } else {
        vpPlay();
        play_->setIcon(QIcon(QDir::current().filePath(QStringLiteral("Bin/pause.jpg"))));
    }
    playing_ = !playing_;
}

void VideoBar::Tick()
{
    const int now = vpGetCurrentPosition();
    if (!position_->isSliderDown())
        position_->setValue(now);
    ShowTime(now);
}

void VideoBar::ShowTime(int seconds)
{
    time_->setText(vpSecondToLoalTime(seconds));
}

} // namespace lumo::show
