#include "wall/cmfc_lumo_dlg.h"

#include "lumo/engine/wall_rules.h"
#include "wall/slide_canvas.h"
#include "wall/video_bar.h"
#include "wall/wall_menus.h"

#include "platform/messages.h"
#include "platform/notice.h"
#include "platform/profile.h"
#include "player/player_exports.h"
#include "support/language.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>

namespace lumo::show {

using lumo::wall::PointerEvent;

namespace {

qint64 nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    // Starts well past 0, so that the first click always counts.
    return clock.elapsed() + lumo::wall::kWallClickIntervalMs;
}

CmfcLumoDlg::FolderChooser& folderChooser()
{
    static CmfcLumoDlg::FolderChooser chooser;
    return chooser;
}

QString chooseFolder(QWidget* owner, const QString& title, const QString& start)
{
    if (folderChooser())
        return folderChooser()(title, start);
    return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
}

} // namespace

void CmfcLumoDlg::SetFolderChooser(FolderChooser chooser)
{
    folderChooser() = std::move(chooser);
}

CmfcLumoDlg::CmfcLumoDlg()
    : LumoWindow(QStringLiteral("QMShow"), QStringLiteral("QMShowDlg"))
{
    canvas_ = new SlideCanvas(this);
    canvas_->hide();
    // The video of a picture plays in a window of its own above the engine's, with its controls under it.
    videoWindow_ = new QWidget(this);
    videoWindow_->setAttribute(Qt::WA_NativeWindow);
    videoWindow_->hide();
    videoBar_ = new VideoBar(this);
    videoBar_->hide();
    penMenu_ = new CPrivateMenu(this, [this](int id) { OnPenMenu(id); });
    wallMenu_ = new WallMenu(this, [this](int id) { OnWallMenu(id); });
    penMenu_->PlaceAtBottomRight(30 + 40);
    wallMenu_->PlaceAtBottomRight(15 + 40);

    Messages().onCopyData([this](WPARAM, const QString& text) {
        OnCopyData(text);
        return LRESULT(1);
    });
    Messages().on(kMsgGraphNotify, [](WPARAM, LPARAM) { return LRESULT(vpHandleGraphEvent()); });
    Messages().on(kMsgPlaybackComplete, [](WPARAM, LPARAM) {
        vpSetCurrentPosition(1);
        return LRESULT(0);
    });
    lastClickMs_ = 0;
}

CmfcLumoDlg::~CmfcLumoDlg()
{
    StopVideo();
    Engine().Stop();
    for (const QString& file : std::as_const(tempFiles_))
        QFile::remove(file);
}

bool CmfcLumoDlg::Initialise()
{
    if (Started())
        return true;
    if (!StartEngine(ProgramWallSettings()))
        return false;
    vpInitialize();
    vpAttach(videoWindow_);
    return true;
}

void CmfcLumoDlg::LoadFolder(const QString& folder)
{
    StopDrawing();
    for (const QString& file : std::as_const(tempFiles_))
        QFile::remove(file);
    tempFiles_.clear();
    // The folder shown before stays as it is: any program may hand the wall a folder, and the wall made none.
    dataFolder_ = folder;
    Engine().LoadFolder(folder);
}

void CmfcLumoDlg::OnCopyData(const QString& text)
{
    if (text == u"LogoMode") {
        penMenu_->hide();
        wallMenu_->show();
        logoMode_ = false;
        LoadFolder(QDir::current().filePath(kLogoFolder));
        return;
    }
    if (text == u"PPTMODE") {
        bWallMode = true;
        StopVideo();
        return;
    }
    if (text == u"MEDIAMODE") {
        bWallMode = false;
        StopDrawing();
        return;
    }
    const QString folder = text.trimmed();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        platform::ShowNotice(IsEnglish() ? QStringLiteral("The folder \"%1\" cannot be shown.").arg(folder)
                                         : QStringLiteral("无法显示文件夹\"%1\"").arg(folder));
        return;
    }
    StopVideo();
    // The slides shown before are marked as seen, so that converting their deck again asks first.
    if (bWallMode && firstLoad_ && !dataFolder_.isEmpty()) {
        QFile flag(dataFolder_ + QStringLiteral("/flag.dat"));
        if (flag.open(QIODevice::Append))
            flag.close();
        firstLoad_ = false;
    }
    penMenu_->hide();
    wallMenu_->hide();
    logoMode_ = false;
    LoadFolder(folder);
}

