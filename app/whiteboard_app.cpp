#include "app/whiteboard_app.h"

#include "app/calibration_dlg.h"
#include "app/crash_handler.h"
#include "app/whiteboard_dlg.h"
#include "app/whiteboard_messages.h"

#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "platform/termination.h"
#include "platform/work_folder.h"
#include "support/language.h"
#include "surface/lesson_recovery.h"

#include <QApplication>
#include <QDialog>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

#include <cstdlib>

CWhiteBoardApp::CWhiteBoardApp()
{
    // The running program itself shows the crash report, started again with the text in its environment.
    crash::install(platform::programFilePath());
    crash::setAbortText(GetConfigString(QStringLiteral("程序出错")));
}

bool CWhiteBoardApp::InitInstance()
{
    // One copy per user and display: a second one would share the first one's scratch folders and delete
    // them under it when it quits. A copy on another display started from the same program folder would do
    // the same to the lesson running there.
    if (!platform::acquireInstanceLock()
        || DIALOG::LessonSession::HeldElsewhere(DIALOG::LessonFolders(platform::workFolder()))) {
        platform::MessageBox(nullptr, GetConfigString(QStringLiteral("您已经启动了软件")),
            GetConfigString(QStringLiteral("信息提示")), platform::MB_OK | platform::MB_ICONEXCLAMATION);
        const platform::WindowRef running = FindPanel();
        if (running)
            platform::PostMessage(running, DIALOG::kMsgRaisePanel, 0, 0);
        std::exit(-1);
    }

    // The invisible owner keeps the panel and its popups out of the taskbar.
    hiddenOwner_ = new QWidget(nullptr, Qt::Tool);
    hiddenOwner_->setWindowTitle(QStringLiteral("hide"));

    // A board calibrated before is calibrated again: the touch driver forgets it when X restarts.
    DIALOG::CCalibrationDlg::ApplyStoredCalibration();
    auto* panel = new DIALOG::CWhiteBoardDlg(hiddenOwner_);
    panel->OfferRecoveryAtStart();
    // Logging out or Ctrl+C in a terminal ends the program as a confirmed close does: the page folders are
    // cleaned up and the libraries torn down, without a question nobody would answer.
    platform::onTerminationSignal([panel] { panel->EndWithoutAsking(); });
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

bool CWhiteBoardApp::LoadQtTranslations(QApplication& app)
{
    if (IsEnglish())
        return true;
    auto* translator = new QTranslator(&app);
    if (!translator->load(
            QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}
