#pragma once
// Which monitor a window is on, so that every window of the system places itself on the panel's monitor.
#include "support/qmexpand_export.h"

#include <QPointer>
#include <QRect>

class QWidget;

class QMEXPAND_EXPORT CMultiScreen {
public:
    explicit CMultiScreen(QWidget* reference = nullptr);
    CMultiScreen(const CMultiScreen&) = default;
    CMultiScreen& operator=(const CMultiScreen&) = default;
    ~CMultiScreen() = default;

    // The full rectangle of the monitor nearest to the reference window.
    QRect GetScreenRect() const;
    // rect, given relative to the monitor's work area, in screen coordinates.
    QRect GetTrueRect(const QRect& rect) const;

private:
    QRect workArea() const;

    QPointer<QWidget> reference_;
};
