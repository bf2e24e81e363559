#pragma once
// The 3D board's full-screen window, "3D VorivOrazu": numbered pages of the board folder as tiles of a
// two-row wall, the page being written on, the pen menu, and the board's commands (new and delete page, save,
// import).
#include "board3d/qmplay_export.h"
#include "lumo/lumo_window.h"

#include <QElapsedTimer>
#include <QImage>

#include <functional>

namespace lumo::board {

class CPrivateMenu;
class PageCanvas;

// The board window's title, by which the panel closes it (WM_CLOSE) and other programs find it.
inline const QString kBoardTitle = QStringLiteral("3D VorivOrazu");
// The board folder's name in the system's scratch folder.
inline const QString kBoardFolderName = QStringLiteral("3DSlate");

// Board dialog commands (WM_COMMAND).
constexpr int kCmdNewPage = 2001;
constexpr int kCmdClear = 2002; // takes back what was written on the page being edited
constexpr int kCmdDeletePage = 2003;
constexpr int kCmdExit = 2004;
constexpr int kCmdPen = 2005;
constexpr int kCmdEraser = 2006;
constexpr int kCmdColour = 2007;
using lumo::kMsgCollapsePanel;
using lumo::kMsgRestorePanel;

class QMPLAY_EXPORT CmfcLumoDlg : public LumoWindow {
    Q_OBJECT
public:
    CmfcLumoDlg();
    ~CmfcLumoDlg() override;

    // First start: the board folder with its first pages, then the engine on it. False (after telling the
    // teacher) when no 3D device can be made.
    bool Initialise();

    void OnCommand(int id) override;
    void OnPenMenu(int id);

    // A new page after the last; false when it came within 500 ms of the last one or could not be written.
    bool NewPage();
    // Deletes the selected page after asking; false when none is selected or the teacher said no.
    bool DeletePage();
    // Asks for a name in "savefile" and copies the board there.
    void Save();
    // Copies every file of the board folder into folder, made when missing; false (after telling the
    // teacher) when something could not be copied.
    bool SaveTo(const QString& folder);
    // Asks for a folder (one browser at a time) and imports it.
    void Import();
    // The folder's pictures become the board's pages, after the teacher agrees to replace the pages there.
    bool ImportFolder(const QString& folder);
    // Leaves page editing; what was written is stored into the page's picture first.
    void LeaveEditing();
    // Hides the board and gives the panel back.
    void Exit();

    bool Editing() const { return editing_; }
    // The page number being edited; 0 when none.
    int EditedPage() const { return editing_ ? editedPage_ : 0; }
    int PageCounter() const { return pageCounter_; }
    const QString& BoardFolder() const { return boardFolder_; }
    PageCanvas* Canvas() const { return canvas_; }
    CPrivateMenu* PenMenu() const { return penMenu_; }
    // The clock the 500-ms and 2000-ms rules read, in milliseconds; tests set their own.
    void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    // The pointer on the 3D view, after the board's rules for the page being written on.
    void Pointer(const lumo::wall::PointerEvent& event) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void Follow() override;

private:
    void MakeBoardFolder();
    void UseTool(bool eraser);
    void EnterEditing(const lumo::wall::WallView& view);
    void StoreInk();
    void StepPage(int direction);
    void ChooseColour();
    QString Text(const char* chinese, const char* english) const;
    void Tell(const QString& text);

    PageCanvas* canvas_ = nullptr;
    CPrivateMenu* penMenu_ = nullptr;

    QString boardFolder_;
    QImage templatePage_;
    int pageCounter_ = 0;
    int editedPage_ = 0;
    bool editing_ = false;
    bool pendingEdit_ = false; // a pen chosen while a page glides in: editing starts once it stands
    QElapsedTimer elapsed_;
    std::function<qint64()> clock_;
    qint64 lastNewPageMs_ = 0;
    qint64 lastClickMs_ = 0;
};

} // namespace lumo::board
