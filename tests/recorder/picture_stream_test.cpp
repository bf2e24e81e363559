// A screen cast's stream that may block for good: the recording gives it up and is never held by it.
#include "recorder/picture_stream.h"

#include "support_main/test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace recorder;

namespace {

// A stand-in stream: its start blocks until the test opens the gate. Its hooks share it, since the stream's
// thread may outlive the test's use of it.
struct StandIn : std::enable_shared_from_this<StandIn> {
    std::mutex lock;
    std::condition_variable opened;
    bool gateOpen = true;
    bool startResult = true;
    QString why;
    std::shared_ptr<StreamInbox> inbox;
    std::atomic<int> starts {0};
    std::atomic<int> ends {0};
    std::atomic<bool> startReturned {false};
    std::atomic<bool> endedAfterStart {false};

    StreamHooks hooks()
    {
        StreamHooks hooks;
        hooks.start
            = [this, self = shared_from_this()](const std::shared_ptr<StreamInbox>& given, QString& reason) {
                  ++starts;
                  std::unique_lock guard(lock);
                  inbox = given;
                  opened.wait(guard, [this] { return gateOpen; });
                  reason = why;
                  startReturned = true;
                  return startResult;
              };
        hooks.end = [this, self = shared_from_this()] {
            endedAfterStart = bool(startReturned);
            ++ends;
        };
        return hooks;
    }

    void open()
    {
        {
            std::lock_guard guard(lock);
            gateOpen = true;
        }
        opened.notify_all();
    }

    std::shared_ptr<StreamInbox> handedInbox()
    {
        qmtest::waitFor([this] { return starts > 0; });
        std::lock_guard guard(lock);
        return inbox;
    }
};

// A picture of the given size whose pixels are their own (x, y), in rows padded to `stride` bytes.
std::vector<uint8_t> picture(FrameSize size, size_t stride)
{
    std::vector<uint8_t> rows(stride * size_t(size.height), 0xEE);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            uint8_t* pixel = rows.data() + stride * y + size_t(x) * 4;
            pixel[0] = uint8_t(x);
            pixel[1] = uint8_t(y);
            pixel[2] = 7;
            pixel[3] = 0;
        }
    return rows;
}

void deliver(StreamInbox& inbox, FrameSize size)
{
    const size_t stride = size_t(size.width) * 4 + 12;
    const std::vector<uint8_t> rows = picture(size, stride);
    inbox.picture(rows.data(), stride, rows.size(), size);
}

} // namespace

TEST(PictureStreamGivingUp, AStartThatNeverReturnsIsGivenUpAndEndedOnlyWhenItReturnsLater)
{
    auto standIn = std::make_shared<StandIn>();
    standIn->gateOpen = false;
    {
        PictureStream stream(standIn->hooks());
        EXPECT_EQ(stream.waitForFirst(300), PictureStream::FirstPicture::TimedOut);
        EXPECT_FALSE(stream.ended());
    } // giving it up returns while the start still blocks
    EXPECT_EQ(standIn->ends, 0) << "the end waits for the start";
    // The stuck start comes back after all and still delivers: into the inbox, not into the freed stream.
    const std::shared_ptr<StreamInbox> inbox = standIn->handedInbox();
    ASSERT_NE(inbox, nullptr);
    standIn->open();
    deliver(*inbox, {4, 3});
    inbox->ended();
    ASSERT_TRUE(qmtest::waitFor([&] { return standIn->ends > 0; }));
    EXPECT_TRUE(standIn->endedAfterStart);
    EXPECT_EQ(standIn->ends, 1);
}

TEST(PictureStreamGivingUp, AStopOrAFailedStartEndsTheWaitAndTheStreamIsStillEnded)
{
    auto stuck = std::make_shared<StandIn>();
    stuck->gateOpen = false;
    {
        PictureStream stream(stuck->hooks());
        // A wait far beyond the test's run: only the stop can end it.
        EXPECT_EQ(stream.waitForFirst(600000, [] { return true; }), PictureStream::FirstPicture::Cancelled);
    }
    stuck->open();
    ASSERT_TRUE(qmtest::waitFor([&] { return stuck->ends > 0; }));

    auto failing = std::make_shared<StandIn>();
    failing->startResult = false;
    failing->why = QStringLiteral("no pipewiresrc");
    {
        PictureStream stream(failing->hooks());
        EXPECT_EQ(stream.waitForFirst(600000), PictureStream::FirstPicture::Failed);
        EXPECT_EQ(stream.failure(), QStringLiteral("no pipewiresrc"));
        EXPECT_EQ(failing->ends, 0) << "ended only when given up";
    }
    // What a failed start left half made is ended too.
    ASSERT_TRUE(qmtest::waitFor([&] { return failing->ends > 0; }));
}

TEST(PictureStreamPictures, EachPictureIsTakenOnceAndTheNewestGivenAgainWithoutItsRowPadding)
{
    auto standIn = std::make_shared<StandIn>();
    PictureStream stream(standIn->hooks());
    const std::shared_ptr<StreamInbox> inbox = standIn->handedInbox();
    ASSERT_NE(inbox, nullptr);
    std::vector<uint8_t> got;
    EXPECT_FALSE(stream.takeNew(got, {4, 3})) << "nothing before the first picture";

    deliver(*inbox, {4, 3});
    ASSERT_EQ(stream.waitForFirst(600000), PictureStream::FirstPicture::Came);
    const FrameSize size = stream.size();
    EXPECT_EQ(size.width, 4);
    EXPECT_EQ(size.height, 3);
    ASSERT_TRUE(stream.takeNew(got, size));
    EXPECT_EQ(got, picture(size, 16));
    EXPECT_FALSE(stream.takeNew(got, size)) << "the same picture is not new twice";
    got.clear();
    ASSERT_TRUE(stream.newest(got, size));
    EXPECT_EQ(got, picture(size, 16));

    // The desktop grew: the recording keeps its size and takes the top-left part.
    deliver(*inbox, {6, 5});
    ASSERT_TRUE(stream.takeNew(got, size));
    EXPECT_EQ(got, picture(size, 16));
    // It shrank: what the picture lacks is black.
    deliver(*inbox, {2, 2});
    ASSERT_TRUE(stream.takeNew(got, size));
    EXPECT_EQ(got[(1 * 4 + 1) * 4 + 0], 1);
    EXPECT_EQ(got[(1 * 4 + 1) * 4 + 1], 1);
    EXPECT_EQ(got[(2 * 4 + 3) * 4 + 2], 0) << "outside the smaller picture";

    EXPECT_FALSE(stream.ended());
    inbox->ended();
    EXPECT_TRUE(stream.ended()) << "the recording hears that the pictures stopped";
    EXPECT_EQ(standIn->ends, 0);
}
