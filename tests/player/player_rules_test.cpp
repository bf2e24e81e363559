// The player's answers that need no window: clock texts, volume gains, what it answers before anything is
// loaded, and which files it takes for videos.
#include "media_files.h"
#include "player/player_exports.h"

#include <gtest/gtest.h>

TEST(PlayerClock, ShowsHoursMinutesAndSeconds)
{
    EXPECT_EQ(vpSecondToLoalTime(3725), QStringLiteral("01:02:05"));
    EXPECT_EQ(vpSecondToLoalTime(59), QStringLiteral("00:00:59"));
    EXPECT_EQ(vpSecondToLoalTime(36000), QStringLiteral("10:00:00"));
}

TEST(PlayerClock, NothingOrLessIsZero)
{
    EXPECT_EQ(vpSecondToLoalTime(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(vpSecondToLoalTime(-5), QStringLiteral("00:00:00"));
}

TEST(PlayerVolume, HundredthsOfADecibelBecomeAGain)
{
    EXPECT_DOUBLE_EQ(player::VolumeGain(0), 1.0);
    EXPECT_NEAR(player::VolumeGain(-2000), 0.1, 1e-12);
    EXPECT_NEAR(player::VolumeGain(-600), 0.501187, 1e-6);
    EXPECT_EQ(player::VolumeGain(-10000), 0.0);
    EXPECT_EQ(player::VolumeGain(-30000), 0.0);
    // Above full volume nothing is amplified.
    EXPECT_DOUBLE_EQ(player::VolumeGain(1500), 1.0);
    EXPECT_EQ(player::ClampVolume(-12000), kVolumeSilent);
    EXPECT_EQ(player::ClampVolume(700), kVolumeFull);
}

TEST(PlayerWithoutVideo, AnswersNoPlayerAndIgnoresEveryCall)
{
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    vpLoad(QString());
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    vpPlay();
    vpPause();
    vpStop();
    vpSeekToEnd();
    vpSetCurrentPosition(10);
    vpSetVolume(-500);
    vpPutFullMode(true);
    vpAdjustToWindow();
    EXPECT_EQ(vpGetPlayState(), VPS_NOPLAYER);
    EXPECT_EQ(vpGetTotalTime(), 0);
    EXPECT_EQ(vpGetCurrentPosition(), 0);
    EXPECT_EQ(vpGetVolume(), 0);
    EXPECT_EQ(vpHandleGraphEvent(), 0);
    EXPECT_EQ(vpNotifyOwnerMessage(nullptr, 0x0018, 1, 0), 1);
}

TEST(PlayerDecodable, VideosWithSoundOrWithout)
{
    EXPECT_TRUE(vpIsFileCanBeDecoded(playertest::AviMpeg4Pcm()));
    EXPECT_TRUE(vpIsFileCanBeDecoded(playertest::Mp4H264Aac()));
    EXPECT_TRUE(vpIsFileCanBeDecoded(playertest::Mp4H264Silent()));
}

TEST(PlayerDecodable, SoundPicturesNoiseAndMissingFilesAreNotVideos)
{
    EXPECT_FALSE(vpIsFileCanBeDecoded(playertest::Wav()));
    EXPECT_FALSE(vpIsFileCanBeDecoded(playertest::Png()));
    EXPECT_FALSE(vpIsFileCanBeDecoded(playertest::RandomBytes()));
    EXPECT_FALSE(vpIsFileCanBeDecoded(QStringLiteral("/nonexistent/film.avi")));
    EXPECT_FALSE(vpIsFileCanBeDecoded(QString()));
}
