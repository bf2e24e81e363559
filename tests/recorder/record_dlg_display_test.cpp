#include "recorder/record_dlg.h"
#include "recorder/recorder_exports.h"
#include "recorder/timer_dlg.h"

#include "avi_probe.h"
#include "platform/message_box.h"
#include "platform/screen_capture.h"
#include "platform/screenshot_portal.h"
#include "support/language.h"
#include "support_main/fake_screencast_portal.h"
#include "support_main/test_util.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

using recordertest::AviProbe;
using recordertest::probeAvi;

namespace {

// A Wayland session whose desktop portal is a stand-in on a private bus; the session type and the portal
// are given back when it goes.
class StandInCastDesktop {
public:
    StandInCastDesktop(const QString& client, qmtest::FakeScreenCastPortal::Answer answer)
        : client_(client)
        , session_(qgetenv("XDG_SESSION_TYPE"))
    {
        portal.setAnswer(answer);
        ready_ = bus_.started() && portal.serve(bus_) && bus_.connect(client).isConnected();
        platform::SetPortalForTests(client, 5000);
        qputenv("XDG_SESSION_TYPE", "wayland");
    }
    ~StandInCastDesktop()
    {
        qputenv("XDG_SESSION_TYPE", session_);
        platform::SetPortalForTests(QString(), platform::kPortalTimeoutMs);
        QDBusConnection::disconnectFromBus(client_);
    }
    bool ready() const { return ready_; }

private:
    qmtest::PrivateBus bus_;

public:
    qmtest::FakeScreenCastPortal portal;

private:
    QString client_;
    QByteArray session_;
    bool ready_ = false;
};

// A home of its own, so the scratch recording never lands in the user's templates folder.
class RecordWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "PULSE_SERVER"})
            saved.push_back({name, qgetenv(name)});
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral(".local/share")).toUtf8());
        platform::setMessageBoxHook([this](const platform::MessageBoxRequest& request) {
            messages << request.text;
            return platform::IDOK;
        });
        CRecordDlg::setSaveDialog([this](QWidget*, const QString& name, const QString&) {
            offered = name;
            return chosen;
        });
    }
    void TearDown() override
    {
        DestroyRecordControlWindow();
        platform::setMessageBoxHook({});
        for (const auto& [name, value] : saved)
            qputenv(name, value);
    }
    static void spin(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    QTemporaryDir home;
    std::vector<std::pair<const char*, QByteArray>> saved;
    QStringList messages;
    QString offered;
    QString chosen;
};

} // namespace

TEST_F(RecordWindowTest, TheRecorderButtonRecordsFiveSecondsAndPausingSavesThem)
{
    // A corner of the screen that changes ten times a second.
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

    chosen = home.filePath(QStringLiteral("lesson.avi"));
    ShowRecordControlWindow();
    EXPECT_EQ(IsRecordVisible(), 1);
    EXPECT_EQ(IsPlaying(), 1);
    spin(5500);
    StartRecordScreen(); // pause: the save dialog, then the copy once the file is closed
    EXPECT_TRUE(offered.startsWith(QStringLiteral("UnTitle")));
    EXPECT_EQ(IsPlaying(), 0);
    ASSERT_TRUE(qmtest::waitFor([&] { return QFile::exists(chosen); }, 30000));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();

    const AviProbe probe = probeAvi(chosen, 100, 100);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.container, QStringLiteral("avi"));
    EXPECT_EQ(probe.width, 1920);
    EXPECT_EQ(probe.height, 1080);
    EXPECT_EQ(probe.rateNum, 20 * probe.rateDen);
    EXPECT_EQ(probe.sampleRate, 22050);
    EXPECT_EQ(probe.channels, 1);
    EXPECT_GE(probe.lastFrameNumber, 80);
    EXPECT_LE(probe.lastFrameNumber, 120);
    EXPECT_NEAR(double(probe.samples.size()) / 22050.0, double(probe.lastFrameNumber + 1) / 20.0, 0.1);
    std::set<uint32_t> colours(probe.colours.begin(), probe.colours.end());
    EXPECT_GE(colours.size(), 10u);
}

TEST_F(RecordWindowTest, WithoutAMicrophoneTheButtonRecordsNothingAndSaysWhy)
{
    qputenv("PULSE_SERVER", "unix:/nonexistent/native");
    ShowRecordControlWindow();
    EXPECT_EQ(IsPlaying(), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0] == QStringLiteral("No sound input device was found. Please check the sound card.")
        || messages[0] == QStringLiteral("没有声音输入设备，请检查声卡!"));
}

namespace {

CRecordDlg* recordWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("CRecordDlg"))
            return static_cast<CRecordDlg*>(widget);
    }
    return nullptr;
}

