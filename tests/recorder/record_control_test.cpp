#include "recorder/disk_space.h"
#include "recorder/record_control.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace recorder;

namespace {

// The control with every hook answered by the test: a clock it moves, a microphone it plugs in or out, a save
// dialog that gives the name it is told, and a session that writes a small file.
class RecordControlTest : public ::testing::Test {
protected:
    RecordControlTest()
    {
        hooks.now = [this] { return now; };
        hooks.localTime = [] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); };
        hooks.english = [this] { return english; };
        hooks.scratchFolder = [this] { return dir.path(); };
        hooks.hasSoundInput = [this] { return microphone; };
        hooks.message = [this](const QString& text, const QString& caption) {
            messages << text;
            captions << caption;
        };
        hooks.saveAs = [this](const QString& name, const QString& extension, const QString& filter) {
            offeredName = name;
            offeredExtension = extension;
            offeredFilter = filter;
            savingDuringDialog = control->saving();
            return answer;
        };
        hooks.beginRecording = [this](const QString& path) {
            sessionPath = path;
            ++begins;
            return true;
        };
        hooks.pauseRecording = [this] { ++pauses; };
        hooks.resumeRecording = [this] { ++resumes; };
        hooks.endRecording = [this] {
            ++ends;
            qmtest::writeFile(sessionPath, "RIFF recorded");
        };
        hooks.openWithDesktop = [this](const QString& path) {
            played << QStringLiteral("desktop ") + path;
            return desktopPlayer;
        };
        hooks.openInOwnPlayer = [this](const QString& path) {
            played << QStringLiteral("own ") + path;
            return ownPlayer;
        };
        control = std::make_unique<RecordControl>(hooks);
    }

    void startAndWait()
    {
        control->startButton();
        now += 1000;
    }

    QTemporaryDir dir;
    RecordControlHooks hooks;
    std::unique_ptr<RecordControl> control;
    int64_t now = 100000;
    bool english = true;
    bool microphone = true;
    QString answer;
    QStringList messages;
    QStringList captions;
    QString offeredName, offeredExtension, offeredFilter, sessionPath;
    bool savingDuringDialog = false;
    bool desktopPlayer = false;
    bool ownPlayer = true;
    QStringList played;
    int begins = 0, pauses = 0, resumes = 0, ends = 0;
};

} // namespace

TEST(RecordControlNames, TemporaryAndOfferedNamesAndTheElapsedTime)
{
    const QDateTime at(QDate(2026, 3, 4), QTime(5, 6, 7));
    EXPECT_EQ(temporaryRecordingName(at), QStringLiteral("4-5-6-7.avi"));
    EXPECT_EQ(defaultSaveName(at), QStringLiteral("UnTitle20260304050607.avi"));
    EXPECT_EQ(elapsedText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(elapsedText(2700), QStringLiteral("00:45:00"));
    EXPECT_EQ(elapsedText(100 * 3600 + 61), QStringLiteral("100:01:01"));
}

TEST(RecordControlNames, TheActualRatesOverHalfASecond)
{
    EXPECT_EQ(actualRatesText(10, 11025, 500, true), QStringLiteral("20.0 fps · 22050 Hz"));
    EXPECT_EQ(actualRatesText(9, 11000, 503, false), QStringLiteral("17.9 帧/秒 · 21869 Hz"));
    EXPECT_EQ(actualRatesText(0, 0, 500, true), QStringLiteral("0.0 fps · 0 Hz")) << "a paused machine";
    EXPECT_EQ(actualRatesText(-3, -1, 500, true), QStringLiteral("0.0 fps · 0 Hz"))
        << "a new session's counts";
    EXPECT_TRUE(actualRatesText(10, 10, 0, true).isEmpty());
}

TEST_F(RecordControlTest, StartRecordsIntoTheScratchFolderAndShowsTheRecordingLook)
{
    control->startButton();
    EXPECT_TRUE(control->recording());
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(sessionPath, dir.filePath(QStringLiteral("4-5-6-7.avi")));
    EXPECT_FALSE(QFile::exists(sessionPath)) << "the creation test left its file";
    EXPECT_EQ(control->caption(), QStringLiteral("开始录制"));
    EXPECT_EQ(control->pictureNormal(), kPictureRecordingNormal);
    EXPECT_EQ(control->pictureDown(), kPictureRecordingDown);
    control->tick();
    control->tick();
    EXPECT_EQ(control->elapsedSeconds(), 2);
}

TEST_F(RecordControlTest, AStopWithin800MsOfTheStartIsIgnored)
{
    control->startButton();
    now += 799;
    control->stop();
    EXPECT_TRUE(control->recording());
    EXPECT_TRUE(control->timerRunning());
    EXPECT_EQ(ends, 0);
    now += 1;
    control->stop();
    EXPECT_FALSE(control->recording());
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(control->caption(), QStringLiteral("Stop"));
    EXPECT_EQ(control->lastRecording(), sessionPath);
    EXPECT_EQ(control->pictureNormal(), kPictureIdleNormal);
}

TEST_F(RecordControlTest, AStartWithin500MsAfterAStopDoesNothing)
{
    startAndWait();
    control->stop();
    now += 499;
    control->startButton();
    EXPECT_FALSE(control->recording());
    EXPECT_EQ(begins, 1);
    now += 1;
    control->startButton();
    EXPECT_TRUE(control->recording());
    EXPECT_EQ(begins, 2);
}

TEST_F(RecordControlTest, WithoutAMicrophoneNoRecordingStarts)
{
    microphone = false;
    control->startButton();
    EXPECT_FALSE(control->recording());
    EXPECT_EQ(begins, 0);
    EXPECT_FALSE(control->timerRunning());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("No sound input device was found. Please check the sound card."));
    EXPECT_EQ(captions[0], QStringLiteral("Tips"));
    english = false;
    control->startButton();
    EXPECT_EQ(messages.last(), QStringLiteral("没有声音输入设备，请检查声卡!"));
    // The box had no title at all.
    EXPECT_EQ(captions.last(), QStringLiteral("提示"));
}

