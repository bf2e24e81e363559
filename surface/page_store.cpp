#include "surface/page_store.h"

#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "surface/bmp_writer.h"
#include "surface/page_model.h"
#include "surface/pen_node.h"
#include "surface/screen_pen_wnd.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

namespace DIALOG {

namespace {

const QString kDesktopFolderPart = QStringLiteral("/Temp/");
const QString kBoardFolderPart = QStringLiteral("/Temp/ZidodAvuvTemp/");

ExportDialogHook& exportDialogHook()
{
    static ExportDialogHook hook;
    return hook;
}

bool english()
{
    return GetLanguage().compare(QStringLiteral("English"), Qt::CaseInsensitive) == 0;
}

void tellCannotStore(QWidget* owner, const QString& file)
{
    const QString shown = QDir::toNativeSeparators(file);
    if (english())
        platform::MessageBox(owner,
            QStringLiteral(
                "The page could not be saved to\n%1\nThe disk may be full or the folder may not be "
                "writable.")
                .arg(shown),
            QStringLiteral("Tips"), platform::MB_OK | platform::MB_ICONEXCLAMATION);
    else
        platform::MessageBox(owner,
            QStringLiteral("页面无法保存到\n%1\n磁盘可能已满，或文件夹不可写。").arg(shown),
            QStringLiteral("提示"), platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

// A board page goes into the board's own folder under the program's Temp folder.
QString boardPath(const QString& path)
{
    if (path.contains(kBoardFolderPart))
        return path;
    const qsizetype at = path.lastIndexOf(kDesktopFolderPart);
    if (at < 0)
        return path;
    QString mapped = path;
    mapped.replace(at, kDesktopFolderPart.size(), kBoardFolderPart);
    return mapped;
}

bool pageFilesExist(const QString& objectFile)
{
    return QFileInfo::exists(objectFile)
        || QFileInfo::exists(WithExtension(objectFile, QStringLiteral("bmp")));
}

// A new board page must not take the files of another page stored within the same second.
QString unusedBoardPath(const QString& objectFile)
{
    const PageFileList& pages = ThePageFileList();
    if (pages.IndexOf(objectFile) < 0 && !pageFilesExist(objectFile))
        return objectFile;
    const QString base = WithExtension(objectFile, QString());
    for (int n = 2;; ++n) {
        const QString candidate = base + QStringLiteral("-%1.kw").arg(n);
        if (pages.IndexOf(candidate) < 0 && !pageFilesExist(candidate))
            return candidate;
    }
}

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

// The page the board shows is stored before another one replaces it.
bool storeOpenBoardPage(CScreenPenWnd* surface)
{
    if (!ThePageList().pageChanged)
        return true;
    surface->FinishCurrentOperation();
    const PageFileList& pages = ThePageFileList();
    const QString path = pages.currentPage >= 0 && pages.currentPage < pages.files.size()
        ? pages.files.at(pages.currentPage)
        : BoardPageFolder() + QDateTime::currentDateTime().toString(QStringLiteral("d-H-m-s"))
            + QStringLiteral(".xxx");
    return SavePage(surface, path);
}

} // namespace

int PageFileList::IndexOf(const QString& path) const
{
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).compare(path, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

PageFileList& ThePageFileList()
{
    static PageFileList list;
    return list;
}

QString& LastStoredPage()
{
    static QString path;
    return path;
}

QString& BoardPageFolder()
{
    static QString folder = platform::programFolder() + kBoardFolderPart;
    return folder;
}

namespace {
QString entryAt(int index)
{
    const QStringList& files = ThePageFileList().files;
    return index >= 0 && index < files.size() ? files.at(index) : QString();
}
} // namespace

QString CurrentPageFile()
{
    return entryAt(ThePageFileList().currentPage);
}

QString PreviousPageFile()
{
    return entryAt(ThePageFileList().currentPage - 1);
}

QString NextPageFile()
{
    return entryAt(ThePageFileList().currentPage + 1);
}

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

namespace {
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
    QByteArray bitmap;
    if (picture) {
        bitmap = OWNERBITMAP::EncodeBitmap(*picture, depth);
        if (bitmap.isEmpty())
            return fail(pictureFile);
    }

    QSaveFile objectOut(objectFile);
    if (!objectOut.open(QIODevice::WriteOnly)
        || objectOut.write(objects.data(), qint64(objects.size())) != qint64(objects.size()))
        return fail(objectFile);
    QSaveFile pictureOut(pictureFile);
    if (picture) {
        if (!pictureOut.open(QIODevice::WriteOnly) || pictureOut.write(bitmap) != bitmap.size())
            return fail(pictureFile);
        if (!pictureOut.commit())
            return fail(pictureFile);
    }
    if (!objectOut.commit())
        return fail(objectFile);
    if (bytesWritten)
        *bytesWritten = qint64(objects.size()) + bitmap.size();
    return true;
}

BOOL SavePage(CScreenPenWnd* surface, const QString& path)
{
    if (!surface)
        return 0;
    PageList& list = ThePageList();
    PageFileList& pages = ThePageFileList();
    const bool board = surface->IsBoardPage();
    QString objectFile = path;
    if (board) {
        if (!list.pageChanged)
            return 1;
        // A page reopened from the list keeps its own files; a new one gets a name of its own.
        if (pages.currentPage >= 0 && pages.currentPage < pages.files.size())
            objectFile = pages.files.at(pages.currentPage);
        else
            objectFile = unusedBoardPath(WithExtension(boardPath(path), QStringLiteral("kw")));
    } else {
        objectFile = WithExtension(path, QStringLiteral("kw"));
    }
    const QString pictureFile = WithExtension(objectFile, QStringLiteral("bmp"));

    const QString folder = QFileInfo(objectFile).absolutePath();
    if (!QDir().mkpath(folder)) {
        tellCannotStore(surface, folder);
        return 0;
    }
    const int depth = OWNERBITMAP::BitmapDepthFor(OWNERBITMAP::DisplayBits());
    if (depth == 0)
        platform::MessageBox(surface, QStringLiteral("unKnown"), QString(), platform::MB_OK);
    QString failed;
    bool stored = false;
    {
        std::lock_guard guard(list.Lock());
        stored = StorePageFiles(objectFile, list.nodes, pictureFile,
            depth ? &surface->backgroundBitmap() : nullptr, depth, &failed);
    }
    if (!stored) {
        tellCannotStore(surface, failed);
        return 0;
    }
    if (board) {
        if (pages.IndexOf(objectFile) < 0)
            pages.files.append(objectFile);
        pages.currentPage = pages.IndexOf(objectFile);
    }
    LastStoredPage() = objectFile;
    list.pageChanged = false;
    return 1;
}

BOOL LoadPage(const QString& objectFilePath, std::size_t* picturesLeftOut)
{
    if (picturesLeftOut)
        *picturesLeftOut = 0;
    // Only a regular file: a pipe or a device would block or never end.
    if (!platform::isRegularFile(objectFilePath))
        return 0;
    std::ifstream in(QFile::encodeName(objectFilePath).toStdString(), std::ios::binary);
    if (!in)
        return 0;
    PageList& list = ThePageList();
    std::lock_guard guard(list.Lock());
    ReadPageObjects(in, list);
    const std::size_t leftOut = LoadPagePictures(list.nodes);
    if (picturesLeftOut)
        *picturesLeftOut = leftOut;
    return 1;
}

void ReopenPage(CScreenPenWnd* surface, const QString& picturePath)
{
    if (surface)
        surface->ReopenPage(picturePath);
}

void PreviousPage(CScreenPenWnd* surface)
{
    PageFileList& pages = ThePageFileList();
    const int n = pages.currentPage;
    if (!surface || n < 1 || pages.files.size() < n)
        return;
    if (!storeOpenBoardPage(surface))
        return;
    surface->ReopenPage(WithExtension(pages.files.at(n - 1), QStringLiteral("bmp")));
    pages.currentPage = std::max(0, n - 1);
}

void NextPage(CScreenPenWnd* surface)
{
    if (!surface || !storeOpenBoardPage(surface))
        return;
    PageFileList& pages = ThePageFileList();
    const int n = pages.currentPage;
    if (n + 1 >= 0 && n + 1 < pages.files.size())
        surface->ReopenPage(WithExtension(pages.files.at(n + 1), QStringLiteral("bmp")));
    else
        surface->StartBlankPage();
    pages.currentPage = std::min<int>(n + 1, int(pages.files.size()));
}

void MoveToNewPage()
{
    PageFileList& pages = ThePageFileList();
    pages.currentPage = int(pages.files.size());
}

void SetExportDialogHook(ExportDialogHook hook)
{
    exportDialogHook() = std::move(hook);
}

QString ExportFileName(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".jpg");
}

BOOL ExportPicture(CScreenPenWnd* surface)
{
    if (!surface)
        return 0;
    const QString defaultName = ExportFileName(QDateTime::currentDateTime());
    const QString filter = QStringLiteral("图片文件 (*.jpg)");
    const QString currentDir = QDir::currentPath();
    QString chosen = exportDialogHook()
        ? exportDialogHook()(surface, defaultName, filter)
        : QFileDialog::getSaveFileName(surface, QString(), defaultName, filter);
    QDir::setCurrent(currentDir);
    if (chosen.isEmpty())
        return 0;
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".jpg");
    const QImage composed = surface->ComposedPage();
    QSaveFile out(chosen);
    if (!out.open(QIODevice::WriteOnly) || !composed.save(&out, "JPG") || !out.commit()) {
        tellCannotStore(surface, chosen);
        return 0;
    }
    return 1;
}

} // namespace DIALOG
