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
    // The monitor's work area: the monitor less the panels the desktop reserves on it.
    QRect GetWorkRect() const;
    // Places the window at rect, given relative to the monitor's work area, with rect's size, and creates its
    // native window there. False for no window.
    bool CreateEx(QWidget* window, const QRect& rect) const;

private:
    QRect workArea() const;

    QPointer<QWidget> reference_;
};
