#include "player/player_window.h"

#include "player/player_rules.h"
#include "player/video_player.h"

#include "platform/messages.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <gst/gst.h>

namespace player {

namespace {

constexpr QSize kPictureSize(800, 450);
constexpr int kTickMs = 500;

int seconds(gint64 ns)
{
    return int(ns / GST_SECOND);
}

} // namespace

PlayerWindow::PlayerWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    screen_ = new QWidget(this);
    screen_->setFixedSize(kPictureSize);
    screen_->setAutoFillBackground(true);
    QPalette black = screen_->palette();
    black.setColor(QPalette::Window, Qt::black);
    screen_->setPalette(black);

    playPause_ = new QToolButton(this);
    playPause_->setIconSize(QSize(32, 32));
    playPause_->setAutoRaise(true);
    position_ = new QSlider(Qt::Horizontal, this);
    time_ = new QLabel(this);
    time_->setMinimumWidth(150);

    auto* controls = new QHBoxLayout;
    controls->addWidget(playPause_);
    controls->addWidget(position_, 1);
    controls->addWidget(time_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(screen_);
    layout->addLayout(controls);

    // The player tells the parent of the window it draws in: this window.
    player_ = std::make_unique<VideoPlayer>(screen_);
    messages_ = std::make_unique<platform::MessageTable>(this, QStringLiteral("QMPlayerWindow"));
    messages_->on(kMsgGraphNotify, [this](WPARAM, LPARAM) { return player_->HandleEvents(); });
    messages_->on(kMsgPlaybackComplete, [this](WPARAM, LPARAM) {
        ended();
        return 0;
    });

    connect(playPause_, &QToolButton::clicked, this, [this] { toggle(); });
    connect(position_, &QSlider::sliderMoved, this, [this](int at) { player_->SeekTo(at * GST_SECOND); });
    tick_ = new QTimer(this);
    connect(tick_, &QTimer::timeout, this, [this] { refresh(); });
}

PlayerWindow::~PlayerWindow()
{
    // The sink stops drawing before the window it draws in goes.
    player_.reset();
}

bool PlayerWindow::Play(const QString& path)
{
    if (!player_->Load(path))
        return false;
    setWindowTitle(QFileInfo(path).fileName());
    position_->setRange(0, seconds(player_->Duration()));
    player_->Play();
    refresh();
    tick_->start(kTickMs);
    show();
    return true;
}

bool PlayerWindow::playing() const
{
    return player_->state() == kStatePlaying;
}

int PlayerWindow::positionSeconds() const
{
    return seconds(player_->Position());
}

void PlayerWindow::toggle()
{
    if (playing())
        player_->Pause();
    else
        player_->Play();
    refresh();
}

void PlayerWindow::ended()
{
    player_->Stop();
    refresh();
}

void PlayerWindow::refresh()
{
    playPause_->setIcon(style()->standardIcon(playing() ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    const int at = seconds(player_->Position());
    if (!position_->isSliderDown())
        position_->setValue(at);
    time_->setText(SecondsAsClock(at) + QStringLiteral(" / ") + SecondsAsClock(seconds(player_->Duration())));
}

} // namespace player
