#include "app/whiteboard_dlg.h"

#include "app/directry.h"
#include "app/dlg_show.h"
#include "app/erase_radius_dlg.h"
#include "app/line_style_dlg.h"
#include "app/opened_pdf.h"
#include "app/outside_windows.h"
#include "app/ppt_tool_bar.h"
#include "app/tool_dlg.h"
#include "app/tool_tip_dlg.h"
#include "app/user_dlg.h"
#include "app/whiteboard_messages.h"

#include "assist/assist_exports.h"
#include "assist/tab_dlg.h"
#include "assist/tab_dlg_messages.h"
#include "board3d/board3d_exports.h"
#include "controls/button_ex.h"
#include "platform/desktop_probe.h"
#include "platform/dialog_units.h"
#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/notice.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/window_flags.h"
#include "platform/window_ops.h"
#include "platform/work_folder.h"
#include "recorder/recorder_exports.h"
#include "support/bluetooth.h"
#include "support/language.h"
#include "support/multi_screen.h"
#include "support/program_settings.h"
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

bool g_panelRunning = false;

constexpr int kPanelWidthDu = 51;
constexpr int kPanelHeightDu = 278;
// The bottom strip and the square at the top centre move the panel like a caption.
constexpr int kBottomGripHeight = 40;
constexpr int kTopGripSize = 30;

struct ButtonLayout {
    int id;
    const char* caption;
    int widthDu, heightDu;
    QPoint position; // pixels
    bool visible;
    bool hasEnglishPicture;
    const char* role; // the tool tip, translated
};

// Positions fit the artwork: eight big buttons in a column, the small ones in rows of three above the grip.
const ButtonLayout kButtons[] = {
    {kCmdWriting, "书写", 49, 20, {1, 30}, true, true, "在桌面上书写"},
    {kCmdDrawing, "绘图", 49, 20, {1, 62}, true, true, "绘图工具"},
    {kCmdTools, "工具", 49, 20, {1, 94}, true, true, "几何工具"},
    {kCmdBackground, "背景", 49, 20, {1, 126}, true, true, "背景图片"},
    {kCmdHistory, "历史", 49, 20, {1, 158}, true, true, "历史页面"},
    {kCmdMaterial, "素材", 49, 20, {1, 190}, true, true, "教学素材"},
    {kCmd4D, "4D", 49, 20, {1, 222}, true, true, "幻灯片转为图片墙"},
    {kCmdOffice, "office", 49, 20, {1, 254}, true, true, "打开演示文稿"},
    {kCmdWhiteboard, "白板", 15, 15, {2, 288}, true, false, "白板页面"},
    {kCmdPreviousPage, "上页", 15, 15, {27, 288}, true, false, "上一页"},
    {kCmdNextPage, "下页", 15, 15, {52, 288}, true, false, "下一页"},
    {kCmdUndo, "撤销", 15, 15, {2, 312}, true, false, "撤销"},
    {kCmdRedo, "重做", 15, 15, {27, 312}, true, false, "重做"},
    {kCmdAnnotate, "标注", 15, 15, {52, 312}, true, false, "在演示文稿上标注"},
    {kCmdLineWidth, "粗细", 15, 15, {2, 336}, true, false, "线条粗细"},
    {kCmdColour, "颜色", 15, 15, {27, 336}, true, false, "笔的颜色"},
    {kCmdEraser, "橡皮", 15, 15, {52, 336}, true, false, "橡皮擦"},
    {kCmdArrow, "箭头", 15, 15, {2, 360}, true, false, "收起笔，使用鼠标"},
    {kCmdRecorder, "recorder", 15, 15, {27, 360}, true, false, "屏幕录制"},
    {kCmdPlay, "播放", 15, 15, {52, 360}, true, false, "播放幻灯片"},
    {kCmdSave, "保存", 15, 15, {2, 384}, true, false, "保存页面"},
    {kCmdHide, "隐藏", 17, 14, {50, 4}, true, false, "收起面板"},
    {kCmdHighlighter, "光笔", 15, 15, {27, 384}, false, false, "荧光笔"},
    {kCmdLineType, "风格", 15, 15, {52, 384}, false, false, "线型"},
    {kCmdClear, "清除", 15, 15, {27, 384}, false, false, "清屏"},
};

