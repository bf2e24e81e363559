#pragma once
// The page on disk, without a window: the object file (".kw", the stored form of every object followed by
// "e"), the page pictures it names, and storing an object file with its picture file (".bmp", the page
// background) so that a page is always whole on disk.
#include "platform/win_types.h"

#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <vector>

namespace DIALOG {

class CPenNode;
class PageList;

// A page file holds at most this many objects, points and bytes of text and paths; what lies beyond is not
// loaded. An object takes about 200 bytes in memory besides its points and text, so the caps keep a hostile
// file under half a gigabyte (bench/page_memory_bench measures it).
constexpr std::size_t kMaxObjectsPerPage = 100000;
constexpr std::size_t kMaxPointsPerPage = 10000000;
constexpr std::size_t kMaxTextBytesPerPage = 32u << 20;
// The decoded pictures of one page hold at most this many pixels (128 MB), about sixteen full-HD screens.
constexpr std::int64_t kMaxPicturePixelsPerPage = std::int64_t(32) << 20;

// path with its last extension replaced (or added): the object file and the picture of one page.
QString WithExtension(const QString& path, const QString& extension);

// The stored form of a page, and reading one: objects are appended to list with AddObject and no undo
// entries. A record cut short or garbled is left out and reading goes on after its end mark; reading stops
// at "e", at the end of the stream or at the caps above. Returns the number of objects appended.
void WritePageObjects(std::ostream& os, const std::vector<CPenNode>& nodes);
std::size_t ReadPageObjects(std::istream& is, PageList& list);

// Gives every Picture object of the page that has no picture yet the one its file holds. Each file is
// decoded once, at no more than the largest box it is drawn in, and shared by the objects that name it by
// any spelling or link. A picture that would take the page's decoded pixels past maxPixels is left out, as a
// missing one is: its objects keep their place and draw nothing. Returns the number of files left out for
// that bound.
std::size_t LoadPagePictures(std::vector<CPenNode>& nodes, std::int64_t maxPixels = kMaxPicturePixelsPerPage);

// Writes the pair beside the final files and renames them into place, the picture first: until the object
// file is renamed the page reads as it was, so a process killed at any moment leaves a whole page behind.
// picture may be null (no picture written). On failure nothing of the pair is replaced unless the picture
// was already renamed, *failedFile names the file that could not be written and false is returned.
bool StorePageFiles(const QString& objectFile, const std::vector<CPenNode>& nodes, const QString& pictureFile,
    const QImage* picture, int depth, QString* failedFile = nullptr, qint64* bytesWritten = nullptr);

// Writes only the picture of a page, beside it and renamed into place; the page's object file is left as it
// is. False when it could not be written.
bool StorePagePicture(const QString& pictureFile, const QImage& picture, int depth);

// Appends the objects of an object file to the page list and loads their pictures. FALSE when there is no
// such file. *picturesLeftOut counts the pictures left out for the page's bound on decoded pixels.
BOOL LoadPage(PageList& list, const QString& objectFilePath, std::size_t* picturesLeftOut = nullptr);

} // namespace DIALOG
