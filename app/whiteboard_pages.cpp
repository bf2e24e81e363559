// The main panel's pen surface and pages: making, raising and deleting the surface, storing the open page
// before anything replaces it, the whiteboard mode, collapsing the panel to its tab and the history panel.
#include "app/whiteboard_dlg.h"

#include "app/directry.h"
#include "app/dlg_show.h"
#include "app/erase_radius_dlg.h"
#include "app/line_style_dlg.h"
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
#include "support/program_settings.h"
#include "surface/image_review_dlg.h"
#include "surface/page_format.h"
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

// ---- the surface ---------------------------------------------------------------------------------------

void CWhiteBoardDlg::EnsureSurface()
{
    if (!surface_)
        surface_ = CreateSurface();
    surface_->ShowSurface();
}

void CWhiteBoardDlg::OnInstrumentNumber(int number)
{
    HideAllPopups();
    EnsureSurface();
    surface_->SelectInstrumentByNumber(number);
}

CScreenPenWnd* CWhiteBoardDlg::CreateSurface(const QString& pagePicture)
{
    openHistoryLabel_ = Folders().HistoryLabelOf(pagePicture);
    buildingSurface_ = true;
    auto* surface = new CScreenPenWnd(this, lesson_, pagePicture);
    buildingSurface_ = false;
    // What a page leaves out when it opens (pictures past its bound) is told in the tip window.
    connect(surface, &CScreenPenWnd::pageNotice, this, &CWhiteBoardDlg::ShowTip);
    // A tool window without a parent is transient for the whole application, and the window manager keeps
    // such a window above all others of the application, the panel included. As a sibling of the panel, under
    // the same hidden owner, the surface stacks like any other window and the panel can stay above it.
    if (parentWidget())
        surface->setParent(parentWidget(), surface->windowFlags());
    return surface;
}

LRESULT CWhiteBoardDlg::NowOrOnceSurfaceBuilt(std::function<LRESULT()> request)
{
    if (!buildingSurface_)
        return request();
    QTimer::singleShot(20, this,
        [this, request = std::move(request)]() mutable { NowOrOnceSurfaceBuilt(std::move(request)); });
    return 0;
}

void CWhiteBoardDlg::DeleteSurface()
{
    if (!surface_)
        return;
    CScreenPenWnd* surface = surface_;
    surface_ = nullptr;
    surface->HideSurface();
    // The request may come from inside the surface's own handlers (its exit button): it goes once they
    // return.
    surface->deleteLater();
}

void CWhiteBoardDlg::SetSurfacePen(int width, COLORREF colour)
{
    if (!surface_)
        return;
    surface_->SetPen(width, colour);
    toolDlg_->SetActiveTool(CToolDlg::kPageWriting, 1054);
}

void CWhiteBoardDlg::SetStartingPen()
{
    if (!surface_)
        return;
    // Read at each press: a pen chosen in the settings is the next one the teacher starts with.
    const settings::ProgramSettings chosen = settings::ReadSettings().values;
    switch (chosen.penKind) {
    case settings::PenKind::Dashed:
        surface_->SetDashPen(chosen.penWidth, chosen.penColour);
        toolDlg_->SetActiveTool(CToolDlg::kPageWriting, 1056);
        break;
    case settings::PenKind::Highlighter:
        surface_->SetHighlighter(chosen.penWidth, chosen.penColour);
        toolDlg_->SetActiveTool(CToolDlg::kPageWriting, 1055);
        break;
    case settings::PenKind::Pen:
        SetSurfacePen(chosen.penWidth, chosen.penColour);
        break;
    }
}

void CWhiteBoardDlg::CopyLineStyleToSharedPen()
{
    lesson_.SharedPen().width = lineStyleDlg_->Width();
    lesson_.SharedPen().colour = lineStyleDlg_->Colour();
}

