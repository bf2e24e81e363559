#pragma once
// A zoomed slide to write on: the slide's picture over the place the wall shows it, a pen that draws
// anti-aliased lines in its colour and width, and an eraser that brings the slide back under a square.
#include <QColor>
#include <QImage>
#include <QLine>
#include <QList>
#include <QRect>
#include <QWidget>

#include "wall/qmshow_export.h"

namespace lumo::show {

class QMSHOW_EXPORT SlideCanvas : public QWidget {
    Q_OBJECT
public:
    explicit SlideCanvas(QWidget* parent);

    // The slide's picture, shown scaled into the canvas; ink drawn on it earlier comes back with it.
    void SetSlide(const QString& path, const QImage& picture);
    const QString& Slide() const { return slide_; }
    void SetEraser(bool eraser) { eraser_ = eraser; }
    bool Eraser() const { return eraser_; }
    void SetPenColour(const QColor& colour) { colour_ = colour; }
    QColor PenColour() const { return colour_; }
    // "放大"/"缩小": the pen's width by one within 1..10, or the eraser's half-size by 4 within 8..48.
    void Larger();
    void Smaller();
    int PenWidth() const { return width_; }
    int EraserHalfSize() const { return eraserHalf_; }
    // Removes the ink of the slide shown.
    void Clear();
    // The slide with its ink, as shown.
    const QImage& Page() const { return page_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Mark {
        QLine segment; // a pen segment, or
        QRect erased; // an erased square
        QColor colour;
        int width = 0;
    };
    void Rebuild();
    void EraseAt(const QPoint& point);

    QString slide_;
    QImage picture_;
    QImage background_; // the slide at the canvas's size: what the eraser brings back
    QImage page_;
    QList<Mark> marks_;
    QHash<QString, QList<Mark>> inkOfSlides_;
    QColor colour_ {0, 0, 255};
    int width_ = 2;
    int eraserHalf_ = 12;
    bool eraser_ = false;
    bool pressed_ = false;
    QPoint last_;
};

} // namespace lumo::show
