#include "recorder/record_dlg.h"

#include "recorder/cast_frames.h"
#include "recorder/disk_space.h"
#include "recorder/sound_input.h"
#include "recorder/timer_dlg.h"

#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/window_stack.h"
#include "support/language.h"
#include "support/screen_picture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLibrary>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

#include <dlfcn.h>

using namespace recorder;

namespace {

CRecordDlg::SaveDialog& saveDialog()
{
    static CRecordDlg::SaveDialog dialog = [](QWidget* owner, const QString& name, const QString&) {
        const QString start = QDir::current().filePath(name);
        // QFileDialog keeps the current directory as it was; nothing to restore afterwards.
        return QFileDialog::getSaveFileName(owner, QString(), start,
            IsEnglish() ? QStringLiteral("AVI files (*.avi)") : QStringLiteral("AVI文件 (*.avi)"));
    };
    return dialog;
}

QIcon pictures(int normal, int down)
{
    QIcon icon(QStringLiteral(":/qmvidio/%1.png").arg(normal));
    icon.addFile(QStringLiteral(":/qmvidio/%1.png").arg(down), QSize(), QIcon::Active, QIcon::On);
    return icon;
}

// The program's own player lives in libQMDirect.so beside this library. It is looked up only when a recording
// is to be played, so that the recorder does not need it to load.
bool playInOwnPlayer(const QString& path, QWidget* owner)
{
    Dl_info self {};
    if (!dladdr(reinterpret_cast<void*>(&playInOwnPlayer), &self) || !self.dli_fname)
        return false;
    QLibrary direct(
        QFileInfo(QString::fromLocal8Bit(self.dli_fname)).absolutePath() + QStringLiteral("/libQMDirect.so"));
    using PlayInOwnWindow = QWidget* (*)(const QString&, QWidget*);
    const auto play = reinterpret_cast<PlayInOwnWindow>(direct.resolve("vpPlayInOwnWindow"));
    return play && play(path, owner);
}

// The best compressor of this machine for the screen, looked up once.
Compressor preferredForScreen(FrameSize screen)
{
    static const std::vector<Compressor> list = listCompressors(screen);
    const int index = preferredCompressor(list);
    return index >= 0 ? list[size_t(index)] : defaultCompressor();
}

// The desktop's answer to the share question, kept for the next recording (per user, as the desktop keeps
// it).
const QString kPortalSection = QStringLiteral("Portal");
const QString kCastTokenKey = QStringLiteral("ScreenCastToken");

} // namespace

QString castFailureText(platform::CaptureFailure failure)
{
    using platform::CaptureFailure;
    switch (failure) {
    case CaptureFailure::None:
        return {};
    case CaptureFailure::NoPortal:
        return GetConfigString(QStringLiteral("无法录制屏幕：此桌面没有屏幕共享服务（xdg-desktop-portal）"));
    case CaptureFailure::Refused:
        return GetConfigString(QStringLiteral("无法录制屏幕：桌面没有允许共享屏幕"));
    case CaptureFailure::NoAnswer:
        return GetConfigString(QStringLiteral("无法录制屏幕：桌面没有应答"));
    case CaptureFailure::BadPicture:
    case CaptureFailure::NoFrames:
        return GetConfigString(QStringLiteral("无法录制屏幕：没有屏幕画面"));
    case CaptureFailure::SessionClosed:
        return GetConfigString(QStringLiteral("桌面结束了屏幕共享，录制已停止"));
    }
    return {};
}

void CRecordDlg::setSaveDialog(SaveDialog dialog)
{
    saveDialog() = std::move(dialog);
}

CRecordDlg::CRecordDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("CRecordDlg"));
    // A control beside the panel, not a question: it stays under the program's dialogs.
    platform::SetStackLayer(this, platform::StackLayer::Panel);
    createControls();
    control_ = std::make_unique<RecordControl>(controlHooks());
    rateTimer_.setInterval(500);
    connect(&rateTimer_, &QTimer::timeout, this, [this] { showRates(); });
    secondTimer_.setInterval(1000);
    connect(&secondTimer_, &QTimer::timeout, this, [this] {
        if (!awaitingFirstPicture())
            control_->tick();
        refresh();
    });
    refresh();
}