void CmfcLumoDlg::OnCommand(int id)
{
    switch (id) {
    case kCmdClearInk:
        canvas_->Clear();
        break;
    case kCmdPen:
    case kCmdPenToo:
        StartDrawing(false);
        break;
    case kCmdEraser:
        StartDrawing(true);
        break;
    case kCmdExitWall:
        hide();
        RestorePanel();
        break;
    default:
        break;
    }
}

void CmfcLumoDlg::OnPenMenu(int id)
{
    switch (id) {
    case 6:
        StartDrawing(false);
        break;
    case 7:
        StartDrawing(true);
        break;
    case 8: {
        const QColor chosen = QColorDialog::getColor(canvas_->PenColour(), this);
        if (chosen.isValid())
            canvas_->SetPenColour(chosen);
        break;
    }
    case 5:
        canvas_->Larger();
        break;
    case 4:
        canvas_->Smaller();
        break;
    case 3:
        StopDrawing();
        break;
    case 2016:
        showFullScreen();
        raise();
        break;
    case 2015:
        Exit();
        break;
    case 2001: {
        const QString folder = QFileDialog::getExistingDirectory(this,
            IsEnglish() ? QStringLiteral("Picture Browser") : QStringLiteral("图片浏览"), dataFolder_,
            QFileDialog::ShowDirsOnly);
        if (!folder.isEmpty())
            LoadFolder(folder);
        break;
    }
    case 2002:
        StopDrawing();
        Engine().Deselect();
        break;
    case 2003:
        Engine().Step(-1);
        break;
    case 2004:
        Engine().Step(+1);
        break;
    default:
        break;
    }
}

void CmfcLumoDlg::OnWallMenu(int id)
{
    switch (id) {
    case 2006:
        logoMode_ = false;
        LoadFolderInfo(2006, QStringLiteral("软件园简介"));
        break;
    case 2007:
        logoMode_ = false;
        LoadFolderInfo(2007, QStringLiteral("入驻企业概况"));
        break;
    case 2008:
        logoMode_ = true;
        LoadFolderInfo(2008, QStringLiteral("公司Logo"));
        break;
    case 2001:
        Exit();
        break;
    default:
        break;
    }
}

void CmfcLumoDlg::LoadFolderInfo(int id, const QString& key)
{
    const QString file = QDir::current().filePath(QStringLiteral("FloderInfo.ini"));
    QString folder
        = platform::GetPrivateProfileString(QStringLiteral("FloderInfo"), key, QString(), 260, file)
              .trimmed();
    if (!folder.isEmpty() && QDir::isRelativePath(folder))
        folder = QDir::current().filePath(folder);
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        LoadFolder(folder);
        return;
    }
    // No folder for this button yet, or its folder has gone: the teacher picks one, kept for the next time.
    const bool english = IsEnglish();
    const auto* button = qobject_cast<const QAbstractButton*>(wallMenu_->Button(id));
    const QString caption = button ? button->text() : key;
    const QString chosen = chooseFolder(this,
        english ? QStringLiteral("Choose the pictures for \"%1\"").arg(caption)
                : QStringLiteral("选择“%1”的图片文件夹").arg(caption),
        QDir::currentPath());
    if (chosen.isEmpty()) {
        platform::ShowNotice(english
                ? QStringLiteral("No picture folder has been chosen for \"%1\".").arg(caption)
                : QStringLiteral("还没有为“%1”选择图片文件夹。").arg(caption));
        return;
    }
    platform::WritePrivateProfileString(QStringLiteral("FloderInfo"), key, chosen, file);
    LoadFolder(chosen);
}

void CmfcLumoDlg::Exit()
{
    StopVideo();
    StopDrawing();
    penMenu_->hide();
    wallMenu_->hide();
    hide();
    RestorePanel();
}

void CmfcLumoDlg::RestorePanel()
{
    GiveThePanelBack();
}

