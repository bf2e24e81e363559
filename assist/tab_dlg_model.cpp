#include "assist/tab_dlg_model.h"

#include "assist/tab_dlg_messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace DIALOG::tab {

QString historyLabel(const QString& picturePath)
{
    const QString name = picturePath.mid(picturePath.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QSize historyThumbnailSize(int clientWidth, const QSize& screen)
{
    const int width = qMax(1, clientWidth - 75);
    const int height
        = screen.width() > 0 ? qMax(1, int(qint64(width) * screen.height() / screen.width())) : width;
    return {width, height};
}

QSize historyIconSize(int clientWidth, const QSize& screen)
{
    const QSize thumb = historyThumbnailSize(clientWidth, screen);
    return {qMax(1, thumb.width() - 20), thumb.height()};
}

QSize backgroundThumbnailSize(int clientWidth, const QSize& workArea)
{
    const int width = qMax(1, clientWidth - 95);
    const qint64 scaled = qMax(1, clientWidth - 75);
    const int height
        = workArea.width() > 0 ? qMax(1, int(workArea.height() * scaled / workArea.width())) : width;
    return {width, height};
}

QStringList backgroundPictures(const QString& folder)
{
    QStringList paths;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : entries) {
        if (info.fileName().endsWith(u".bmp"_s, Qt::CaseInsensitive))
            paths << info.absoluteFilePath();
    }
    return paths;
}

QString backgroundLabel(const QString& picturePath)
{
    const QString name = QFileInfo(picturePath).fileName();
    return name.left(qMax<qsizetype>(0, name.size() - 4));
}

bool isTherePictureFile(const QString& folder)
{
    static const QStringList kinds = {u".bmp"_s, u".png"_s, u".jpg"_s};
    const QStringList names = QDir(folder).entryList(QDir::Files);
    for (const QString& name : names) {
        for (const QString& kind : kinds) {
            if (name.endsWith(kind, Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

bool isFlashFile(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && name.mid(dot).compare(u".swf"_s, Qt::CaseInsensitive) == 0;
}

ResourceClick resolveResourceClick(const ResourceItem& item, const QString& resourceRoot)
{
    if (item.labels.isEmpty())
        return {};
    bool underVideo = false;
    QStringList parts;
    for (const QString& label : item.labels) {
        parts.prepend(label);
        if (label == u"视频"_s)
            underVideo = true;
    }
    const QString path = resourceRoot + u'/' + parts.join(u'/');
    if (item.folder) {
        if (isTherePictureFile(path))
            return {kMsgInsertPicture, underVideo ? kResourceVideo : kResourcePictures, path};
        if (underVideo)
            return {kMsgInsertPicture, kResourceVideo, path};
        return {};
    }
    if (isFlashFile(item.labels.first()))
        return {kMsgInsertMedia, 0, path};
    return {};
}

int saveHistoryPage(const QString& historyFolder, const QString& label, const QString& saveFolder)
{
    if (label.isEmpty() || !QDir().mkpath(saveFolder))
        return 0;
    int copied = 0;
    for (const QString& suffix : {u".bmp"_s, u".kw"_s, u".kwt"_s}) {
        const QString source = historyFolder + u'/' + label + suffix;
        if (!QFileInfo(source).isFile())
            continue;
        // Copied beside the target first, so that a failed copy never leaves a cut page in place of a good
        // one.
        const QString target = saveFolder + u'/' + label + suffix;
        const QString part = target + u".part"_s;
        QFile::remove(part);
        if (!QFile::copy(source, part))
            continue;
        QFile::remove(target);
        if (QFile::rename(part, target))
            ++copied;
        else
            QFile::remove(part);
    }
    return copied;
}

} // namespace DIALOG::tab
