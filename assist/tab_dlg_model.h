#pragma once
// What the resource and history panel knows without a window: its folders, thumbnail sizes, which files it
// lists, what a click on the resource tree means, and the copies of the save command.
#include "platform/win_types.h"

#include <QSize>
#include <QString>
#include <QStringList>

namespace DIALOG::tab {

// The label of a history page: the file name of its picture up to the first ".".
QString historyLabel(const QString& picturePath);

// History thumbnails are as wide as the panel less 75 and have the screen's proportions; the image they are
// shown in is 20 narrower.
QSize historyThumbnailSize(int clientWidth, const QSize& screen);
QSize historyIconSize(int clientWidth, const QSize& screen);
// Background thumbnails: the panel's width less 95, the height of a work-area-proportioned picture 75
// narrower than the panel.
QSize backgroundThumbnailSize(int clientWidth, const QSize& workArea);

// The ".bmp" pictures of a folder, by name, as full paths.
QStringList backgroundPictures(const QString& folder);
// The label of a background picture: its file name less the extension.
QString backgroundLabel(const QString& picturePath);

// True when the folder itself (not its sub-folders) holds a .bmp, .png or .jpg file.
bool isTherePictureFile(const QString& folder);
bool isFlashFile(const QString& name);

// A click on an item of the resource tree, and what the owner is told of it.
struct ResourceItem {
    QStringList labels; // the item's label first, then its ancestors' up to the top level
    bool folder = false;
};
struct ResourceClick {
    UINT message = 0; // 0: nothing is sent
    WPARAM wParam = 0;
    QString path; // the lParam's text; empty for none
};
ResourceClick resolveResourceClick(const ResourceItem& item, const QString& resourceRoot);

// Copies label.bmp, label.kw and label.kwt (those that exist) from the history folder into the save folder,
// replacing older copies; the folder is made when missing. Returns the number of files copied.
int saveHistoryPage(const QString& historyFolder, const QString& label, const QString& saveFolder);

} // namespace DIALOG::tab