void CWhiteBoardDlg::HidePopupsBesideToolPanel()
{
    // The tool panel itself stays: its page buttons hide it on their second click. The material preview is
    // the surface's own.
    for (QWidget* popup : {static_cast<QWidget*>(lineStyleDlg_), static_cast<QWidget*>(userDlg_),
             static_cast<QWidget*>(toolDlg_->EraseRadiusDlg()),
             static_cast<QWidget*>(surface_ ? surface_->materialPreview() : nullptr)})
        if (popup)
            popup->hide();
}

void CWhiteBoardDlg::HideAllPopups()
{
    HidePopupsBesideToolPanel();
    toolDlg_->hide();
}

platform::WindowRef CWhiteBoardDlg::DetectSlideShow() const
{
    return platform::FindSlideShow();
}

bool CWhiteBoardDlg::StoreChangedPage()
{
    if (!surface_ || !lesson_.Pages().pageChanged)
        return true;
    StoreCurrentPage();
    return !surface_;
}

bool CWhiteBoardDlg::ReleaseSurface()
{
    if (!StoreChangedPage())
        return false;
    DeleteSurface();
    return true;
}

void CWhiteBoardDlg::ForgetSurface()
{
    if (!surface_)
        return;
    // The surface hid itself. A page it could not store stays open; otherwise it goes, so that no hidden
    // full-screen window is left behind.
    if (lesson_.Pages().pageChanged) {
        QTimer::singleShot(0, this, [this] {
            if (surface_ && !surface_->isVisible())
                EnsureSurface();
        });
        return;
    }
    CScreenPenWnd* surface = surface_;
    surface_ = nullptr;
    surface->deleteLater();
}

void CWhiteBoardDlg::StoreCurrentPage()
{
    if (surface_ && StorePageToHistory())
        DeleteSurface();
}

bool CWhiteBoardDlg::StorePageToHistory()
{
    if (!surface_)
        return false;
    // A page reopened from the history is stored over its own files; every other page is a new one, whatever
    // is selected in the history now.
    const QString reopened = openHistoryLabel_;
    const QString history = Folders().HistoryFolder() + u'/';
    // Two pages stored within one second would share a name: the later one gets a number.
    const QString base = !reopened.isEmpty()
        ? history + reopened
        : lesson_.UnusedPageBase(history + PageBaseName(QDateTime::currentDateTime()));
    const QString path = base + u".xxx"_s;
    // A page that could not be stored stays open on its surface: the user has been told, nothing is lost.
    if (!SavePage(surface_, path))
        return false;
    const QString picture = WithExtension(path, u"bmp"_s);
    const QString strokes = WithExtension(path, u"kw"_s);
    if (QFileInfo::exists(picture)) {
        const QString label = QFileInfo(picture).fileName().section(u'.', 0, 0);
        if (reopened.isEmpty())
            tabDlg_->AddBitmap(picture, strokes);
        tabDlg_->SetHistoryPicture(label, surface_->pageBitmap());
        // A surface that stays open stores over the page it has just become.
        openHistoryLabel_ = label;
    }
    return true;
}

void CWhiteBoardDlg::EnterWhiteboardMode()
{
    StoreCurrentPage();
    lesson_.SetBoardMode(kBoardWhite);
    surfaceOverWhiteboard_ = true;
    Hide3DWindow();
    if (!surface_) {
        surface_ = CreateSurface();
        surface_->ShowSurface();
    }
    if (DetectSlideShow())
        pptToolBar_->hide();
}

void CWhiteBoardDlg::CollapsePanel()
{
    const QRect screen = CMultiScreen(this).GetScreenRect();
    const int w = screen.width(), h = screen.height();
    const QPoint origin = screen.topLeft();
    const platform::WindowRef a = platform::WindowFromPoint(origin + QPoint(w / 4, h / 4));
    const platform::WindowRef b = platform::WindowFromPoint(origin + QPoint(3 * w / 4, h / 4));
    const platform::WindowRef c = platform::WindowFromPoint(origin + QPoint(w / 2, h / 2));
    // A full-screen presentation keeps receiving keys.
    if (a && a == b && b == c)
        platform::SetFocus(a);
    HideAllPopups();
    HideTabWindow();
    dlgShow_->move(pos());
    dlgShow_->show();
    hide();
}

