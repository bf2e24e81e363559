#include "app/line_style_dlg.h"
#include "platform/window_flags.h"

namespace DIALOG {

CLineStyleDlg::CLineStyleDlg(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
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
