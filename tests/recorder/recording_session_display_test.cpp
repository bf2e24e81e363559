#include "recorder/recording_session.h"
#include "recorder/sound_input.h"

#include "avi_probe.h"
#include "support_main/test_util.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <set>

using namespace recorder;
using recordertest::AviProbe;
using recordertest::probeAvi;

namespace {

SessionSettings settingsFor(const QString& path)
{
    SessionSettings settings;
    settings.path = path;
    settings.compressor = {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")};
    return settings;
}

} // namespace

TEST(RecordingSessionDesktop, TheVirtualMicrophoneCountsAsAnInputAndNoServerAsNone)
{
    EXPECT_TRUE(hasSoundInput());
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/native");
    EXPECT_FALSE(hasSoundInput());
    qputenv("PULSE_SERVER", server);
}

TEST(RecordingSessionDesktop, RecordsTheChangingScreenWithSoundForItsWholeLength)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("desk.avi"));

    // A window in the top-left corner that changes colour ten times a second.
    QWidget flasher;
    flasher.setGeometry(0, 0, 200, 200);
    flasher.setAutoFillBackground(true);
    flasher.show();
    int step = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QPalette palette;
        palette.setColor(QPalette::Window, QColor::fromHsv((step++ * 37) % 360, 255, 255));
        flasher.setPalette(palette);
    });
    timer.start(100);

    std::atomic<int> ends {0};
    SessionEnd end = SessionEnd::NoScreen;
    SessionStats last;
    RecordingSession session;
    session.start(settingsFor(path), [&](SessionEnd how, const SessionStats& stats) {
        end = how;
        last = stats;
        ++ends;
    });
    QEventLoop idle;
    QTimer::singleShot(3000, &idle, &QEventLoop::quit);
    idle.exec();
    session.stop();
    ASSERT_TRUE(qmtest::waitFor([&] { return ends.load() == 1; }, 30000));
    session.wait();
    EXPECT_EQ(end, SessionEnd::Finished);
    EXPECT_EQ(last.handler, QStringLiteral("XVID"));

    const AviProbe probe = probeAvi(path, 100, 100);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.width, 1920);
    EXPECT_EQ(probe.height, 1080);
    EXPECT_EQ(probe.rateNum, 20 * probe.rateDen);
    EXPECT_EQ(probe.sampleRate, 22050);
    EXPECT_EQ(probe.channels, 1);
    // The recording time, in pictures and in sound.
    const double seconds = double(last.recordedMs) / 1000.0;
    EXPECT_GT(seconds, 2.0);
    EXPECT_NEAR(double(probe.lastFrameNumber + 1) / 20.0, seconds, 0.1);
    EXPECT_NEAR(double(probe.samples.size()) / 22050.0, seconds, 0.1);
    std::set<uint32_t> colours(probe.colours.begin(), probe.colours.end());
    EXPECT_GE(colours.size(), 10u) << "the pictures do not follow the screen";
}

TEST(RecordingSessionDesktop, PausedTimeIsLeftOutOfPictureAndSound)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("paused.avi"));
    std::atomic<int> ends {0};
    SessionStats last;
    RecordingSession session;
    session.start(settingsFor(path), [&](SessionEnd, const SessionStats& stats) {
        last = stats;
        ++ends;
    });
    auto spin = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    spin(1500);
    session.pause();
    spin(2000);
    session.resume();
    spin(1000);
    session.stop();
    ASSERT_TRUE(qmtest::waitFor([&] { return ends.load() == 1; }, 30000));
    session.wait();
    const AviProbe probe = probeAvi(path, 10, 10);
    // Two of the 4.5 seconds were paused: the file holds the rest, in pictures and in sound alike.
    const double seconds = double(last.recordedMs) / 1000.0;
    EXPECT_LT(seconds, 2.6);
    EXPECT_GT(seconds, 1.5);
    EXPECT_NEAR(double(probe.lastFrameNumber + 1) / 20.0, seconds, 0.1);
    EXPECT_NEAR(double(probe.samples.size()) / 22050.0, seconds, 0.1);
}

namespace {

// A folder on a file system of its own that holds only that many kilobytes; unmounted when the object goes.
class SmallDisk {
public:
    SmallDisk(const QString& folder, int kilobytes)
        : folder_(folder)
    {
        QDir().mkpath(folder_);
        mounted_ = QProcess::execute(QStringLiteral("mount"),
                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), folder_})
            == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {folder_});
    }
    bool mounted() const { return mounted_; }