QToolButton* buttonOf(CRecordDlg* dlg, int id)
{
    return dlg ? dlg->findChild<QToolButton*>(QString::number(id)) : nullptr;
}

QImage iconOf(QToolButton* button)
{
    return button->icon().pixmap(40, 40).toImage();
}

bool pactl(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("pactl"), arguments) == 0;
}

} // namespace

TEST_F(RecordWindowTest, ThePicturesComeWithTheLibraryAndTheButtonShowsTheState)
{
    // This program links the recorder library and not the program's skin.
    for (int id : {2007, 2008, 2011, 2014, 2015, 2016}) {
        const QPixmap picture(QStringLiteral(":/qmvidio/%1.png").arg(id));
        EXPECT_EQ(picture.size(), QSize(40, 40)) << id;
    }
    ShowRecordWindow();
    EXPECT_EQ(IsRecordVisible(), 1);
    EXPECT_EQ(IsPlaying(), 0) << "showing the window records nothing";
    QToolButton* start = buttonOf(recordWindow(), kIdStartPause);
    ASSERT_NE(start, nullptr);
    const QImage idle = iconOf(start);
    EXPECT_EQ(idle, QPixmap(QStringLiteral(":/qmvidio/2015.png")).toImage().convertToFormat(idle.format()));
    start->click();
    EXPECT_EQ(IsPlaying(), 1);
    EXPECT_NE(iconOf(start), idle);
    // Every half second the window shows what the recording really reaches.
    auto* rates = recordWindow()->findChild<QLabel*>(QStringLiteral("rates"));
    ASSERT_NE(rates, nullptr);
    spin(1200);
    EXPECT_TRUE(rates->text().contains(QStringLiteral(" Hz"))) << rates->text().toStdString();
    HideRecordWindow();
    EXPECT_EQ(IsRecordVisible(), 0);
    EXPECT_EQ(IsPlaying(), 1) << "hiding the window does not end the recording";
    spin(900);
    StopRecordScreen();
    EXPECT_EQ(IsPlaying(), 0);
    EXPECT_EQ(iconOf(start), idle);
    EXPECT_TRUE(rates->text().isEmpty()) << "a stopped recording has no rates";
}

TEST_F(RecordWindowTest, TheCaptionFollowsTheRecordingInBothLanguages)
{
    QTemporaryDir folder;
    qmtest::ScopedCurrentDir cwd(folder.path());
    QFile::copy(QStringLiteral(QM_SOURCE_DIR "/resources/program/Language.ini"),
        folder.filePath(QStringLiteral("Language.ini")));
    struct Expected {
        const char* language;
        QString recording, paused, resumed, stopped;
    };
    const Expected languages[] = {
        {"English", QStringLiteral("Recording"), QStringLiteral("Recording Paused"),
            QStringLiteral("Recording Resumed"), QStringLiteral("Stop")},
        {"Chinese", QStringLiteral("开始录制"), QStringLiteral("暂停录制"), QStringLiteral("继续录制"),
            QStringLiteral("停止")},
    };
    for (const Expected& expected : languages) {
        SetLanguage(QString::fromLatin1(expected.language));
        ShowRecordControlWindow();
        CRecordDlg* dlg = recordWindow();
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), expected.recording) << expected.language;
        chosen.clear(); // the save dialog is cancelled: the recording stays paused
        StartRecordScreen();
        EXPECT_EQ(dlg->windowTitle(), expected.paused) << expected.language;
        StartRecordScreen();
        EXPECT_EQ(dlg->windowTitle(), expected.resumed) << expected.language;
        spin(900);
        StopRecordScreen();
        EXPECT_EQ(dlg->windowTitle(), expected.stopped) << expected.language;
        DestroyRecordControlWindow();
        spin(600);
    }
    SetLanguage(QStringLiteral("Chinese"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

// A shown window of this title; null when there is none.
QWidget* shownWindow(const QString& title)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title)
            return w;
    return nullptr;
}

