#pragma once
// The floating main panel: a narrow always-on-top strip from which the teacher drives the system.
// It lives for the whole run; when its modal run ends, the program ends.
#include "platform/messages.h"
#include "platform/win_types.h"
#include "surface/lesson.h"
#include "surface/lesson_pdf.h"
#include "surface/lesson_recovery.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QDialog>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QLabel;
class QTimer;
class QEventLoop;

namespace UICONTROL {
class CButtonEx;
}

namespace DIALOG {

class CTabDlg;
class CToolDlg;
class CLineStyleDlg;
class CDlgShow;
class CPPTToolBar;
class CToolTipDlg;
class CUserDlg;
struct OpenedPdf;

class CWhiteBoardDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWhiteBoardDlg(QWidget* parent);
    ~CWhiteBoardDlg() override;

    // Initialises, places and shows the panel, runs it until a close is confirmed, then tears down.
    int DoModal();

    // Where the panel goes at start-up on a screen of this size.
    static QPoint startupPosition(int screenWidth, int screenHeight, int panelWidth, int panelHeight);
    // Where a window of this size (its frame) stands beside the panel, so that the panel stays in sight: on
    // the left when there is room, else on the right, else as far from it as the screen allows.
    static QPoint besidePanel(const QRect& panel, const QSize& window, const QRect& screen);

    // The process-wide running flag: set from the panel's initialisation until its destruction.
    static bool IsRunning();

    // The panel's handlers, called by its modal run (and by tests).
    void OnInitDialog();
    void OnDestroy();
    // Asks whether to quit; true when the answer is Yes.
    bool OnClose();
    // Ends the run as a confirmed close does, without the question (the desktop is logging out).
    void EndWithoutAsking();
    // The main menu as the icon and a right click open it.
    QMenu* MainMenuPopup() const;
    void ShowMainMenu(const QPoint& globalPosition);
    // A button or menu command, as WM_COMMAND delivers it.
    void OnCommand(int id);
    // The families of the panel's commands, as its command table groups them.
    enum class CommandFamily { Pages, Pens, Aids, Media, Show, Walls, Lesson, Menus };
    struct CommandEntry {
        CommandFamily family;
        // The panel's popups are hidden before the command runs.
        bool hidesPopups;
        void (*run)(CWhiteBoardDlg& panel, int id);
    };
    // The command of that number in the table, or null when the panel has none.
    static const CommandEntry* FindCommand(int id);
    // One message of the panel's table, as another window or process sends it.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    const QString& StartupDirectory() const { return startupDirectory_; }
    const QString& ProgramFilePath() const { return programFilePath_; }
    QString ProgramFolder() const;
    // The open lesson: its pages, pen, board pages, and where its files are kept and what they are called.
    Lesson& TheLesson() { return lesson_; }
    const LessonFolders& Folders() const { return lesson_.Folders(); }
    const QString& PageFolderRoot() const { return pageFolderRoot_; }

    CTabDlg* TabDlg() const { return tabDlg_.get(); }
    CScreenPenWnd* Surface() const { return surface_; }
    CToolDlg* ToolDlg() const { return toolDlg_; }
    CDlgShow* DlgShow() const { return dlgShow_; }
    CToolTipDlg* ToolTipDlg() const { return toolTipDlg_; }
    CLineStyleDlg* LineStyleDlg() const { return lineStyleDlg_; }
    QMenu* MainMenu() const { return mainMenu_; }
    QMenu* EraserMenu() const { return eraserMenu_; }
    QMenu* LineTypeMenu() const { return lineTypeMenu_; }
    QMenu* LineWidthMenu() const { return lineWidthMenu_; }
    UICONTROL::CButtonEx* Button(int id) const { return buttons_.value(id); }

    int PenWidth() const { return penWidth_; }
    COLORREF PenColour() const { return penColour_; }
    int PenType() const { return penType_; }
    bool Ready() const { return ready_; }
    bool OfficeWindowPresent() const { return officeWindowPresent_; }

    // Services for the tool panel and the surface. The keyboard and the calculator start without holding the
    // panel up; one that does not come says so.
    void ShowScreenKeyboard();
    void ShowCalculator();
    // The screen capture with the program's own windows out of the picture; they come back when it closes.
    void CaptureScreenRegion();
    // The touch board's calibration program, or a line saying it is not installed.
    void StartCalibration();
    // The user panel beside the panel.
    void ShowUserPanel();
    CUserDlg* UserDlg() const { return userDlg_; }
    // Tells whether Flash is missing and offers the installer; true when Flash can be used.
    bool CheckFlash();

    void StoreCurrentPage();
    // Stores the open page into the history (a board page among the board's pages) and keeps the surface;
    // false when it could not be stored.
    bool StorePageToHistory();
    // Stores the open page when it has changes; false when that failed (the surface then stays open).
    bool StoreChangedPage();
    // The label of the history page the surface shows; empty for a new page.
    const QString& OpenHistoryLabel() const { return openHistoryLabel_; }
    void EnterWhiteboardMode();
    void CollapsePanel();
    void RestorePanel();
    void HideAllPopups();
    // The same without the tool panel, for the buttons that switch its page.
    void HidePopupsBesideToolPanel();
    // The running slide show's window, when one runs.
    platform::WindowRef DetectSlideShow() const;

