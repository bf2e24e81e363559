#pragma once
// The page being written on: the page's picture laid over the place the board shows it, on white, with the
// pen and the eraser kept 20 pixels inside the page. Each session starts without ink; what was written is
// handed back as marks, to be stored into the page.
#include "board3d/board_rules.h"
#include "board3d/qmplay_export.h"
#include "lumo/engine/ink_canvas.h"

namespace lumo::board {

class QMPLAY_EXPORT PageCanvas : public wall::InkCanvas {
    Q_OBJECT
public:
    explicit PageCanvas(QWidget* parent);

    // Shows a page's picture at the canvas's size and starts a session without ink.
    void SetPage(const QString& path, const QImage& picture);
    const QString& PagePath() const { return path_; }

protected:
    QPoint Place(QPoint point) const override { return clampToPage(point, size()); }
    QRect WritableArea() const override
    {
        return rect().adjusted(kPageInset, kPageInset, -kPageInset, -kPageInset);
    }

private:
    QString path_;
};

} // namespace lumo::board
