#include "assist/tab_dlg.h"

#include <QWidget>

namespace DIALOG {

// The panel's window. Its lists and pages arrive with the history and resource browser.
class CTabDlgWindow : public QWidget {
public:
    explicit CTabDlgWindow(QWidget* owner)
        : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        resize(300, 520);
    }
};

CTabDlg::CTabDlg(QWidget* /*parent*/, QWidget* owner) : owner_(owner) { }

CTabDlg::~CTabDlg() { delete window_; }

void CTabDlg::CreateWnd()
{
    if (!window_)
        window_ = new CTabDlgWindow(owner_);
}

QWidget* CTabDlg::window() const { return window_; }

void CTabDlg::AddBitmap(const QString& /*path*/, const QString& /*name*/) { }

void CTabDlg::SetMetaFileTabPage(int /*boardMode*/, int page)
{
    if (page >= 0 && page <= 2)
        currentPage_ = page;
}

void CTabDlg::SetPos(int /*unused*/) { Resize(); }

void CTabDlg::Resize()
{
    if (!window_ || !owner_)
        return;
    // Beside the owner: left of it, or right of it when there is no room on the left; vertically centred.
    const QRect o = owner_->frameGeometry();
    int x = o.left() - window_->width();
    if (x < 0)
        x = o.right() + 1;
    int y = o.top() + (o.height() - window_->height()) / 2;
    if (y < 0)
        y = o.top();
    window_->move(x, y);
}

int CTabDlg::GetCurSel() const { return currentPage_; }

void CTabDlg::SetCurSel(int page) { SetMetaFileTabPage(0, page); }

void CTabDlg::DeleteTempFile() { }

} // namespace DIALOG
