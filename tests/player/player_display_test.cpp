// The player on the desktop: real files in a real window, driven through the exports.
#include "media_files.h"
#include "platform/messages.h"
#include "player/player_exports.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The owner of a video: a top-level window with the attached window inside it, counting the player's
// notifications and answering them as an owner should.
class PlayerOwner : public QWidget {
public:
    PlayerOwner()
    {
        setGeometry(100, 100, 480, 360);
        attached = new QWidget(this);
        attached->setGeometry(40, 30, 400, 300);
        table = std::make_unique<platform::MessageTable>(this, QStringLiteral("PlayerOwnerTest"));
        table->on(kMsgGraphNotify, [this](WPARAM, LPARAM) {
            ++notifications;
            vpHandleGraphEvent();
            return LRESULT(0);
        });
        table->on(kMsgPlaybackComplete, [this](WPARAM w, LPARAM l) {
            ++completions;
            EXPECT_EQ(w, 0u);
            EXPECT_EQ(l, 0);
            return LRESULT(0);
        });
        show();
        qmtest::waitFor([this] { return isVisible(); });
        vpAttach(attached);
    }
    ~PlayerOwner() override { vpQuit(); }

    QWidget* attached = nullptr;
    std::unique_ptr<platform::MessageTable> table;
    int notifications = 0;
    int completions = 0;
};

// How many distinct colours the screen shows over the attached window: the test picture has bars of
// seven colours, a black or an unpainted window one or two.
int coloursShown(QWidget* attached)
{
    const QImage shot
        = attached->screen()
              ->grabWindow(0, attached->mapToGlobal(QPoint(0, 0)).x(),
                  attached->mapToGlobal(QPoint(0, 0)).y(), attached->width(), attached->height())
              .toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 7)
        for (int x = 0; x < shot.width(); x += 7)
            colours.insert(shot.pixel(x, y) & 0xF0F0F0);
    return int(colours.size());
}

} // namespace

TEST(PlayerStates, LoadedStoppedThenPlayingThenPaused)
{
    PlayerOwner owner;
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    vpLoad(playertest::AviMpeg4Pcm());
    EXPECT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
    EXPECT_EQ(vpGetTotalTime(), 3);
    // Stopped already: a stop right after loading keeps the first frame and the start.
    vpStop();
    EXPECT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
    EXPECT_EQ(vpGetCurrentPosition(), 0);
    vpPlay();
    EXPECT_EQ(vpGetPlayState(), VPS_PLAYING);
    vpPause();
    EXPECT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
    vpQuit();
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
}

TEST(PlayerStates, AFileThatCannotBePlayedLeavesNoPlayer)
{
    PlayerOwner owner;
    vpLoad(playertest::AviMpeg4Pcm());
    vpLoad(playertest::RandomBytes());
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    vpPlay();
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    EXPECT_EQ(vpGetTotalTime(), 0);
    vpLoad(QStringLiteral("/nonexistent/film.mp4"));
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
}

TEST(PlayerPicture, TheFirstFrameFillsTheAttachedWindow)
{
    PlayerOwner owner;
    vpLoad(playertest::Mp4H264Aac());
    ASSERT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
    EXPECT_TRUE(qmtest::waitFor([&] { return coloursShown(owner.attached) >= 6; }))
        << coloursShown(owner.attached);
    // A larger window gets a larger picture once the video is fitted to it again.
    owner.attached->setGeometry(0, 0, 480, 360);
    vpAdjustToWindow();
    EXPECT_TRUE(qmtest::waitFor([&] { return coloursShown(owner.attached) >= 6; }));
}

TEST(PlayerSeeking, PositionsAreWholeSecondsAndStopGoesBackToTheStart)
{
    PlayerOwner owner;
    vpLoad(playertest::Mp4H264Aac());
    vpSetCurrentPosition(2);
    EXPECT_EQ(vpGetCurrentPosition(), 2);
    vpSeekToBegin();
    EXPECT_EQ(vpGetCurrentPosition(), 0);
    vpSetCurrentPosition(1);
    vpPlay();
    vpStop();
    EXPECT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
    EXPECT_EQ(vpGetCurrentPosition(), 0);
    vpSetCurrentPosition(-4);
    EXPECT_EQ(vpGetCurrentPosition(), 0);
}

