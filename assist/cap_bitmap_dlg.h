#pragma once
// The rectangle-capture window: the screen as it was, dimmed, over the whole screen rectangle. The teacher
// drags a band, moves or resizes it by the tracker, then copies it to the clipboard or saves it to a file.
#include "assist/bitmap_ex.h"
#include "assist/capture_model.h"
#include "assist/qmhelp_export.h"

#include <QDialog>
#include <QImage>

#include <array>

class QPushButton;

namespace DIALOG {

class QMHELP_EXPORT CCapBitmapDlg : public QDialog {
public:
    // The button bar's pictures, in the order they stand from right to left.
    enum BarPicture { kCopyAndClose = 0, kCancel = 1, kSave = 2, kReselect = 3 };

    // lastCapture: the library's last capture, replaced by a saved selection. snapshot: the screen rectangle
    // (screen, desktop coordinates) as it was when the window opened.
    CCapBitmapDlg(UICONTROL::CBitmapEx* lastCapture, const QImage& snapshot, const QRect& screen);

    bool selected() const { return selected_; }
    // The selection in window coordinates.
    QRect selection() const { return tracker_.rect.normalized(); }
    void setSelection(const QRect& rect);
    // Where the button bar's pictures stand now; empty without a selection.
    QRect barPictureRect(BarPicture picture) const;

    // Puts the selection on the clipboard and closes the window with OK.
    void copyAndClose();
    // Asks for a file name and writes the selection there; closes the window with OK once it is written.
    void OnOK();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Band, Track };

    void clearSelection();
    void updateCursor(const QPoint& point);
    std::array<QRect, 4> barRects() const;
    QRect paintedArea() const;
    QImage selectedPicture() const;

    UICONTROL::CBitmapEx* lastCapture_;
    capture::CMyTracker tracker_;
    bool selected_ = false;
    QImage snapshot_;
    QImage dimmed_;
    QPushButton* close_ = nullptr;
    std::array<UICONTROL::CBitmapEx, 4> bar_;
    QPoint centre_;
    QCursor captureCursor_;
    Drag drag_ = Drag::None;
    capture::TrackerHit dragHit_ = capture::kHitNothing;
    QPoint pressPoint_;
    QRect pressRect_;
};

} // namespace DIALOG
