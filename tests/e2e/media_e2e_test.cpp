// Pictures and videos from the material panel onto the page, as a teacher does it: open the panel, click a
// folder of the resource tree, click a thumbnail of the material preview, click the page.
#include "program_driver.h"

#include "support_main/test_util.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <thread>

using qmtest::ProgramDriver;

namespace {

const QString kPanel = QStringLiteral("白板");
const QString kPreview = QStringLiteral("素材预览");
constexpr int kWhiteboard = 1128;
constexpr int kMaterial = 1124;
constexpr int kNextPage = 1047;
// The first folder of the resource tree, where the history panel opens beside the panel on 1920 × 1080.
const QPoint kFirstTreeFolder(1166, 196);
// The first thumbnail of the material preview, below its caption.
const QPoint kFirstThumbnail(32, 24 + 32);
const QPoint kPlace(900, 500);

bool isBlue(QRgb px)
{
    return qBlue(px) > 200 && qRed(px) < 60 && qGreen(px) < 60;
}

class MediaEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The resource tree holds the test's folder alone, so that it is the first.
        QDir resources(program.programFolder() + QStringLiteral("/ReSource"));
        for (const QString& folder : resources.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(resources.filePath(folder)).removeRecursively();
    }

    void TearDown() override
    {
        if (program.running())
            program.qmsend({QStringLiteral("--title"), kPanel, QStringLiteral("--registered"),
                QStringLiteral("Marlowe"), QStringLiteral("1148"), QStringLiteral("0")});
        program.waitForExit(20000);
    }

    void openMaterialFolder()
    {
        ASSERT_EQ(program.pressPanelButton(kMaterial), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        program.click(kFirstTreeFolder);
        ASSERT_NE(program.waitForWindow(kPreview, 15000), 0u);
    }

    ProgramDriver program;
};

} // namespace

TEST_F(MediaEndToEnd, APictureFromTheMaterialPanelIsStoredWithThePageAndReopened)
{
    const QString folder = program.programFolder() + QStringLiteral("/ReSource/图片");
    QDir().mkpath(folder);
    QImage blue(200, 150, QImage::Format_RGB32);
    blue.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(blue.save(folder + QStringLiteral("/blue square.png")));

    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u);
    ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
    ASSERT_NE(program.waitForWindow(QStringLiteral("ScreenPen")), 0u);
    openMaterialFolder();
    EXPECT_TRUE(
        qmtest::waitFor([] { return qmtest::screenshot().pixel(kFirstThumbnail) != qRgb(255, 255, 255); }));
    program.click(kFirstThumbnail);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    program.click(kPlace);
    EXPECT_TRUE(qmtest::waitFor([] { return isBlue(qmtest::screenshot().pixel(kPlace + QPoint(40, 30))); }));

    // The next page stores this one: its object file names the picture, spaces as bars.
    ASSERT_EQ(program.pressPanelButton(kNextPage), 0);
    const QString pages = program.programFolder() + QStringLiteral("/Temp/ZidodAvuvTemp");
    QString stored;
    EXPECT_TRUE(qmtest::waitFor([&] {
        for (const QString& name : QDir(pages).entryList({QStringLiteral("*.kw")}, QDir::Files)) {
            const QByteArray text = qmtest::readFile(pages + u'/' + name);
            if (text.startsWith("13 ") && text.contains("blue|square.png"))
                stored = name;
        }
        return !stored.isEmpty();
    }));
    EXPECT_TRUE(qmtest::waitFor([] { return !isBlue(qmtest::screenshot().pixel(kPlace + QPoint(40, 30))); }));

    // Back on the first page the picture is where it was put.
    program.click(qmtest::boardButtonCentre(0));
    EXPECT_TRUE(qmtest::waitFor([] { return isBlue(qmtest::screenshot().pixel(kPlace + QPoint(40, 30))); }));
}

TEST_F(MediaEndToEnd, AVideoFromTheMaterialPanelPlaysInItsFrame)
{
    const QString folder = program.programFolder() + QStringLiteral("/ReSource/视频");
    QDir().mkpath(folder);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
            QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc=size=640x360:rate=25:duration=20"), QStringLiteral("-c:v"),
            QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"),
            QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), folder + QStringLiteral("/clock.mp4")});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000));

    ASSERT_TRUE(program.start());
    ASSERT_NE(program.waitForWindow(kPanel), 0u);
    ASSERT_EQ(program.pressPanelButton(kWhiteboard), 0);
    ASSERT_NE(program.waitForWindow(QStringLiteral("ScreenPen")), 0u);
    openMaterialFolder();
    // The thumbnail is a frame of the video: the test picture's colour bars.
    EXPECT_TRUE(
        qmtest::waitFor([] { return qmtest::screenshot().pixel(kFirstThumbnail) != qRgb(255, 255, 255); }));
    program.click(kFirstThumbnail);

    // The frame stands in the middle of the panel's monitor; what it shows changes while it plays.
    const QRect picture(960 - 200, 540 - 100, 400, 200);
    auto area = [&] { return qmtest::screenshot().copy(picture); };
    EXPECT_TRUE(qmtest::waitFor(
        [&] {
            const QImage shot = area();
            return shot.pixel(20, 20) != qRgb(0, 0, 0) && shot.pixel(20, 20) != qRgb(255, 255, 255);
        },
        20000));
    const QImage first = area();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const QImage second = area();
    int changed = 0;
    for (int y = 0; y < first.height(); y += 4)
        for (int x = 0; x < first.width(); x += 4)
            changed += first.pixel(x, y) != second.pixel(x, y);
    EXPECT_GT(changed, 20);
}
