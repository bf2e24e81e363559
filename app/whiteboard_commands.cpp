// The main panel's commands: its buttons and menu items, and the services they call (the user panel, the
// bluetooth receiver, the logo wall).
#include "app/whiteboard_dlg.h"

#include "app/deck_opening.h"
#include "app/directry.h"
#include "app/dlg_show.h"
#include "app/erase_radius_dlg.h"
#include "app/line_style_dlg.h"
#include "app/outside_windows.h"
#include "app/ppt_tool_bar.h"
#include "app/tool_dlg.h"
#include "app/tool_tip_dlg.h"
#include "app/user_dlg.h"
#include "app/whiteboard_messages.h"

#include "assist/assist_exports.h"
#include "assist/tab_dlg.h"
#include "board3d/board3d_exports.h"
#include "controls/button_ex.h"
#include "platform/desktop_probe.h"
#include "platform/desktop_session.h"
#include "platform/dialog_units.h"
#include "platform/message_box.h"
#include "platform/notice.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/window_flags.h"
#include "platform/window_ops.h"
#include "platform/window_stack.h"
#include "recorder/recorder_exports.h"
#include "support/bluetooth.h"
#include "support/language.h"
#include "support/multi_screen.h"
#include "surface/flash_frame.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_messages.h"
#include "surface/surface_state.h"
#include "wall/wall_exports.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

// The status texts of the bluetooth service compare the language exactly.
bool isExactlyEnglish()
{
    return GetLanguage() == u"English"_s;
}

} // namespace

// ---- commands ------------------------------------------------------------------------------------------

QMenu* CWhiteBoardDlg::MainMenuPopup() const
{
    const QList<QAction*> items = mainMenu_ ? mainMenu_->actions() : QList<QAction*>();
    return items.isEmpty() ? nullptr : items.first()->menu();
}

void CWhiteBoardDlg::ShowMainMenu(const QPoint& at)
{
    if (QMenu* menu = MainMenuPopup())
        menu->popup(at);
}

void CWhiteBoardDlg::EndWithoutAsking()
{
    // Questions and menus still open would hold the run: they are answered with Cancel.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
        else if (auto* menu = qobject_cast<QMenu*>(w))
            menu->close();
    }
    done(QDialog::Accepted);
}

void CWhiteBoardDlg::PopupMenuAtCursor(QMenu* menu)
{
    const QPoint at = QCursor::pos();
    menu->popup(QPoint(at.x(), at.y() - menu->sizeHint().height()));
}

// ---- pages: where the pen writes, and which page is open -------------------------------------------------

void CWhiteBoardDlg::StartWriting()
{
    HidePopupsBesideToolPanel();
    // A new surface reads the mode when it is built: it opens over the desktop. On a board page the pen
    // writes on the board, whose page buttons go on answering.
    if (!BoardPageOpen())
        lesson_.SetBoardMode(kBoardDesktop);
    EnsureSurface();
    SetStartingPen();
    toolDlg_->SetPage(11);
    HideTabAndShowToolbar();
    raise();
}

void CWhiteBoardDlg::StartDrawing()
{
    HidePopupsBesideToolPanel();
    if (!BoardPageOpen())
        lesson_.SetBoardMode(kBoardDesktop);
    toolDlg_->SetPage(3);
    HideTabAndShowToolbar();
}

void CWhiteBoardDlg::StartAnnotating()
{
    StoreCurrentPage();
    lesson_.SetBoardMode(kBoardDesktop);
    EnsureSurface();
    SetStartingPen();
    HideTabAndShowToolbar();
    officeWindowPresent_ = platform::presentation::officeWindowPresent();
}

void CWhiteBoardDlg::HideTabAndShowToolbar()
{
    HideTabWindow();
    // The show's own toolbar would sit over the ink: it is hidden while the pen writes on the show.
    if (DetectSlideShow())
        pptToolBar_->hide();
}

void CWhiteBoardDlg::OpenWhiteboard(bool withPen)
{
    if (surface_ && lesson_.BoardMode() == kBoardWhite)
        return;
    EnterWhiteboardMode();
    if (withPen)
        SetStartingPen();
}

