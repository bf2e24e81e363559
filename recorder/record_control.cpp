#include "recorder/record_control.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace recorder {

QString temporaryRecordingName(const QDateTime& local)
{
    return QStringLiteral("%1-%2-%3-%4.avi")
        .arg(local.date().day())
        .arg(local.time().hour())
        .arg(local.time().minute())
        .arg(local.time().second());
}

QString defaultSaveName(const QDateTime& local)
{
    return QStringLiteral("UnTitle%1%2%3%4%5%6.avi")
        .arg(local.date().year(), 4, 10, QLatin1Char('0'))
        .arg(local.date().month(), 2, 10, QLatin1Char('0'))
        .arg(local.date().day(), 2, 10, QLatin1Char('0'))
        .arg(local.time().hour(), 2, 10, QLatin1Char('0'))
        .arg(local.time().minute(), 2, 10, QLatin1Char('0'))
        .arg(local.time().second(), 2, 10, QLatin1Char('0'));
}

QString elapsedText(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString actualRatesText(int64_t frames, int64_t samples, int64_t ms, bool english)
{
    if (ms <= 0)
        return {};
    const double framesPerSecond = double(std::max<int64_t>(frames, 0)) * 1000.0 / double(ms);
    const int64_t samplesPerSecond = (std::max<int64_t>(samples, 0) * 1000 + ms / 2) / ms;
    return QStringLiteral("%1 %2 · %3 Hz")
        .arg(framesPerSecond, 0, 'f', 1)
        .arg(english ? QStringLiteral("fps") : QStringLiteral("帧/秒"))
        .arg(samplesPerSecond);
}

namespace {

const QString kCannotCreateEnglish = QStringLiteral(
    "The file cannot be created. Another program may be using it: please choose another name.");
const QString kCannotCreateChinese
    = QStringLiteral("不能够创建新文件。这个文件可能被其他应用程序占用，请用另外的文件名字！");

// Copies beside the target and renames over it, so a failed copy never leaves a cut-off file under its name.
bool copyReplacing(const QString& from, const QString& to)
{
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part))
        return false;
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(part);
        return false;
    }
    return true;
}

} // namespace

RecordControl::RecordControl(RecordControlHooks hooks)
    : hooks_(std::move(hooks))
{
}

bool RecordControl::english() const
{
    return hooks_.english && hooks_.english();
}

void RecordControl::say(const QString& englishText, const QString& chinese)
{
    if (hooks_.message)
        hooks_.message(english() ? englishText : chinese, messageTitle());
}

QString RecordControl::messageTitle() const
{
    return english() ? QStringLiteral("Tips") : QStringLiteral("提示");
}

void RecordControl::startButton()
{
    if (!recording_) {
        const QString folder = hooks_.scratchFolder ? hooks_.scratchFolder() : QDir::tempPath();
        temporaryPath_ = folder + QLatin1Char('/') + temporaryRecordingName(hooks_.localTime());
        // The counter and the recording look are set only once a recording really began.
        if (!begin())
            return;
        elapsed_ = 0;
        timerRunning_ = true;
        caption_ = QStringLiteral("开始录制");
        return;
    }
    if (paused_) {
        paused_ = false;
        timerRunning_ = true;
        caption_ = QStringLiteral("继续录制");
        if (hooks_.showTimer)
            hooks_.showTimer(true);
        if (hooks_.resumeRecording)
            hooks_.resumeRecording();
        return;
    }
    pauseAndSave();
}

void RecordControl::pauseAndSave()
{
    pause();
    if (elapsed_ >= kMaxRecordSeconds) {
        say(QStringLiteral("A recording can be at most 45 minutes long. Please save it and start a new one."),
            QStringLiteral("最大录制时间为45分钟,请保存重新录制"));
    }
    const QString chosen = askSaveName();
    if (chosen.isEmpty())
        return;
    pendingSave_ = chosen;
    // A stop right after the start would be ignored as a double click; a name given in the dialog is meant.
    lastBegin_ = -1000000;
    stop();
}

QString RecordControl::askSaveName()
{
    if (!hooks_.saveAs)
        return {};
    const bool wasSaving = saving_;
    saving_ = true;
    const QString chosen = hooks_.saveAs(defaultSaveName(hooks_.localTime()),
        QString::fromLatin1(kSaveExtension), QString::fromLatin1(kSaveFilter));
    saving_ = wasSaving;
    return chosen;
}

