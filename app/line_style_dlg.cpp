#include "app/line_style_dlg.h"

namespace DIALOG {

CLineStyleDlg::CLineStyleDlg(QWidget* owner)
    : QWidget(
        owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("LineStyle"));
}

void CLineStyleDlg::Refresh(int width, COLORREF colour)
{
    width_ = width;
    colour_ = colour;
    update();
}

} // namespace DIALOG
