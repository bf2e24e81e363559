#pragma once
// Pictures and media on the page, first in the surface's chain: a picture being placed, the frames of the
// pictures and media windows of the page (moving, resizing, turning) take a press before the instruments
// and the pens see it. Its tracker is painted above the instruments and below the text frame.
#include "surface/flash_frame.h"
#include "surface/gesture.h"
#include "surface/media_frame.h"
#include "surface/my_rect_tracker.h"

#include <QImage>
#include <QPointer>
#include <QString>

namespace DIALOG {

class PageList;

class PictureGesture : public Gesture {
public:
    explicit PictureGesture(GestureHost& host);
    ~PictureGesture() override;

    Press press(QPoint point) override;
    void move(QPoint point) override;
    void release(QPoint point) override;
    std::optional<QCursor> cursor(QPoint point) const override;
    void paintOverlay(QPainter& painter) const override;
    // Another tool, an undo or another page: the tracker goes without changing anything.
    void cancel() override;
    void drop() override;

    // A video of path goes onto the page in its frame, centred at centre, playing. A file that is no video
    // this desktop plays is refused with a message; false then.
    bool InsertVideo(const QString& path, QPoint centre);
    // A Flash movie of path goes onto the page in its frame, centred at centre. Without the Flash player the
    // teacher is told so; false then.
    bool InsertFlash(const QString& path, QPoint centre);
    // The page was drawn again (undo, redo, another page opened): the video frame follows the page's
    // objects.
    void SyncMedia();

    bool pictureSelected() const { return selected_ >= 0; }
    const CMyRectTracker& tracker() const { return tracker_; }
    // The video frame, while one is open.
    CMediaFrame* videoFrame() const { return video_.data(); }
    CFlashFrame* flashFrame() const { return flash_.data(); }

    // The Flash player window was clicked: its tracker is shown. The message's result.
    LRESULT OnFlashClicked();
    // A media window reports; wParam 2: the video window was closed, and the page's video is no longer
    // shown. The message's result.
    LRESULT OnMediaWindow(WPARAM wParam);

private:
    // The open page's objects.
    PageList& pages() const;
    Press placePicture(QPoint point);
    // The topmost picture or media object shown at point; −1 for none.
    int objectAt(QPoint point) const;
    void select(int index);
    void deselect();
    void startDrag(CMyRectTracker::Part part, int handle, QPoint point);
    QRect shownBounds() const;
    void closeVideoFrame();
    void syncFlash();
    void closeFlashFrame();
    // The media window of the object at index, when it has one open.
    QWidget* mediaWindowOf(int index) const;

    CMyRectTracker tracker_;
    // The page-list index of the object in the tracker; −1 without one.
    int selected_ = -1;
    bool dragging_ = false;
    // The picture being dragged, scaled once to its frame, drawn over the page while the page lies
    // beneath without it.
    QImage dragImage_;
    QImage moveIcon_;
    QImage rotateIcon_;
    QPointer<CMediaFrame> video_;
    int videoIndex_ = -1;
    QPointer<CFlashFrame> flash_;
    int flashIndex_ = -1;
};

} // namespace DIALOG
