#include "recorder/recording_session.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(RecordingUnderTheTeachersSettings, FrameRateSetsTheClockAndKeyFramesAndTheMicrophoneIsPassedOn)
{
    for (int rate : settings::kFrameRates) {
        settings::ProgramSettings chosen;
        chosen.frameRate = rate;
        chosen.microphone = u"alsa_input.usb-mic"_s;
        const recorder::SessionSettings session
            = recorder::sessionSettingsFor(u"/tmp/a.avi"_s, recorder::Compressor {}, chosen);
        EXPECT_EQ(session.rate, rate);
        // The capture clock's frames must add up to the file's rate exactly, or picture and sound part.
        EXPECT_EQ(session.intervalMs * session.rate, 1000) << rate;
        EXPECT_EQ(session.keyFrameEvery, rate) << "a key frame each second";
        EXPECT_EQ(session.microphone, u"alsa_input.usb-mic"_s);
        EXPECT_EQ(session.path, u"/tmp/a.avi"_s);
    }
}

TEST(RecordingUnderTheTeachersSettings, ARateNotOfferedGivesTheUsualTwenty)
{
    settings::ProgramSettings chosen;
    chosen.frameRate = 30;
    const recorder::SessionSettings session = recorder::sessionSettingsFor(u"a.avi"_s, {}, chosen);
    EXPECT_EQ(session.rate, 20);
    EXPECT_EQ(session.intervalMs, 50);
    EXPECT_TRUE(session.microphone.isEmpty()) << "the server's default";
}
