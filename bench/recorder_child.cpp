// Records the desktop for a number of seconds into a file and prints what it recorded, so that a benchmark
// can measure the recorder's CPU time as that of a process of its own, beside ffmpeg's.
//   recorder_child SECONDS PATH [nosound]
#include "recorder/recording_session.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace recorder;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: recorder_child SECONDS PATH [nosound]\n");
        return 2;
    }
    const int seconds = std::atoi(argv[1]);
    SessionSettings settings;
    settings.path = QString::fromLocal8Bit(argv[2]);
    settings.compressor = {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")};
    settings.sound = !(argc > 3 && std::strcmp(argv[3], "nosound") == 0);
    std::atomic<bool> ended {false};
    SessionEnd end = SessionEnd::Finished;
    SessionStats last;
    RecordingSession session;
    session.start(settings, [&](SessionEnd how, const SessionStats& stats) {
        end = how;
        last = stats;
        ended = true;
    });
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    session.stop();
    session.wait();
    std::printf("recorded_ms %lld grabbed %lld dropped %lld written %lld samples %lld size %dx%d end %d\n",
        static_cast<long long>(last.recordedMs), static_cast<long long>(last.framesGrabbed),
        static_cast<long long>(last.framesDropped), static_cast<long long>(last.framesWritten),
        static_cast<long long>(last.samplesWritten), last.size.width, last.size.height, int(end));
    return ended && end == SessionEnd::Finished ? 0 : 1;
}
