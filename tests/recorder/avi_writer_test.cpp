#include "recorder/avi_writer.h"

#include "avi_probe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace recorder;
using recordertest::AviProbe;
using recordertest::probeAvi;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kRate = 22050;

// A screen of one colour, in the 32-bit BGRX rows that the screen grab delivers.
std::vector<uint8_t> screenOf(uint32_t rgb, int width = kWidth, int height = kHeight)
{
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = uint8_t(rgb);
        pixels[i + 1] = uint8_t(rgb >> 8);
        pixels[i + 2] = uint8_t(rgb >> 16);
        pixels[i + 3] = 0;
    }
    return pixels;
}

// Noise that no encoder can squeeze: every frame costs many kilobytes.
std::vector<uint8_t> noiseScreen(uint32_t seed)
{
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4);
    for (uint8_t& byte : pixels) {
        seed = seed * 1664525u + 1013904223u;
        byte = uint8_t(seed >> 24);
    }
    return pixels;
}

// The sound of sample n: a ramp that wraps, so that a lost or moved chunk shows.
int16_t soundAt(int64_t n)
{
    return int16_t((n * 37) % 20000 - 10000);
}

std::vector<int16_t> soundChunk(int64_t from, int count)
{
    std::vector<int16_t> chunk(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        chunk[size_t(i)] = soundAt(from + i);
    return chunk;
}

AviSettings settingsFor(const Compressor& compressor, FrameSize size = {kWidth, kHeight})
{
    AviSettings settings;
    settings.compressor = compressor;
    settings.size = size;
    return settings;
}

Compressor mpeg4()
{
    return {QStringLiteral("mpeg4"), QStringLiteral("XVID"), QStringLiteral("MPEG-4 Part 2")};
}

uint32_t colourOfFrame(int i)
{
    return uint32_t((i * 4) & 0xff) << 16 | 0x3000 | uint32_t(255 - ((i * 4) & 0xff));
}

// Writes `pictures` frames of the given size, each of its own colour, each followed by the sound of its time.
bool recordPictures(AviWriter& writer, int pictures, int width = kWidth, int height = kHeight)
{
    int64_t sent = 0;
    QImage screen(width, height, QImage::Format_RGB32); // the BGRX rows of the screen grab
    for (int i = 0; i < pictures; ++i) {
        screen.fill(QColor::fromRgb(colourOfFrame(i)));
        if (!writer.writeFrame(screen.constBits(), int(screen.bytesPerLine()), width, height, i))
            return false;
        const int64_t due = int64_t(i + 1) * kRate / 20;
        const std::vector<int16_t> chunk = soundChunk(sent, int(due - sent));
        if (!writer.writeSound(chunk.data(), int(chunk.size())))
            return false;
        sent = due;
    }
    return true;
}

// Writes `seconds` of a recording: a picture of its own colour every frame, then the sound of that frame.
bool recordSeconds(AviWriter& writer, int seconds)
{
    return recordPictures(writer, seconds * 20);
}

bool near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)) > tolerance)
            return false;
    }
    return true;
}

bool soundIsTheRamp(const std::vector<int16_t>& samples)
{
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != soundAt(int64_t(i)))
            return false;
    }
    return true;
}

} // namespace

