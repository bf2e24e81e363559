// Pictures that come only as the screen changes, held to the recording's steady frame rate.
#include "recorder/avi_writer.h"
#include "recorder/frame_repeater.h"
#include "recorder/recording_session.h"

#include "avi_probe.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

using namespace recorder;
using recordertest::probeAvi;

namespace {

constexpr int kInterval = 50;

// Runs the repeater on the recording clock's ticks; pictures (by index) come at the given times. Gives each
// written frame number with the picture written under it.
std::map<int64_t, int> run(const std::vector<int64_t>& arrivals, int64_t stopMs)
{
    FrameRepeater repeater(kInterval);
    std::map<int64_t, int> written;
    int newest = -1;
    size_t next = 0;
    for (int64_t tick = 0; tick <= stopMs; tick += kInterval) {
        while (next < arrivals.size() && arrivals[next] <= tick) {
            newest = int(next++);
            repeater.pictureCame();
        }
        const int64_t number = repeater.due(tick);
        if (number >= 0)
            written[number] = newest;
    }
    const int64_t last = repeater.last(stopMs);
    if (last >= 0)
        written[last] = newest;
    return written;
}

// What a player shows at each frame number: the picture written at or before it.
int shownAt(const std::map<int64_t, int>& written, int64_t number)
{
    auto it = written.upper_bound(number);
    return it == written.begin() ? -1 : std::prev(it)->second;
}

} // namespace

TEST(FrameRepeater, EveryFrameShowsTheNewestPictureOfItsTimeAndNoneIsMadeUpBeforeTheFirst)
{
    const std::vector<int64_t> arrivals {130, 140, 600, 610, 615, 1400};
    const std::map<int64_t, int> written = run(arrivals, 2000);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.begin()->first, 3) << "the first picture came at 130 ms";
    EXPECT_EQ(written.rbegin()->first, 40) << "the file lasts to the stop";
    EXPECT_EQ(written.rbegin()->second, 5) << "the last picture is held to the end";
    for (int64_t number = 0; number <= 40; ++number) {
        int expected = -1;
        for (size_t i = 0; i < arrivals.size(); ++i)
            if (arrivals[i] <= number * kInterval)
                expected = int(i);
        EXPECT_EQ(shownAt(written, number), expected) << "frame " << number;
    }
    // Only changes are encoded: three pictures in one frame's time are one write.
    EXPECT_EQ(written.size(), 5u);
}

TEST(FrameRepeater, NothingAtAllGivesNoFrameAndAStopRightAfterAPictureGivesNoSecondCopy)
{
    FrameRepeater none(kInterval);
    EXPECT_EQ(none.due(500), -1);
    EXPECT_EQ(none.last(1000), -1);

    FrameRepeater one(kInterval);
    one.pictureCame();
    EXPECT_EQ(one.due(0), 0);
    EXPECT_EQ(one.last(30), -1) << "frame 0 already covers 30 ms";
    // A picture between the last tick and the stop is still written.
    FrameRepeater late(kInterval);
    late.pictureCame();
    late.due(0);
    late.pictureCame();
    EXPECT_EQ(late.last(40), 1);
}

namespace {

// A screen cast in the test's hands: a first picture, then a new one each time the test says so.
class StillScreen : public FrameSource {
public:
    explicit StillScreen(platform::CaptureFailure failOpen = platform::CaptureFailure::None)
        : failOpen_(failOpen)
    {
    }
    bool open() override { return failOpen_ == platform::CaptureFailure::None; }
    FrameSize screenSize() const override { return {320, 240}; }
    bool grab(std::vector<uint8_t>& bgrx) override
    {
        if (given_ == changes)
            return false;
        given_ = changes;
        return newest(bgrx);
    }
    bool newest(std::vector<uint8_t>& bgrx) override
    {
        bgrx.assign(320 * 240 * 4, uint8_t(given_ * 40));
        return true;
    }
    bool changesOnly() const override { return true; }
    bool lost() override { return closed; }
    platform::CaptureFailure failure() const override
    {
        return closed ? platform::CaptureFailure::SessionClosed : failOpen_;
    }

    std::atomic<int> changes {1};
    std::atomic<bool> closed {false};

private:
    platform::CaptureFailure failOpen_;
    int given_ = 0;
};

struct Ending {
    SessionEnd how = SessionEnd::Finished;
    SessionStats stats;
};

Ending record(const QString& path, StillScreen*& screen, platform::CaptureFailure failOpen,
    const std::function<void()>& during)
{
    SessionSettings settings;
    settings.path = path;
    settings.compressor = {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")};
    settings.sound = false;
    screen = nullptr;
    std::atomic<StillScreen*> made {nullptr};
    settings.source = [&made, failOpen](std::function<bool()>) {
        auto source = std::make_unique<StillScreen>(failOpen);
        made = source.get();
        return std::unique_ptr<FrameSource>(std::move(source));
    };
    Ending ending;
    RecordingSession session;
    session.start(settings, [&](SessionEnd how, const SessionStats& stats) { ending = {how, stats}; });
    while (!made && session.running())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    screen = made;
    during();
    session.stop();
    session.wait();
    return ending;
}

} // namespace

TEST(CastRecording, AStillScreenIsHeldToTheStopAndEncodedOnlyAsItChanges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("still.avi"));
    StillScreen* screen = nullptr;
    const Ending ending = record(path, screen, platform::CaptureFailure::None, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        screen->changes = 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    });
    ASSERT_EQ(ending.how, SessionEnd::Finished);
    const recordertest::AviProbe probe = probeAvi(path);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.rateNum / std::max(1, probe.rateDen), 20);
    EXPECT_EQ(probe.lastFrameNumber, ending.stats.recordedMs / 50) << "the last picture lasts to the stop";
    EXPECT_EQ(probe.videoFrames, 3) << "the first picture, the change and the last one held";
}

TEST(CastRecording, NoPictureSaysWhyAndACastEndedByTheDesktopKeepsWhatWasRecorded)
{
    QTemporaryDir dir;
    StillScreen* screen = nullptr;
    const Ending refused
        = record(dir.filePath(QStringLiteral("no.avi")), screen, platform::CaptureFailure::Refused, [] {});
    EXPECT_EQ(refused.how, SessionEnd::NoScreen);
    EXPECT_EQ(refused.stats.screenFailure, platform::CaptureFailure::Refused);

    const QString path = dir.filePath(QStringLiteral("cut.avi"));
    const Ending cut = record(path, screen, platform::CaptureFailure::None, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        screen->closed = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    EXPECT_EQ(cut.how, SessionEnd::ScreenLost);
    EXPECT_EQ(cut.stats.screenFailure, platform::CaptureFailure::SessionClosed);
    const recordertest::AviProbe probe = probeAvi(path);
    ASSERT_TRUE(probe.opened) << "what was recorded before the desktop ended the cast plays";
    EXPECT_GE(probe.videoFrames, 1);
}
