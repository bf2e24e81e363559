#pragma once
// The tool panel beside the main panel. Its buttons arrive with the tool panel itself; for now it
// remembers the page the main panel asked for and the surface state it was given.
#include <QWidget>

namespace DIALOG {

class CToolDlg : public QWidget {
    Q_OBJECT
public:
    explicit CToolDlg(QWidget* owner);

    // 3 drawing, 7 tools, 11 writing.
    void SetPage(int page);
    int Page() const { return page_; }
    void ReceiveState(int state) { state_ = state; }
    int State() const { return state_; }

private:
    int page_ = 0;
    int state_ = 0;
};

} // namespace DIALOG
