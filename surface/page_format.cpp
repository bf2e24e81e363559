#include "surface/page_format.h"

#include "platform/bmp_writer.h"
#include "platform/image_file.h"
#include "surface/page_model.h"
#include "surface/pen_node.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <cstdlib>
#include <ext/stdio_filebuf.h>
#include <istream>
#include <memory>
#include <mutex>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace DIALOG {

namespace {

// Reads on to just past the next end mark "-9999;"; false when the stream ends first.
bool skipPastEndMark(std::istream& is)
{
    static constexpr char kMark[] = "-9999;";
    is.clear();
    std::streambuf* buf = is.rdbuf();
    std::size_t matched = 0;
    for (;;) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            is.setstate(std::ios::eofbit);
            return false;
        }
        if (char(c) == kMark[matched]) {
            if (++matched == sizeof kMark - 1)
                return true;
        } else {
            matched = char(c) == kMark[0] ? 1 : 0;
        }
    }
}

// One file under whatever spelling or link the page names it by; a page naming one file many times asks the
// file system once.
class PictureKeys {
public:
    QString of(const QString& path)
    {
        auto it = keys_.constFind(path);
        if (it == keys_.constEnd()) {
            const QString canonical = QFileInfo(path).canonicalFilePath();
            it = keys_.insert(path, canonical.isEmpty() ? path : canonical);
        }
        return it.value();
    }

private:
    QHash<QString, QString> keys_;
};

} // namespace

QString WithExtension(const QString& path, const QString& extension)
{
    // Only the file name's own extension changes: a folder called "kwang" stays as it is.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash ? path.left(dot) : path;
    return extension.isEmpty() ? stem : stem + QLatin1Char('.') + extension;
}

void WritePageObjects(std::ostream& os, const std::vector<CPenNode>& nodes)
{
    for (const CPenNode& node : nodes)
        node.Write(os);
    os << 'e';
}

std::size_t ReadPageObjects(std::istream& is, PageList& list)
{
    CPenNode scratch(0, 3, 0, Pen);
    std::size_t added = 0;
    std::size_t points = 0;
    std::size_t textBytes = 0;
    std::lock_guard guard(list.Lock());
    for (;;) {
        is >> std::ws;
        const int next = is.peek();
        if (next == std::char_traits<char>::eof() || next == 'e')
            break;
        if (list.nodes.size() >= kMaxObjectsPerPage || points >= kMaxPointsPerPage
            || textBytes >= kMaxTextBytesPerPage)
            break;
        scratch.Reset();
        scratch.cleared = 1;
        // A record that does not end in its end mark is left out: hidden, it would come back with the
        // undo of a clear.
        if (!scratch.Read(is) || is.fail()) {
            if (!skipPastEndMark(is))
                break;
            continue;
        }
        points += scratch.points.size();
        textBytes += scratch.text.size() + scratch.picturePath.size() + scratch.mediaPath.size();
        list.AddObject(scratch);
        ++added;
    }
    return added;
}

