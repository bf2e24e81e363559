#pragma once
// The eraser-size popup beside the tool panel: a slider from 8 to 58 pixels for the point eraser, with the
// square the eraser will wipe drawn at its real size.
#include <QWidget>

#include <functional>

namespace UICONTROL {
class CProSliderCtrl;
}

namespace DIALOG {

class CScreenPenWnd;

class CEraseRadiusDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSliderId = 1074;
    static constexpr int kSmallestSize = 8;
    static constexpr int kSliderRange = 50;

    // surface gives the drawing surface, or null when there is none.
    CEraseRadiusDlg(QWidget* owner, std::function<CScreenPenWnd*()> surface);

    int EraserSize() const { return size_; }
    // Moves the slider to a size chosen elsewhere (the eraser menu) without touching the surface.
    void ShowSize(int size);
    UICONTROL::CProSliderCtrl* Slider() const { return slider_; }

    static int SizeAtPosition(int position) { return position + kSmallestSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnSliderChanged(int position);
    QRect previewRect() const;

    std::function<CScreenPenWnd*()> surface_;
    UICONTROL::CProSliderCtrl* slider_ = nullptr;
    int size_ = kSmallestSize;
};

} // namespace DIALOG
