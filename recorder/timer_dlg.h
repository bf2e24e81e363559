#pragma once
// The floating elapsed-time display of a recording (dialog 2004): red digits at the top of the screen, and
// nothing else of the window visible.
#include "recorder/qmvidio_export.h"

#include <QTimer>
#include <QWidget>

class QMVIDIO_EXPORT CTimerDlg : public QWidget {
public:
    explicit CTimerDlg(QWidget* parent = nullptr);

    int seconds() const { return seconds_; }
    void setSeconds(int seconds);
    // Timer 1: one second a tick while the recording runs.
    void startCounting();
    void stopCounting();
    bool counting() const { return timer_.isActive(); }
    // The digits' outline: the window's visible part.
    QRegion digitsRegion() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPainterPath digitsPath() const;
    void refresh();

    QTimer timer_;
    int seconds_ = 0;
};
