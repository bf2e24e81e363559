#pragma once
// The rules of turning a slide deck into a folder of slide pictures: names, folders and the choice between
// reusing an earlier conversion and converting again. Plain functions, no windows.
#include "assist/qmhelp_export.h"

#include <QDateTime>
#include <QString>

namespace qmhelp {

// A deck the converter accepts: ".ppt", ".pptx" or ".odp", in any case.
QMHELP_EXPORT bool isSlideDeck(const QString& path);
// The deck's title: its file name without folder and extension ("Lesson 1" for ".../Lesson 1.pptx").
QMHELP_EXPORT QString deckTitle(const QString& deckPath);
// The title as the name of one folder or the start of a file name: separators and control characters become
// "_", and so do leading dots, so that a deck named "...odp" never names the folder above ("..") or a hidden
// one. An empty title gives "_".
QMHELP_EXPORT QString deckFolderName(const QString& title);
// The folder a deck's slides go to: <current directory>/Save/PowerPoint/<the title's folder name>.
QMHELP_EXPORT QString deckFolder(const QString& currentDirectory, const QString& title);
// The folder the conversion uses for a deck: deckFolder, or, when something that is not a folder an earlier
// conversion made sits there (a link, a file, a folder of someone else's), the first free or own folder of
// "<name> (2)", "<name> (3)", ... beside it. Looks at the file system; makes nothing.
QMHELP_EXPORT QString ownDeckFolder(const QString& currentDirectory, const QString& title);
// The slide number in a picture name as the converter writes it ("Slide12.PNG" → 12, also the localised
// "幻灯片12.PNG"); 0 when the name holds none.
QMHELP_EXPORT int slideNumberOf(const QString& fileName);
// The name a slide picture is renamed to: title + "_%03d" + the picture's extension ("Lesson 1_012.PNG").
QMHELP_EXPORT QString slidePictureName(const QString& title, int number, const QString& extension);

// What to do with a deck whose folder is there from an earlier conversion.
enum class FolderChoice {
    Convert, // the folder is new, or it is not older than the deck: convert
    Reuse, // show what is there
    Ask, // "flag.dat" is there: the teacher answers whether to open the deck anew
};
// folderExisted: the folder was there before this conversion; flagPresent: it holds "flag.dat". A folder
// counts as not older than the deck when its time less one minute is at or before the deck's last write.
QMHELP_EXPORT FolderChoice chooseForFolder(
    bool folderExisted, bool flagPresent, const QDateTime& folderTime, const QDateTime& deckWritten);

// The size of the pictures a page is rendered at: the page's own size in points, scaled to fill 1280 × 960
// with its aspect ratio, so that a slide zoomed on the wall (960 × 720) is never enlarged.
QMHELP_EXPORT QSize slideRenderSize(const QSizeF& pagePoints);

} // namespace qmhelp

namespace qmhelp {

// What a conversion is doing, as its progress window tells it.
enum class ConversionStage {
    Office, // LibreOffice prints the deck to PDF; how many pages it has is not known yet
    Slides, // slide pictures for the wall are made, k of n
    Pages, // pages are opened on the board, k of n
};

// The progress window's line and bar: a bar with no maximum runs to and fro (the count is not known).
struct ProgressView {
    QString text;
    int maximum = 0;
    int value = 0;
};
QMHELP_EXPORT ProgressView progressView(ConversionStage stage, int k, int n, bool english);

} // namespace qmhelp
