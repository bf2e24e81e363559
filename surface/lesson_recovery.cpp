#include "surface/lesson_recovery.h"

#include "platform/image_file.h"
#include "surface/device_scale.h"
#include "surface/page_format.h"
#include "surface/page_journal.h"
#include "surface/page_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace DIALOG {

namespace {

const QByteArray kRunning = QByteArrayLiteral("running\n");
const QByteArray kEnded = QByteArrayLiteral("ended\n");

// A journal larger than this is no journal of ours: it is not read.
constexpr qint64 kMaxJournalBytes = qint64(512) << 20;

int openLock(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

bool writeMarker(const QString& path, const QByteArray& state)
{
    QFile marker(path);
    return marker.open(QIODevice::WriteOnly | QIODevice::Truncate) && marker.write(state) == state.size();
}

QStringList objectsOf(const QStringList& pictures)
{
    QStringList objects;
    for (const QString& picture : pictures) {
        const QString kw = WithExtension(picture, QStringLiteral("kw"));
        if (QFileInfo(kw).isFile())
            objects << kw;
    }
    return objects;
}

QSize pageSize()
{
    // In the screen's own pixels, as the surface keeps its pages.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return DeviceScale {screen->devicePixelRatio()}.size(screen->virtualGeometry().size());
    return {1920, 1080};
}

// The open page from its journal: the page it began from, every change since, and its background.
void replayJournal(const QString& journalFile, InterruptedLesson& found)
{
    QFile file(journalFile);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxJournalBytes)
        return;
    const std::vector<JournalRecord> records = DecodeJournal(file.readAll());
    const auto begin = std::find_if(records.rbegin(), records.rend(),
        [](const JournalRecord& record) { return record.kind == JournalRecord::Begin; });
    if (begin == records.rend())
        return;
    const std::vector<JournalRecord> since(begin.base() - 1, records.end());
    const JournalRecord& start = since.front();
    found.boardMode = start.boardMode;
    if (!start.pageFile.isEmpty() && QFileInfo(start.pageFile).isFile()) {
        found.pageFile = start.pageFile;
        PageList list;
        LoadPage(list, start.pageFile);
        found.nodes = std::move(list.nodes);
    }
    QString picture = start.picture;
    for (const JournalRecord& record : since) {
        if (record.kind == JournalRecord::Background) {
            picture = record.picture;
            found.colour = QRgb(0xFF000000 | record.colour);
        }
        found.changed |= record.kind != JournalRecord::Begin;
    }
    ApplyJournal(found.nodes, since);
    if (!picture.isEmpty())
        found.background = platform::readImageFile(picture);
}

} // namespace

LessonSession::~LessonSession()
{
    if (lock_ >= 0)
        ::close(lock_);
}

bool LessonSession::Begin(const LessonFolders& folders)
{
    End();
    const int fd = openLock(folders.SessionLock());
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    lock_ = fd;
    marker_ = folders.SessionMarker();
    writeMarker(marker_, kRunning);
    return true;
}

void LessonSession::End()
{
    if (lock_ < 0)
        return;
    writeMarker(marker_, kEnded);
    ::close(lock_);
    lock_ = -1;
}

bool LessonSession::Interrupted(const LessonFolders& folders)
{
    QFile marker(folders.SessionMarker());
    if (!marker.open(QIODevice::ReadOnly) || marker.read(64) != kRunning)
        return false;
    const int fd = openLock(folders.SessionLock());
    if (fd < 0)
        return false;
    // flock locks belong to an open file: this process's own running lesson holds another one and fails
    // this test too.
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

bool LessonSession::HeldElsewhere(const LessonFolders& folders)
{
    const int fd
        = ::open(QFile::encodeName(folders.SessionLock()).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

InterruptedLesson ReadInterruptedLesson(const LessonFolders& folders)
{
    InterruptedLesson found;
    found.historyPictures = PagePicturesIn(folders.HistoryFolder());
    found.historyPictures.removeIf([](const QString& picture) {
        return !QFileInfo(WithExtension(picture, QStringLiteral("kw"))).isFile();
    });
    found.boardObjects = objectsOf(PagePicturesIn(folders.BoardFolder()));
    replayJournal(folders.JournalFile(), found);
    return found;
}

QString StoreRecoveredPage(const InterruptedLesson& found, const Lesson& lesson, const QDateTime& when)
{
    if (!found.changed)
        return {};
    QString objects = found.pageFile;
    if (objects.isEmpty()) {
        const QString folder = found.boardMode == kBoardDesktop ? lesson.Folders().HistoryFolder() + u'/'
                                                                : lesson.BoardFolder();
        objects = lesson.UnusedPageBase(folder + PageBaseName(when)) + QStringLiteral(".kw");
    }
    QImage background = found.background;
    if (background.isNull()) {
        background = QImage(pageSize(), QImage::Format_RGB32);
        background.fill(found.colour);
    }
    const QString picture = WithExtension(objects, QStringLiteral("bmp"));
    if (!QDir().mkpath(QFileInfo(objects).absolutePath())
        || !StorePageFiles(objects, found.nodes, picture, &background, 24))
        return {};
    return picture;
}

} // namespace DIALOG