    // The lesson: the history pages in list order, then the board pages in theirs, the pages of an opened
    // PDF not made yet among them (rendered from their PDF when written). For keeping at a close, the pages
    // of an opened PDF without ink are left out: they hold nothing of the teacher's, and their PDF has them.
    std::vector<LessonPage> LessonPages(bool keeping = false) const;
    // Stores the open page, if changed, where the lesson finds it, and keeps the surface open. False when the
    // store failed (the teacher has been told).
    bool StoreOpenPageKeepingSurface();
    // Exports the lesson as one PDF that the teacher names; the open page is stored first. False when nothing
    // was written.
    bool ExportLessonPdf();
    // Asks for a PDF or a slide deck, then opens it as board pages.
    void OpenPdfOrSlides();
    // Opens the pages of a PDF, or of a deck printed to PDF by LibreOffice, as board pages after the pages
    // there are. The file is opened off the UI thread with its progress and Cancel; the board opens on the
    // first page when it is ready, and a file that cannot be opened is told then, with nothing changed. Each
    // page is made when the teacher comes near it. False, after telling why, when nothing will open.
    bool OpenPagesOf(const QString& path);
    // True while a PDF or deck is being opened and its first page has not come yet.
    bool OpeningPages() const;
    // Offers the lessons kept at earlier closes, newest first.
    void OpenKeptLesson();
    // At a close: keeps the lesson as a PDF in the kept lessons' folder when it has pages. The folder kept,
    // an empty string when there was nothing to keep; false in *failed when it could not be written.
    QString KeepLesson(bool* failed = nullptr);
    // The program's own start: a lesson that did not end (killed, crashed, the power gone) is found, its open
    // page rebuilt and stored, and the teacher is asked once the panel shows whether to bring it back.
    void OfferRecoveryAtStart() { offerRecovery_ = true; }
    bool HasInterruptedLesson() const { return found_ != nullptr; }
    // Yes: the found pages join the history and the board, and the page that was open opens. No: they are
    // kept as a kept lesson and leave the lesson's folders; where that fails they stay.
    void RecoverLesson(bool bringBack);

    // Answers the lesson's file dialogs instead of showing them (tests): save or open, the starting folder or
    // file and the filter; returns the chosen path or an empty string for Cancel. Empty restores the dialogs.
    using LessonFileChooser = std::function<QString(bool save, const QString& start, const QString& filter)>;
    static void SetLessonFileChooser(LessonFileChooser chooser);

protected:
    void done(int r) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // The command table's handlers (whiteboard_commands.cpp): pages, pens, aids, the show and the panel.
    void StartWriting();
    void StartDrawing();
    void StartAnnotating();
    void HideTabAndShowToolbar();
    // The board, with the default pen when withPen; nothing when a board page is open already.
    void OpenWhiteboard(bool withPen);
    // The arrow and save: the page is stored and left, and a running show gets the keys back.
    void LeaveThePage();
    void OnSurface(void (CScreenPenWnd::*action)());
    void UseHighlighter();
    void UsePointEraser(int id);
    void ShowEraserSize();
    void UseLassoEraser();
    void UseLineType(int id);
    void UseLineWidth(int id);
    void ShowToolsPage();
    void OpenOfficeFromPanel();
    void ConvertDeckForTheWall();
    void ExitFromMenu();
    // The message table's handlers (whiteboard_message_table.cpp).
    void ExitBoard();
    void HideTabWindow();
    void RaiseFromTab();
    // An instrument by its number (1..5), or a folder of the resource tree shown in the material preview.
    void InsertPictureOrInstrument(WPARAM number, LPARAM folder);
    void InsertMediaFile(const QString* file);
    void PenArrowFromShow();
    void PenWriteFromShow();
    void KeepPopupsOnTop();

    void PlaceAtStartup();
    void CreateButtons();
    void LoadButtonImages();
    void LoadMenus();
    void RegisterMessages();
    void StartTimers();
    bool InGripArea(const QPoint& pos) const;