void CWhiteBoardDlg::LeaveThePage()
{
    StoreCurrentPage();
    if (!surface_)
        BackToRunningShow();
}

// ---- pens and shapes
// ---------------------------------------------------------------------------------------

void CWhiteBoardDlg::OnSurface(void (CScreenPenWnd::*action)())
{
    if (surface_)
        (surface_->*action)();
}

void CWhiteBoardDlg::UseHighlighter()
{
    penType_ = 2;
    if (surface_)
        surface_->SetHighlighter(penWidth_, penColour_);
}

void CWhiteBoardDlg::UsePointEraser(int id)
{
    const int size = id == kCmdPointEraser ? 8 : 32;
    toolDlg_->EraseRadiusDlg()->ShowSize(size);
    if (surface_) {
        surface_->SetPointEraser(size);
        toolDlg_->SetActiveTool(0, 0);
    }
}

void CWhiteBoardDlg::ShowEraserSize()
{
    // The slider then sets the size; the point eraser is in use from now on.
    if (surface_) {
        surface_->SetPointEraser(toolDlg_->EraseRadiusDlg()->EraserSize());
        toolDlg_->SetActiveTool(0, 0);
    }
    toolDlg_->ShowEraseRadius();
}

void CWhiteBoardDlg::UseLassoEraser()
{
    if (surface_) {
        surface_->SetLassoEraser();
        toolDlg_->SetActiveTool(0, 0);
    }
}

void CWhiteBoardDlg::UseLineType(int id)
{
    const bool dashed = id == kCmdDashLine;
    penType_ = dashed ? 1 : 0;
    if (!surface_)
        return;
    if (dashed)
        surface_->SetDashPen(penWidth_, penColour_);
    else
        surface_->SetPen(penWidth_, penColour_);
    toolDlg_->SetActiveTool(CToolDlg::kPageWriting, dashed ? 1056 : 1054);
}

void CWhiteBoardDlg::UseLineWidth(int id)
{
    if (!surface_)
        return;
    penWidth_ = id == kCmdThinLine ? 1 : id == kCmdThickerLine ? 3 : id == kCmdMediumLine ? 8 : 15;
    lesson_.SharedPen().width = penWidth_;
    surface_->ApplyPenAttributes(penWidth_, penColour_);
}

// ---- aids, the show and the panel itself
// ---------------------------------------------------------------------

void CWhiteBoardDlg::ShowToolsPage()
{
    HidePopupsBesideToolPanel();
    HideTabWindow();
    toolDlg_->SetPage(7);
}

void CWhiteBoardDlg::OpenOfficeFromPanel()
{
    HideTabWindow();
    OpenOfficeFile();
}

void CWhiteBoardDlg::ConvertDeckForTheWall()
{
    HideTabWindow();
    CollapsePanel();
    dlgShow_->hide();
    ConvertPPTToFolder();
    if (const platform::WindowRef wall = platform::FindWindow(QString(), u"3D VorivOrazu"_s);
        platform::IsWindowVisible(wall))
        platform::RequestClose(wall);
}

void CWhiteBoardDlg::ExitFromMenu()
{
    if (OnClose())
        done(QDialog::Accepted);
}

void CWhiteBoardDlg::TellNotAvailableYet()
{
    platform::ShowNotice(GetConfigString(u"此功能尚未提供"_s));
}

void CWhiteBoardDlg::ChooseColour()
{
    if (colourDialogOpen_)
        return;
    colourDialogOpen_ = true;
    const QColor chosen = QColorDialog::getColor(
        QColor(GetRValue(penColour_), GetGValue(penColour_), GetBValue(penColour_)), DialogOwner());
    colourDialogOpen_ = false;
    if (chosen.isValid() && surface_) {
        penColour_ = RGB(chosen.red(), chosen.green(), chosen.blue());
        lesson_.SharedPen().colour = penColour_;
        surface_->ApplyPenAttributes(penWidth_, penColour_);
    }
}

