#include "app/tool_dlg.h"
#include "platform/window_flags.h"

namespace DIALOG {

CToolDlg::CToolDlg(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("ToolDlg"));
}

void CToolDlg::SetPage(int page)
{
    page_ = page;
}

} // namespace DIALOG
