#pragma once
// Messages, commands and ids of the main panel.
#include "assist/tab_dlg_messages.h"
#include "platform/win_types.h"

namespace DIALOG {

// Messages the panel answers. What the pen surface sends it, messages and a command, is named in
// surface/surface_messages.h.
constexpr UINT kMsgRaisePanel = 0x0492; // hide the history panel and bring the panel to the front
constexpr UINT kMsgDeleteSurface = 0x0494; // delete the drawing surface
constexpr UINT kMsgOpenBackground = 0x0495; // lParam/wParam: picture path; open it as the background
constexpr UINT kMsgOpenPageSet = 0x0497; // wParam: path of a stored page set to open on the whiteboard
constexpr UINT kMsgOpenPageFolder = 0x0498; // wParam: folder whose pictures become whiteboard pages
constexpr UINT kMsgInsertPicture
    = 0x059C; // wParam: 6, 19 or 99999 and lParam a folder; or an instrument 1..5
constexpr WPARAM kFirstInstrumentNumber = 1; // 1 compass, 2 protractor, 3 ruler, 4 and 5 the set squares
constexpr WPARAM kLastInstrumentNumber = 5;
constexpr UINT kMsgInsertChosenMedia = 0x059D; // insert a media file the user chooses
constexpr UINT kMsgInsertMedia = 0x059E; // lParam: media file
constexpr UINT kMsgPenArrow = 0x064C; // outside pen: arrow action
constexpr UINT kMsgPenWrite = 0x064D; // outside pen: pen action
constexpr UINT kMsgBluetoothStatus = 0x065D; // wParam 0..7: bluetooth status text, 7 closes the tip
constexpr UINT kMsgCollapse = 0x069A; // collapse the panel
constexpr UINT kMsgNothing = 0x0776; // answered with 1, nothing done
constexpr UINT kMsgReapplyStyle = 0x0778; // re-apply the saved window style to the layered windows
constexpr UINT kMsgShowWall = 0x077B; // lParam: folder to show on the 3D picture wall
constexpr UINT kMsgIgnored[] = {0x040C, 0x0417, 0x06BC, 0x06BD};
// Sent to the show/hide tab when a full-screen window of a library closes.
constexpr UINT kMsgRestorePanel = 0x070A;

// The registered message with which outside programs end the panel at once.
inline constexpr const char* kMarloweMessage = "Marlowe";
constexpr WPARAM kMarloweQuit = 1148;

// Button commands.
constexpr int kCmdWriting = 1075;
constexpr int kCmdDrawing = 1070;
constexpr int kCmdTools = 1121;
constexpr int kCmdBackground = 1122;
constexpr int kCmdHistory = 1123;
constexpr int kCmdMaterial = 1124;
constexpr int kCmd4D = 1125;
constexpr int kCmdBoardNoButton = 1126;
constexpr int kCmdOffice = 1143;
constexpr int kCmdWhiteboard = 1128;
constexpr int kCmdPreviousPage = 1129;
constexpr int kCmdNextPage = 1047;
constexpr int kCmdUndo = 1133;
constexpr int kCmdRedo = 1134;
constexpr int kCmdAnnotate = 1142;
constexpr int kCmdLineWidth = 1137;
constexpr int kCmdColour = 1139;
constexpr int kCmdEraser = 1130;
constexpr int kCmdArrow = 1131;
constexpr int kCmdRecorder = 1145;
constexpr int kCmdPlay = 1144;
constexpr int kCmdSave = 1132;
constexpr int kCmdHide = 1140;
constexpr int kCmdHighlighter = 1135;
constexpr int kCmdLineType = 1136;
constexpr int kCmdClear = 1138;

// Menu commands.
constexpr int kCmdPointEraser = 32861;
constexpr int kCmdBigPointEraser = 32863;
constexpr int kCmdLassoEraser = 32865;
constexpr int kCmdClearScreen = 32877;
constexpr int kCmdSolidLine = 32867;
constexpr int kCmdDashLine = 32869;
constexpr int kCmdThinLine = 32871;
constexpr int kCmdThickerLine = 32879;
constexpr int kCmdMediumLine = 32873;
constexpr int kCmdThickLine = 32875;
constexpr int kCmdShare = 32839;
constexpr int kCmdInstallBluetooth = 32852;
constexpr int kCmdLogoWall = 32855;
constexpr int kCmd3DWall = 32856;
constexpr int kCmd3DBoard = 32893; // main menu: the 3D board of numbered pages
constexpr int kCmdShowUserPanel = 32891; // main menu: the user panel (quick-launch list)
constexpr int kCmdEraserSize = 32892; // eraser menu: the eraser-size popup
constexpr int kCmdExportPdf = 32900; // main menu and line-style popup: the lesson as one PDF
constexpr int kCmdOpenPdf = 32901; // main menu: a PDF or slide deck as board pages
constexpr int kCmdCapture = 32902; // main menu: select a part of the screen to copy or save
constexpr int kCmdPrintCapture = 32903; // main menu: print the last capture
constexpr int kCmdMagnifier = 32904; // main menu: the magnifier over the frozen screen
constexpr int kCmdScreenKeyboard = 32905; // main menu: the screen keyboard
constexpr int kCmdCalibration = 32804; // main menu: 4-point calibration of a touch board
constexpr int kCmdPictureInPictureOpen = 32806; // no menu item: the program has no picture in picture
constexpr int kCmdPictureInPictureClose = 32807;
constexpr int kCmdSettings = 32808; // main menu: the settings window
// The main menu's last item: quit, after the close question (the framework's usual exit command).
constexpr int kCmdExit = 57665;
// Calibration, picture-in-picture, view, bluetooth reconnect, light check, show panel: no action.
constexpr int kCmdsWithoutAction[] = {32806, 32807, 32809, 32814, 32816, 32820, 32821, 32822, 32824, 32826,
    32832, 32833, 32835, 32840, 32858, 32775};

constexpr int kHotKeyId = 1688;
constexpr int kTimerStayalive = 8;
constexpr int kTimerReady = 14;

} // namespace DIALOG