void CWhiteBoardDlg::OpenOfficeFile()
{
    const QString cwd = QDir::currentPath();
    const QString file = QFileDialog::getOpenFileName(this, QString(),
        platform::shortPath(platform::documentsFolder()), u"ppt;pptx;wps (*.ppt *.pptx *.wps)"_s);
    QDir::setCurrent(cwd);
    const QString extension = QFileInfo(file).suffix().toLower();
    if (extension == u"ppt"_s || extension == u"pptx"_s || extension == u"wps"_s)
        OpenDeck(file);
}

void CWhiteBoardDlg::PlaySlideShow()
{
    HideAllPopups();
    HideTabWindow();
    const QList<platform::WindowRef> windows = platform::FindPresentationWindows();
    if (windows.isEmpty()) {
        // A show running natively on a Wayland desktop is not among them: play says so rather than press keys
        // into nothing.
        platform::ShowNotice(NoPresentationText(platform::InWaylandSession()));
        return;
    }
    const platform::WindowRef presentation = windows.first();
    platform::SetForegroundWindow(presentation);
    // Shift+F5 starts the show at the current slide; it must reach the presentation, not the panel.
    if (platform::GetForegroundWindow() == platform::WindowRef(this))
        return;
    platform::desktop::pressChord({u"Shift_L"_s, u"F5"_s});
    slideShowTarget_ = presentation;
    pptToolBar_->SetTarget(slideShowTarget_);
    pptToolBar_->show();
    pptToolBar_->raise();
    CollapsePanel();
}

void CWhiteBoardDlg::BackToRunningShow()
{
    // Written over a running show, the page has gone: the show has the keys again, and its toolbar is back.
    if (const platform::WindowRef show = DetectSlideShow()) {
        pptToolBar_->show();
        platform::SetForegroundWindow(show);
    }
}

void CWhiteBoardDlg::LeaveSlideShowForWhiteboard()
{
    if (!(surface_ && lesson_.BoardMode() == kBoardWhite)) {
        EnterWhiteboardMode();
        SetStartingPen();
    }
    lineStyleDlg_->Refresh();
    RestorePanel();
}

void CWhiteBoardDlg::ShowBluetoothStatus(WPARAM status)
{
    static const char* const kEnglish[]
        = {"Plug in a Bluetooth adapter or install its driver", "Several Bluetooth adapters were found",
            "Scanning for nearby Bluetooth devices...", "Removing the driver installed before...",
            "Scanning for Bluetooth devices again... If this fails, restart the computer",
            "Installing the Bluetooth driver...", "No receiver was found nearby"};
    static const char* const kChinese[] = {" 插蓝牙适配器或安装适配器驱动", "发现多个蓝牙适配器",
        "正在扫描周围的蓝牙设备...", "正在删除以前安装的驱动...", "正在重新扫描蓝牙设备.如果未成功请重启电脑",
        "正在安装蓝牙的驱动程序...", "没有发现附近存在接收机"};
    if (status == 7) {
        delete toolTipDlg_;
        toolTipDlg_ = nullptr;
        return;
    }
    if (status > 6)
        return;
    if (!toolTipDlg_)
        toolTipDlg_ = new CToolTipDlg(this);
    toolTipDlg_->SetText(QString::fromUtf8(isExactlyEnglish() ? kEnglish[status] : kChinese[status]));
    toolTipDlg_->show();
    toolTipDlg_->update();
}

void CWhiteBoardDlg::ShowTip(const QString& text)
{
    if (!toolTipDlg_)
        toolTipDlg_ = new CToolTipDlg(this);
    toolTipDlg_->SetText(text);
    toolTipDlg_->show();
    toolTipDlg_->raise();
    toolTipDlg_->update();
    QTimer::singleShot(8000, toolTipDlg_, [tip = QPointer<CToolTipDlg>(toolTipDlg_), text] {
        if (tip && tip->Text() == text)
            tip->hide();
    });
}

