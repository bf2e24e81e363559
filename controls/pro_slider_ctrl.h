#pragma once
// A horizontal slider drawn in the suite's colours: a rounded channel in a colour of the caller's choice, the
// part left of the thumb filled, and a round thumb large enough for a finger on a board.
#include "platform/win_types.h"

#include <QSlider>

namespace UICONTROL {

class CProSliderCtrl : public QSlider {
    Q_OBJECT
public:
    CProSliderCtrl(int id, QWidget* parent);

    int id() const { return id_; }
    void SetChannelColor(COLORREF colour);
    COLORREF ChannelColor() const { return channel_; }
    // The value a press at x (widget pixels) gives: the thumb's centre follows the pointer.
    int ValueAt(int x) const;
    // The thumb's centre for the current value.
    int ThumbCentre() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int thumbRadius() const;

    int id_;
    COLORREF channel_ = RGB(0x9B, 0xBB, 0xE3);
    bool dragging_ = false;
};

} // namespace UICONTROL
