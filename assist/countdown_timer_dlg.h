#pragma once
// The classroom timer window (dialog 3000): large digits counting down from a number of minutes or up from
// zero, with the controls in a column at the right. Topmost, frameless, dragged by its body.
#include "assist/countdown_timer_model.h"
#include "assist/qmhelp_export.h"

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLineEdit;
class QLabel;
class QRadioButton;
class QToolButton;

namespace DIALOG {

// Control ids of dialog 3000.
constexpr int kIdTimerCountUp = 3002;
constexpr int kIdTimerCountDown = 3003;
constexpr int kIdTimerMinutes = 3004;
constexpr int kIdTimerSpin = 3005;
constexpr int kIdTimerStop = 3006;
constexpr int kIdTimerStart = 3007;
constexpr int kIdTimerUnit = 3008;
constexpr int kIdTimerMaximize = 3012;
constexpr int kIdTimerClose = 2;

class QMHELP_EXPORT CTimerDlg : public QWidget {
public:
    // The small and the large client size.
    static constexpr QSize kSmallSize {286, 192};
    static constexpr QSize kLargeSize {628, 500};
    // Red or green digits.
    static constexpr QRgb kDigitsColour = 0xFF00FF00;
    static constexpr QRgb kLastSecondColour = 0xFFFF0000;

    // Tests: the one-second timer is not started, the test calls OnTimer itself; the alarm calls hook
    // instead of playing. Empty functions restore the real ones.
    static void setManualClock(bool manual);
    static void setAlarmHook(std::function<void()> hook);

    // flag: the caller's open flag, set to 0 when the window is closed; may be null.
    explicit CTimerDlg(int* flag);
    ~CTimerDlg() override;

    void setFlag(int* flag) { flag_ = flag; }
    // Centres the window on the screen rectangle the library was given (the primary display without one).
    void centreOnScreenRect();

    void OnBnClickedStart();
    void OnBnClickedStop();
    void OnBnClickedCountUp();
    void OnBnClickedCountDown();
    void OnBnClickedClose();
    void OnBnClickedMaximize();
    void OnTimer();

    const timer::CountdownTimer& model() const { return model_; }
    bool large() const { return !small_; }
    // A control of the window by its id; null for an unknown id.
    QWidget* control(int id) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    void OnEnChangeMinutes();
    void stepSpin(int delta);
    void setStartTexts(bool running);
    void setControlsForState();
    void layoutControls();
    void retranslate();

    timer::CountdownTimer model_;
    int* flag_ = nullptr;
    bool small_ = true;
    QTimer timer1_;
    QPoint dragOffset_;

    QLineEdit* minutes_ = nullptr;
    QToolButton* spinUp_ = nullptr;
    QToolButton* spinDown_ = nullptr;
    QWidget* spin_ = nullptr;
    QLabel* unit_ = nullptr;
    QRadioButton* countUp_ = nullptr;
    QRadioButton* countDown_ = nullptr;
    QToolButton* start_ = nullptr;
    QToolButton* stop_ = nullptr;
    QToolButton* close_ = nullptr;
    QToolButton* maximize_ = nullptr;
};

} // namespace DIALOG