std::size_t LoadPagePictures(std::vector<CPenNode>& nodes, std::int64_t maxPixels)
{
    struct Wanted {
        QString path;
        // The largest box any of its objects is drawn in.
        QSize drawn;
        std::vector<std::size_t> users;
    };
    std::vector<Wanted> wanted;
    QHash<QString, std::size_t> byPath;
    // Pictures the page holds already count against the bound and serve objects naming the same file.
    QHash<QString, std::shared_ptr<QImage>> held;
    PictureKeys keys;
    std::int64_t used = 0;
    for (CPenNode& node : nodes) {
        if (node.kind != Picture || !node.image)
            continue;
        const QString key = keys.of(node.PicturePathForLoad());
        if (held.contains(key))
            continue;
        held.insert(key, node.image);
        used += std::int64_t(node.image->width()) * node.image->height();
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        CPenNode& node = nodes[i];
        if (node.kind != Picture || node.image)
            continue;
        const QString path = node.PicturePathForLoad();
        const QString key = keys.of(path);
        if (const auto it = held.constFind(key); it != held.constEnd()) {
            node.image = it.value();
            continue;
        }
        auto at = byPath.constFind(key);
        if (at == byPath.constEnd()) {
            at = byPath.insert(key, wanted.size());
            wanted.push_back(Wanted {path, QSize(0, 0), {}});
        }
        Wanted& w = wanted[at.value()];
        // A box is drawn turned about its centre: its own width and height are what the picture fills.
        const QSize box(int(std::min<std::int64_t>(std::abs(std::int64_t(node.boxWidth)), INT32_MAX)),
            int(std::min<std::int64_t>(std::abs(std::int64_t(node.boxHeight)), INT32_MAX)));
        w.drawn = w.drawn.expandedTo(box);
        w.users.push_back(i);
    }

    std::size_t leftOut = 0;
    for (const Wanted& w : wanted) {
        auto image = std::make_shared<QImage>();
        if (!w.drawn.isEmpty()) {
            const QSize natural = platform::imageFileSize(w.path);
            if (natural.isValid()) {
                const QSize size = platform::fittedImageSize(natural, w.drawn, Qt::IgnoreAspectRatio);
                const std::int64_t pixels = std::int64_t(size.width()) * size.height();
                if (used + pixels > maxPixels) {
                    ++leftOut;
                } else {
                    *image = platform::readImageFile(w.path, w.drawn, Qt::IgnoreAspectRatio);
                    used += std::int64_t(image->width()) * image->height();
                }
            }
        }
        for (std::size_t i : w.users)
            nodes[i].image = image;
    }
    return leftOut;
}

namespace {
void syncFolderOf(const QString& file)
{
    const int fd = ::open(
        QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

bool StorePageFiles(const QString& objectFile, const std::vector<CPenNode>& nodes, const QString& pictureFile,
    const QImage* picture, int depth, QString* failedFile, qint64* bytesWritten)
{
    auto fail = [&](const QString& file) {
        if (failedFile)
            *failedFile = file;
        return false;
    };
    std::ostringstream text;
    WritePageObjects(text, nodes);
    const std::string objects = std::move(text).str();
    if (picture && (picture->isNull() || OWNERBITMAP::BitmapDepthFor(depth) != depth))
        return fail(pictureFile);

    QSaveFile objectOut(objectFile);
    if (!objectOut.open(QIODevice::WriteOnly)
        || objectOut.write(objects.data(), qint64(objects.size())) != qint64(objects.size()))
        return fail(objectFile);
    QSaveFile pictureOut(pictureFile);
    qint64 pictureBytes = 0;
    if (picture) {
        if (!pictureOut.open(QIODevice::WriteOnly)
            || (pictureBytes = OWNERBITMAP::WriteBitmap(pictureOut, *picture, depth)) < 0
            || !pictureOut.commit())
            return fail(pictureFile);
    }
    if (!objectOut.commit())
        return fail(objectFile);
    // The renames reach the disk before the journal of the page starts again from them.
    syncFolderOf(objectFile);
    if (bytesWritten)
        *bytesWritten = qint64(objects.size()) + pictureBytes;
    return true;
}

bool StorePagePicture(const QString& pictureFile, const QImage& picture, int depth)
{
    QSaveFile out(pictureFile);
    return out.open(QIODevice::WriteOnly) && OWNERBITMAP::WriteBitmap(out, picture, depth) >= 0
        && out.commit();
}

BOOL LoadPage(PageList& list, const QString& objectFilePath, std::size_t* picturesLeftOut)
{
    if (picturesLeftOut)
        *picturesLeftOut = 0;
    // Only a regular file, checked on the opened file: a pipe or a device would block or never end.
    const int fd = platform::openRegularFileDescriptor(objectFilePath);
    if (fd < 0)
        return 0;
    __gnu_cxx::stdio_filebuf<char> file(fd, std::ios::in | std::ios::binary);
    std::istream in(&file);
    std::lock_guard guard(list.Lock());
    ReadPageObjects(in, list);
    const std::size_t leftOut = LoadPagePictures(list.nodes);
    if (picturesLeftOut)
        *picturesLeftOut = leftOut;
    return 1;
}

} // namespace DIALOG