void CWhiteBoardDlg::RestorePanel()
{
    dlgShow_->hide();
    move(dlgShow_->pos());
    show();
}

void CWhiteBoardDlg::ToggleTabDlg(int tab)
{
    tabDlg_->SetMetaFileTabPage(lesson_.BoardMode(), tab);
    // The pen in use stays: a panel beside the page is no tool, and the page goes on taking the pen.
    if (surface_)
        CopyLineStyleToSharedPen();
    HideAllPopups();
    tabDlg_->SetPos(0);
    QWidget* window = tabDlg_->window();
    if (!window)
        return;
    if (window->isVisible()) {
        window->hide();
    } else {
        window->move(CMultiScreen(this)
                         .GetTrueRect(QRect(window->pos() - CMultiScreen(this).GetTrueRect(QRect()).topLeft(),
                             window->size()))
                         .topLeft());
        window->show();
        window->raise();
    }
}

void CWhiteBoardDlg::OpenBackground(const QString& picturePath)
{
    // The surface takes its background picture when it is built; the page open now is stored first, and
    // one that cannot be stored stays open.
    if (!ReleaseSurface())
        return;
    surfaceOverWhiteboard_ = false;
    lesson_.SetBoardMode(kBoardDesktop);
    surface_ = CreateSurface(picturePath);
    surface_->ShowSurface();
    lineStyleDlg_->Refresh();
    surface_->update();
    raise();
}

bool CWhiteBoardDlg::BoardPageOpen() const
{
    return surface_ && surface_->IsBoardPage() && lesson_.OnBoard();
}

void CWhiteBoardDlg::TurnToPreviousPage()
{
    if (BoardPageOpen()) {
        PreviousPage(surface_);
        return;
    }
    const QString picture = tabDlg_->SelectPreviousHistoryPage();
    if (!picture.isEmpty())
        OpenBackground(picture);
}

void CWhiteBoardDlg::TurnToNextPage()
{
    if (BoardPageOpen()) {
        NextPage(surface_);
        return;
    }
    StoreCurrentPage();
    if (surface_)
        return;
    if (lesson_.BoardMode() == kBoardWhite) {
        lesson_.MoveToNewPage();
        EnterWhiteboardMode();
        SetStartingPen();
    } else {
        OnCommand(kCmdWriting);
    }
}

void CWhiteBoardDlg::AddPicturesToHistory(const QStringList& pictures, bool folder)
{
    if (pictures.isEmpty()) {
        platform::MessageBox(DialogOwner(), GetConfigString(u"这个文件夹里没有页面图片(.bmp)。"_s),
            IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    const QString history = Folders().HistoryFolder();
    platform::makeScratchFolder(history);
    const QStringList pages = ImportPages(lesson_, pictures, history, QDateTime::currentDateTime());
    for (const QString& page : pages)
        tabDlg_->AddBitmap(page, WithExtension(page, u"kw"_s));
    if (pages.size() < pictures.size()) {
        const QString text = folder ? GetConfigString(u"有%1张图片无法读取或复制，未能加入历史。"_s)
                                          .arg(pictures.size() - pages.size())
                                    : GetConfigString(u"这张图片无法读取或复制，未能加入历史。"_s);
        platform::MessageBox(DialogOwner(), text, IsEnglish() ? u"Tips"_s : u"提示"_s,
            platform::MB_OK | platform::MB_ICONWARNING);
    }
    if (pages.isEmpty())
        return;
    OpenBackground(pages.first());
    // The thumbnail shows the first page with the ink its stroke file brought along.
    if (surface_)
        tabDlg_->SetHistoryPicture(
            QFileInfo(pages.first()).fileName().section(u'.', 0, 0), surface_->pageBitmap());
}

} // namespace DIALOG
