#pragma once
// The page store: the pages of a board as files, and walking through them. The surface calls these entry
// points; storing and loading the files is not written yet, so they report that nothing was stored or
// loaded and the navigation stays on the open page.
#include "platform/win_types.h"

#include <QString>
#include <QStringList>

namespace DIALOG {

class CScreenPenWnd;

// The object files of the board pages in the order they were first stored, and the page open now.
struct PageFileList {
    QStringList files;
    int currentPage = 0;
};
PageFileList& ThePageFileList();

// The entry at the current page number, at number - 1 and at number + 1; empty when there is none.
QString CurrentPageFile();
QString PreviousPageFile();
QString NextPageFile();

// Stores the open page under path (placeholder extension "xxx"). 0: nothing was written.
BOOL SavePage(CScreenPenWnd* surface, const QString& path);
// Appends the objects of an object file to the page list. 0: nothing was loaded.
BOOL LoadPage(const QString& objectFilePath);

// The board's previous-page and next-page buttons.
void PreviousPage(CScreenPenWnd* surface);
void NextPage(CScreenPenWnd* surface);

} // namespace DIALOG