TEST(AviWriterFile, PicturesAndSoundComeBackAsWrittenAndInterleaved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("take.avi"));
    AviWriter writer;
    QString error;
    ASSERT_TRUE(writer.open(path, settingsFor(mpeg4()), &error)) << error.toStdString();
    ASSERT_TRUE(recordSeconds(writer, 3));
    EXPECT_EQ(writer.framesWritten(), 60);
    EXPECT_EQ(writer.samplesWritten(), 3 * kRate);
    ASSERT_TRUE(writer.finish());

    const AviProbe probe = probeAvi(path, 100, 100);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.container, QStringLiteral("avi"));
    EXPECT_EQ(probe.videoTag, fourCC(QStringLiteral("XVID")));
    EXPECT_EQ(probe.width, kWidth);
    EXPECT_EQ(probe.height, kHeight);
    EXPECT_EQ(probe.rateNum, 20 * probe.rateDen);
    ASSERT_EQ(probe.videoFrames, 60);
    for (int i = 0; i < 60; i += 7)
        EXPECT_TRUE(near(probe.colours[size_t(i)], colourOfFrame(i), 10)) << "frame " << i;
    EXPECT_EQ(probe.sampleRate, kRate);
    EXPECT_EQ(probe.channels, 1);
    EXPECT_EQ(probe.samples.size(), size_t(3 * kRate));
    EXPECT_TRUE(soundIsTheRamp(probe.samples));
    // Sound sits among the pictures, not after them.
    ASSERT_GE(probe.firstSoundPosition, 0);
    EXPECT_LT(probe.firstSoundPosition, probe.videoPositions[2]);
}

TEST(AviWriterFile, TheDefaultCompressorWritesMicrosoftVideo1)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("msvc.avi"));
    AviWriter writer;
    QString error;
    ASSERT_TRUE(writer.open(path, settingsFor(defaultCompressor()), &error)) << error.toStdString();
    ASSERT_TRUE(recordSeconds(writer, 1));
    ASSERT_TRUE(writer.finish());
    const AviProbe probe = probeAvi(path, 10, 10);
    EXPECT_EQ(probe.videoTag, fourCC(QStringLiteral("MSVC")));
    ASSERT_EQ(probe.videoFrames, 20);
    EXPECT_TRUE(near(probe.colours[19], colourOfFrame(19), 16));
    EXPECT_EQ(probe.samples.size(), size_t(kRate));
}

