#include "surface/image_review_model.h"

#include <QDir>

#include <algorithm>

namespace DIALOG {

namespace {

QStringList filesOf(const QString& folder, bool (*wanted)(const QString&))
{
    QStringList files;
    // Folder order: as the file system lists the names, sorted by name as a listing shows them.
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names) {
        if (wanted(name))
            files.append(folder + u'/' + name);
    }
    return files;
}

bool isPictureName(const QString& name)
{
    for (const char* extension : {".png", ".bmp", ".jpg"}) {
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

bool IsVideoFileName(const QString& name)
{
    for (const char* extension :
        {".avi", ".mp4", ".m4v", ".mov", ".mkv", ".webm", ".wmv", ".mpg", ".mpeg", ".flv", ".ogv", ".3gp"}) {
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void ImageReviewModel::Clear()
{
    files_.clear();
    firstRow_ = 0;
    selected_ = -1;
}

void ImageReviewModel::FillPictures(const QString& folder)
{
    Clear();
    videoMode_ = false;
    files_ = filesOf(folder, isPictureName);
}

void ImageReviewModel::FillVideos(const QString& folder)
{
    Clear();
    videoMode_ = true;
    files_ = filesOf(folder, IsVideoFileName);
}

int ImageReviewModel::maxFirstRow() const
{
    return std::max(0, rowCount() - kRowsShown);
}

void ImageReviewModel::ScrollTo(int row)
{
    firstRow_ = std::clamp(row, 0, maxFirstRow());
}

int ImageReviewModel::lastShown() const
{
    return std::min(count(), firstShown() + kItemsShown) - 1;
}

int ImageReviewModel::ItemAt(QPoint point) const
{
    if (point.x() < 0 || point.y() < 0 || point.x() >= kColumns * kCell || point.y() >= kRowsShown * kCell)
        return -1;
    const int item = firstShown() + (point.y() / kCell) * kColumns + point.x() / kCell;
    return item < count() ? item : -1;
}

int ImageReviewModel::Click(QPoint point)
{
    const int item = ItemAt(point);
    if (item >= 0)
        selected_ = item;
    return item;
}

QRect ImageReviewModel::CellRect(int item) const
{
    if (item < firstShown() || item > lastShown())
        return QRect();
    const int slot = item - firstShown();
    return QRect((slot % kColumns) * kCell, (slot / kColumns) * kCell, kCell, kCell);
}

} // namespace DIALOG