    void EnsureSurface();
    // Opens the surface with the instrument of that number (1 compass … 5 set square) waiting to be placed.
    void OnInstrumentNumber(int number);
    void DeleteSurface();
    // Stores a changed page, then deletes the surface; false, keeping the surface, when the store failed.
    bool ReleaseSurface();
    // The surface hid itself (message 0x493).
    void ForgetSurface();
    void TellNotAvailableYet();
    // One line in the tip window for a few seconds.
    void ShowTip(const QString& text);
    // Hides the tip window while it still says text.
    void HideTipSaying(const QString& text);
    QWidget* DialogOwner() const;
    CScreenPenWnd* CreateSurface(const QString& pagePicture = QString());
    // Runs a request from a message now, or, while a surface is being built, once it is: building copies the
    // screens and lets queued messages through meanwhile, and a second writing press then would build a
    // second surface and orphan the first. A request put off answers 0.
    LRESULT NowOrOnceSurfaceBuilt(std::function<LRESULT()> request);
    void SetSurfacePen(int width, COLORREF colour);
    // The pen the teacher starts with, as the settings give it, on the surface.
    void SetStartingPen();
    void CopyLineStyleToSharedPen();
    void ToggleTabDlg(int tab);
    void OpenBackground(const QString& picturePath);
    // A board page is open on the surface: the panel's page buttons and pens keep to the board.
    bool BoardPageOpen() const;
    // The panel's page buttons: on an open board page they turn the board's pages, as its own buttons do.
    // Otherwise previous opens the history page before the selected one, and next stores the open page and
    // opens a new one (on the board after a board page).
    void TurnToPreviousPage();
    void TurnToNextPage();
    // Pictures chosen or imported in the history panel become history pages under names of their own; the
    // first opens. An empty list or pictures that cannot be read are told.
    void AddPicturesToHistory(const QStringList& pictures, bool folder);
    // Opened PDFs and decks (whiteboard_pdf_pages.cpp), by their id or by a board page they hold.
    OpenedPdf* FindOpenedPdf(int id) const;
    OpenedPdf* OpenedPdfHolding(int index) const;
    void PdfOpened(int id, PdfProblem problem, int count, const QString& deckError);
    // A page came: the first joins the document's pages to the board's and opens the board on it; another
    // is stored, and shows when the board is waiting for it.
    void PdfPageMade(int id, int page, const QImage& image);
    void OpenBoardAt(int index);
    bool PdfPictureToCome(int index) const;
    void PdfPageTurned(int index);
    // Lets the unwritten pages far from the one shown go, and asks for those near it.
    void RefreshPdfPages();
    void CancelOpening(int id);
    void ForgetOpening(int id);
    // At the close: every opening and page maker stops at once, then their threads get a moment to end.
    void StopOpenedPdfs();
    void CloseOpenedPdfs();
    // A message box with the system's title.
    void Tell(const QString& text);
    // The lesson's folders at the start: an interrupted lesson read back, the session marked, the journal
    // begun.
    void StartLessonFolders();
    void OfferRecovery();
    // Keeps pages as a PDF in the kept lessons' folder; the folder, or empty with *failed set.
    QString KeepPages(const std::vector<LessonPage>& pages, bool* failed);
    QString ChooseLessonFile(bool save, const QString& start, const QString& filter);
    void PlaySlideShow();
    // The slide-show toolbar's whiteboard button: a board page over the show, and the panel back.
    void LeaveSlideShowForWhiteboard();
    // Back to a slide show that runs under the page that has just gone.
    void BackToRunningShow();
    void OpenOfficeFile();
    void ChooseColour();
    void ShowBluetoothStatus(WPARAM status);
    void ShowLogoWall();
    void InstallBluetoothDriver();
    void OpenShareAddress();
    // The settings window (main menu): modal, above the panels.
    void ShowSettings();
    void OnStayaliveTimer();
    void PopupMenuAtCursor(QMenu* menu);

    Lesson lesson_;
    LessonSession session_;
    std::unique_ptr<InterruptedLesson> found_;
    bool offerRecovery_ = false;
    std::unique_ptr<CTabDlg> tabDlg_;
    std::unique_ptr<platform::MessageTable> messages_;
    QPointer<CScreenPenWnd> surface_;
    bool buildingSurface_ = false;
    CToolDlg* toolDlg_ = nullptr;
    CLineStyleDlg* lineStyleDlg_ = nullptr;
    CDlgShow* dlgShow_ = nullptr;
    CPPTToolBar* pptToolBar_ = nullptr;
    CToolTipDlg* toolTipDlg_ = nullptr;
    CUserDlg* userDlg_ = nullptr;

    QHash<int, UICONTROL::CButtonEx*> buttons_;
    QLabel* icon_ = nullptr;
    QMenu* mainMenu_ = nullptr;
    QMenu* eraserMenu_ = nullptr;
    QMenu* lineTypeMenu_ = nullptr;
    QMenu* lineWidthMenu_ = nullptr;
    QTimer* stayaliveTimer_ = nullptr;
    QTimer* readyTimer_ = nullptr;

    QString startupDirectory_;
    QString programFilePath_;
    QString pageFolderRoot_;
    QString openHistoryLabel_;
    QSize panelSize_;
    QPoint lastPosition_;
    QPixmap background_;

    int penWidth_ = kDefaultPenWidth;
    COLORREF penColour_ = RGB(255, 0, 0);
    int penType_ = 0;
    bool surfaceOverWhiteboard_ = false;
    bool ready_ = false;
    bool officeWindowPresent_ = false;
    bool colourDialogOpen_ = false;
    bool destroyed_ = false;
    platform::WindowRef slideShowTarget_;
    UINT marloweMessage_ = 0;
    QEventLoop* modalLoop_ = nullptr;
    bool dragging_ = false;
    QPoint dragOffset_;
    std::vector<std::unique_ptr<OpenedPdf>> openedPdfs_;
    int nextPdfId_ = 0;
    bool keepingFailed_ = false;
};

} // namespace DIALOG