private:
    QString folder_;
    bool mounted_ = false;
};

struct Ending {
    std::atomic<int> count {0};
    SessionEnd how = SessionEnd::Finished;
};

AviProbe recordUntilItEnds(const SessionSettings& settings, Ending& ending)
{
    RecordingSession session;
    session.start(settings, [&](SessionEnd how, const SessionStats&) {
        ending.how = how;
        ++ending.count;
    });
    qmtest::waitFor([&] { return ending.count.load() == 1; }, 60000);
    session.stop();
    session.wait();
    return probeAvi(settings.path, 10, 10);
}

} // namespace

TEST(RecordingSessionDesktop, ADiskRunningOutStopsTheRecordingAndWhatWasWrittenPlays)
{
    QTemporaryDir dir;
    const QString disk = dir.filePath(QStringLiteral("disk"));
    SmallDisk small(disk, 4096);
    if (!small.mounted())
        GTEST_SKIP() << "a small file system needs the right to mount one";

    // Below the 100 MB that a recording keeps free: it stops after its first second, with the file whole.
    SessionSettings low = settingsFor(disk + QStringLiteral("/low.avi"));
    Ending lowEnd;
    const AviProbe lowProbe = recordUntilItEnds(low, lowEnd);
    EXPECT_EQ(lowEnd.how, SessionEnd::DiskFull);
    ASSERT_TRUE(lowProbe.opened);
    EXPECT_GE(lowProbe.lastFrameNumber, 19);
    QFile::remove(low.path);

    // A disk that fills up before the check sees it: the write fails, and the file plays up to there.
    SessionSettings full = settingsFor(disk + QStringLiteral("/full.avi"));
    full.quality = 10000;
    full.freeBytes = [](const QString&) { return int64_t(1) << 40; };
    QWidget noise;
    noise.setGeometry(0, 0, 1920, 1080);
    noise.show();
    QTimer repaint;
    int step = 0;
    QObject::connect(&repaint, &QTimer::timeout, [&] {
        QPalette palette;
        palette.setColor(QPalette::Window, QColor::fromHsv((step++ * 53) % 360, 255, 200));
        noise.setPalette(palette);
    });
    repaint.start(50);
    Ending fullEnd;
    const AviProbe fullProbe = recordUntilItEnds(full, fullEnd);
    EXPECT_EQ(fullEnd.how, SessionEnd::WriteFailed);
    ASSERT_TRUE(fullProbe.opened);
    EXPECT_GT(fullProbe.videoFrames, 3);
}

TEST(RecordingSessionDesktop, AMicrophoneThatFallsSilentIsToldAndDoesNotHoldUpTheEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quiet.avi"));
    std::atomic<int> ends {0};
    std::atomic<int> lost {0};
    SessionEnd end = SessionEnd::NoScreen;
    SessionSettings settings = settingsFor(path);
    settings.soundLost = [&] { ++lost; };
    RecordingSession session;
    session.start(settings, [&](SessionEnd how, const SessionStats&) {
        end = how;
        ++ends;
    });
    auto spin = [](int ms) {
        QEventLoop idle;
        QTimer::singleShot(ms, &idle, &QEventLoop::quit);
        idle.exec();
    };
    spin(2500);
    // A suspended source gives no more sound and no error either.
    ASSERT_EQ(QProcess::execute(QStringLiteral("pactl"),
                  {QStringLiteral("suspend-source"), QStringLiteral("virtual_mic"), QStringLiteral("1")}),
        0);
    const bool told = qmtest::waitFor([&] { return lost.load() > 0; }, 10000);
    spin(500);
    session.stop();
    const bool finished = qmtest::waitFor([&] { return ends.load() == 1; }, 30000);
    QProcess::execute(QStringLiteral("pactl"),
        {QStringLiteral("suspend-source"), QStringLiteral("virtual_mic"), QStringLiteral("0")});
    EXPECT_TRUE(told);
    ASSERT_TRUE(finished) << "the end waited for the silent microphone";
    session.wait();
    EXPECT_EQ(end, SessionEnd::Finished);
    EXPECT_EQ(lost.load(), 1);
    const AviProbe probe = probeAvi(path);
    ASSERT_TRUE(probe.opened);
    EXPECT_GE(probe.lastFrameNumber, 40);
    EXPECT_GT(probe.samples.size(), size_t(22050 / 2)) << "the sound before the microphone fell silent";
}