TEST_F(RecordWindowTest, ThePlayButtonUsesTheDesktopsPlayerElseOurOwnAndSaysWhenTheFileIsGone)
{
    // A desktop with a player for AVI files: xdg-mime names it, xdg-open notes what it was asked to open.
    QTemporaryDir bin;
    const QString marker = bin.filePath(QStringLiteral("opened"));
    const auto script = [&](const char* name, const QString& body) {
        qmtest::writeFile(bin.filePath(QString::fromLatin1(name)), ("#!/bin/sh\n" + body).toUtf8());
        QFile::setPermissions(
            bin.filePath(QString::fromLatin1(name)), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    script("xdg-mime", QStringLiteral("echo player.desktop\n"));
    script("xdg-open", QStringLiteral("echo \"$1\" > '%1'\n").arg(marker));
    QTemporaryDir nothing;
    const QByteArray path = qgetenv("PATH");

    ShowRecordControlWindow();
    spin(1200);
    StopRecordScreen();
    CRecordDlg* dlg = recordWindow();
    ASSERT_NE(dlg, nullptr);
    const QString last = dlg->control().lastRecording();
    ASSERT_TRUE(QFile::exists(last));
    const QString title = QFileInfo(last).fileName();

    // No player on the desktop (nothing even to ask): the recording plays in the program's own player.
    qputenv("PATH", nothing.path().toUtf8());
    buttonOf(dlg, kIdPlay)->click();
    qputenv("PATH", path);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    QWidget* own = shownWindow(title);
    ASSERT_NE(own, nullptr) << "the program's own player did not open";
    own->close();
    spin(300);

    qputenv("PATH", bin.path().toUtf8() + ':' + path);
    buttonOf(dlg, kIdPlay)->click();
    qputenv("PATH", path);
    // The shell makes the file before it writes the line: the line is there once it ends.
    ASSERT_TRUE(qmtest::waitFor([&] { return qmtest::readFile(marker).endsWith('\n'); }, 10000))
        << "the desktop's player was not started";
    const QString opened = QString::fromUtf8(qmtest::readFile(marker)).trimmed();
    EXPECT_TRUE(opened == last || opened == QUrl::fromLocalFile(last).toString()) << opened.toStdString();
    EXPECT_EQ(shownWindow(title), nullptr);

    // The file gone, the button says so instead of doing nothing.
    ASSERT_TRUE(QFile::remove(last));
    buttonOf(dlg, kIdPlay)->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("录像文件已不存在"))) << messages[0].toStdString();
}

TEST_F(RecordWindowTest, AMicrophoneGoneWhileRecordingIsToldAndThePictureGoesOn)
{
    chosen = home.filePath(QStringLiteral("silent.avi"));
    ShowRecordControlWindow();
    // A sound server may take a moment to start a new stream: the microphone goes once sound is in the file.
    CRecordDlg* dlg = recordWindow();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(qmtest::waitFor([&] { return dlg->sessionStats().samplesWritten >= 11025; }, 15000))
        << "no sound came from the virtual microphone";
    // The microphone and every other source go away, as when a USB microphone is pulled out of the only
    // sound card: the server ends the recorder's stream.
    ASSERT_TRUE(pactl({QStringLiteral("unload-module"), QStringLiteral("module-always-sink")}))
        << "needs the virtual desktop's sound server";
    ASSERT_TRUE(pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")}));
    const bool told = qmtest::waitFor([&] { return !messages.isEmpty(); }, 10000);
    const bool restored = pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                              QStringLiteral("sink_name=virtual_speaker")})
        && pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
            QStringLiteral("master=virtual_speaker.monitor"), QStringLiteral("source_name=virtual_mic")})
        && pactl({QStringLiteral("load-module"), QStringLiteral("module-always-sink")})
        && pactl({QStringLiteral("set-default-source"), QStringLiteral("virtual_mic")})
        && pactl({QStringLiteral("set-default-sink"), QStringLiteral("virtual_speaker")});
    EXPECT_TRUE(restored);
    ASSERT_TRUE(told);
    EXPECT_EQ(messages[0], QStringLiteral("没有声音输入设备或声卡无效，录制将没有声音!"));
    EXPECT_EQ(IsPlaying(), 1) << "the recording goes on without sound";
    spin(1500);
    StartRecordScreen();
    ASSERT_TRUE(qmtest::waitFor([&] { return QFile::exists(chosen); }, 30000));
    const AviProbe probe = probeAvi(chosen);
    ASSERT_TRUE(probe.opened);
    EXPECT_GE(probe.lastFrameNumber, 30) << "the picture before and after the microphone went";
    EXPECT_GE(probe.samples.size(), size_t(11025)) << "the sound until the microphone went";
    EXPECT_LT(double(probe.samples.size()) / 22050.0, double(probe.lastFrameNumber) / 20.0 - 1.0);
}

TEST_F(RecordWindowTest, AFileTheCompressorCannotCreateIsRetriedOnceWithTheDefault)
{
    ShowRecordControlWindow();
    CRecordDlg* dlg = recordWindow();
    ASSERT_NE(dlg, nullptr);
    spin(500);
    dlg->sessionEnded(recorder::SessionEnd::CreateFailed);
    EXPECT_TRUE(messages.isEmpty()) << "the first failure tries Microsoft Video 1";
    EXPECT_EQ(IsPlaying(), 1);
    spin(1500);
    const QString path = dlg->control().temporaryPath();
    dlg->sessionEnded(recorder::SessionEnd::CreateFailed);
    ASSERT_EQ(messages.size(), 1) << messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(messages[0], QStringLiteral("错误的创建AVI文件"));
    EXPECT_EQ(IsPlaying(), 0);
    DestroyRecordControlWindow(); // waits for the file
    const AviProbe probe = probeAvi(path);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.videoTag, recorder::fourCC(QStringLiteral("MSVC")));
}

