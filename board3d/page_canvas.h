#pragma once
// The page being written on: the page's picture laid over the place the board shows it, a pen that draws
// anti-aliased lines in its colour and width and an eraser that brings the page back under a square, both
// kept 20 pixels inside the page. What was written is handed back as marks, to be stored into the page.
#include "board3d/board_rules.h"
#include "board3d/qmplay_export.h"

#include <QImage>
#include <QWidget>

namespace lumo::board {

class QMPLAY_EXPORT PageCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PageCanvas(QWidget* parent);

    // Shows a page's picture at the canvas's size and starts a session without ink.
    void SetPage(const QString& path, const QImage& picture);
    const QString& PagePath() const { return path_; }
    void SetEraser(bool eraser);
    bool Eraser() const { return eraser_; }
    void SetPenColour(const QColor& colour) { colour_ = colour; }
    QColor PenColour() const { return colour_; }
    // "放大"/"缩小": the pen's width by one within 1..10, or the eraser's half-size by 4 within 8..48.
    void Larger();
    void Smaller();
    void SetPenWidth(int width);
    int PenWidth() const { return width_; }
    int EraserHalfSize() const { return eraserHalf_; }
    // Takes back everything written in this session.
    void Clear();
    // The session's marks, in the canvas's coordinates; empty when nothing was written.
    const QList<InkMark>& Marks() const { return marks_; }
    // The page with its ink, as shown.
    const QImage& Shown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Rebuild();
    void EraseAt(QPoint point);

    QString path_;
    QImage picture_;
    QImage background_; // the page at the canvas's size: what the eraser brings back
    QImage shown_;
    QList<InkMark> marks_;
    QColor colour_ {0, 0, 255};
    int width_ = 2;
    int eraserHalf_ = 12;
    bool eraser_ = false;
    bool pressed_ = false;
    QPoint last_;
};

} // namespace lumo::board
