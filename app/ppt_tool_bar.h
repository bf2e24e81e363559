#pragma once
// The toolbar that drives a running slide show: previous and next slide, the show's own arrow, pen and
// eraser, the whiteboard, and the end of the show. It reaches the presentation program only by activating
// its show window and pressing the program's shortcuts there.
#include "platform/messages.h"

#include <QPixmap>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <array>

class QTimer;

namespace UICONTROL {
class CButtonEx;
}

namespace DIALOG {

class CPPTToolBar : public QWidget {
    Q_OBJECT
public:
    enum ButtonId {
        kUp = 1043,
        kDown = 1048,
        kArrow = 1044,
        kPen = 1045,
        kEraser = 1046,
        kWhiteboard = 1070,
        kExit = 1047,
    };

    explicit CPPTToolBar(QWidget* owner);

    void SetTarget(const platform::WindowRef& show) { target_ = show; }
    const platform::WindowRef& Target() const { return target_; }
    // The arrow and pen actions: the presentation gets Ctrl+A or Ctrl+P.
    void ArrowAction();
    void PenAction();
    // What a click on the button does.
    void OnButton(int id);
    // The button showing its selected picture; 0 when none does.
    int SelectedButton() const { return selected_; }
    // One tick of the watch timer, which runs every three seconds while the toolbar is shown.
    void OnWatchTimer();

signals:
    // The show ended from the toolbar: the main panel comes back.
    void restorePanel();
    // The teacher leaves the show for the whiteboard.
    void whiteboardRequested();
    // The screen keyboard closed during the show: the panel comes to the front, then the toolbar.
    void raisePanel();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Button {
        int id;
        const char* caption;
        int x; // dialog units
        QStringList keys; // the show's shortcut; empty for the whiteboard and exit
    };
    static const std::array<Button, 7>& Buttons();

    // Every button back to its normal picture, the clicked one selected.
    void Select(int id);
    // Activates the show and tells whether it is in front, so that keys reach it.
    bool ActivateShow();
    // The common part of every button: keys go to the show only when it is in front.
    bool PressOnShow(int id, const QStringList& keys);

    platform::WindowRef target_;
    std::array<UICONTROL::CButtonEx*, 7> buttons_ {};
    QPixmap background_;
    QTimer* watch_ = nullptr;
    int selected_ = 0;
    bool keyboardSeen_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace DIALOG
