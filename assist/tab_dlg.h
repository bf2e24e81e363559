#pragma once
// The resource and history panel beside the main panel.
#include "assist/qmhelp_export.h"

#include <QString>

class QWidget;

namespace DIALOG {

class CTabDlgWindow;

class QMHELP_EXPORT CTabDlg {
public:
    CTabDlg(QWidget* parent, QWidget* owner);
    ~CTabDlg();
    CTabDlg(const CTabDlg&) = delete;
    CTabDlg& operator=(const CTabDlg&) = delete;

    void CreateWnd();
    // The panel's window; null before CreateWnd.
    QWidget* window() const;
    void AddBitmap(const QString& path, const QString& name);
    void SetMetaFileTabPage(int boardMode, int page);
    void SetPos(int unused);
    void Resize();
    int GetCurSel() const;
    void SetCurSel(int page);
    void DeleteTempFile();

private:
    QWidget* owner_ = nullptr;
    CTabDlgWindow* window_ = nullptr;
    int currentPage_ = 0;
};

} // namespace DIALOG
