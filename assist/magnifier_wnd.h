#pragma once
// The magnifier: the screen rectangle frozen; the teacher draws a rubber band over it, then enlarges that
// area step by step and drags the enlarged picture about.
#include "assist/qmhelp_export.h"

#include <QImage>
#include <QWidget>

namespace DIALOG {

class QMHELP_EXPORT CBackgroundScreen : public QWidget {
public:
    // screen: the screen rectangle (desktop coordinates); flag: the caller's, set to 0 on close.
    CBackgroundScreen(int* flag, const QRect& screen);

    void setFlag(int* flag) { flag_ = flag; }
    int* flag() const { return flag_; }
    // A new snapshot (screen size); back to selecting.
    void restart(const QImage& snapshot, const QRect& screen);

    int level() const { return level_; }
    // The rubber band while selecting, the magnified area above level 1.
    QRect trackerRect() const { return tracker_; }
    QRect barRect() const;
    QRect closeRect() const;
    void zoomIn();
    void zoomOut();
    void reselect();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rezoom();
    void moveTracker(const QRect& rect);

    QImage close_;
    QImage snapshot_;
    QImage zoomInPicture_;
    QImage reselectPicture_;
    QImage source_;
    QImage magnified_;
    QImage zoomOutPicture_;
    QImage frame_;
    int level_ = 1;
    QPoint centre_;
    QRect tracker_;
    QPoint press_;
    bool selecting_ = false;
    bool moving_ = false;
    int* flag_ = nullptr;
};

} // namespace DIALOG
