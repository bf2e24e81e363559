#include "wall/wall_exports.h"

#include "wall/cmfc_lumo_dlg.h"
#include "wall/wall_menus.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

// The wall's window: made by the first ShowMainFrame, kept until the program ends.
QPointer<lumo::show::CmfcLumoDlg> g_wall;

} // namespace

void ShowMainFrame()
{
    if (g_wall) {
        if (g_wall->isVisible())
            return;
        g_wall->show();
        g_wall->raise();
        g_wall->activateWindow();
        return;
    }
    auto* wall = new lumo::show::CmfcLumoDlg;
    wall->show();
    wall->raise();
    if (!wall->Initialise()) {
        // No device: the message has been shown; the teacher gets the panel back.
        delete wall;
        lumo::LumoWindow::AskTheTabForThePanel();
        return;
    }
    g_wall = wall;
    wall->activateWindow();
    wall->setFocus();
    // The render thread ends before the application does.
    QObject::connect(
        QCoreApplication::instance(), &QCoreApplication::aboutToQuit, wall, [] { delete g_wall; });
}

void SetShowPath(const char* path)
{
    if (!g_wall || !path)
        return;
    const QString folder = QString::fromUtf8(path);
    g_wall->PenMenu()->hide();
    g_wall->FolderMenu()->show();
    g_wall->SetFirstLoad(g_wall->WallMode());
    g_wall->LoadFolder(folder);
}
