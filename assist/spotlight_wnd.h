#pragma once
// The spotlight: the screen rectangle frozen and darkened, except for a round spot that shows the real
// screen. A press moves the spot, a drag on its ring resizes it, the exit picture closes it.
#include "assist/qmhelp_export.h"

#include <QImage>
#include <QWidget>

namespace DIALOG {

class QMHELP_EXPORT CSpoltLight : public QWidget {
public:
    static constexpr unsigned kDefaultDiameter = 300;

    // snapshot: the screen under screen (a rectangle of the desktop); flag: the caller's, set to 0 on exit.
    CSpoltLight(int* flag, unsigned diameter, const QImage& snapshot, const QRect& screen);

    QRect spot() const { return spot_; }
    unsigned diameter() const { return diameter_; }
    // Where the exit picture lies, in window coordinates.
    QRect exitRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void placeSpot(const QRect& square);

    QImage exit_;
    QImage snapshot_;
    QImage frame_;
    QImage darkened_;
    QRect spot_;
    unsigned diameter_ = kDefaultDiameter;
    bool resizing_ = false;
    int* flag_ = nullptr;
};

} // namespace DIALOG
