#include "board3d/board3d_exports.h"

#include "board3d/cmfc_lumo_dlg.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

// The board's window: made by the first Create3DScreenPen, kept until Destroy3DScreen.
QPointer<lumo::board::CmfcLumoDlg> g_board;

} // namespace

bool Create3DScreenPen()
{
    if (g_board) {
        if (g_board->isVisible()) {
            g_board->LeaveEditing();
            g_board->hide();
            return false;
        }
        g_board->show();
        g_board->raise();
        g_board->activateWindow();
        g_board->setFocus();
        return true;
    }
    auto* board = new lumo::board::CmfcLumoDlg;
    board->show();
    board->raise();
    if (!board->Initialise()) {
        // No device: the message has been shown; the teacher gets the panel back.
        delete board;
        lumo::LumoWindow::AskTheTabForThePanel();
        return false;
    }
    g_board = board;
    board->activateWindow();
    board->setFocus();
    // The render thread ends before the application does, should the program not destroy the board itself.
    QObject::connect(
        QCoreApplication::instance(), &QCoreApplication::aboutToQuit, board, [] { Destroy3DScreen(); });
    return true;
}

bool Hide3DWindow()
{
    if (!g_board)
        return false;
    g_board->LeaveEditing();
    g_board->hide();
    return true;
}

void Destroy3DScreen()
{
    if (!g_board)
        return;
    // The window's tear-down stores what is being written, stops the render and loader threads and drops the
    // engine with its camera animator and wall manager.
    lumo::board::CmfcLumoDlg* board = g_board;
    g_board = nullptr;
    board->hide();
    delete board;
}
