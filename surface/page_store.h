#pragma once
// The page store: storing the surface's page under its name and telling the user when that fails, asking
// before a clear screen deletes a page's objects for good, the names of new pages, the ordered list of board
// pages and walking through them, and the export of the composed page as a JPEG picture. The files themselves
// are written and read by page_format.
#include "platform/win_types.h"
#include "surface/lesson_folders.h"
#include "surface/page_format.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace DIALOG {

class CScreenPenWnd;

// The object files of the board pages in the order they were first stored, and the number of the page open
// now; a number equal to the count is a new page not stored yet.
struct PageFileList {
    QStringList files;
    int currentPage = 0;

    // The position of path, letter case ignored; -1 when it is not in the list.
    int IndexOf(const QString& path) const;
};
PageFileList& ThePageFileList();
// The object file of the most recent store.
QString& LastStoredPage();
// Where board pages go when the surface itself stores a new one: the program folder's
// "Temp/ZidodAvuvTemp/" unless set otherwise.
QString& BoardPageFolder();
// The placeholder path a new board page first stored at when is stored under, in that folder.
QString NewBoardPagePlaceholder(const QDateTime& when);

// The board page open now as the teacher counts it: its number from 1, and how many pages there are, a new
// page not stored yet among them.
struct PagePosition {
    int number = 1;
    int count = 1;
};
PagePosition BoardPagePosition(const PageFileList& pages);

// The entry at the current page number, at number - 1 and at number + 1; empty when there is none.
QString CurrentPageFile();
QString PreviousPageFile();
QString NextPageFile();

// base (a path without extension) when no page has that name yet, else base with "-2", "-3", … appended:
// the first name with neither file on disk nor an object file in the board's page list. Two pages stored
// within the same second keep their own files.
QString UnusedPageBase(const QString& base);

// Stores the open page under path (placeholder extension "xxx"). An unchanged board page writes nothing, and
// neither does a page not stored before that holds nothing the teacher made (no writing on it, and neither a
// picture nor a colour chosen as its background). Returns false, after telling the user, when the files could
// not be written.
BOOL SavePage(CScreenPenWnd* surface, const QString& path);
// A clear screen that would remove the page's objects for good asks first; true when the user agreed.
bool AskToClearForGood(QWidget* parent);
// Opens a stored page in the surface: its picture as the background and its objects.
void ReopenPage(CScreenPenWnd* surface, const QString& picturePath);

// Board pages whose picture is made only when the teacher comes near them (the pages of an opened PDF).
// pictureToCome(index): the page's picture is still being made, so it opens on white and takes its picture
// when that comes. turned(index): the board shows the page at index now. The panel sets them; empty
// functions stand for a board whose pages are all on disk.
struct BoardPageHooks {
    std::function<bool(int index)> pictureToCome;
    std::function<void(int index)> turned;
};
void SetBoardPageHooks(BoardPageHooks hooks);

// The board's previous-page and next-page buttons. A changed page is stored before another one opens.
void PreviousPage(CScreenPenWnd* surface);
void NextPage(CScreenPenWnd* surface);
// The panel's next page on the board: the number moves past the stored pages, so the next board surface
// starts blank instead of reopening the page just stored.
void MoveToNewPage();

// The page pictures (".bmp") of folder, in the order of their names with numbers taken as numbers, so that
// "1-9-5-3" comes before "1-10-0-0".
QStringList PagePicturesIn(const QString& folder);
// Copies each picture into folder as a page of a new name, as if stored at when ("d-H-m-s", then "-2", "-3"
// … where a page has that name): no page there is replaced, whatever the pictures were called. The stroke
// files of a picture's name beside it (".kw", ".kwt") come along; a picture that is no BMP is written as one.
// Returns the new pictures in order; a picture that cannot be read or written is left out.
QStringList ImportPages(const QStringList& pictures, const QString& folder, const QDateTime& when);

// The export's file chooser: given the parent, the default file name and the filter, the chosen path or an
// empty string. Tests replace it; an empty function restores the save dialog.
using ExportDialogHook = std::function<QString(QWidget*, const QString&, const QString&)>;
void SetExportDialogHook(ExportDialogHook hook);
// The default name of an export made at when: year, month, day, hour, minute, second and ".jpg".
QString ExportFileName(const QDateTime& when);
// Saves the composed page as a JPEG picture the user chooses. FALSE when nothing was saved.
BOOL ExportPicture(CScreenPenWnd* surface);

} // namespace DIALOG