TEST(AviWriterFile, RefusesASizeTheEncoderCannotTake)
{
    {
        AviWriter writer;
        QString why;
        const QTemporaryDir dir;
        // An encoder that takes any picture format names none: the writer cannot choose, and says so.
        EXPECT_FALSE(writer.open(dir.filePath(QStringLiteral("raw.avi")),
            settingsFor({QStringLiteral("rawvideo"), QStringLiteral("DIB "), QString()}), &why));
        EXPECT_TRUE(why.contains(QStringLiteral("picture format"))) << why.toStdString();
    }
    QTemporaryDir dir;
    AviWriter writer;
    QString error;
    EXPECT_FALSE(writer.open(
        dir.filePath(QStringLiteral("odd.avi")), settingsFor(defaultCompressor(), {322, 240}), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(writer.isOpen());
}

TEST(AviWriterQuality, TheQualityGivesEveryPictureItsQuantiser)
{
    // The same pictures at the recording's quality and at the finest: a coarser quantiser must show in the
    // size of every picture, the key frames and the ones between them.
    QTemporaryDir dir;
    auto sizeAt = [&](int quality) {
        const QString path = dir.filePath(QStringLiteral("q%1.avi").arg(quality));
        AviSettings settings = settingsFor(mpeg4());
        settings.sound = false;
        settings.quality = quality;
        AviWriter writer;
        EXPECT_TRUE(writer.open(path, settings));
        for (int i = 0; i < 10; ++i) {
            const std::vector<uint8_t> screen = noiseScreen(uint32_t(i % 2));
            EXPECT_TRUE(writer.writeFrame(screen.data(), kWidth * 4, kWidth, kHeight, i));
        }
        EXPECT_TRUE(writer.finish());
        return QFile(path).size();
    };
    ASSERT_EQ(quantiserForQuality(10000), 2);
    ASSERT_EQ(quantiserForQuality(3000), 6);
    const qint64 finest = sizeAt(10000);
    const qint64 recording = sizeAt(3000);
    EXPECT_LT(recording * 3, finest * 2) << recording << " bytes at quantiser 6, " << finest << " at 2";
}

TEST(AviWriterFrames, SkippedNumbersKeepThePictureOnScreenAndNumbersMustGrow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gaps.avi"));
    AviWriter writer;
    ASSERT_TRUE(writer.open(path, settingsFor(mpeg4())));
    const std::vector<uint8_t> red = screenOf(0xff0000);
    const std::vector<uint8_t> blue = screenOf(0x0000ff);
    EXPECT_TRUE(writer.writeFrame(red.data(), kWidth * 4, kWidth, kHeight, 0));
    EXPECT_TRUE(writer.writeFrame(red.data(), kWidth * 4, kWidth, kHeight, 1));
    EXPECT_FALSE(writer.writeFrame(blue.data(), kWidth * 4, kWidth, kHeight, 1));
    EXPECT_TRUE(writer.writeFrame(blue.data(), kWidth * 4, kWidth, kHeight, 30));
    EXPECT_EQ(writer.framesWritten(), 31);
    ASSERT_TRUE(writer.finish());

    const AviProbe probe = probeAvi(path, 5, 5);
    ASSERT_EQ(probe.videoFrames, 3);
    EXPECT_EQ(probe.lastFrameNumber, 30); // the blue picture shows 1.5 s in
    EXPECT_TRUE(near(probe.colours[2], 0x0000ff, 10));
}

TEST(AviWriterFrames, ALargerScreenIsCutToTheFrameFromTheTopLeft)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.avi"));
    AviWriter writer;
    ASSERT_TRUE(writer.open(path, settingsFor(mpeg4(), {kWidth - 2, kHeight})));
    // The screen is 2 pixels wider than the frame; its last two columns are red and must not show.
    std::vector<uint8_t> screen = screenOf(0x00ff00);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = kWidth - 2; x < kWidth; ++x) {
            uint8_t* p = screen.data() + (size_t(y) * kWidth + x) * 4;
            p[0] = 0;
            p[1] = 0;
            p[2] = 0xff;
        }
    }
    ASSERT_TRUE(writer.writeFrame(screen.data(), kWidth * 4, kWidth, kHeight, 0));
    EXPECT_FALSE(writer.writeFrame(screen.data(), (kWidth - 4) * 4, kWidth - 4, kHeight, 1));
    ASSERT_TRUE(writer.finish());
    const AviProbe probe = probeAvi(path, kWidth - 3, 120);
    EXPECT_EQ(probe.width, kWidth - 2);
    ASSERT_EQ(probe.videoFrames, 1);
    EXPECT_TRUE(near(probe.colours[0], 0x00ff00, 24));
}

TEST(AviWriterCutOff, AKilledRecordingStillPlaysToItsLastSecondWithSound)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("killed.avi"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AviWriter writer;
        if (!writer.open(path, settingsFor(mpeg4())) || !recordSeconds(writer, 5))
            _exit(3);
        raise(SIGKILL); // no index, no trailer, nothing of the writer's end runs
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended with " << WEXITSTATUS(status);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("idx1")) << "the file was finished after all";

    const AviProbe probe = probeAvi(path, 100, 100);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.width, kWidth);
    EXPECT_GE(probe.videoFrames, 80);
    EXPECT_GE(probe.lastFrameNumber, 80);
    EXPECT_GE(probe.samples.size(), size_t(4 * kRate));
    EXPECT_TRUE(soundIsTheRamp(probe.samples));
    ASSERT_FALSE(probe.colours.empty());
    const size_t last = probe.colours.size() - 1;
    EXPECT_TRUE(near(probe.colours[last], colourOfFrame(int(last)), 10));
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

} // namespace

