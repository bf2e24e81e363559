#pragma once
// The open lesson: the open page's objects and undo log, the pen state new objects are built from, whether
// the pen writes on the desktop or on a board page, the board's pages in order with the one open now, the
// page stored last, and where the lesson's files go. The panel owns one and hands it to the surface, whose
// gestures and page store work on it; nothing here needs a window.
#include "platform/win_types.h"
#include "surface/lesson_folders.h"
#include "surface/page_journal.h"
#include "surface/page_model.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace DIALOG {

// The pen writes over a picture of the desktop (kBoardDesktop), on a board page on white (kBoardWhite) or on
// a board page in a colour the user chose (kBoardColour). The main panel sets the first two, the surface the
// third.
constexpr int kBoardDesktop = 0;
constexpr int kBoardWhite = 1;
constexpr int kBoardColour = 2;

// The width of the pen a teacher gets without choosing one (the writing, whiteboard, next-page and annotate
// buttons, the pen buttons of the tool panel): a line the back row reads on a projected picture.
constexpr int kDefaultPenWidth = 4;

// The object files of the board pages in the order they were first stored, and the number of the page open
// now; a number equal to the count is a new page not stored yet.
struct PageFileList {
    QStringList files;
    int currentPage = 0;

    // The position of path, letter case ignored; -1 when it is not in the list.
    int IndexOf(const QString& path) const;
};

// The board page open now as the teacher counts it: its number from 1, and how many pages there are, a new
// page not stored yet among them.
struct PagePosition {
    int number = 1;
    int count = 1;
};
PagePosition BoardPagePosition(const PageFileList& pages);

// Board pages whose picture is made only when the teacher comes near them (the pages of an opened PDF).
// pictureToCome(index): the page's picture is still being made, so it opens on white and takes its picture
// when that comes. turned(index): the board shows the page at index now. Empty functions stand for a board
// whose pages are all on disk.
struct BoardPageHooks {
    std::function<bool(int index)> pictureToCome;
    std::function<void(int index)> turned;
};

// The panel's pen width and colour, which the instruments and tools draw with.
struct PanelPen {
    int width = kDefaultPenWidth;
    COLORREF colour = RGB(255, 0, 0);
};

class Lesson {
public:
    // The lesson's pages lie below programFolder's "Temp" folder.
    explicit Lesson(const QString& programFolder);
    Lesson(const Lesson&) = delete;
    Lesson& operator=(const Lesson&) = delete;

    PageList& Pages() { return pages_; }
    const PageList& Pages() const { return pages_; }
    PenState& Pen() { return pen_; }
    const PenState& Pen() const { return pen_; }
    PageFileList& BoardPages() { return boardPages_; }
    const PageFileList& BoardPages() const { return boardPages_; }
    PanelPen& SharedPen() { return sharedPen_; }

    int BoardMode() const { return boardMode_; }
    void SetBoardMode(int mode) { boardMode_ = mode; }
    bool OnBoard() const { return boardMode_ != kBoardDesktop; }

    const LessonFolders& Folders() const { return folders_; }
    // Where board pages go when the surface itself stores a new one: the folders' board folder unless set
    // otherwise.
    const QString& BoardFolder() const { return boardFolder_; }
    void SetBoardFolder(const QString& folder) { boardFolder_ = folder; }
    // The object file of the most recent store.
    const QString& LastStoredPage() const { return lastStoredPage_; }
    void SetLastStoredPage(const QString& objectFile) { lastStoredPage_ = objectFile; }

    const BoardPageHooks& Hooks() const { return hooks_; }
    void SetBoardPageHooks(BoardPageHooks hooks) { hooks_ = std::move(hooks); }

    // The placeholder path a new board page first stored at when is stored under, in the board folder.
    QString NewBoardPagePlaceholder(const QDateTime& when) const;
    // The board's entry at the current page number, at number - 1 and at number + 1; empty when there is
    // none.
    QString CurrentPageFile() const;
    QString PreviousPageFile() const;
    QString NextPageFile() const;
    // The path to store the open board page under at when: its own object file when it was stored before,
    // else the placeholder of a new page.
    QString OpenBoardPagePath(const QDateTime& when) const;
    // The object file the open board page is stored under: its own when it was stored before, else a new
    // name made from path in the board's folder.
    QString BoardObjectFileFor(const QString& path) const;
    // The open board page was stored before and keeps its files.
    bool BoardPageStoredBefore() const;
    // The panel's next page on the board: the number moves past the stored pages, so the next board surface
    // starts blank instead of reopening the page just stored.
    void MoveToNewPage();
    // Records objectFile as stored now; a board page joins the board's list and becomes the open one.
    void NoteStored(const QString& objectFile, bool boardPage);

    // base (a path without extension) when no page has that name yet, else base with "-2", "-3", … appended:
    // the first name with neither file on disk nor an object file in the board's page list. Two pages stored
    // within the same second keep their own files.
    QString UnusedPageBase(const QString& base) const;

    // The base of the page names of a PDF opened at when: its pages are "<base>_1", "<base>_2", … in the
    // board's folder, and no page there has such a name.
    QString NewPdfBase(const QDateTime& when) const;

    // The journal of the open page, kept at path from now on; diskTrouble hears when the disk refuses it and
    // when it caught up. Without one, the journal calls below do nothing.
    void StartJournal(const QString& path, std::function<void(bool trouble)> diskTrouble = {});
    void StopJournal();
    PageJournal* Journal() { return journal_.get(); }
    // The open page begins from pageFile (its objects file; empty for a new page) over picture (empty for
    // white): the journal starts again from the objects the page holds now.
    void JournalBegin(const QString& pageFile, const QString& picture);
    // Appends what changed on the open page since the journal last looked: the end of a stroke or an action.
    void JournalChanges();
    // The open page took picture as its background, or with none the colour.
    void JournalBackground(const QString& picture, COLORREF colour);

    // Back to a lesson with no page: the objects, the pen, the board's pages and the mode as at its start.
    void Reset();

private:
    QString entryAt(int index) const;

    LessonFolders folders_;
    QString boardFolder_;
    PageList pages_;
    PenState pen_;
    PageFileList boardPages_;
    PanelPen sharedPen_;
    QString lastStoredPage_;
    int boardMode_ = kBoardDesktop;
    BoardPageHooks hooks_;
    std::unique_ptr<PageJournal> journal_;
    JournalShadow shadow_;
};

} // namespace DIALOG
