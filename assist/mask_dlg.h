#pragma once
// The mask: an opaque panel over part of the screen that the teacher drags open edge by edge, for example
// over a running slide show. Each edge has a grab band with an arrow; the body drags the whole panel.
#include "assist/qmhelp_export.h"

#include <QImage>
#include <QWidget>

namespace DIALOG {

class QMHELP_EXPORT CMaskDlg : public QWidget {
public:
    // screen: the screen rectangle (desktop coordinates); flag: the caller's, set to 0 on close.
    CMaskDlg(int* flag, const QRect& screen);

    void setFlag(int* flag) { flag_ = flag; }
    int* flag() const { return flag_; }
    // Back to the lower half of screen.
    void reset(const QRect& screen);
    // The panel's rectangle in desktop coordinates, as the mask keeps it.
    QRect maskRect() const { return rect_; }
    QRect closeRect() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void place(const QRect& rect);

    QImage arrows_[4];
    QImage close_;
    QRect screen_;
    QRect rect_;
    int dragMode_ = 0;
    bool dragging_ = false;
    QPoint last_;
    int* flag_ = nullptr;
};

// Brings the program's main window, its panel tab and the slide-show toolbar to the front when shown.
QMHELP_EXPORT void raiseProgramWindows();

} // namespace DIALOG