// Removes a broken registration of a handwriting input method, where the machine has one.
void cleanUpKeyboardLayouts()
{
    namespace reg = platform::registry;
    const QString root = u"SYSTEM\\ControlSet001\\Control\\Keyboard Layouts"_s;
    reg::Key layouts = nullptr;
    if (reg::RegOpenKey(reg::HKEY_LOCAL_MACHINE, root, &layouts) != reg::ERROR_SUCCESS)
        return;
    QString name;
    for (unsigned index = 0; reg::RegEnumKey(layouts, index, &name) == reg::ERROR_SUCCESS; ++index) {
        reg::Key layout = nullptr;
        if (reg::RegOpenKey(layouts, name, &layout) != reg::ERROR_SUCCESS)
            continue;
        QString text, imeFile;
        const bool broken = reg::RegQueryValue(layout, u"Layout Text"_s, &text) == reg::ERROR_SUCCESS
            && text == u"中文 (简体) - 逍遥笔"_s
            && reg::RegQueryValue(layout, u"Ime File"_s, &imeFile) != reg::ERROR_SUCCESS;
        reg::RegCloseKey(layout);
        if (broken)
            reg::RegDeleteKey(layouts, name);
    }
    reg::RegCloseKey(layouts);
}

} // namespace

CWhiteBoardDlg::CWhiteBoardDlg(QWidget* parent)
    : QDialog(parent, platform::kFloatingToolFlags)
    , lesson_(platform::workFolder())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The panel never takes the focus, so it is never the active window: its tips show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setMouseTracking(true);
    tabDlg_ = std::make_unique<CTabDlg>(nullptr, this);

    startupDirectory_ = QDir::currentPath();
    programFilePath_ = platform::programFilePath();
    tabDlg_->SetTempFolder(Folders().HistoryFolder());
    tabDlg_->SetLessonActions({[this] { OpenPdfOrSlides(); }, [this] { OpenKeptLesson(); }});
    // The page folder root is the system's own scratch folder in the templates folder, never one of the
    // user's.
    const QString scratch = platform::templatesScratchFolder();
    pageFolderRoot_ = scratch.isEmpty() ? QString() : platform::shortPath(scratch) + u"/"_s;

    setWindowIcon(QIcon(platform::ownPixmap(u":/skin/app/quillmark.png"_s)));
    background_ = platform::ownPixmap(u":/skin/panel/background.png"_s);

    // Created before the panel window exists, so they are top-level windows of their own.
    lineStyleDlg_ = new CLineStyleDlg(this);
    lineStyleDlg_->SetSurfaceSource([this] { return Surface(); });
    connect(lineStyleDlg_, &CLineStyleDlg::exportPdfRequested, this, [this] { ExportLessonPdf(); });
    ToolPanelHost host;
    host.surface = [this] { return Surface(); };
    host.ensureSurface = [this] {
        EnsureSurface();
        return Surface();
    };
    host.setPanelPen = [this](int width, COLORREF colour, int type) {
        penWidth_ = width;
        penColour_ = colour;
        penType_ = type;
        lesson_.SharedPen() = {width, colour};
    };
    host.tip = [this](const QString& text) { ShowTip(text); };
    host.showCalculator = [this] { ShowCalculator(); };
    host.showScreenKeyboard = [this] { ShowScreenKeyboard(); };
    host.capture = [this] { CaptureScreenRegion(); };
    host.showUserPanel = [this] { ShowUserPanel(); };
    host.focusPanel = [this] { raise(); };
    toolDlg_ = new CToolDlg(this, lineStyleDlg_, std::move(host));
    userDlg_ = new CUserDlg(this);
}

