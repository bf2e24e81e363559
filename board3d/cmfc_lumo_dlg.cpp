#include "board3d/cmfc_lumo_dlg.h"

#include "board3d/board_menu.h"
#include "board3d/board_rules.h"
#include "board3d/page_canvas.h"
#include "lumo/engine/wall_rules.h"

#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/notice.h"
#include "platform/shell.h"
#include "support/language.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSlider>

#include <atomic>

namespace lumo::board {

using lumo::wall::PointerEvent;

namespace {

// One folder browser at a time, whichever board window asks.
std::atomic<bool> g_browsing {false};

} // namespace

CmfcLumoDlg::CmfcLumoDlg()
    : LumoWindow(kBoardTitle, QStringLiteral("QMPlayDlg"))
{
    canvas_ = new PageCanvas(this);
    canvas_->hide();
    penMenu_ = new CPrivateMenu(this, [this](int id) { OnPenMenu(id); });
    penMenu_->Place();
    // The board's keys work while the page or the pen menu has the focus.
    canvas_->installEventFilter(this);
    penMenu_->installEventFilter(this);
    elapsed_.start();
    clock_ = [this] { return elapsed_.elapsed(); };
    // Far in the past, so that the first new page and the first click always count.
    lastNewPageMs_ = -kNewPageIntervalMs;
    lastClickMs_ = -lumo::wall::kWallClickIntervalMs;
}

CmfcLumoDlg::~CmfcLumoDlg()
{
    StopFollowing();
    if (editing_)
        LeaveEditing();
    Engine().Stop();
}

QString CmfcLumoDlg::Text(const char* chinese, const char* english) const
{
    return IsEnglish() ? QString::fromUtf8(english) : QString::fromUtf8(chinese);
}

void CmfcLumoDlg::Tell(const QString& text)
{
    platform::MessageBox(this, text, TipsTitle(), platform::MB_OK | platform::MB_ICONWARNING);
}

void CmfcLumoDlg::MakeBoardFolder()
{
    QString scratch = platform::shortPath(platform::templatesScratchFolder());
    if (scratch.isEmpty())
        scratch = QDir::current().filePath(QStringLiteral("Temp"));
    boardFolder_ = scratch + QLatin1Char('/') + kBoardFolderName;
    platform::makeScratchFolder(boardFolder_);
    QDir().mkpath(boardFolder_);
    templatePage_ = platform::readImageFile(QDir::current().filePath(QStringLiteral("Bin/Template.PNG")));
    const QStringList files = QDir(boardFolder_).entryList(QDir::Files);
    pageCounter_ = highestPageNumber(files);
    // A new board, or one whose pages are all gone, starts with its numbered pages.
    if (pageCounter_ > 0)
        return;
    for (int number = 1; number <= kFirstPages; ++number) {
        if (!writePicture(
                drawPage(templatePage_, number), QDir(boardFolder_).filePath(pageFileName(number)))) {
            Tell(Text("无法创建白板页面: %1", "The board's pages cannot be made in %1.").arg(boardFolder_));
            break;
        }
        pageCounter_ = number;
    }
}

bool CmfcLumoDlg::Initialise()
{
    if (Started())
        return true;
    MakeBoardFolder();
    lumo::wall::WallSettings settings = ProgramWallSettings();
    settings.stretchBackground = true;
    settings.rows = kBoardRows;
    if (!StartEngine(settings))
        return false;
    Engine().LoadFolder(boardFolder_);
    return true;
}

void CmfcLumoDlg::OnCommand(int id)
{
    switch (id) {
    case kCmdNewPage:
        NewPage();
        break;
    case kCmdClear:
        if (editing_)
            canvas_->Clear();
        else
            platform::ShowNotice(Text("没有正在书写的页面", "No page is being written on."));
        break;
    case kCmdDeletePage:
        DeletePage();
        break;
    case kCmdExit:
        Exit();
        break;
    case kCmdPen:
        UseTool(false);
        break;
    case kCmdEraser:
        UseTool(true);
        break;
    case kCmdColour:
        ChooseColour();
        break;
    default:
        break;
    }
}

void CmfcLumoDlg::OnPenMenu(int id)
{
    switch (id) {
    case kMenuNew:
        NewPage();
        break;
    case kMenuExit:
        Exit();
        break;
    case kMenuPen:
        UseTool(false);
        break;
    case kMenuDelete:
        DeletePage();
        break;
    case kMenuColour:
        ChooseColour();
        break;
    case kMenuEraser:
        UseTool(true);
        break;
    case kMenuBack:
        LeaveEditing();
        pendingEdit_ = false;
        Engine().Deselect();
        break;
    case kMenuLarger:
    case kMenuSmaller:
        if (id == kMenuLarger)
            canvas_->Larger();
        else
            canvas_->Smaller();
        if (!canvas_->Eraser()) {
            const QSignalBlocker quiet(penMenu_->PenWidth());
            penMenu_->PenWidth()->setValue(canvas_->PenWidth());
        }
        break;
    case kMenuPenWidth:
        canvas_->SetPenWidth(penMenu_->PenWidth()->value());
        break;
    case kMenuSave:
        Save();
        break;
    case kMenuImport:
        Import();
        break;
    case kMenuNext:
        StepPage(+1);
        break;
    case kMenuPrevious:
        StepPage(-1);
        break;
    default:
        break;
    }
    penMenu_->SetTool(editing_ || pendingEdit_ ? (canvas_->Eraser() ? kMenuEraser : kMenuPen) : 0);
}

bool CmfcLumoDlg::NewPage()
{
    const qint64 now = clock_();
    if (!acceptNewPage(now, lastNewPageMs_))
        return false;
    lastNewPageMs_ = now;
    LeaveEditing();
    const int number
        = std::max(pageCounter_, highestPageNumber(QDir(boardFolder_).entryList(QDir::Files))) + 1;
    const QString path = QDir(boardFolder_).filePath(pageFileName(number));
    if (!writePicture(drawPage(templatePage_, number), path)) {
        Tell(Text("无法创建新页面: %1", "The new page cannot be made: %1").arg(path));
        return false;
    }
    pageCounter_ = number;
    Engine().Refresh(true);
    return true;
}

bool CmfcLumoDlg::DeletePage()
{
    const lumo::wall::WallView view = Engine().View();
    if (view.selected.isEmpty()) {
        platform::ShowNotice(Text("请先点击要删除的页面", "Click the page to delete first."));
        return false;
    }
    const int number = pageNumberOfTile(view.selected);
    const QString question = number > 0 ? Text("确定要删除第 %1 页吗?", "Delete page %1?").arg(number)
                                        : Text("确定要删除这一页吗?", "Delete this page?");
    if (platform::MessageBox(this, question, TipsTitle(), platform::MB_YESNO | platform::MB_ICONQUESTION)
        != platform::IDYES)
        return false;
    // The page goes: what was written on it goes with it.
    editing_ = false;
    pendingEdit_ = false;
    canvas_->hide();
    if (!QFile::remove(view.selected)) {
        Tell(Text("无法删除页面: %1", "The page cannot be deleted: %1").arg(view.selected));
        return false;
    }
    Engine().Refresh(false);
    return true;
}

void CmfcLumoDlg::Save()
{
    LeaveEditing();
    const QString saveFolder = QDir::current().filePath(QStringLiteral("savefile"));
    QDir().mkpath(saveFolder);
    const QString name = defaultSaveName(QDateTime::currentDateTime());
    const QString chosen = QFileDialog::getSaveFileName(this, Text("保存白板", "Save the Board"),
        QDir(saveFolder).filePath(name), QString(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return;
    if (SaveTo(chosen))
        platform::ShowNotice(Text("白板已保存到 %1", "The board is saved in %1").arg(chosen));
}

bool CmfcLumoDlg::SaveTo(const QString& folder)
{
    LeaveEditing();
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir()) {
        Tell(Text("\"%1\" 是一个文件, 请换一个名字", "\"%1\" is a file. Please choose another name.")
                 .arg(folder));
        return false;
    }
    if (!QDir().mkpath(folder)) {
        Tell(Text("无法创建文件夹: %1", "The folder cannot be made: %1").arg(folder));
        return false;
    }
    QStringList failed;
    const QDir board(boardFolder_), target(folder);
    for (const QString& file : board.entryList(QDir::Files)) {
        const QString to = target.filePath(file);
        QFile::remove(to);
        if (!QFile::copy(board.filePath(file), to))
            failed << file;
    }
    if (!failed.isEmpty()) {
        Tell(Text("以下页面没有保存: %1", "These pages were not saved: %1")
                 .arg(failed.join(QStringLiteral(", "))));
        return false;
    }
    return true;
}

void CmfcLumoDlg::Import()
{
    bool expected = false;
    if (!g_browsing.compare_exchange_strong(expected, true))
        return;
    LeaveEditing();
    const QString title
        = IsEnglish() ? QStringLiteral("3DSlate Picture Browser") : QStringLiteral("3DSlate图片浏览");
    const QString folder
        = QFileDialog::getExistingDirectory(this, title, QDir::homePath(), QFileDialog::ShowDirsOnly);
    g_browsing = false;
    if (!folder.isEmpty())
        ImportFolder(folder);
}

bool CmfcLumoDlg::ImportFolder(const QString& folder)
{
    const QDir source(folder);
    if (source.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty()) {
        platform::ShowNotice(
            Text("文件夹是空的, 没有可导入的图片", "The folder is empty: there is nothing to import."));
        return false;
    }
    QList<QImage> pictures;
    for (const QString& file : source.entryList(QDir::Files, QDir::Name)) {
        if (!lumo::wall::isPictureFile(file))
            continue;
        const QImage picture
            = platform::readImageFile(source.filePath(file), QSize(kLargestPageSide, kLargestPageSide));
        if (!picture.isNull())
            pictures << picture;
    }
    if (pictures.isEmpty()) {
        platform::ShowNotice(Text("文件夹中没有可导入的图片", "The folder holds no pictures to import."));
        return false;
    }
    if (pageCounter_ > 0
        && platform::MessageBox(this,
               Text("导入的 %1 张图片将替换白板上现有的页面。如需保留现有页面, 请先保存。是否导入?",
                   "The %1 pictures will replace the pages on the board. Save the board first to keep its "
                   "pages. Import now?")
                   .arg(pictures.size()),
               TipsTitle(), platform::MB_YESNO | platform::MB_ICONQUESTION)
            != platform::IDYES)
        return false;
    LeaveEditing();
    // The pictures are written beside the board first: the pages there go only once all of them are written.
    // An import cut short left it behind; anything else of that name is not the board's and stays.
    const QString staging = QDir(boardFolder_).filePath(QStringLiteral(".import"));
    platform::removeScratchFolder(staging);
    bool staged = platform::makeScratchFolder(staging);
    for (int i = 0; staged && i < pictures.size(); ++i)
        staged = writePicture(pictures[i], QDir(staging).filePath(pageFileName(i + 1)));
    if (!staged) {
        platform::removeScratchFolder(staging);
        Tell(Text("无法导入图片到 %1", "The pictures cannot be imported into %1.").arg(boardFolder_));
        return false;
    }
    const QDir board(boardFolder_);
    for (const QString& file : board.entryList(QDir::Files))
        if (isPageFile(file))
            QFile::remove(board.filePath(file));
    for (int i = 0; i < pictures.size(); ++i)
        QFile::rename(QDir(staging).filePath(pageFileName(i + 1)), board.filePath(pageFileName(i + 1)));
    platform::removeScratchFolder(staging);
    pageCounter_ = int(pictures.size());
    Engine().LoadFolder(boardFolder_);
    return true;
}

void CmfcLumoDlg::UseTool(bool eraser)
{
    canvas_->SetEraser(eraser);
    if (editing_)
        return;
    const lumo::wall::WallView view = Engine().View();
    if (view.standing && view.turned && !view.selected.isEmpty()) {
        EnterEditing(view);
    } else if (!view.selected.isEmpty()) {
        pendingEdit_ = true;
    } else {
        platform::ShowNotice(
            Text("请先点击一页放大, 再在上面书写", "Click a page to bring it close, then write on it."));
    }
}

void CmfcLumoDlg::EnterEditing(const lumo::wall::WallView& view)
{
    pendingEdit_ = false;
    const QRect page = view.selectedRect.intersected(rect());
    if (page.width() <= 2 * kPageInset || page.height() <= 2 * kPageInset)
        return;
    editedPage_ = pageNumberOfTile(view.selected);
    canvas_->setGeometry(page);
    canvas_->SetPage(view.selected, platform::readImageFile(view.selected));
    canvas_->show();
    canvas_->raise();
    penMenu_->raise();
    editing_ = true;
    penMenu_->SetTool(canvas_->Eraser() ? kMenuEraser : kMenuPen);
}

void CmfcLumoDlg::LeaveEditing()
{
    pendingEdit_ = false;
    if (!editing_)
        return;
    editing_ = false;
    canvas_->hide();
    StoreInk();
    penMenu_->SetTool(0);
}

void CmfcLumoDlg::StoreInk()
{
    if (canvas_->Marks().isEmpty())
        return;
    const QString path = canvas_->PagePath();
    const QImage page = platform::readImageFile(path);
    const bool stored
        = !page.isNull() && writePicture(composeInk(page, canvas_->Marks(), canvas_->size()), path);
    if (!stored) {
        Tell(Text("无法保存页面上的书写: %1", "What was written on the page cannot be stored: %1").arg(path));
        return;
    }
    // The session is in the page now: clearing it later must not take back what is stored.
    canvas_->SetPage(QString(), QImage());
    Engine().ReloadPicture(path);
}

void CmfcLumoDlg::StepPage(int direction)
{
    LeaveEditing();
    const lumo::wall::WallView view = Engine().View();
    if (view.tiles == 0) {
        platform::ShowNotice(Text("白板上没有页面", "The board has no pages."));
        return;
    }
    if (view.selectedIndex < 0)
        Engine().SelectIndex(direction > 0 ? 0 : view.tiles - 1);
    else
        Engine().Step(direction);
}

void CmfcLumoDlg::ChooseColour()
{
    const QColor chosen = QColorDialog::getColor(canvas_->PenColour(), this, Text("颜色", "Colour"));
    if (chosen.isValid())
        canvas_->SetPenColour(chosen);
}

void CmfcLumoDlg::Exit()
{
    LeaveEditing();
    hide();
    GiveThePanelBack();
}

void CmfcLumoDlg::Pointer(const PointerEvent& event)
{
    if (!Started())
        return;
    if (editing_) {
        // A click beside the page leaves editing and picks the tile there, or none.
        if (event.kind == PointerEvent::LeftDown) {
            LeaveEditing();
            Engine().SelectAt(QPoint(event.x, event.y), kLeaveEditingZ);
        } else if (event.kind == PointerEvent::RightDown || event.kind == PointerEvent::Wheel) {
            LeaveEditing();
            Engine().Pointer(event);
        }
        return;
    }
    if (event.kind == PointerEvent::LeftDown) {
        const lumo::wall::WallView view = Engine().View();
        if (view.standing && view.selectedRect.contains(QPoint(event.x, event.y))) {
            // A page still turning toward the camera is written on once it faces it.
            if (view.turned)
                EnterEditing(view);
            else
                pendingEdit_ = true;
            return;
        }
        if (view.standing) {
            const qint64 now = clock_();
            if (!lumo::wall::acceptWallClick(now, lastClickMs_))
                return;
            lastClickMs_ = now;
            Engine().SetTargetZ(lumo::wall::kDragZ);
        }
    }
    Engine().Pointer(event);
}

bool CmfcLumoDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return event->isAccepted();
    }
    return LumoWindow::eventFilter(watched, event);
}