void CRecordDlg::createControls()
{
    auto* layout = new QHBoxLayout(this);
    startButton_ = new QToolButton(this);
    startButton_->setObjectName(QString::number(kIdStartPause));
    startButton_->setIconSize(QSize(40, 40));
    startButton_->setAutoRaise(true);
    playButton_ = new QToolButton(this);
    playButton_->setObjectName(QString::number(kIdPlay));
    playButton_->setIconSize(QSize(40, 40));
    playButton_->setAutoRaise(true);
    playButton_->setIcon(pictures(kPicturePlayNormal, kPicturePlayDown));
    elapsed_ = new QLabel(elapsedText(0), this);
    elapsed_->setObjectName(QString::number(kIdElapsed));
    rates_ = new QLabel(this);
    rates_->setObjectName(QStringLiteral("rates"));
    QFont small = rates_->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    rates_->setFont(small);
    rates_->setStyleSheet(QStringLiteral("color: #666"));
    auto* times = new QVBoxLayout;
    times->addWidget(elapsed_);
    times->addWidget(rates_);
    layout->addWidget(startButton_);
    layout->addWidget(playButton_);
    layout->addLayout(times);
    connect(startButton_, &QToolButton::clicked, this, [this] { startButton(); });
    connect(playButton_, &QToolButton::clicked, this, [this] { playLastRecording(); });
}

RecordControlHooks CRecordDlg::controlHooks()
{
    RecordControlHooks hooks;
    hooks.english = [] { return IsEnglish(); };
    hooks.scratchFolder = [] { return platform::templatesScratchFolder(); };
    hooks.hasSoundInput = [] { return hasSoundInput(); };
    hooks.message = [this](const QString& text, const QString& caption) {
        platform::MessageBox(this, text, caption, platform::MB_OK | platform::MB_ICONWARNING);
    };
    hooks.saveAs = [this](const QString& name, const QString&, const QString& filter) {
        return saveDialog()(this, name, filter);
    };
    hooks.beginRecording = [this](const QString& path) {
        const QScreen* screen = this->screen();
        const FrameSize size {screen->geometry().width(), screen->geometry().height()};
        return beginSession(path, preferredForScreen(size));
    };
    hooks.pauseRecording = [this] {
        if (session_)
            session_->pause();
    };
    hooks.resumeRecording = [this] {
        if (session_)
            session_->resume();
    };
    hooks.endRecording = [this] {
        if (session_)
            session_->stop();
    };
    hooks.openWithDesktop = [](const QString& path) {
        // Without a registered player the desktop's opener starts and shows nothing.
        return !platform::defaultApplicationFor(path).isEmpty() && platform::shellOpen(path);
    };
    hooks.openInOwnPlayer = [this](const QString& path) { return playInOwnPlayer(path, this); };
    hooks.showTimer = [this](bool shown) {
        if (!shown) {
            timerDlg_.reset();
            return;
        }
        if (!timerDlg_)
            timerDlg_ = std::make_unique<CTimerDlg>();
        timerDlg_->show();
    };
    return hooks;
}

CRecordDlg::~CRecordDlg()
{
    if (session_) {
        session_->stop();
        session_->wait();
    }
}

