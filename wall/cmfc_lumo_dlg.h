#pragma once
// The picture wall's full-screen 3D window: the slide canvas, the two menus, the video of a zoomed picture,
// and the messages other programs re-target the wall with.
#include "lumo/lumo_window.h"
#include "wall/qmshow_export.h"

#include <QStringList>

#include <functional>

namespace lumo::show {

class SlideCanvas;
class CPrivateMenu;
class VideoBar;
class WallMenu;

// Wall dialog commands and what other programs send it.
constexpr int kCmdClearInk = 2002; // clear the ink of the slide shown
constexpr int kCmdExitWall = 2004; // hide the wall and give the panel back (0x70A to "HideDlg")
constexpr int kCmdPen = 2005; // pen (also 2007)
constexpr int kCmdEraser = 2006;
constexpr int kCmdPenToo = 2007;
using lumo::kMsgCollapsePanel;
using lumo::kMsgRestorePanel;
constexpr unsigned kMsgGraphNotify = 0x8001; // from the video player: answer with vpHandleGraphEvent
constexpr unsigned kMsgPlaybackComplete = 0x2937; // from the video player: its video is at its end
// The folder "LogoMode" loads, in the program folder.
inline const QString kLogoFolder = QStringLiteral("1P—软件园简介");

class QMSHOW_EXPORT CmfcLumoDlg : public LumoWindow {
    Q_OBJECT
public:
    CmfcLumoDlg();
    ~CmfcLumoDlg() override;

    // Starts the engine; false (after telling the teacher) when no 3D device can be made.
    bool Initialise();
    // Loads a folder on the wall (the loading animation shows meanwhile).
    void LoadFolder(const QString& folder);
    // The text of a WM_COPYDATA: a mode or a folder.
    void OnCopyData(const QString& text);
    void OnCommand(int id) override;
    // The pen menu's and the wall menu's commands.
    void OnPenMenu(int id);
    void OnWallMenu(int id);
    void Exit();

    // The folder browser the wall asks with when a wall menu button has no folder: the chosen folder, or
    // empty for Cancel. Tests answer it themselves; an empty function restores the browser.
    using FolderChooser = std::function<QString(const QString& title, const QString& start)>;
    static void SetFolderChooser(FolderChooser chooser);

    bool WallMode() const { return bWallMode; }
    // A folder handed over by the panel: re-targeting the wall later marks it as seen ("flag.dat").
    void SetFirstLoad(bool first) { firstLoad_ = first; }
    bool DrawMode() const { return bDrawMode; }
    SlideCanvas* Canvas() const { return canvas_; }
    CPrivateMenu* PenMenu() const { return penMenu_; }
    WallMenu* FolderMenu() const { return wallMenu_; }
    QString DataFolder() const { return dataFolder_; }
    // The video of the zoomed picture, and its controls; the file that plays, empty when none.
    QWidget* VideoWindow() const { return videoWindow_; }
    VideoBar* Controls() const { return videoBar_; }
    const QString& PlayingVideo() const { return playingVideo_; }

    // The pointer on the render target, as the engine gets it after the dialog's click rule.
    void Pointer(const lumo::wall::PointerEvent& event) override;

protected:
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void Follow() override; // keeps the canvas and the menus in step with the wall

private:
    void StartDrawing(bool eraser);
    void StopDrawing();
    void RestorePanel();
    // The folder named under key in "FloderInfo.ini" for the wall menu's button id; without one, the teacher
    // chooses it.
    void LoadFolderInfo(int id, const QString& key);
    void PlayVideoOf(const QString& picture, const QRect& pictureRect);
    void StopVideo();

    SlideCanvas* canvas_ = nullptr;
    CPrivateMenu* penMenu_ = nullptr;
    WallMenu* wallMenu_ = nullptr;
    QWidget* videoWindow_ = nullptr;
    VideoBar* videoBar_ = nullptr;
    QString playingVideo_;
    QString videoPicture_;

    bool bWallMode = true;
    bool bDrawMode = false;
    bool logoMode_ = false;
    bool firstLoad_ = false;
    QString dataFolder_;
    QStringList tempFiles_;
    qint64 lastClickMs_ = 0;
};

} // namespace lumo::show
