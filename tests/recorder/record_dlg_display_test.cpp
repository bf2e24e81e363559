#include "recorder/record_dlg.h"
#include "recorder/recorder_exports.h"

#include "avi_probe.h"
#include "platform/message_box.h"
#include "support_main/test_util.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

using recordertest::AviProbe;
using recordertest::probeAvi;

namespace {

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
    EXPECT_TRUE(messages[0] == QStringLiteral("No voice input device, Please check sound card!")
        || messages[0] == QStringLiteral("没有声音输入设备，请检查声卡!"));
}
