// The panel's window messages: what the surface, the history panel and other programs send it, each number
// with its handler. RegisterMessages decides who may send which; OnMessage runs the handler of the table.
#include "app/whiteboard_dlg.h"

#include "app/dlg_show.h"
#include "app/line_style_dlg.h"
#include "app/ppt_tool_bar.h"
#include "app/tool_dlg.h"
#include "app/whiteboard_messages.h"
#include "assist/tab_dlg.h"
#include "assist/tab_dlg_messages.h"
#include "platform/window_ops.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_messages.h"
#include "wall/wall_exports.h"

#include <unordered_map>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

// The string a message of this process carries in one of its parameters; null when it carries none.
const QString* text(WPARAM parameter)
{
    return reinterpret_cast<const QString*>(parameter);
}

} // namespace

LRESULT CWhiteBoardDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    using P = CWhiteBoardDlg;
    using Handler = LRESULT (*)(P & panel, WPARAM wParam, LPARAM lParam);
    static const std::unordered_map<UINT, Handler> table {
        // From the surface.
        {ScreenPenMsg::kExitBoard, [](P& p, WPARAM, LPARAM) { return p.ExitBoard(), LRESULT(0); }},
        {ScreenPenMsg::kClosed, [](P& p, WPARAM, LPARAM) { return p.ForgetSurface(), LRESULT(0); }},
        {ScreenPenMsg::kPolyline,
            [](P& p, WPARAM w, LPARAM) { return p.toolDlg_->ReceiveState(int(w)), LRESULT(0); }},
        {ScreenPenMsg::kCapturing, [](P& p, WPARAM, LPARAM) { return p.HideTabWindow(), LRESULT(0); }},
        // From the history, backdrop and material panel. The history panel asks for the surface to go before
        // it opens another page or picture: a changed page is stored first, as the next-page button does.
        {kMsgDeleteSurface, [](P& p, WPARAM, LPARAM) { return p.ReleaseSurface(), LRESULT(0); }},
        {kMsgOpenBackground,
            [](P& p, WPARAM w, LPARAM) {
                if (const QString* path = text(w))
                    p.OpenBackground(*path);
                return LRESULT(0);
            }},
        {kMsgOpenPageSet,
            [](P& p, WPARAM w, LPARAM) {
                if (const QString* picture = text(w))
                    p.AddPicturesToHistory({*picture}, false);
                return LRESULT(0);
            }},
        {kMsgOpenPageFolder,
            [](P& p, WPARAM w, LPARAM) {
                if (const QString* folder = text(w))
                    p.AddPicturesToHistory(PagePicturesIn(*folder), true);
                return LRESULT(0);
            }},
        {kMsgInsertPicture,
            [](P& p, WPARAM w, LPARAM l) { return p.InsertPictureOrInstrument(w, l), LRESULT(0); }},
        {kMsgInsertChosenMedia, [](P& p, WPARAM, LPARAM) { return p.InsertMediaFile(nullptr), LRESULT(0); }},
        {kMsgInsertMedia,
            [](P& p, WPARAM, LPARAM l) { return p.InsertMediaFile(text(WPARAM(l))), LRESULT(0); }},
        {kMsgShowWall,
            [](P&, WPARAM, LPARAM l) {
                if (const QString* folder = text(WPARAM(l))) {
                    ShowMainFrame();
                    SetShowPath(folder->toUtf8().constData());
                }
                return LRESULT(0);
            }},
        // From the show's toolbar, a second start and other programs.
        {kMsgRaisePanel, [](P& p, WPARAM, LPARAM) { return p.RaiseFromTab(), LRESULT(0); }},
        {kMsgPenArrow, [](P& p, WPARAM, LPARAM) { return p.PenArrowFromShow(), LRESULT(0); }},
        {kMsgPenWrite, [](P& p, WPARAM, LPARAM) { return p.PenWriteFromShow(), LRESULT(0); }},
        {kMsgBluetoothStatus, [](P& p, WPARAM w, LPARAM) { return p.ShowBluetoothStatus(w), LRESULT(0); }},
        {kMsgCollapse, [](P& p, WPARAM, LPARAM) { return p.CollapsePanel(), LRESULT(0); }},
        {kMsgNothing, [](P&, WPARAM, LPARAM) { return LRESULT(1); }},
        {kMsgReapplyStyle, [](P& p, WPARAM, LPARAM) { return p.KeepPopupsOnTop(), LRESULT(1); }},
    };
    const auto found = table.find(message);
    return found == table.end() ? 0 : found->second(*this, wParam, lParam);
}

void CWhiteBoardDlg::ExitBoard()
{
    HideAllPopups();
    HideTabWindow();
    StoreCurrentPage();
    BackToRunningShow();
}

void CWhiteBoardDlg::HideTabWindow()
{
    if (QWidget* tab = tabDlg_->window(); tab && tab->isVisible())
        tab->hide();
}

void CWhiteBoardDlg::RaiseFromTab()
{
    HideTabWindow();
    // A collapsed panel comes back from its tab (a second start asks for the panel this way).
    if (!isVisible() && dlgShow_ && dlgShow_->isVisible())
        RestorePanel();
    if (!isActiveWindow())
        raise();
}

void CWhiteBoardDlg::InsertPictureOrInstrument(WPARAM number, LPARAM folder)
{
    if (number >= kFirstInstrumentNumber && number <= kLastInstrumentNumber) {
        OnInstrumentNumber(int(number));
        return;
    }
    EnsureSurface();
    // A folder of the resource tree: its pictures, or under "视频" its videos, in the material preview.
    if (const QString* path = text(WPARAM(folder)))
        surface_->OpenMaterial(*path, number == tab::kResourceVideo);
}

void CWhiteBoardDlg::InsertMediaFile(const QString* file)
{
    EnsureSurface();
    // Without a file the surface asks for one.
    if (!file) {
        surface_->InsertMedia(QString());
        return;
    }
    if (file->endsWith(u".swf"_s, Qt::CaseInsensitive) && !CheckFlash())
        return;
    surface_->InsertMedia(*file);
}

void CWhiteBoardDlg::PenArrowFromShow()
{
    if (pptToolBar_->isVisible()) {
        pptToolBar_->ArrowAction();
        return;
    }
    pptToolBar_->hide();
    HideAllPopups();
    StoreCurrentPage();
}

void CWhiteBoardDlg::PenWriteFromShow()
{
    if (!dlgShow_->isVisible()) {
        if (const platform::WindowRef cinebox = platform::FindWindow(QString(), u"Cinebox"_s)) {
            platform::ShowWindow(cinebox, false);
            show();
        }
    }
    if (pptToolBar_->isVisible()) {
        pptToolBar_->PenAction();
        return;
    }
    const bool tabShown = dlgShow_->isVisible();
    HideTabWindow();
    HideAllPopups();
    pptToolBar_->hide();
    lineStyleDlg_->Refresh();
    if (tabShown)
        dlgShow_->show();
    raise();
}

void CWhiteBoardDlg::KeepPopupsOnTop()
{
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(toolDlg_),
             static_cast<QWidget*>(lineStyleDlg_), tabDlg_->window()})
        if (w)
            w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace DIALOG