void CmfcLumoDlg::Follow()
{
    if (!isVisible())
        return;
    const lumo::wall::WallView view = Engine().View();
    if (editing_) {
        // The page moved away under the pen (a step, or a new wall): what was written is stored.
        if (view.selected != canvas_->PagePath() || !view.standing)
            LeaveEditing();
        return;
    }
    if (pendingEdit_) {
        if (view.selected.isEmpty())
            pendingEdit_ = false;
        else if (view.standing && view.turned)
            EnterEditing(view);
    }
}

void CmfcLumoDlg::showEvent(QShowEvent* event)
{
    penMenu_->Place();
    penMenu_->show();
    penMenu_->raise();
    LumoWindow::showEvent(event);
}

void CmfcLumoDlg::hideEvent(QHideEvent* event)
{
    LeaveEditing();
    LumoWindow::hideEvent(event);
    penMenu_->hide();
}

void CmfcLumoDlg::closeEvent(QCloseEvent* event)
{
    // Closing the board (the panel's deck conversion sends WM_CLOSE) hides it; it lives until the program
    // ends.
    event->ignore();
    LeaveEditing();
    hide();
}

void CmfcLumoDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (editing_)
            LeaveEditing();
        else
            Exit();
        break;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        StepPage(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        StepPage(+1);
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace lumo::board