CWhiteBoardDlg::~CWhiteBoardDlg()
{
    if (!destroyed_)
        OnDestroy();
}

bool CWhiteBoardDlg::IsRunning()
{
    return g_panelRunning;
}

QString CWhiteBoardDlg::ProgramFolder() const
{
    return QFileInfo(programFilePath_).absolutePath();
}

int CWhiteBoardDlg::DoModal()
{
    OnInitDialog();
    // QDialog::exec would end as soon as the panel is hidden, and the panel hides itself for every screen
    // picture and whenever it collapses: the run ends only with done().
    show();
    QEventLoop loop;
    modalLoop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    OnDestroy();
    return result();
}

void CWhiteBoardDlg::done(int r)
{
    QDialog::done(r);
    if (modalLoop_)
        modalLoop_->exit(r);
}

void CWhiteBoardDlg::OnInitDialog()
{
    if (g_panelRunning) {
        platform::MessageBox(nullptr, GetConfigString(u"您已经启动了软件"_s), GetConfigString(u"信息提示"_s),
            platform::MB_OK | platform::MB_ICONEXCLAMATION);
        std::exit(-1);
    }
    g_panelRunning = true;
    setWindowTitle(PanelTitle());

    pptToolBar_ = new CPPTToolBar(this);
    connect(pptToolBar_, &CPPTToolBar::restorePanel, this, &CWhiteBoardDlg::RestorePanel);
    connect(
        pptToolBar_, &CPPTToolBar::whiteboardRequested, this, &CWhiteBoardDlg::LeaveSlideShowForWhiteboard);
    connect(pptToolBar_, &CPPTToolBar::raisePanel, this, [this] {
        for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(dlgShow_)})
            if (w && w->isVisible())
                w->raise();
    });
    toolTipDlg_ = nullptr;

    PlaceAtStartup();
    tabDlg_->CreateWnd();
    dlgShow_ = new CDlgShow(this, [this] { RestorePanel(); });

    LoadMenus();
    CreateButtons();

    const QRect screen = CMultiScreen(this).GetScreenRect();
    SetScreenRect(screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1);

    RegisterMessages();
    // The pages of an opened PDF are made as the board turns to them.
    lesson_.SetBoardPageHooks(
        {[this](int index) { return PdfPictureToCome(index); }, [this](int index) { PdfPageTurned(index); }});
    // The title follows the language; other programs find the panel by its title in either language.
    messages_->setOtherTitles(PanelTitles());
    StartTimers();
    cleanUpKeyboardLayouts();
    // The hot key is only held so that no other program takes it; its presses are ignored.
    platform::hotkey::RegisterHotKey(kHotKeyId, Qt::ControlModifier | Qt::ShiftModifier, u"a"_s, [] {});
    LoadButtonImages();

    StartLessonFolders();
    // A settings file that was damaged or edited by hand: the teacher learns which settings went back to
    // their defaults.
    const settings::SettingsRead read = settings::ReadSettings();
    if (!read.unreadable.isEmpty())
        platform::ShowNotice(
            settings::UnreadableSettingsText(settings::SettingsFile(), read.unreadable), 10000);
}

QPoint CWhiteBoardDlg::startupPosition(int screenWidth, int screenHeight, int panelWidth, int /*panelHeight*/)
{
    // Both coordinates come from the screen width, so on a very wide screen y may fall off the bottom.
    int x = 7 * (screenWidth / 10);
    int y = screenWidth / 10;
    if (x < 0 || x > screenWidth || y < 0 || y > screenHeight) {
        x = screenWidth - panelWidth;
        y = 20;
    }
    return {x, y};
}

