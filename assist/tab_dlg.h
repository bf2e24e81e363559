#pragma once
// The resource and history panel beside the main panel: the pages written so far, the background pictures
// and the teaching material. It changes nothing itself; every action becomes a message to its owner, which
// does the work and calls back (AddBitmap, for example).
#include "assist/qmhelp_export.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QListWidget;
class QImage;
class QIcon;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace DIALOG {

class CTabDlgWindow;

class QMHELP_EXPORT CTabDlg {
public:
    // owner receives every message of the panel and is the panel window's parent.
    CTabDlg(QWidget* parent, QWidget* owner);
    ~CTabDlg();
    CTabDlg(const CTabDlg&) = delete;
    CTabDlg& operator=(const CTabDlg&) = delete;

    // Answers the import folder chooser instead of showing it (tests): gets the title and the starting
    // folder, returns the chosen folder or an empty string for Cancel. An empty function removes the hook.
    using FolderChooserHook = std::function<QString(const QString& title, const QString& folder)>;
    static void setFolderChooserHook(FolderChooserHook hook);

    // Creates the panel window, hidden; a second call does nothing.
    void CreateWnd();
    // The panel's window; null before CreateWnd.
    QWidget* window() const;

    // Appends the BMP at path to the history, labelled with its file title. name is not used.
    void AddBitmap(const QString& path, const QString& name);
    // Shows the page as the teacher left it, ink included, as the thumbnail of the history page label:
    // the page picture holds only the background.
    void SetHistoryPicture(const QString& label, const QImage& page);
    void InitHisTree();
    // Fills the background list and the resource tree on first use, then shows page (0..2; others leave
    // the visible page as it is). boardMode is kept for the background list.
    void SetMetaFileTabPage(int boardMode, int page);
    // Beside the owner: left of it, or right when there is no room, vertically centred on it.
    void SetPos(int unused);
    void Resize();
    int GetCurSel() const;
    void SetCurSel(int page);

    // Adds folder to the resource tree under parent; a null parent is the top call, whose folder gets no
    // item.
    void AddFileToTree(const QString& folder, QTreeWidgetItem* parent);

    // Commands.
    void OnBnClickedButton1();
    void OnBnClickedButton2();
    void OnBnClickedButton3();
    void OnBnClickedHistoryAddpic();
    void OnBnClickedHistoryDeleteall();
    // Imports a folder of saved history.
    void OnBnClickedHistoryDeletepage();
    void OnBnClickedHistorySave();
    // The context menu's and the Delete key's command: asks, then deletes the selected history pages (their
    // files stay until the program closes).
    void OnHistoryDeletePages();
    void OnBnClickedInsert();
    // The lesson button's two entries: a PDF or a slide deck as board pages, and a lesson kept at a close.
    void OnBnClickedOpenLessonFile();
    void OnBnClickedOpenKeptLesson();

    void DeleteItem(int index);
    void ChangePathName(const QString& path);
    void DeleteScreenWnd();
    // Removes the background folder in the templates folder with its content.
    void DeleteTempFile();

    // Selects the history page before the current one (with none, the last; before the first, the last)
    // and returns its picture path; an empty string when the history is empty.
    QString SelectPreviousHistoryPage();
    // The label of the first selected history page in list order; empty when none is selected.
    QString SelectedHistoryLabel() const;
    // Every history page's label, in list order.
    QStringList HistoryLabels() const;

    // The folders the panel works with.
    QString tempFolder() const { return tempFolder_; }
    // The history pages' folder, as the owner's lesson keeps it.
    void SetTempFolder(const QString& folder) { tempFolder_ = folder; }
    // What the lesson button's two entries ask of the owner; an entry without one tells that it is not there.
    struct LessonActions {
        std::function<void()> openLessonFile;
        std::function<void()> openKeptLesson;
    };
    void SetLessonActions(LessonActions actions) { lessonActions_ = std::move(actions); }
    QString historyFolder() const { return historyFolder_; }
    QString backgroundFolder() const { return backgroundFolder_; }
    int verticalOffset() const { return verticalOffset_; }
    int backgroundBoardMode() const { return backgroundBoardMode_; }

private:
    friend class CTabDlgWindow;

    void OnInitDialog();
    // The history, background and resource lists; the command rows under the history and the resources.
    void createLists(QWidget* w);
    void createCommandRows(QWidget* w);
    void OnInitListCtrl();
    void OnInitTreeCtrl();
    void AddBookBack();
    void OnTcnSelchangeTab();
    // Shows only the control of page; false (after the complaint) for an unknown page.
    bool showPage(int page);
    void OnTabDlgSize();
    void OnNMClickListHistory();
    void OnNMClickListViewimage(int row);
    // pos in the tree viewport's coordinates.
    void OnNMClickTree(const QPoint& pos);
    void place(bool rememberOffset);
    QIcon historyIcon(const QImage& page) const;
    QString historyPicturePath(const QString& label) const;
    void send(unsigned message, const QString* wParam, const QString* lParam = nullptr);
    void runLessonAction(const std::function<void()>& action);

    QString tempFolder_;
    QWidget* owner_ = nullptr;
    QString backgroundFolder_;
    int currentPage_ = 0;
    QStringList backgroundPaths_;
    QString historyFolder_;
    QSize historyThumbnail_;
    bool selectNextAdded_ = false;
    bool deleteAsked_ = false;
    int verticalOffset_ = 0;
    LessonActions lessonActions_;
    int backgroundBoardMode_ = 0;
    bool viewsFilled_ = false;

    QPointer<CTabDlgWindow> window_;
    QPushButton* hideBar_ = nullptr;
    QPushButton* pageButtons_[3] = {};
    QWidget* frame_ = nullptr;
    QListWidget* historyList_ = nullptr;
    QListWidget* backgroundList_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QWidget* historyCommands_ = nullptr;
    QWidget* resourceCommands_ = nullptr;
};

} // namespace DIALOG
