#include "platform/image_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

QImage gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 90));
    return img;
}

// A PNG compiled into Qt Widgets, standing for the program's own pictures.
const QString kCompiledPicture = QStringLiteral(":/qt-project.org/styles/commonstyle/images/up-16.png");

bool imagePluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

} // namespace

// Run only as the child of OwnPicture.LoadsNoImagePluginWhileOtherPicturesStillReadEveryFormat, a process in
// which nothing has read a picture yet.
TEST(OwnPictureProbe, DISABLED_Report)
{
    const QImage own = readOwnPicture(kCompiledPicture);
    std::printf("own=%dx%d plugins=%d\n", own.width(), own.height(), int(imagePluginLoaded()));
    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    gradient(30, 20).save(jpeg, "JPG");
    std::printf("jpeg=%dx%d plugins=%d\n", readImageFile(jpeg).width(), readImageFile(jpeg).height(),
        int(imagePluginLoaded()));
}

TEST(OwnPicture, LoadsNoImagePluginWhileOtherPicturesStillReadEveryFormat)
{
    ASSERT_TRUE(QFile::exists(kCompiledPicture));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_also_run_disabled_tests"),
            QStringLiteral("--gtest_filter=OwnPictureProbe.*")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray said = child.readAllStandardOutput();
    EXPECT_TRUE(said.contains("own=16x16 plugins=0\n")) << said.constData();
    EXPECT_TRUE(said.contains("jpeg=30x20 plugins=1\n")) << said.constData();

    // A picture of the program's own that is not there reads as none, as any missing picture.
    EXPECT_TRUE(readOwnPicture(QStringLiteral(":/nothing/here.png")).isNull());
    EXPECT_EQ(readOwnPicture(kCompiledPicture).size(), QSize(16, 16));
}

// Each of these would hang or never end if it were opened like a picture file.
TEST(ReadImageFile, RefusesWhatIsNotARegularFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("page.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(isRegularFile(fifo));
    EXPECT_TRUE(readImageFile(fifo).isNull());
    EXPECT_TRUE(readImageFile(fifo, QSize(10, 10)).isNull());
    EXPECT_FALSE(imageFileSize(fifo).isValid());

    // A link to the FIFO is no better than the FIFO.
    const QString link = dir.filePath(QStringLiteral("link.png"));
    ASSERT_TRUE(QFile::link(fifo, link));
    EXPECT_TRUE(readImageFile(link).isNull());

    EXPECT_TRUE(readImageFile(QStringLiteral("/dev/zero")).isNull());
    EXPECT_FALSE(imageFileSize(QStringLiteral("/dev/zero")).isValid());
    EXPECT_TRUE(readImageFile(dir.path()).isNull());
    EXPECT_TRUE(readImageFile(dir.filePath(QStringLiteral("missing.png"))).isNull());
    EXPECT_TRUE(readImageFile(QString()).isNull());
}

TEST(ReadImageFile, ReadsPicturesWhateverTheirSuffix)
{
    QTemporaryDir dir;
    const QImage picture = gradient(40, 30);
    const QString png = dir.filePath(QStringLiteral("board one.png"));
    ASSERT_TRUE(picture.save(png, "PNG"));
    EXPECT_TRUE(isRegularFile(png));
    EXPECT_EQ(imageFileSize(png), QSize(40, 30));
    const QImage back = readImageFile(png);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture);

    // A PNG saved under a JPEG name still reads, as the content says what it is.
    const QString misnamed = dir.filePath(QStringLiteral("photo.jpg"));
    ASSERT_TRUE(picture.save(misnamed, "PNG"));
    EXPECT_EQ(readImageFile(misnamed).convertToFormat(QImage::Format_RGB32), picture);

    // And a link to a picture reads the picture.
    const QString link = dir.filePath(QStringLiteral("link.png"));
    ASSERT_TRUE(QFile::link(png, link));
    EXPECT_EQ(readImageFile(link).size(), QSize(40, 30));

    // A file that is no picture reads as none.
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    EXPECT_TRUE(readImageFile(text).isNull());
    EXPECT_FALSE(imageFileSize(text).isValid());
}

TEST(ReadImageFile, DecodesNoLargerThanAsked)
{
    QTemporaryDir dir;
    for (const char* format : {"PNG", "JPG", "BMP"}) {
        SCOPED_TRACE(format);
        const QString path = dir.filePath(QStringLiteral("wide.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(gradient(400, 200).save(path, format));
        EXPECT_EQ(readImageFile(path, QSize(100, 100)).size(), QSize(100, 50));
        EXPECT_EQ(readImageFile(path, QSize(1000, 50)).size(), QSize(100, 50));
        // Never enlarged.
        EXPECT_EQ(readImageFile(path, QSize(800, 800)).size(), QSize(400, 200));
        // Each side on its own, for a picture stretched into a box.
        EXPECT_EQ(readImageFile(path, QSize(100, 100), Qt::IgnoreAspectRatio).size(), QSize(100, 100));
        EXPECT_EQ(readImageFile(path, QSize(1000, 50), Qt::IgnoreAspectRatio).size(), QSize(400, 50));
    }
}

TEST(FittedImageSize, KeepsProportionsAndNeverEnlarges)
{
    EXPECT_EQ(fittedImageSize(QSize(5000, 5000), QSize(800, 600)), QSize(600, 600));
    EXPECT_EQ(fittedImageSize(QSize(300, 100), QSize(30, 30)), QSize(30, 10));
    EXPECT_EQ(fittedImageSize(QSize(300, 100), QSize(600, 600)), QSize(300, 100));
    EXPECT_EQ(fittedImageSize(QSize(10000, 1), QSize(10, 10)), QSize(10, 1));
    EXPECT_EQ(fittedImageSize(QSize(300, 100), QSize()), QSize(300, 100));
    EXPECT_EQ(fittedImageSize(QSize(300, 100), QSize(30, 500), Qt::IgnoreAspectRatio), QSize(30, 100));
    EXPECT_EQ(fittedImageSize(QSize(300, 100), QSize(0, 0), Qt::IgnoreAspectRatio), QSize(1, 1));
}