TEST_F(RecordControlTest, AnUncreatableTemporaryFileRefusesTheRecording)
{
    hooks.scratchFolder = [this] { return dir.filePath(QStringLiteral("missing/folder")); };
    control = std::make_unique<RecordControl>(hooks);
    control->startButton();
    EXPECT_FALSE(control->recording());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
        QStringLiteral(
            "The file cannot be created. Another program may be using it: please choose another name."));
    EXPECT_EQ(captions[0], QStringLiteral("Tips"));
}

TEST_F(RecordControlTest, PauseAsksForANameAndSavingCopiesTheFinishedFile)
{
    startAndWait();
    const QString chosen = dir.filePath(QStringLiteral("lesson.avi"));
    qmtest::writeFile(chosen, "an older lesson");
    answer = chosen;
    control->startButton(); // pause
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(offeredName, QStringLiteral("UnTitle20260304050607.avi"));
    EXPECT_EQ(offeredExtension, QStringLiteral("*.avi"));
    EXPECT_EQ(offeredFilter, QStringLiteral("avi file(*.avi)|*.avi||"));
    EXPECT_TRUE(savingDuringDialog);
    EXPECT_FALSE(control->saving());
    EXPECT_EQ(ends, 1);
    // The copy waits for the session to close its file.
    EXPECT_EQ(qmtest::readFile(chosen), QByteArray("an older lesson"));
    control->recordingEnded(true);
    EXPECT_EQ(qmtest::readFile(chosen), QByteArray("RIFF recorded"));
    EXPECT_EQ(control->savedTo(), chosen);
    EXPECT_FALSE(QFile::exists(chosen + QStringLiteral(".part")));
    // Saved, it is not kept a second time in the scratch folder; the play button plays the saved file.
    EXPECT_FALSE(QFile::exists(sessionPath));
    EXPECT_EQ(control->lastRecording(), chosen);
}

TEST_F(RecordControlTest, AFailedCopyKeepsTheRecordingInTheScratchFolder)
{
    startAndWait();
    answer = dir.filePath(QStringLiteral("no/such/folder/lesson.avi"));
    control->startButton();
    control->recordingEnded(true);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
        QStringLiteral(
            "The file cannot be created. Another program may be using it: please choose another name."));
    EXPECT_TRUE(QFile::exists(sessionPath)) << "the only copy of the recording";
    EXPECT_EQ(control->lastRecording(), sessionPath);
    EXPECT_TRUE(control->savedTo().isEmpty());
}