TEST_F(RecordWindowTest, NoPictureOfTheScreenIsSaidInOneLineAndAnEndedCastOffersWhatWasRecorded)
{
    ShowRecordControlWindow();
    CRecordDlg* dlg = recordWindow();
    ASSERT_NE(dlg, nullptr);
    spin(500);
    dlg->sessionEnded(recorder::SessionEnd::NoScreen, platform::CaptureFailure::Refused);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("无法录制屏幕：桌面没有允许共享屏幕"));
    EXPECT_EQ(IsPlaying(), 0);
    // With no reason known (no display at all) the teacher is told as well.
    messages.clear();
    spin(700); // a start right after a stop is taken for a double click
    dlg->startButton();
    spin(500);
    dlg->sessionEnded(recorder::SessionEnd::NoScreen);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("无法录制屏幕：没有屏幕画面"));

    messages.clear();
    dlg->startButton();
    spin(1500);
    dlg->sessionEnded(recorder::SessionEnd::ScreenLost, platform::CaptureFailure::SessionClosed);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("桌面结束了屏幕共享，录制已停止"));
    EXPECT_FALSE(offered.isEmpty()) << "what was recorded is offered for saving";
}

TEST_F(RecordWindowTest, InAWaylandSessionTheDesktopIsAskedOnceAndAStreamWithoutPicturesIsSaid)
{
    StandInCastDesktop desktop(
        QStringLiteral("record-window-cast"), qmtest::FakeScreenCastPortal::Answer::Share);
    ASSERT_TRUE(desktop.ready());
    qmtest::FakeScreenCastPortal& portal = desktop.portal;

    ShowRecordControlWindow();
    CRecordDlg* dlg = recordWindow();
    ASSERT_NE(dlg, nullptr);
    // The stand-in's PipeWire connection carries no stream: after the first-picture limit the teacher reads
    // why, instead of getting a black recording.
    ASSERT_TRUE(qmtest::waitFor([&] { return !messages.isEmpty(); }, 20000));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QStringLiteral("无法录制屏幕：没有屏幕画面"));
    EXPECT_EQ(IsPlaying(), 0);
    EXPECT_EQ(portal.starts(), 1);
    EXPECT_FALSE(portal.lastSourceOptions().contains(QStringLiteral("restore_token")));

    // The desktop's token was kept: the next recording passes it, so the desktop need not ask again.
    messages.clear();
    spin(1100);
    dlg->startButton();
    ASSERT_TRUE(qmtest::waitFor([&] { return !messages.isEmpty(); }, 20000));
    EXPECT_EQ(portal.starts(), 2);
    EXPECT_EQ(portal.lastSourceOptions().value(QStringLiteral("restore_token")).toString(),
        QStringLiteral("restore-1"));

    // Closing the window while the stream is awaited returns (the stuck streams are left behind) and says
    // nothing.
    messages.clear();
    spin(1100);
    dlg->startButton();
    ASSERT_TRUE(qmtest::waitFor([&] { return portal.starts() == 3; }, 20000));
    spin(500);
    DestroyRecordControlWindow();
    spin(500);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
}

// The recording's time counts from its first picture, as the file does: while the desktop still asks whether
// to share the screen, the window and the floating time stay at nought.
TEST_F(RecordWindowTest, TheTimeWaitsWhileTheDesktopAsksToShareTheScreen)
{
    StandInCastDesktop desktop(
        QStringLiteral("record-window-question"), qmtest::FakeScreenCastPortal::Answer::Silent);
    ASSERT_TRUE(desktop.ready());
    const qmtest::FakeScreenCastPortal& portal = desktop.portal;

    ShowRecordControlWindow();
    CRecordDlg* dlg = recordWindow();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(qmtest::waitFor([&] { return portal.starts() == 1; }, 10000));
    spin(2500);
    EXPECT_EQ(dlg->elapsedLabel().toStdString(), "00:00:00");
    EXPECT_EQ(dlg->ratesLabel().toStdString(), "等待共享屏幕…") << "no rate of nothing";
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (const auto* floating = dynamic_cast<CTimerDlg*>(widget)) {
            EXPECT_EQ(floating->seconds(), 0);
            EXPECT_FALSE(floating->counting());
        }
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();

    DestroyRecordControlWindow();
}
