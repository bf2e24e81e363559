#pragma once
// A lesson that did not end: the marker a running lesson keeps in its history folder under a lock, and what
// the folders of a lesson that was killed, crashed or lost its power hold, read back without a window: its
// history pages, its board pages and its open page rebuilt from the page files and the journal.
#include "surface/lesson.h"
#include "surface/pen_node.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace DIALOG {

// The running lesson's marker: "running" while it runs, with a lock held that ends with the process.
class LessonSession {
public:
    LessonSession() = default;
    ~LessonSession();
    LessonSession(const LessonSession&) = delete;
    LessonSession& operator=(const LessonSession&) = delete;

    // Takes the lock of the lesson's folders and marks them running; false when another copy holds them.
    bool Begin(const LessonFolders& folders);
    // Marks them ended and lets the lock go.
    void End();
    // The folders hold a lesson that did not end: marked running, and no process holds their lock.
    static bool Interrupted(const LessonFolders& folders);
    // Another process runs a lesson in the folders now: it holds their lock.
    static bool HeldElsewhere(const LessonFolders& folders);

private:
    QString marker_;
    int lock_ = -1;
};

struct InterruptedLesson {
    QStringList historyPictures; // in the order the pages were stored
    QStringList boardObjects; // the board's object files, in page order
    int boardMode = kBoardDesktop; // of the open page
    QString pageFile; // the open page's objects file when it was stored before
    std::vector<CPenNode> nodes; // the open page's objects, its journal replayed
    QImage background; // the open page's background picture; null for none
    QRgb colour = 0xFFFFFFFF; // its colour where it has no picture
    bool changed = false; // the journal holds changes not in the page files

    // Nothing the teacher made is there: no stored page and no change of the open one.
    bool Empty() const { return historyPictures.isEmpty() && boardObjects.isEmpty() && !changed; }
};

// What the folders of an interrupted lesson hold.
InterruptedLesson ReadInterruptedLesson(const LessonFolders& folders);

// Stores the rebuilt open page where it belongs: over its own files when it was stored before, else as a new
// history page (desktop) or board page, named as if stored at when. Returns its picture; empty when there
// was nothing to store or it could not be written.
QString StoreRecoveredPage(const InterruptedLesson& found, const Lesson& lesson, const QDateTime& when);

} // namespace DIALOG
