#pragma once
// The 3D board's rules as plain functions: page names and numbers, the numbered template page, which new-page
// presses count, the pen's margin inside a page, the default save name, and the ink of an editing session
// laid onto the page picture itself. No windows, no Irrlicht.
#include "lumo/engine/ink_mark.h"

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QLine>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace lumo::board {

// The board's tiles stand in two rows.
constexpr int kBoardRows = 2;
// The pages a new board starts with.
constexpr int kFirstPages = 18;
// A new page pressed this soon after the last one that counted is ignored.
constexpr int kNewPageIntervalMs = 500;
// The pen and the eraser stay this far inside the page.
constexpr int kPageInset = 20;
// Where the camera goes back to when a click leaves page editing with no page under it.
constexpr float kLeaveEditingZ = -1700.0f;
// The page number's place, size and colour on the template page.
constexpr int kNumberX = 800;
constexpr int kNumberY = 600;
constexpr int kNumberPixels = 100;
// A page drawn when "Bin/Template.PNG" cannot be read: the template's size, white.
constexpr QSize kBlankPageSize {1024, 768};
// Imported pictures larger than this a side are scaled down to it: a page never shows more.
constexpr int kLargestPageSide = 2048;

// "Template" + the number zero-padded to three digits + ".png" (7 → Template007.png, 123 → Template123.png).
QString pageFileName(int number);
// The page number in a page file's name: the digits before ".png", leading zeros removed; 0 when the name
// is not a page's.
int pageNumberOfTile(const QString& tileName);
// The highest page number among these file names; 0 when none is a page.
int highestPageNumber(const QStringList& fileNames);
// Whether a page file name belongs to the board's naming scheme.
bool isPageFile(const QString& fileName);

// The template with the page number written on it in Liberation Serif, 100 pixels, opaque blue, its top-left
// at (800, 600). A null template gives a white page of kBlankPageSize.
QImage drawPage(const QImage& templatePage, int number);

// A new page counts when it comes at least kNewPageIntervalMs after the last one that counted.
bool acceptNewPage(qint64 nowMs, qint64 lastAcceptedMs);

// A point of a page shown at size, kept kPageInset inside its edges.
QPoint clampToPage(QPoint point, QSize size);

// The save dialog's default name: the local time as "%4d-%2d-%2d-%2d-%2d" (year, month, day, hour, minute).
QString defaultSaveName(const QDateTime& when);

// One stroke of an editing session, in the coordinates of the page as it was shown.
using InkMark = wall::InkMark;

// The page picture with the ink of a session drawn onto it at the page's own size: the marks were made on
// the page shown at shownSize and are scaled to the picture; erased squares bring back the picture as it
// was before the session.
QImage composeInk(const QImage& page, const QList<InkMark>& marks, QSize shownSize);

// Writes a picture as PNG beside path, then renames it over path: a page is never left half written.
bool writePicture(const QImage& picture, const QString& path);

} // namespace lumo::board
