#pragma once
// The controls under a picture's video: play/pause, the position with the time, and the volume.
#include "wall/qmshow_export.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace lumo::show {

class QMSHOW_EXPORT VideoBar : public QWidget {
    Q_OBJECT
public:
    explicit VideoBar(QWidget* owner);

    // Lays the controls out under the picture rectangle for a screen of screenWidth.
    void Place(const QRect& pictureRect, int screenWidth);
    // The video has started: the position runs from 0 to its length, read every 500 ms.
    void Start();
    void Stop();
    // Play/pause, as the button does.
    void Toggle();
    bool Playing() const { return playing_; }
    QSlider* Position() const { return position_; }
    QSlider* Volume() const { return volume_; }

    // The position bar's width for a screen: 450 up to 800 pixels wide, 650 up to 1439, else 800.
    static int PositionWidth(int screenWidth);

private:
    void Tick();
    void ShowTime(int seconds);

    QPushButton* play_;
    QSlider* position_;
    QSlider* volume_;
    QLabel* time_;
    QTimer* timer_;
    bool playing_ = false;
};

} // namespace lumo::show