void CWhiteBoardDlg::PlaceAtStartup()
{
    panelSize_ = QSize(
        platform::dialogUnitsToPixelsX(kPanelWidthDu), platform::dialogUnitsToPixelsY(kPanelHeightDu));
    setFixedSize(panelSize_);
    // The monitor chosen in the settings while it is connected, else the primary one.
    const QString chosen = settings::ReadSettings().values.monitor;
    const QScreen* screen = QGuiApplication::primaryScreen();
    for (QScreen* each : QGuiApplication::screens())
        if (!chosen.isEmpty() && each->name() == chosen)
            screen = each;
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    move(area.topLeft()
        + startupPosition(area.width(), area.height(), panelSize_.width(), panelSize_.height()));
    lastPosition_ = pos();
}

void CWhiteBoardDlg::CreateButtons()
{
    for (const ButtonLayout& layout : kButtons) {
        auto* button = new UICONTROL::CButtonEx(layout.id, this);
        button->setText(QString::fromUtf8(layout.caption));
        button->setAccessibleName(QString::fromUtf8(layout.caption));
        button->setGeometry(QRect(layout.position,
            QSize(platform::dialogUnitsToPixelsX(layout.widthDu),
                platform::dialogUnitsToPixelsY(layout.heightDu))));
        button->setToolTip(GetConfigString(QString::fromUtf8(layout.role)));
        button->setVisible(layout.visible);
        connect(button, &QAbstractButton::clicked, this, [this, id = layout.id] { OnCommand(id); });
        buttons_.insert(layout.id, button);
    }
    icon_ = new QLabel(this);
    icon_->setObjectName(u"icon1008"_s);
    icon_->setPixmap(platform::ownPixmap(u":/skin/panel/icon_1008.png"_s));
    icon_->setGeometry(3, 5, 20, 20);
    icon_->setToolTip(GetConfigString(u"菜单"_s));
    // A click on the icon opens the main menu (the panel's own press handler sees it).
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CWhiteBoardDlg::LoadButtonImages()
{
    const bool english = IsEnglish();
    for (const ButtonLayout& layout : kButtons) {
        const QString base = english && layout.hasEnglishPicture ? u":/skin/panel/%1_en_"_s.arg(layout.id)
                                                                 : u":/skin/panel/%1_"_s.arg(layout.id);
        buttons_.value(layout.id)->SetPictures(base + u"normal.png"_s, base + u"down.png"_s);
    }
}

void CWhiteBoardDlg::RegisterMessages()
{
    messages_ = std::make_unique<platform::MessageTable>(this, platform::kDialogClass);
    for (UINT m : {kMsgRaisePanel, kMsgPenArrow, kMsgPenWrite, kMsgBluetoothStatus, kMsgCollapse, kMsgNothing,
             kMsgReapplyStyle})
        messages_->on(m, [this, m](WPARAM w, LPARAM l) {
            return NowOrOnceSurfaceBuilt([this, m, w, l] { return OnMessage(m, w, l); });
        });
    // Only the surface and the history panel send these; from another process they would delete or orphan
    // the surface under the teacher's pen.
    for (UINT m : {ScreenPenMsg::kExitBoard, ScreenPenMsg::kClosed, kMsgDeleteSurface,
             ScreenPenMsg::kPolyline, kMsgInsertChosenMedia, ScreenPenMsg::kCapturing})
        messages_->onLocal(m, [this, m](WPARAM w, LPARAM l) { return OnMessage(m, w, l); });
    // These carry a string pointer: only windows of this process may send them.
    for (UINT m : {kMsgOpenBackground, kMsgOpenPageSet, kMsgOpenPageFolder, kMsgInsertMedia, kMsgShowWall})
        messages_->onPointer(m, [this, m](WPARAM w, LPARAM l) { return OnMessage(m, w, l); });
    // The resource tree's folder clicks carry a path; an instrument chosen by number (1..5) carries none and
    // may come from another program.
    messages_->onPointer(
        kMsgInsertPicture, [this](WPARAM w, LPARAM l) { return OnMessage(kMsgInsertPicture, w, l); },
        [this](WPARAM w, LPARAM) {
            // From another program only an instrument's number means something; a folder click it cannot
            // send, and any other number is ignored.
            if (w < kFirstInstrumentNumber || w > kLastInstrumentNumber)
                return LRESULT(0);
            return NowOrOnceSurfaceBuilt([this, w] { return OnMessage(kMsgInsertPicture, w, 0); });
        });
    for (UINT m : kMsgIgnored)
        messages_->on(m, [](WPARAM, LPARAM) { return LRESULT(0); });
    messages_->on(platform::WM_COMMAND, [this](WPARAM w, LPARAM) {
        return NowOrOnceSurfaceBuilt([this, id = int(w & 0xFFFF)] {
            OnCommand(id);
            return LRESULT(0);
        });
    });
    marloweMessage_ = platform::RegisterWindowMessage(QString::fromLatin1(kMarloweMessage));
    messages_->onRegistered(marloweMessage_, [this](WPARAM w, LPARAM) {
        if (w == kMarloweQuit)
            done(QDialog::Accepted);
        return LRESULT(0);
    });
}

void CWhiteBoardDlg::StartTimers()
{
    stayaliveTimer_ = new QTimer(this);
    stayaliveTimer_->setObjectName(u"stayaliveTimer"_s);
    stayaliveTimer_->setInterval(180000);
    connect(stayaliveTimer_, &QTimer::timeout, this, &CWhiteBoardDlg::OnStayaliveTimer);
    stayaliveTimer_->start();

    readyTimer_ = new QTimer(this);
    readyTimer_->setInterval(2000);
    connect(readyTimer_, &QTimer::timeout, this, [this] { ready_ = true; });
    readyTimer_->start();
}

void CWhiteBoardDlg::OnStayaliveTimer()
{
    if (toolTipDlg_ && toolTipDlg_->isVisible())
        toolTipDlg_->hide();
    stayaliveTimer_->stop();
    if (Find360Process() || platform::FindWindow(QString(), u"Stayalive_Stayalive_Stayalive"_s)
        || shownWindowOfClass(u"STAYALIVE_STAYALIVE_STAYALIVE"_s))
        return;
    if (const QString program = platform::siblingProgram(u"Stayalive"_s); !program.isEmpty())
        QProcess::startDetached(program, {}, platform::programFolder());
}

bool CWhiteBoardDlg::OnClose()
{
    const int answer = IsEnglish()
        ? platform::MessageBox(
            DialogOwner(), u"Do you want to quit the whiteboard?"_s, u"Tips"_s, platform::MB_YESNO)
        : platform::MessageBox(DialogOwner(), u"是否退出白板？"_s, u"提示"_s, platform::MB_YESNO);
    return answer == platform::IDYES;
}

void CWhiteBoardDlg::closeEvent(QCloseEvent* event)
{
    if (OnClose()) {
        event->accept();
        done(QDialog::Accepted);
    } else {
        event->ignore();
    }
}

void CWhiteBoardDlg::keyPressEvent(QKeyEvent* event)
{
    // Neither Escape nor Space nor Enter closes the panel.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CWhiteBoardDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!background_.isNull()) {
        p.drawPixmap(rect(), background_);
        return;
    }
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0x1f, 0x4e, 0x79));
    g.setColorAt(1, QColor(0x16, 0x3a, 0x5c));
    p.fillRect(rect(), g);
}

