#pragma once
// What the material preview lists and shows: the pictures (or the videos) of a folder in a grid of two
// columns of 64-pixel squares, 14 rows at a time, scrolled by rows.
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

namespace DIALOG {

class ImageReviewModel {
public:
    static constexpr int kColumns = 2;
    static constexpr int kCell = 64;
    static constexpr int kRowsShown = 14;
    static constexpr int kItemsShown = kColumns * kRowsShown;

    // The pictures of folder (".png", ".bmp", ".jpg" in either case), in folder order.
    void FillPictures(const QString& folder);
    // The videos of folder; each item's thumbnail is made later, from the video.
    void FillVideos(const QString& folder);
    void Clear();

    const QStringList& files() const { return files_; }
    bool videoMode() const { return videoMode_; }
    int count() const { return int(files_.size()); }
    int rowCount() const { return (count() + kColumns - 1) / kColumns; }
    // The scroll range: the last first row that still fills the grid, 0 when everything fits.
    int maxFirstRow() const;

    int firstRow() const { return firstRow_; }
    void ScrollTo(int row);
    void ScrollBy(int rows) { ScrollTo(firstRow_ + rows); }

    int selected() const { return selected_; }
    // The item under point of the grid (0, 0 at its top left); −1 for none.
    int ItemAt(QPoint point) const;
    // Selects the item under point; its index, or −1.
    int Click(QPoint point);
    // The items shown now, first to last.
    int firstShown() const { return kColumns * firstRow_; }
    int lastShown() const;
    // Where item is drawn in the grid; an empty rectangle when it is not shown.
    QRect CellRect(int item) const;

private:
    QStringList files_;
    int firstRow_ = 0;
    int selected_ = -1;
    bool videoMode_ = false;
};

// The file extensions the material lists take as videos.
bool IsVideoFileName(const QString& name);

} // namespace DIALOG
