#include "recorder/disk_space.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <sys/statvfs.h>

namespace recorder {

namespace {

// The path itself when it exists, else the nearest folder above it that does.
QString existingPlace(const QString& path)
{
    QFileInfo info(path);
    QString place = info.absoluteFilePath();
    while (!place.isEmpty() && !QFileInfo::exists(place)) {
        const QString up = QFileInfo(place).path();
        if (up == place)
            break;
        place = up;
    }
    return place;
}

} // namespace

int64_t freeBytesAt(const QString& path)
{
    struct statvfs fs { };
    if (statvfs(QFile::encodeName(existingPlace(path)).constData(), &fs) != 0)
        return -1;
    return int64_t(fs.f_bavail) * int64_t(fs.f_frsize);
}

QString mountPointOf(const QString& path)
{
    return QStorageInfo(existingPlace(path)).rootPath();
}

QString diskFullMessage(const QString& mountPoint, bool english)
{
    if (english)
        return QStringLiteral("The disk %1 is full. Make room on it to go on recording.").arg(mountPoint);
    return QStringLiteral("%1盘空间已不足,请清理磁盘空间后继续录制!").arg(mountPoint);
}

} // namespace recorder
