#include "app/whiteboard_app.h"

#include "app/crash_handler.h"
#include "app/whiteboard_dlg.h"

#include "platform/shell.h"

#include <QWidget>

CWhiteBoardApp::CWhiteBoardApp()
{
    // The running program itself shows the crash report, started again with the text in its environment.
    crash::install(platform::programFilePath());
}

bool CWhiteBoardApp::InitInstance()
{
    // The invisible owner keeps the panel and its popups out of the taskbar.
    hiddenOwner_ = new QWidget(nullptr, Qt::Tool);
    hiddenOwner_->setWindowTitle(QStringLiteral("hide"));

    auto* panel = new DIALOG::CWhiteBoardDlg(hiddenOwner_);
    crash::setHasMainWindow(true);
    panel->DoModal();
    crash::setHasMainWindow(false);

    delete panel;
    delete hiddenOwner_;
    hiddenOwner_ = nullptr;
    return false;
}

int CWhiteBoardApp::ExitInstance()
{
    return 0;
}