bool CRecordDlg::beginSession(const QString& path, const Compressor& compressor)
{
    if (session_) {
        session_->stop();
        session_->wait();
    }
    sessionPath_ = path;
    compressor_ = compressor;
    SessionSettings settings = sessionSettingsFor(path, compressor, settings::ReadSettings().values);
    session_ = std::make_unique<RecordingSession>();
    castIfWayland(settings);
    QPointer<CRecordDlg> self(this);
    settings.soundLost = [self] {
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (self)
                    self->soundLost();
            },
            Qt::QueuedConnection);
    };
    session_->start(settings, [self](SessionEnd how, const SessionStats& stats) {
        // From the encoder thread: the window hears of it on its own thread.
        QMetaObject::invokeMethod(
            self.data(),
            [self, how, screen = stats.screenFailure] {
                if (self)
                    self->sessionEnded(how, screen);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void CRecordDlg::castIfWayland(SessionSettings& settings)
{
    if (platform::CaptureBackendInUse() != platform::CaptureBackend::Portal)
        return;
    CastSettings cast;
    cast.restoreToken = platform::GetPrivateProfileString(
        kPortalSection, kCastTokenKey, QString(), 4096, ScreenPictureProfile());
    cast.tokenKept = [](const QString& token) {
        const QString profile = ScreenPictureProfile();
        QDir().mkpath(QFileInfo(profile).absolutePath());
        platform::WritePrivateProfileString(kPortalSection, kCastTokenKey, token, profile);
    };
    cast.busName = platform::PortalConnectionForTests();
    settings.source = [cast](std::function<bool()> stopped) mutable {
        cast.cancelled = std::move(stopped);
        return std::make_unique<CastFrames>(cast);
    };
}

void CRecordDlg::sessionEnded(SessionEnd how, platform::CaptureFailure screen)
{
    const bool english = IsEnglish();
    switch (how) {
    case SessionEnd::Finished:
        control_->recordingEnded(true);
        break;
    case SessionEnd::CreateFailed:
        // Retried once with the default compressor, unless that one failed or the disk is short of room.
        if (compressor_.handler != QLatin1String(kDefaultHandler)
            && freeBytesAt(sessionPath_) >= kMinimumFreeBytes && control_->recording()) {
            beginSession(sessionPath_, defaultCompressor());
            return;
        }
        platform::MessageBox(this,
            english ? QStringLiteral("The AVI file could not be created.")
                    : QStringLiteral("错误的创建AVI文件"),
            english ? QStringLiteral("Tips") : QStringLiteral("提示"),
            platform::MB_OK | platform::MB_ICONWARNING);
        control_->stop();
        control_->recordingEnded(false);
        break;
    case SessionEnd::DiskFull:
    case SessionEnd::WriteFailed:
        control_->recordingCutOff(diskFullMessage(mountPointOf(sessionPath_), english));
        break;
    case SessionEnd::ScreenLost:
        control_->recordingCutOff(castFailureText(screen));
        break;
    case SessionEnd::NoScreen:
        // Never a silent black recording: the teacher reads why there is none (unless the teacher stopped it
        // while the desktop was still asking).
        if (control_->recording())
            platform::MessageBox(this,
                castFailureText(
                    screen == platform::CaptureFailure::None ? platform::CaptureFailure::NoFrames : screen),
                english ? QStringLiteral("Tips") : QStringLiteral("提示"),
                platform::MB_OK | platform::MB_ICONWARNING);
        control_->stop();
        control_->recordingEnded(false);
        break;
    }
    refresh();
}

void CRecordDlg::soundLost()
{
    if (!control_->recording())
        return;
    QApplication::beep();
    platform::MessageBox(this,
        IsEnglish() ? QStringLiteral("The sound input device is gone: the recording goes on without sound.")
                    : QStringLiteral("没有声音输入设备或声卡无效，录制将没有声音!"),
        IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"),
        platform::MB_OK | platform::MB_ICONWARNING);
}

bool CRecordDlg::awaitingFirstPicture() const
{
    return session_ && session_->running() && session_->stats().framesGrabbed == 0;
}

void CRecordDlg::refresh()
{
    startButton_->setIcon(pictures(control_->pictureNormal(), control_->pictureDown()));
    elapsed_->setText(elapsedText(control_->elapsedSeconds()));
    if (!control_->caption().isEmpty())
        setWindowTitle(GetConfigString(control_->caption()));
    if (control_->timerRunning() && !secondTimer_.isActive())
        secondTimer_.start();
    else if (!control_->timerRunning())
        secondTimer_.stop();
    if (control_->timerRunning() && !rateTimer_.isActive()) {
        ratesFrom_ = sessionStats();
        ratesFromMs_ = steadyMilliseconds()();
        rateTimer_.start();
    } else if (!control_->timerRunning() && rateTimer_.isActive()) {
        rateTimer_.stop();
        rates_->clear();
    }
    if (timerDlg_) {
        timerDlg_->setSeconds(control_->elapsedSeconds());
        if (control_->timerRunning() && !awaitingFirstPicture())
            timerDlg_->startCounting();
        else
            timerDlg_->stopCounting();
    }
}

void CRecordDlg::showRates()
{
    const SessionStats now = sessionStats();
    const int64_t nowMs = steadyMilliseconds()();
    if (awaitingFirstPicture()) {
        // The desktop is still asking the teacher whether to share the screen: no rate to tell yet.
        rates_->setText(
            IsEnglish() ? QStringLiteral("Waiting to share the screen…") : QStringLiteral("等待共享屏幕…"));
        ratesFrom_ = now;
        ratesFromMs_ = nowMs;
        return;
    }
    // Pictures that reached the file, not frame numbers: a machine that cannot keep up shows here.
    const auto kept = [](const SessionStats& stats) { return stats.framesGrabbed - stats.framesDropped; };
    rates_->setText(actualRatesText(kept(now) - kept(ratesFrom_),
        now.samplesWritten - ratesFrom_.samplesWritten, nowMs - ratesFromMs_, IsEnglish()));
    ratesFrom_ = now;
    ratesFromMs_ = nowMs;
}

void CRecordDlg::startButton()
{
    control_->startButton();
    refresh();
}

void CRecordDlg::pauseRecording()
{
    control_->pause();
    refresh();
}

void CRecordDlg::stopRecording()
{
    control_->stop();
    refresh();
}

QString CRecordDlg::elapsedLabel() const
{
    return elapsed_->text();
}

QString CRecordDlg::ratesLabel() const
{
    return rates_->text();
}

void CRecordDlg::playLastRecording()
{
    control_->playLast();
}

void CRecordDlg::closeEvent(QCloseEvent* event)
{
    control_->closeRequested();
    refresh();
    event->accept();
}
