#pragma once
// The four-point calibration of a touch board (main menu 32804): a window over the whole screen with four
// crosses, touched one after the other; the touches give the touch screen's new calibration, which is set
// through XInput at once and kept in SetInfo.ini for the next start. A button takes the calibration away.
#include "platform/touch_calibration.h"
#include "platform/touch_screens.h"

#include <QDialog>

#include <array>

class QPushButton;

namespace DIALOG {

class CCalibrationDlg : public QDialog {
    Q_OBJECT
public:
    CCalibrationDlg(QWidget* owner, const platform::TouchScreen& screen);

    // The crosses in this window's coordinates, and the one to touch next (4 when done).
    QPointF Target(int index) const;
    int NextTarget() const { return next_; }
    // A touch at a point of the screen, as the frame reported it.
    void Touched(QPointF global);
    // Back to the frame's own points.
    void RemoveCalibration();

    // Where the settings keep the calibration.
    static QString SettingsFile();
    // Sets the calibration kept in the settings on the touch screen it was made for, when that is here.
    static void ApplyStoredCalibration();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void finish();
    bool store(const platform::CalibrationMatrix& matrix);

    platform::TouchScreen screen_;
    platform::CalibrationMatrix current_;
    std::array<QPointF, 4> targets_ {};
    std::array<QPointF, 4> touches_ {};
    int next_ = 0;
    QPushButton* remove_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The menu's calibration: the window over the screen when a touch screen can be calibrated, else one line
// that says why not.
void StartTouchCalibration(QWidget* owner);

} // namespace DIALOG
