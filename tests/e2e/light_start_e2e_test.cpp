// The program starts light: none of its heavy libraries is mapped before a feature needs it, and a copy of
// the program without one of them starts all the same, the feature that needs it saying so when it is
// pressed.
#include "program_driver.h"

#include "platform/x11_desktop.h"
#include "support_main/test_util.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>

#include <gtest/gtest.h>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
constexpr int kCmdRecorder = 1145, kCmd3DWall = 32856, kCmd3DBoard = 32893, kCmdOpenPdf = 32901;

QString mappedFiles(qint64 pid)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(maps.readAll()) : QString();
}

struct HeavyFeature {
    const char* library;
    int command;
};

// The box the press brings, answered; false when none came.
bool answerTheBox(ProgramDriver& program, const QString& title)
{
    const unsigned long box = program.waitForWindow(title);
    if (!box)
        return false;
    program.pressKeyIn(box, QStringLiteral("Return"));
    return program.waitForNoWindow(title);
}

// Whether the program's output names the library it could not load, once the output has come through.
bool saysInItsOutput(ProgramDriver& program, const QString& library)
{
    QString said;
    return qmtest::waitFor([&] { return (said += program.output()).contains(library); }, 5000);
}

} // namespace

TEST(LightStart, NoHeavyLibraryIsMappedWhenThePanelShows)
{
    ProgramDriver program;
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    qmtest::waitFor([] { return false; }, 1500);
    const QString maps = mappedFiles(program.processId());
    ASSERT_FALSE(maps.isEmpty());
    for (const char* heavy :
        {"libQMVidio.so", "libQMDirect.so", "libQMShow.so", "libQMPlay.so", "libQMPdf.so", "libgstreamer",
            "libavcodec", "libpulse", "libIrrlicht", "libpoppler", "libGLX_mesa", "libLLVM"})
        EXPECT_FALSE(maps.contains(QLatin1String(heavy))) << heavy << " is mapped at start";
}

TEST(LightStart, WithoutEachHeavyLibraryThePanelShowsAndItsFeatureSaysSoAtEachPress)
{
    const HeavyFeature features[]
        = {{"libQMVidio.so", kCmdRecorder}, {"libQMPlay.so", kCmd3DBoard}, {"libQMShow.so", kCmd3DWall}};
    for (const HeavyFeature& feature : features) {
        SCOPED_TRACE(feature.library);
        ProgramDriver program;
        ASSERT_TRUE(QFile::remove(program.programFolder() + u'/' + QLatin1String(feature.library)));
        ASSERT_TRUE(program.start());
        ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();

        for (int press = 0; press < 2; ++press) {
            ASSERT_EQ(program.pressPanelButton(feature.command), 0);
            ASSERT_TRUE(answerTheBox(program, QStringLiteral("提示")))
                << "press " << press << " says nothing";
        }
        EXPECT_TRUE(saysInItsOutput(program, QLatin1String(feature.library)));
        EXPECT_TRUE(program.running());
        EXPECT_NE(platform::desktop::findAnyWindow(kPanel), 0u);
    }
}

TEST(LightStart, WithoutThePdfModuleAPdfIsRefusedWithTheReason)
{
    ProgramDriver program;
    ASSERT_TRUE(QFile::remove(program.programFolder() + QStringLiteral("/libQMPdf.so")));
    const QString pdf = qmtest::writeRedPdf(program.homeFolder() + QStringLiteral("/lesson.pdf"));
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();

    ASSERT_TRUE(program.chooseInFileDialog(kCmdOpenPdf, QStringLiteral("打开PDF或幻灯片"), pdf))
        << "no file dialog";

    ASSERT_TRUE(answerTheBox(program, QStringLiteral("提示")));
    EXPECT_TRUE(saysInItsOutput(program, QStringLiteral("libQMPdf.so")));
    EXPECT_TRUE(program.running());
}

TEST(LightStart, InEnglishTheMissingRecorderIsToldInEnglish)
{
    ProgramDriver program;
    ASSERT_TRUE(QFile::remove(program.programFolder() + QStringLiteral("/libQMVidio.so")));
    QFile ini(program.programFolder() + QStringLiteral("/Language.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadWrite));
    QByteArray text = ini.readAll();
    text.replace("Language=Chinese", "Language=English");
    ini.resize(0);
    ini.write(text);
    ini.close();
    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u) << program.output().toStdString();
    ASSERT_EQ(program.pressPanelButton(kCmdRecorder), 0);
    EXPECT_TRUE(answerTheBox(program, QStringLiteral("Tips")));
}
