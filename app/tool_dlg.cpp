#include "app/tool_dlg.h"

namespace DIALOG {

CToolDlg::CToolDlg(QWidget* owner)
    : QWidget(
        owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("ToolDlg"));
}

void CToolDlg::SetPage(int page)
{
    page_ = page;
}

} // namespace DIALOG