TEST(PlayerEvents, TheEndIsToldToTheOwnerThroughTheQueue)
{
    PlayerOwner owner;
    vpLoad(playertest::AviMpeg4Pcm());
    vpSetCurrentPosition(2);
    vpPlay();
    EXPECT_TRUE(qmtest::waitFor([&] { return owner.completions > 0; }, 20000));
    EXPECT_EQ(owner.completions, 1);
    EXPECT_GE(owner.notifications, 1);
    // Drained: another call posts nothing more.
    vpHandleGraphEvent();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.completions, 1);
}

TEST(PlayerEvents, SeekingToTheEndOfAPlayingVideoEndsIt)
{
    PlayerOwner owner;
    vpLoad(playertest::Wav());
    ASSERT_EQ(vpGetPlayState(), VPS_NOTPLAYING);
    EXPECT_EQ(vpGetTotalTime(), 2);
    vpPlay();
    vpSeekToEnd();
    EXPECT_TRUE(qmtest::waitFor([&] { return owner.completions > 0; }, 20000));
}

TEST(PlayerVolume, KeptInHundredthsOfADecibel)
{
    PlayerOwner owner;
    vpLoad(playertest::AviMpeg4Pcm());
    EXPECT_EQ(vpGetVolume(), 0);
    vpSetVolume(-2500);
    EXPECT_EQ(vpGetVolume(), -2500);
    vpSetVolume(-15000);
    EXPECT_EQ(vpGetVolume(), kVolumeSilent);
    vpSetVolume(400);
    EXPECT_EQ(vpGetVolume(), kVolumeFull);
    // A video without sound has no volume to tell.
    vpLoad(playertest::Mp4H264Silent());
    vpSetVolume(-2500);
    EXPECT_EQ(vpGetVolume(), 0);
}

TEST(PlayerFullScreen, FillsTheMonitorAndComesBack)
{
    PlayerOwner owner;
    vpLoad(playertest::Mp4H264Aac());
    vpPutFullMode(true);
    const QRect monitor = owner.screen()->geometry();
    QWidget* full = nullptr;
    EXPECT_TRUE(qmtest::waitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &owner && w->isVisible() && w->geometry() == monitor)
                full = w;
        return full != nullptr;
    }));
    ASSERT_TRUE(full);
    EXPECT_TRUE(qmtest::waitFor([&] { return coloursShown(full) >= 6; }));
    vpPutFullMode(false);
    EXPECT_TRUE(qmtest::waitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &owner && w->isVisible() && w->geometry() == monitor)
                return false;
        return true;
    }));
    EXPECT_TRUE(qmtest::waitFor([&] { return coloursShown(owner.attached) >= 6; }));
}

TEST(PlayerOwnerMessages, ShowWindowShowsOrHidesTheGivenWindow)
{
    PlayerOwner owner;
    QWidget other(&owner);
    other.show();
    EXPECT_EQ(vpNotifyOwnerMessage(&other, 0x0018, 0, 0), 1);
    vpLoad(playertest::AviMpeg4Pcm());
    EXPECT_EQ(vpNotifyOwnerMessage(&other, 0x0018, 0, 0), 0);
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(vpNotifyOwnerMessage(&other, 0x0018, 1, 0), 0);
    EXPECT_TRUE(other.isVisible());
}

TEST(PlayerOwnerWindow, ClosingTheOwnerWhilePlayingIsSafe)
{
    auto owner = std::make_unique<PlayerOwner>();
    vpLoad(playertest::Mp4H264Aac());
    vpPlay();
    qmtest::waitFor([] { return false; }, 300);
    QWidget* attached = owner->attached;
    delete attached;
    owner->attached = nullptr;
    EXPECT_EQ(vpGetTotalTime(), 0);
    vpPlay();
    owner.reset();
}
