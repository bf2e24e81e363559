#pragma once
// The line-style popup: the width and colour the teacher picked for the pen. The panel copies them into the
// shared pen values before instruments and tools draw.
#include "platform/win_types.h"

#include <QWidget>

namespace DIALOG {

class CLineStyleDlg : public QWidget {
    Q_OBJECT
public:
    explicit CLineStyleDlg(QWidget* owner);

    int Width() const { return width_; }
    COLORREF Colour() const { return colour_; }
    void SetWidth(int width) { width_ = width; }
    void SetColour(COLORREF colour) { colour_ = colour; }
    // Shows the values the panel holds now.
    void Refresh(int width, COLORREF colour);

private:
    int width_ = 1;
    COLORREF colour_ = RGB(255, 0, 0);
};

} // namespace DIALOG
