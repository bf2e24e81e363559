#pragma once
// The material preview: a narrow window at the left edge of the screen with the pictures, or the videos,
// of a folder as a grid of thumbnails. A click on a thumbnail hands its file to the surface. Thumbnails are
// made on worker threads and kept, so a paint never reads a file.
#include "surface/image_review_model.h"

#include <QHash>
#include <QImage>
#include <QSet>
#include <QThreadPool>
#include <QWidget>

#include <functional>

class QScrollBar;

namespace DIALOG {

// A picture file's thumbnail fitted into size, decoded at the smallest scale the format allows and with the
// quicker, rougher decoding: a thumbnail shows nothing of what that leaves out. Null when it is no picture.
QImage ReadThumbnail(const QString& path, QSize size);

class CImageReviewDlg : public QWidget {
public:
    static constexpr int kCaptionHeight = 24;

    explicit CImageReviewDlg(QWidget* owner);
    ~CImageReviewDlg() override;

    // Shows the preview at the left edge of screen, filled with the pictures or the videos of folder.
    void OpenFolder(const QString& folder, bool videos, const QRect& screen);

    const ImageReviewModel& model() const { return model_; }
    QScrollBar* scrollBar() const { return scroll_; }
    // The grid's top left in the window.
    static QPoint gridOrigin() { return QPoint(0, kCaptionHeight); }
    // Whether the thumbnail of item is made (or known to be unreadable).
    bool thumbnailReady(int item) const;

    // A thumbnail was clicked: its file, and whether it is a video.
    std::function<void(const QString& file, bool video)> chosen;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void requestShown();
    void thumbnailMade(const QString& file, const QImage& thumbnail, int generation);
    QRect closeButton() const;

    ImageReviewModel model_;
    QScrollBar* scroll_ = nullptr;
    QThreadPool pool_;
    // Thumbnails by file; a null image for a file that could not be read.
    QHash<QString, QImage> thumbnails_;
    QSet<QString> pending_;
    // Raised at every fill, so that a thumbnail of a list no longer shown is not taken for the new one.
    int generation_ = 0;
};

} // namespace DIALOG
