#include "media_files.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace playertest {

namespace {

QString folder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qm-player-media-XXXXXX"));
    return dir.path();
}

const QStringList kPicture = {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
    QStringLiteral("testsrc=size=320x240:rate=25:duration=3")};
const QStringList kTone = {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
    QStringLiteral("sine=frequency=440:duration=3")};

QString make(const QString& name, const QStringList& arguments)
{
    const QString path = folder() + u'/' + name;
    if (QFile::exists(path))
        return path;
    QStringList all = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
    all << arguments << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), all);
    ffmpeg.waitForFinished(60000);
    return path;
}

} // namespace

QString AviMpeg4Pcm()
{
    return make(QStringLiteral("tone and picture.avi"),
        kPicture + kTone
            + QStringList {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-g"),
                QStringLiteral("5"), QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")});
}

QString Mp4H264Aac()
{
    return make(QStringLiteral("picture.mp4"),
        kPicture + kTone
            + QStringList {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                QStringLiteral("ultrafast"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                QStringLiteral("-g"), QStringLiteral("5"), QStringLiteral("-c:a"), QStringLiteral("aac")});
}

QString Mp4H264Silent()
{
    return make(QStringLiteral("silent.mp4"),
        kPicture
            + QStringList {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                QStringLiteral("ultrafast"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                QStringLiteral("-g"), QStringLiteral("5")});
}

QString Wav()
{
    return make(QStringLiteral("tone.wav"),
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:duration=2")});
}

QString RandomBytes()
{
    const QString path = folder() + QStringLiteral("/noise.avi");
    if (!QFile::exists(path)) {
        QByteArray bytes(64 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(15);
        for (char& b : bytes)
            b = char(generator.bounded(256));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    return path;
}

QString Png()
{
    const QString path = folder() + QStringLiteral("/still.png");
    if (!QFile::exists(path)) {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        picture.save(path);
    }
    return path;
}

} // namespace playertest