void RecordControl::recordingCutOff(const QString& why)
{
    if (!recording_)
        return;
    // The file has ended whatever the double-click rule says.
    lastBegin_ = -1000000;
    stop();
    if (hooks_.message)
        hooks_.message(why, messageTitle());
    pendingSave_ = askSaveName();
    recordingEnded(false);
}

bool RecordControl::begin()
{
    if (recording_)
        return false;
    const int64_t now = hooks_.now();
    if (now - lastStop_ < kBeginAfterStopMs)
        return false;
    if (hooks_.hasSoundInput && !hooks_.hasSoundInput()) {
        say(QStringLiteral("No sound input device was found. Please check the sound card."),
            QStringLiteral("没有声音输入设备，请检查声卡!"));
        return false;
    }
    QFile probe(temporaryPath_);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        say(kCannotCreateEnglish, kCannotCreateChinese);
        return false;
    }
    probe.close();
    probe.remove();
    if (hooks_.beginRecording && !hooks_.beginRecording(temporaryPath_))
        return false;
    recording_ = true;
    paused_ = false;
    lastBegin_ = now;
    if (hooks_.showTimer)
        hooks_.showTimer(true);
    return true;
}

void RecordControl::pause()
{
    if (!recording_ || paused_)
        return;
    timerRunning_ = false;
    paused_ = true;
    caption_ = QStringLiteral("暂停录制");
    if (hooks_.pauseRecording)
        hooks_.pauseRecording();
}

void RecordControl::stop()
{
    // The double-click rule comes first: an ignored stop leaves the counter and its display running.
    if (hooks_.now() - lastBegin_ < kStopAfterBeginMs)
        return;
    timerRunning_ = false;
    elapsed_ = 0;
    if (hooks_.showTimer)
        hooks_.showTimer(false);
    if (!recording_)
        return;
    paused_ = false;
    recording_ = false;
    lastStop_ = hooks_.now();
    if (hooks_.endRecording)
        hooks_.endRecording();
    caption_ = english() ? QStringLiteral("Stop") : QStringLiteral("停止");
    lastRecording_ = temporaryPath_;
}

void RecordControl::tick()
{
    if (!timerRunning_)
        return;
    ++elapsed_;
    if (elapsed_ >= kMaxRecordSeconds)
        startButton();
}

void RecordControl::closeRequested()
{
    if (!recording_ || paused_)
        return;
    saving_ = true;
    startButton();
    saving_ = false;
}

void RecordControl::recordingEnded(bool)
{
    if (pendingSave_.isEmpty())
        return;
    const QString target = pendingSave_;
    pendingSave_.clear();
    // Whatever reached the temporary file plays, even after a failed write: it is saved all the same.
    if (copyReplacing(temporaryPath_, target)) {
        savedTo_ = target;
        // Saved under its name, the recording is not kept a second time in the scratch folder.
        if (QFile::remove(temporaryPath_))
            lastRecording_ = target;
        return;
    }
    say(kCannotCreateEnglish, kCannotCreateChinese);
}

void RecordControl::playLast()
{
    const QString last = savedTo_.isEmpty() ? lastRecording_ : savedTo_;
    if (last.isEmpty() && recording_) {
        say(QStringLiteral("The recording is still going on: pause it and save it, then play it."),
            QStringLiteral("正在录像：暂停并保存后再播放。"));
        return;
    }
    if (last.isEmpty()) {
        say(QStringLiteral("Nothing has been recorded yet."), QStringLiteral("还没有录像。"));
        return;
    }
    if (!QFileInfo(last).isFile()) {
        say(QStringLiteral("The recording %1 is no longer there.").arg(QDir::toNativeSeparators(last)),
            QStringLiteral("录像文件已不存在：%1").arg(QDir::toNativeSeparators(last)));
        return;
    }
    if (hooks_.openWithDesktop && hooks_.openWithDesktop(last))
        return;
    if (hooks_.openInOwnPlayer && hooks_.openInOwnPlayer(last))
        return;
    say(QStringLiteral("No video player was found. Please install a player for AVI files."),
        QStringLiteral("未找到视频播放器,请安装支持avi格式播放器"));
}

} // namespace recorder
