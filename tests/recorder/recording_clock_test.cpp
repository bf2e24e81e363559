#include "recorder/recording_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace recorder;

TEST(RecordingClockTime, PausesDoNotCount)
{
    int64_t now = 1000;
    RecordingClock clock([&] { return now; });
    clock.start();
    now += 1500;
    EXPECT_EQ(clock.elapsed(), 1500);
    clock.pause();
    now += 60000;
    EXPECT_EQ(clock.elapsed(), 1500);
    clock.resume();
    now += 250;
    EXPECT_EQ(clock.elapsed(), 1750);
}

TEST(RecordingClockFrames, TwentyNumbersASecondOfRecordingTime)
{
    EXPECT_EQ(frameNumberAt(5000, 50, -1), 0); // the first frame
    EXPECT_EQ(frameNumberAt(49, 50, 0), 0);
    EXPECT_EQ(frameNumberAt(50, 50, 0), 1);
    EXPECT_EQ(frameNumberAt(1025, 50, 19), 20);
    EXPECT_EQ(frameNumberAt(2700 * 1000, 50, 3), 54000);
    // Captures further apart than a second just count up.
    EXPECT_EQ(frameNumberAt(9000, 2000, 4), 5);
}

namespace {

// Feeds chunks of 50 ms from a sound card whose clock runs `ppm` fast and that starts `lateMs` late, and
// returns the largest gap between the sound written and the recording time after the start was caught up.
int64_t worstOffsetMs(int ppm, int lateMs, int minutes)
{
    const int rate = 22050;
    const SoundDrift drift(rate);
    const int chunk = rate / 20;
    const std::vector<int16_t> card(static_cast<size_t>(chunk), 1);
    int64_t written = 0;
    int64_t worst = 0;
    const int64_t chunks = int64_t(minutes) * 60 * 20;
    for (int64_t i = 1; i <= chunks; ++i) {
        // The card delivers its chunk when its own clock says 50 ms have passed.
        const int64_t wallMs = lateMs + i * 50 * 1000000 / (1000000 + ppm);
        const int length = drift.correctedLength(chunk, written, wallMs);
        written += int64_t(SoundDrift::fit(card.data(), chunk, length).size());
        if (i > 2)
            worst = std::max<int64_t>(worst, std::llabs(written * 1000 / rate - wallMs));
    }
    return worst;
}

} // namespace

TEST(SoundDriftCorrection, SoundStaysWithinAFrameOverTheWholeRecording)
{
    // 45 minutes with a sound card 0.3 % fast or slow, and one that starts 200 ms late.
    EXPECT_LE(worstOffsetMs(3000, 0, 45), 50);
    EXPECT_LE(worstOffsetMs(-3000, 0, 45), 50);
    EXPECT_LE(worstOffsetMs(500, 200, 45), 50);
}

TEST(SoundDriftCorrection, ChunksOnTimeAreWrittenUntouched)
{
    const SoundDrift drift(22050);
    EXPECT_EQ(drift.correctedLength(1102, 22050, 1050), 1102);
    EXPECT_EQ(drift.correctedLength(1102, 0, 150), 3307); // 100 ms missing: silence first
    EXPECT_EQ(drift.correctedLength(1102, 4410, 50), 0); // 150 ms too much: dropped
}

TEST(SoundDriftCorrection, FittingKeepsTheEndsAndPutsSilenceBeforeALateChunk)
{
    const std::vector<int16_t> ramp {0, 100, 200, 300, 400, 500, 600, 700, 800, 900};
    const std::vector<int16_t> longer = SoundDrift::resample(ramp.data(), 10, 19);
    ASSERT_EQ(longer.size(), 19u);
    EXPECT_EQ(longer.front(), 0);
    EXPECT_EQ(longer[1], 50);
    EXPECT_EQ(longer.back(), 900);

    const std::vector<int16_t> padded = SoundDrift::fit(ramp.data(), 10, 14);
    ASSERT_EQ(padded.size(), 14u);
    EXPECT_EQ(padded[3], 0);
    EXPECT_EQ(padded[4], 0);
    EXPECT_EQ(padded[13], 900);

    const std::vector<int16_t> cut = SoundDrift::fit(ramp.data(), 10, 3);
    EXPECT_EQ(cut, (std::vector<int16_t> {700, 800, 900}));
}

TEST(SoundDriftStart, SoundGatheredBeforeTheFirstWaitIsPlacedByWhenItsLastSampleWasHeard)
{
    const SoundDrift drift(22050);
    std::vector<int16_t> held(22050 / 2); // half a second read in a rush
    for (size_t i = 0; i < held.size(); ++i)
        held[i] = int16_t(i % 1000 + 1);

    // Its last sample heard 800 ms into the recording: it began at 300 ms, after silence.
    const std::vector<int16_t> late = drift.placeFromStart(held, 800);
    ASSERT_EQ(late.size(), size_t(22050 * 8 / 10));
    const size_t begins = 22050 * 3 / 10;
    EXPECT_EQ(late[begins - 1], 0);
    EXPECT_EQ(late[begins], held.front());
    EXPECT_EQ(late.back(), held.back());

    // Heard 200 ms in: its first 300 ms are older than the recording and are left out.
    const std::vector<int16_t> early = drift.placeFromStart(held, 200);
    ASSERT_EQ(early.size(), size_t(22050 / 5));
    EXPECT_EQ(early.front(), held[held.size() - early.size()]);
    EXPECT_EQ(early.back(), held.back());

    // All of it before the start: nothing.
    EXPECT_TRUE(drift.placeFromStart(held, 0).empty());
}