TEST(AviWriterCutOff, AFullDiskStopsTheWritingAndWhatWasWrittenPlays)
{
    QTemporaryDir dir;
    const QString disk = dir.filePath(QStringLiteral("disk"));
    SmallDisk small(disk, 1024);
    if (!small.mounted())
        GTEST_SKIP() << "a small file system needs the right to mount one";
    const QString path = disk + QStringLiteral("/full.avi");
    AviWriter writer;
    ASSERT_TRUE(writer.open(path, settingsFor(mpeg4())));
    int written = 0;
    int64_t sent = 0;
    bool failed = false;
    for (int i = 0; i < 2000 && !failed; ++i) {
        const std::vector<uint8_t> screen = noiseScreen(uint32_t(i));
        const std::vector<int16_t> chunk = soundChunk(sent, kRate / 20);
        failed = !writer.writeFrame(screen.data(), kWidth * 4, kWidth, kHeight, i)
            || !writer.writeSound(chunk.data(), int(chunk.size()));
        if (!failed) {
            ++written;
            sent += int64_t(chunk.size());
        }
    }
    ASSERT_TRUE(failed) << "a 1 MB disk took 2000 noisy frames";
    EXPECT_FALSE(writer.writeFrame(screenOf(0).data(), kWidth * 4, kWidth, kHeight, 5000));
    EXPECT_FALSE(writer.finish());

    const AviProbe probe = probeAvi(path);
    ASSERT_TRUE(probe.opened);
    EXPECT_GE(probe.videoFrames, written - 2);
    EXPECT_GT(probe.videoFrames, 5);
    EXPECT_TRUE(soundIsTheRamp(probe.samples));
}

namespace {

// Full-size screens stored uncompressed (10-bit 4:2:2): 5.5 MB a picture takes a recording past 1 GiB in
// 200 pictures.
constexpr int kBigWidth = 1920;
constexpr int kBigHeight = 1080;
constexpr int kPastOneGibibyte = 200;

Compressor uncompressed()
{
    return {QStringLiteral("v210"), QStringLiteral("v210"), QStringLiteral("Uncompressed 10-bit")};
}

void expectWholeBigRecording(const QString& path, int atLeastPictures)
{
    EXPECT_GT(QFileInfo(path).size(), int64_t(1) << 30);
    const AviProbe probe = probeAvi(path, 100, 100);
    ASSERT_TRUE(probe.opened);
    EXPECT_GE(probe.videoFrames, atLeastPictures) << "pictures past the first gibibyte are lost";
    EXPECT_GE(probe.lastFrameNumber, atLeastPictures - 1);
    EXPECT_GE(int64_t(probe.samples.size()), int64_t(atLeastPictures) * kRate / 20);
    EXPECT_TRUE(soundIsTheRamp(probe.samples));
    ASSERT_FALSE(probe.colours.empty());
    const size_t last = probe.colours.size() - 1;
    EXPECT_TRUE(near(probe.colours[last], colourOfFrame(int(last)), 10));
}

} // namespace

// A recording past 1 GiB goes on in the file's further parts; finished or killed, it plays to its end.
TEST(AviWriterLarge, ARecordingPastOneGibibytePlaysWholeFinishedOrKilled)
{
    QTemporaryDir dir;
    {
        const QString path = dir.filePath(QStringLiteral("finished.avi"));
        AviWriter writer;
        ASSERT_TRUE(writer.open(path, settingsFor(uncompressed(), {kBigWidth, kBigHeight})));
        ASSERT_TRUE(recordPictures(writer, kPastOneGibibyte, kBigWidth, kBigHeight));
        ASSERT_TRUE(writer.finish());
        expectWholeBigRecording(path, kPastOneGibibyte);
        QFile::remove(path);
    }
    const QString path = dir.filePath(QStringLiteral("killed.avi"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AviWriter writer;
        if (!writer.open(path, settingsFor(uncompressed(), {kBigWidth, kBigHeight}))
            || !recordPictures(writer, kPastOneGibibyte, kBigWidth, kBigHeight))
            _exit(3);
        raise(SIGKILL);
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended with " << WEXITSTATUS(status);
    expectWholeBigRecording(path, kPastOneGibibyte - 1);
}