bool CWhiteBoardDlg::InGripArea(const QPoint& pos) const
{
    const QRect bottom(0, height() - kBottomGripHeight, width(), kBottomGripHeight);
    const QRect top(width() / 2 - kTopGripSize / 2, -kTopGripSize / 2, kTopGripSize, kTopGripSize);
    return bottom.contains(pos) || top.contains(pos);
}

void CWhiteBoardDlg::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton
        || (event->button() == Qt::LeftButton && icon_->geometry().contains(at))) {
        ShowMainMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (surface_)
        surface_->FinishCurrentOperation();
    // The panel is above the window manager's reach, so it moves itself while a grip is dragged.
    if (InGripArea(event->position().toPoint())) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - pos();
    }
}

void CWhiteBoardDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    setCursor(InGripArea(event->position().toPoint()) ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void CWhiteBoardDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

QWidget* CWhiteBoardDlg::DialogOwner() const
{
    // A dialog of a window that is not above the page would open behind the page.
    return surface_ && surface_->isVisible() ? static_cast<QWidget*>(surface_.data())
                                             : const_cast<CWhiteBoardDlg*>(this);
}

void CWhiteBoardDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    const QPoint delta = pos() - lastPosition_;
    lastPosition_ = pos();
    if (delta.isNull())
        return;
    for (QWidget* popup : {static_cast<QWidget*>(lineStyleDlg_), static_cast<QWidget*>(toolDlg_),
             static_cast<QWidget*>(userDlg_), static_cast<QWidget*>(toolDlg_->EraseRadiusDlg())})
        if (popup)
            popup->move(popup->pos() + delta);
    // The tab takes the panel's place when it collapses: it keeps to the panel wherever the panel goes.
    if (dlgShow_ && !dlgShow_->isVisible())
        dlgShow_->move(pos());
    if (tabDlg_)
        tabDlg_->Resize();
    const QRect screen = CMultiScreen(this).GetScreenRect();
    SetScreenRect(screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1);
}