void CWhiteBoardDlg::ShowLogoWall()
{
    CollapsePanel();
    const platform::WindowRef cinebox = platform::FindWindow(QString(), u"Cinebox"_s);
    if (cinebox) {
        if (cinebox.widget)
            cinebox.widget->showNormal();
        else
            platform::ShowWindow(cinebox, true);
        platform::SendCopyData(cinebox, 0, u"LogoMode"_s);
        return;
    }
    if (const QString program = platform::siblingProgram(u"Cinebox"_s); !program.isEmpty()) {
        QProcess::startDetached(program, {u"Marlowe"_s}, platform::programFolder());
        return;
    }
    // Without the media centre the logo pictures go on our own picture wall.
    ShowMainFrame();
    if (const platform::WindowRef wall = platform::FindWindow(QString(), u"QMShow"_s))
        platform::SendCopyData(wall, 0, u"LogoMode"_s);
}

void CWhiteBoardDlg::InstallBluetoothDriver()
{
    const bool english = IsEnglish();
    const int answer = platform::MessageBox(this,
        english
            ? u"Install the Bluetooth driver? Do this only if the Bluetooth driver is damaged or Bluetooth "
              "does not work (for example, nothing happens when the adapter is plugged in).\r\n"
              "If a Bluetooth driver is installed and works, the new one may stop it from working.\r\n"
              "Do you want to continue?"_s
            : u"您确认系统蓝牙驱动损坏或不能使用（如插上蓝牙，无法使用），而要安装蓝牙驱动？\r\n已安装蓝牙驱"
              u"动或蓝牙能正常使用的情况"
              "下，可能会导致原驱动不能使用。\r\n是否继续？"_s,
        english ? u"Tips"_s : u"提示"_s, platform::MB_YESNO);
    if (answer == platform::IDNO)
        return;
    if (InstallBruthDrive(u"./Drivers/Generic Bluetooth Radio/bth.inf"_s))
        platform::MessageBox(this, english ? u"The driver is installed."_s : u"安装驱动完成."_s,
            english ? u"Tips"_s : u"提示"_s, platform::MB_OK);
}

void CWhiteBoardDlg::OpenShareAddress()
{
    // A school sets the address in SetInfo.ini, section "Share", key "Address"; without one nothing opens.
    const QString address
        = platform::GetPrivateProfileString(u"Share"_s, u"Address"_s, QString(""), 2048, u"./SetInfo.ini"_s)
              .trimmed();
    if (!address.isEmpty())
        platform::shellOpen(address);
}

// ---- services ------------------------------------------------------------------------------------------

void CWhiteBoardDlg::ShowUserPanel()
{
    // Beside the panel on the side the tool panel takes, past the tool panel when it is shown there.
    const QRect panel = frameGeometry();
    const QRect screen = CMultiScreen(this).GetScreenRect();
    int x = CToolDlg::PlacementX(panel, screen, userDlg_->width(), 0);
    if (toolDlg_->isVisible())
        x = x < panel.left() ? std::min(x, toolDlg_->x() - userDlg_->width())
                             : std::max(x, toolDlg_->x() + toolDlg_->width());
    if (x < screen.left() || x + userDlg_->width() > screen.left() + screen.width())
        x = x < panel.left() ? panel.left() + panel.width() : panel.left() - userDlg_->width();
    // The pen popups would sit under it.
    lineStyleDlg_->hide();
    toolDlg_->EraseRadiusDlg()->hide();
    userDlg_->move(x, panel.top() + (panel.height() - userDlg_->height()) / 2);
    userDlg_->show();
    userDlg_->raise();
}

bool CWhiteBoardDlg::CheckFlash()
{
    // Flash movies play in the program's own player (Ruffle); without it the teacher is told, once per
    // movie, instead of nothing happening.
    if (FlashPlayerPresent())
        return true;
    if (IsEnglish())
        platform::MessageBox(this, u"The Flash player is not installed: Flash movies cannot be played."_s,
            u"Tips"_s, platform::MB_OK | platform::MB_ICONINFORMATION);
    else
        platform::MessageBox(this, u"未安装Flash播放器,无法播放Flash动画."_s, u"提示"_s,
            platform::MB_OK | platform::MB_ICONINFORMATION);
    return false;
}

} // namespace DIALOG