// A file that ended by itself (a full disk) would go with the scratch folder: the user is asked for a name at
// once, right after the start as well, and a cancelled dialog still leaves it to the play button.
TEST_F(RecordControlTest, ARecordingCutOffIsStoppedAndOfferedForSaving)
{
    control->startButton();
    now += 300; // within the double-click time of the start
    const QString chosen = dir.filePath(QStringLiteral("cut.avi"));
    answer = chosen;
    control->recordingCutOff(QStringLiteral("The disk / is full."));
    EXPECT_FALSE(control->recording());
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(messages, QStringList {QStringLiteral("The disk / is full.")});
    EXPECT_EQ(captions, QStringList {QStringLiteral("Tips")});
    EXPECT_EQ(offeredName, QStringLiteral("UnTitle20260304050607.avi"));
    EXPECT_EQ(qmtest::readFile(chosen), QByteArray("RIFF recorded"));
    EXPECT_EQ(control->lastRecording(), chosen);

    now += 1000;
    control->startButton();
    now += 1000;
    answer.clear();
    control->recordingCutOff(QStringLiteral("full"));
    EXPECT_FALSE(control->recording());
    EXPECT_TRUE(QFile::exists(sessionPath));
    EXPECT_EQ(control->lastRecording(), sessionPath);
    control->recordingCutOff(QStringLiteral("full")); // a second report of the same end asks nothing more
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(RecordControlTest, ACancelledSaveLeavesTheRecordingPausedAndStartResumesIt)
{
    startAndWait();
    control->tick();
    control->startButton();
    EXPECT_TRUE(control->recording());
    EXPECT_TRUE(control->paused());
    EXPECT_EQ(control->caption(), QStringLiteral("暂停录制"));
    EXPECT_EQ(control->pictureNormal(), kPictureIdleNormal);
    control->tick();
    EXPECT_EQ(control->elapsedSeconds(), 1) << "the counter stops while paused";
    control->startButton();
    EXPECT_FALSE(control->paused());
    EXPECT_EQ(resumes, 1);
    EXPECT_EQ(control->caption(), QStringLiteral("继续录制"));
    control->tick();
    EXPECT_EQ(control->elapsedSeconds(), 2);
}

TEST_F(RecordControlTest, At45MinutesTheRecordingPausesWithItsMessageAndAsksForAName)
{
    startAndWait();
    answer = dir.filePath(QStringLiteral("long.avi"));
    for (int i = 0; i < kMaxRecordSeconds - 1; ++i)
        control->tick();
    EXPECT_FALSE(control->paused());
    EXPECT_TRUE(messages.isEmpty());
    control->tick();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
        QStringLiteral("A recording can be at most 45 minutes long. Please save it and start a new one."));
    EXPECT_EQ(captions[0], QStringLiteral("Tips"));
    EXPECT_EQ(offeredName, QStringLiteral("UnTitle20260304050607.avi"));
    EXPECT_FALSE(control->recording());
    control->recordingEnded(true);
    EXPECT_EQ(qmtest::readFile(answer), QByteArray("RIFF recorded"));
}

TEST_F(RecordControlTest, ClosingTheWindowWhileRecordingRunsThePauseAndSave)
{
    startAndWait();
    control->closeRequested();
    EXPECT_TRUE(control->paused());
    EXPECT_TRUE(savingDuringDialog);
    EXPECT_EQ(offeredFilter, QStringLiteral("avi file(*.avi)|*.avi||"));
}

TEST(RecordDiskSpace, TheMessageNamesTheMountPointOfTheRecording)
{
    QTemporaryDir dir;
    const QString disk = dir.filePath(QStringLiteral("disk"));
    QDir().mkpath(disk);
    const bool mounted = QProcess::execute(QStringLiteral("mount"),
                             {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                 QStringLiteral("size=2048k"), QStringLiteral("tmpfs"), disk})
        == 0;
    if (!mounted)
        GTEST_SKIP() << "a small file system needs the right to mount one";
    const QString file = disk + QStringLiteral("/not/yet/there.avi");
    const int64_t free = freeBytesAt(file);
    EXPECT_GT(free, 1024 * 1024);
    EXPECT_LE(free, 2048 * 1024);
    EXPECT_LT(free, kMinimumFreeBytes);
    EXPECT_EQ(mountPointOf(file), disk);
    EXPECT_EQ(diskFullMessage(mountPointOf(file), true),
        QStringLiteral("The disk %1 is full. Make room on it to go on recording.").arg(disk));
    EXPECT_EQ(diskFullMessage(QStringLiteral("/media/usb"), false),
        QStringLiteral("/media/usb盘空间已不足,请清理磁盘空间后继续录制!"));
    QProcess::execute(QStringLiteral("umount"), {disk});
}

TEST_F(RecordControlTest, PlayOpensTheLastRecordingWithTheFirstPlayerThatTakesItAndNeverSaysNothing)
{
    english = false;
    control->playLast();
    EXPECT_EQ(messages, QStringList {QStringLiteral("还没有录像。")});
    EXPECT_EQ(captions, QStringList {QStringLiteral("提示")});
    EXPECT_TRUE(played.isEmpty());

    startAndWait();
    messages.clear();
    control->playLast();
    EXPECT_EQ(messages, QStringList {QStringLiteral("正在录像：暂停并保存后再播放。")});
    control->stop();
    control->recordingEnded(true);
    const QString last = control->lastRecording();
    ASSERT_TRUE(QFile::exists(last));
    messages.clear();
    // No player registered on the desktop: the program's own plays it.
    control->playLast();
    EXPECT_EQ(played, (QStringList {QStringLiteral("desktop ") + last, QStringLiteral("own ") + last}));
    EXPECT_TRUE(messages.isEmpty());
    played.clear();
    desktopPlayer = true;
    control->playLast();
    EXPECT_EQ(played, QStringList {QStringLiteral("desktop ") + last});
    // Nothing can play it: the user is told which player is missing.
    desktopPlayer = ownPlayer = false;
    control->playLast();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("未找到视频播放器,请安装支持avi格式播放器"));

    // The file gone (the scratch folder emptied), the user is told so and no player is asked.
    played.clear();
    messages.clear();
    english = true;
    ASSERT_TRUE(QFile::remove(last));
    control->playLast();
    EXPECT_TRUE(played.isEmpty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("The recording "))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QFileInfo(last).fileName()));
    EXPECT_EQ(captions.last(), QStringLiteral("Tips"));
}
