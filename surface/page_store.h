#pragma once
// The page store: storing the surface's page under its name and telling the user when that fails, asking
// before a clear screen deletes a page's objects for good, walking through the lesson's board pages, and the
// export of the composed page as a JPEG picture. The files themselves are written and read by page_format.
#include "platform/win_types.h"
#include "surface/lesson.h"
#include "surface/page_format.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace DIALOG {

class CScreenPenWnd;

// Stores the open page under path (placeholder extension "xxx"). An unchanged board page writes nothing, and
// neither does a page not stored before that holds nothing the teacher made (no writing on it, and neither a
// picture nor a colour chosen as its background). Returns false, after telling the user, when the files could
// not be written.
BOOL SavePage(CScreenPenWnd* surface, const QString& path);
// A clear screen that would remove the page's objects for good asks first; true when the user agreed.
bool AskToClearForGood(QWidget* parent);
// Opens a stored page in the surface: its picture as the background and its objects.
void ReopenPage(CScreenPenWnd* surface, const QString& picturePath);

// The board's previous-page and next-page buttons. A changed page is stored before another one opens.
void PreviousPage(CScreenPenWnd* surface);
void NextPage(CScreenPenWnd* surface);
// The page pictures (".bmp") of folder, in the order of their names with numbers taken as numbers, so that
// "1-9-5-3" comes before "1-10-0-0".
QStringList PagePicturesIn(const QString& folder);
// Copies each picture into folder as a page of a new name, as if stored at when ("d-H-m-s", then "-2", "-3"
// … where a page has that name): no page there is replaced, whatever the pictures were called. The stroke
// files of a picture's name beside it (".kw", ".kwt") come along; a picture that is no BMP is written as one.
// The names of the lesson's board pages count as taken. Returns the new pictures in order; a picture that
// cannot be read or written is left out.
QStringList ImportPages(
    const Lesson& lesson, const QStringList& pictures, const QString& folder, const QDateTime& when);

// The export's file chooser: given the parent, the default file name and the filter, the chosen path or an
// empty string. Tests replace it; an empty function restores the save dialog.
using ExportDialogHook = std::function<QString(QWidget*, const QString&, const QString&)>;
void SetExportDialogHook(ExportDialogHook hook);
// The default name of an export made at when: year, month, day, hour, minute, second and ".jpg".
QString ExportFileName(const QDateTime& when);
// Saves the composed page as a JPEG picture the user chooses. FALSE when nothing was saved.
BOOL ExportPicture(CScreenPenWnd* surface);

} // namespace DIALOG
