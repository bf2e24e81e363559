#include "app/my_color_dlg.h"

#include "support/multi_screen.h"

#include <QShowEvent>

#include <algorithm>

namespace DIALOG {

CMyColorDlg::CMyColorDlg(COLORREF initial, QWidget* panel)
    : QColorDialog(QColor(GetRValue(initial), GetGValue(initial), GetBValue(initial)), panel)
    , panel_(panel)
{
    // Qt's own dialog: the desktop's portal dialog could not be placed or kept above the panels.
    setOption(QColorDialog::DontUseNativeDialog);
}

COLORREF CMyColorDlg::GetColor() const
{
    const QColor c = currentColor();
    return RGB(c.red(), c.green(), c.blue());
}

QRect CMyColorDlg::CentredRect(const QRect& screen, const QSize& needed)
{
    // At 220 x 300 Qt's colour dialog would be cut: it gets the room it needs, centred all the same.
    const int w = std::min(std::max(kWidth, needed.width()), screen.width());
    const int h = std::min(std::max(kHeight, needed.height()), screen.height());
    return {screen.left() + (screen.width() - w) / 2, screen.top() + (screen.height() - h) / 2, w, h};
}

void CMyColorDlg::showEvent(QShowEvent* event)
{
    const QRect screen = CMultiScreen(panel_ ? panel_.data() : this).GetScreenRect();
    setGeometry(CentredRect(screen, minimumSizeHint()));
    QColorDialog::showEvent(event);
}

} // namespace DIALOG
