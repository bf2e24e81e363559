#pragma once
// The floating main panel: a narrow always-on-top strip from which the teacher drives the system.
// It lives for the whole run; when its modal run ends, the program ends.
#include <QDialog>
#include <QPixmap>
#include <QString>

#include <memory>

namespace platform {
class MessageTable;
}
namespace DIALOG {
class CTabDlg;
}

namespace DIALOG {

class CWhiteBoardDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWhiteBoardDlg(QWidget* parent);
    ~CWhiteBoardDlg() override;

    // Initialises, places and shows the panel, runs it until a close is confirmed, then tears down.
    int DoModal();

    // Where the panel goes at start-up on a screen of this size.
    static QPoint startupPosition(int screenWidth, int screenHeight, int panelWidth, int panelHeight);

    const QString& StartupDirectory() const { return startupDirectory_; }
    const QString& ProgramFilePath() const { return programFilePath_; }
    const QString& PageFolderRoot() const { return pageFolderRoot_; }
    CTabDlg* TabDlg() const { return tabDlg_.get(); }

    // The process-wide running flag: set from the panel's initialisation until its destruction.
    static bool IsRunning();

    // The panel's handlers, called by its modal run (and by tests).
    void OnInitDialog();
    void OnDestroy();
    // Asks whether to quit; true when the answer is Yes.
    bool OnClose();

protected:

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PlaceAtStartup();

    std::unique_ptr<CTabDlg> tabDlg_;
    std::unique_ptr<platform::MessageTable> messages_;
    QString startupDirectory_;
    QString programFilePath_;
    QString pageFolderRoot_;
    QSize panelSize_;
    QPixmap background_;
    QPixmap logo_;
    bool destroyed_ = false;
};

} // namespace DIALOG