void CmfcLumoDlg::Pointer(const PointerEvent& event)
{
    if (event.kind == PointerEvent::LeftDown && bWallMode) {
        const lumo::wall::WallView view = Engine().View();
        const bool outsidePicture = view.standing && !view.selectedRect.contains(QPoint(event.x, event.y));
        if (outsidePicture) {
            const qint64 now = nowMs();
            if (!lumo::wall::acceptWallClick(now, lastClickMs_))
                return;
            lastClickMs_ = now;
            Engine().SetTargetZ(lumo::wall::kDragZ);
        }
    }
    Engine().Pointer(event);
}

void CmfcLumoDlg::StartDrawing(bool eraser)
{
    const lumo::wall::WallView view = Engine().View();
    // A slide on its way in is enough: the canvas comes over it once the camera stands in front of it.
    if (!bWallMode || view.selected.isEmpty()) {
        platform::ShowNotice(IsEnglish() ? QStringLiteral("Click a slide to zoom in first, then write on it.")
                                         : QStringLiteral("请先点击一张幻灯片放大,再在上面书写"));
        return;
    }
    bDrawMode = true;
    canvas_->SetEraser(eraser);
    Follow();
}

void CmfcLumoDlg::StopDrawing()
{
    bDrawMode = false;
    canvas_->hide();
}

void CmfcLumoDlg::Follow()
{
    if (!isVisible())
        return;
    const lumo::wall::WallView view = Engine().View();
    const bool zoomed = !view.selected.isEmpty();
    // The pen menu is there while a slide is zoomed; otherwise the wall menu, with its way out.
    if (zoomed && bWallMode) {
        if (!penMenu_->isVisible())
            penMenu_->show();
        wallMenu_->hide();
    } else {
        penMenu_->hide();
        if (!wallMenu_->isVisible() && view.loaded)
            wallMenu_->show();
    }
    if (!bWallMode) {
        if (zoomed && view.standing && view.selected != videoPicture_)
            PlayVideoOf(view.selected, view.selectedRect.intersected(rect()));
        else if (!zoomed && !videoPicture_.isEmpty())
            StopVideo();
    }
    if (!bDrawMode) {
        canvas_->hide();
        return;
    }
    if (!zoomed) {
        StopDrawing();
        return;
    }
    if (!view.standing)
        return; // a step to the next slide is on its way
    const QRect rect = view.selectedRect.intersected(this->rect());
    // The canvas is laid over a slide once: a pixel's wobble of the projection must not move the ink.
    if (canvas_->Slide() != view.selected || !canvas_->isVisible()) {
        canvas_->setGeometry(rect);
        QImageReader reader(view.selected);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid() && (size.width() > 2 * rect.width() || size.height() > 2 * rect.height()))
            reader.setScaledSize(size.scaled(rect.size(), Qt::KeepAspectRatio));
        canvas_->SetSlide(view.selected, reader.read());
    }
    if (!canvas_->isVisible()) {
        canvas_->show();
        canvas_->raise();
    }
    penMenu_->raise();
}

void CmfcLumoDlg::PlayVideoOf(const QString& picture, const QRect& pictureRect)
{
    StopVideo();
    videoPicture_ = picture;
    // A picture's video lies beside it, named as the picture without its last extension ("clip.mp4.jpg").
    const QString video = QDir(dataFolder_).filePath(QFileInfo(picture).completeBaseName());
    if (!QFileInfo(video).isFile())
        return;
    videoWindow_->setGeometry(pictureRect.adjusted(0, 0, 0, -30));
    videoWindow_->show();
    videoWindow_->raise();
    vpLoad(video);
    vpPlay();
    videoBar_->Place(pictureRect, width());
    videoBar_->show();
    videoBar_->raise();
    videoBar_->Start();
    playingVideo_ = video;
}

void CmfcLumoDlg::StopVideo()
{
    if (!playingVideo_.isEmpty()) {
        vpStop();
        vpQuit();
    }
    playingVideo_.clear();
    videoPicture_.clear();
    videoBar_->Stop();
    videoBar_->hide();
    videoWindow_->hide();
}

void CmfcLumoDlg::hideEvent(QHideEvent* event)
{
    LumoWindow::hideEvent(event);
    penMenu_->hide();
    wallMenu_->hide();
}

void CmfcLumoDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (bDrawMode)
            StopDrawing();
        else
            Exit();
        break;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        Engine().Step(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        Engine().Step(+1);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace lumo::show
