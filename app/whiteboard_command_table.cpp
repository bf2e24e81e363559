// The panel's command table: every command number of its buttons and menus, the family it belongs to and
// what it does. OnCommand looks a number up here; the families' longer handlers live beside their kind of
// work (whiteboard_commands.cpp for pages and pens, whiteboard_tools.cpp for the tools, whiteboard_lesson.cpp
// for the lesson file).
#include "app/whiteboard_dlg.h"

#include "app/tool_dlg.h"
#include "app/whiteboard_messages.h"
#include "board3d/board3d_exports.h"
#include "recorder/recorder_exports.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_messages.h"

#include <QMenu>

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace DIALOG {

const CWhiteBoardDlg::CommandEntry* CWhiteBoardDlg::FindCommand(int id)
{
    using F = CommandFamily;
    using P = CWhiteBoardDlg;
    static const std::unordered_map<int, CommandEntry> table {
        // Pages: where the pen writes, and which page is open.
        {kCmdWriting, {F::Pages, false, [](P& p, int) { p.StartWriting(); }}},
        {kCmdDrawing, {F::Pages, false, [](P& p, int) { p.StartDrawing(); }}},
        {kCmdAnnotate, {F::Pages, true, [](P& p, int) { p.StartAnnotating(); }}},
        {kCmdWhiteboard, {F::Pages, true, [](P& p, int) { p.OpenWhiteboard(true); }}},
        {kCmdBoardNoButton, {F::Pages, false, [](P& p, int) { p.OpenWhiteboard(false); }}},
        {kCmdPreviousPage, {F::Pages, true, [](P& p, int) { p.TurnToPreviousPage(); }}},
        {kCmdNextPage, {F::Pages, true, [](P& p, int) { p.TurnToNextPage(); }}},
        {kCmdArrow, {F::Pages, true, [](P& p, int) { p.LeaveThePage(); }}},
        {kCmdSave, {F::Pages, true, [](P& p, int) { p.LeaveThePage(); }}},
        // Pens and shapes.
        {kCmdUndo, {F::Pens, true, [](P& p, int) { p.OnSurface(&CScreenPenWnd::UndoStep); }}},
        {kCmdRedo, {F::Pens, true, [](P& p, int) { p.OnSurface(&CScreenPenWnd::RedoStep); }}},
        {kCmdClear, {F::Pens, true, [](P& p, int) { p.OnSurface(&CScreenPenWnd::ClearScreen); }}},
        {kCmdClearScreen, {F::Pens, false, [](P& p, int) { p.OnSurface(&CScreenPenWnd::ClearScreen); }}},
        {kCmdHighlighter, {F::Pens, true, [](P& p, int) { p.UseHighlighter(); }}},
        {kCmdLineType, {F::Pens, true, [](P& p, int) { p.PopupMenuAtCursor(p.lineTypeMenu_); }}},
        {kCmdLineWidth, {F::Pens, true, [](P& p, int) { p.PopupMenuAtCursor(p.lineWidthMenu_); }}},
        {kCmdEraser, {F::Pens, true, [](P& p, int) { p.PopupMenuAtCursor(p.eraserMenu_); }}},
        {kCmdColour, {F::Pens, true, [](P& p, int) { p.ChooseColour(); }}},
        {kCmdPointEraser, {F::Pens, false, [](P& p, int id) { p.UsePointEraser(id); }}},
        {kCmdBigPointEraser, {F::Pens, false, [](P& p, int id) { p.UsePointEraser(id); }}},
        {kCmdEraserSize, {F::Pens, false, [](P& p, int) { p.ShowEraserSize(); }}},
        {kCmdLassoEraser, {F::Pens, false, [](P& p, int) { p.UseLassoEraser(); }}},
        {kCmdSolidLine, {F::Pens, false, [](P& p, int id) { p.UseLineType(id); }}},
        {kCmdDashLine, {F::Pens, false, [](P& p, int id) { p.UseLineType(id); }}},
        {kCmdThinLine, {F::Pens, false, [](P& p, int id) { p.UseLineWidth(id); }}},
        {kCmdThickerLine, {F::Pens, false, [](P& p, int id) { p.UseLineWidth(id); }}},
        {kCmdMediumLine, {F::Pens, false, [](P& p, int id) { p.UseLineWidth(id); }}},
        {kCmdThickLine, {F::Pens, false, [](P& p, int id) { p.UseLineWidth(id); }}},
        // Aids: the tool panel's pages and tools.
        {kCmdTools, {F::Aids, false, [](P& p, int) { p.ShowToolsPage(); }}},
        {kCmdCapture, {F::Aids, false, [](P& p, int) { p.toolDlg_->RunTool(CToolDlg::kToolCapture); }}},
        {kCmdPrintCapture, {F::Aids, false, [](P& p, int) { p.toolDlg_->RunTool(CToolDlg::kToolPrint); }}},
        {kCmdMagnifier, {F::Aids, false, [](P& p, int) { p.toolDlg_->RunTool(CToolDlg::kToolMagnifier); }}},
        {kCmdScreenKeyboard,
            {F::Aids, false, [](P& p, int) { p.toolDlg_->RunTool(CToolDlg::kToolKeyboard); }}},
        {kCmdCalibration, {F::Aids, false, [](P& p, int) { p.StartCalibration(); }}},
        // Media: the history, backdrop and material panel, and the recorder.
        {kCmdHistory, {F::Media, false, [](P& p, int) { p.ToggleTabDlg(0); }}},
        {kCmdBackground, {F::Media, false, [](P& p, int) { p.ToggleTabDlg(1); }}},
        {kCmdMaterial, {F::Media, false, [](P& p, int) { p.ToggleTabDlg(2); }}},
        {kCmdRecorder, {F::Media, true, [](P&, int) { ShowRecordControlWindow(); }}},
        // The slide show and its decks.
        {kCmdOffice, {F::Show, true, [](P& p, int) { p.OpenOfficeFromPanel(); }}},
        {kCmdPlay, {F::Show, true, [](P& p, int) { p.PlaySlideShow(); }}},
        {kCmd4D, {F::Show, true, [](P& p, int) { p.ConvertDeckForTheWall(); }}},
        // Walls and the 3D board.
        {kCmdLogoWall, {F::Walls, false, [](P& p, int) { p.ShowLogoWall(); }}},
        {kCmd3DWall, {F::Walls, false, [](P& p, int) { p.ShowLogoWall(); }}},
        {kCmd3DBoard, {F::Walls, true, [](P&, int) { Create3DScreenPen(); }}},
        // The lesson as a file.
        {kCmdExportPdf, {F::Lesson, false, [](P& p, int) { p.ExportLessonPdf(); }}},
        {kCmdOpenPdf, {F::Lesson, false, [](P& p, int) { p.OpenPdfOrSlides(); }}},
        // Menus and the panel itself.
        {kCmdHide, {F::Menus, false, [](P& p, int) { p.CollapsePanel(); }}},
        {kCmdExit, {F::Menus, false, [](P& p, int) { p.ExitFromMenu(); }}},
        {ScreenPenMsg::kOwnerHidePopups, {F::Menus, true, [](P&, int) {}}},
        {kCmdShowUserPanel, {F::Menus, false, [](P& p, int) { p.ShowUserPanel(); }}},
        {kCmdShare, {F::Menus, false, [](P& p, int) { p.OpenShareAddress(); }}},
        {kCmdInstallBluetooth, {F::Menus, false, [](P& p, int) { p.InstallBluetoothDriver(); }}},
        {kCmdSettings, {F::Menus, true, [](P& p, int) { p.ShowSettings(); }}},
    };
    const auto found = table.find(id);
    return found == table.end() ? nullptr : &found->second;
}

void CWhiteBoardDlg::OnCommand(int id)
{
    if (const CommandEntry* command = FindCommand(id)) {
        if (command->hidesPopups)
            HideAllPopups();
        command->run(*this, id);
        return;
    }
    // Menu items whose work is not there yet say so rather than doing nothing.
    if (std::find(std::begin(kCmdsWithoutAction), std::end(kCmdsWithoutAction), id)
        != std::end(kCmdsWithoutAction))
        TellNotAvailableYet();
}

} // namespace DIALOG