// ---- messages ------------------------------------------------------------------------------------------

void CWhiteBoardDlg::OnDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    g_panelRunning = false;
    if (readyTimer_)
        readyTimer_->stop();
    platform::hotkey::UnregisterHotKey(kHotKeyId);

    // Openings and pages still being made from a PDF stop at once, LibreOffice with them; the teacher's open
    // page is stored and the lesson kept before the scratch folders go. A lesson that could not be kept
    // leaves them in place.
    lesson_.SetBoardPageHooks({});
    StopOpenedPdfs();
    if (surface_ && lesson_.Pages().pageChanged)
        StoreOpenPageKeepingSurface();
    bool keepingFailed = false;
    KeepLesson(&keepingFailed);
    DeleteSurface();
    Destroy3DScreen();
    for (QWidget* w : {static_cast<QWidget*>(dlgShow_), static_cast<QWidget*>(pptToolBar_),
             static_cast<QWidget*>(lineStyleDlg_), static_cast<QWidget*>(userDlg_),
             static_cast<QWidget*>(toolDlg_), static_cast<QWidget*>(toolDlg_->EraseRadiusDlg())})
        if (w)
            w->hide();
    if (tabDlg_)
        tabDlg_->DeleteTempFile();

    // Only a folder the program made and marked goes: a folder of the user's is never removed.
    const QString pageFolder = ScratchRootOf(pageFolderRoot_);
    // The journal's work is in the pages now. A lesson that could not be kept stays marked running, so the
    // next start offers it back.
    lesson_.StopJournal();
    if (!keepingFailed) {
        session_.End();
        if (!pageFolder.isEmpty())
            platform::removeScratchFolder(pageFolder);
        platform::removeScratchFolder(Folders().HistoryFolder());
    }

    CloseOpenedPdfs();
    StopRecordScreen();
    DestroyRecordControlWindow();
    int zoomClosed = 0;
    PictuerZoomOut(&zoomClosed);

    QDir().rmdir(u"Save"_s);
    QDir::setCurrent(startupDirectory_);

    // A Cinebox hidden by the pen's write message is closed too.
    if (const platform::WindowRef cinebox = platform::FindWindow(QString(), u"Cinebox"_s))
        platform::RequestClose(cinebox);
    messages_.reset();
}

} // namespace DIALOG
