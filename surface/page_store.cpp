#include "surface/page_store.h"

#include "platform/bmp_writer.h"
#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "surface/page_model.h"
#include "surface/pen_node.h"
#include "surface/screen_pen_wnd.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <mutex>

namespace DIALOG {

namespace {

ExportDialogHook& exportDialogHook()
{
    static ExportDialogHook hook;
    return hook;
}

// Opens the board page at index, on white while its picture is still to come, and tells who makes pictures.
void openBoardPage(CScreenPenWnd* surface, int index)
{
    const Lesson& lesson = surface->lesson();
    const BoardPageHooks& hooks = lesson.Hooks();
    const bool toCome = hooks.pictureToCome && hooks.pictureToCome(index);
    surface->ReopenPage(WithExtension(lesson.BoardPages().files.at(index), QStringLiteral("bmp")), toCome);
}

void tellTurned(const Lesson& lesson)
{
    if (const BoardPageHooks& hooks = lesson.Hooks(); hooks.turned)
        hooks.turned(lesson.BoardPages().currentPage);
}

void tellCannotStore(QWidget* owner, const QString& file)
{
    const QString shown = QDir::toNativeSeparators(file);
    if (IsEnglish())
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

bool showsWriting(PageList& list)
{
    std::lock_guard guard(list.Lock());
    return ShowsWriting(list.nodes);
}

// a before b, with each run of digits compared as one number.
bool numbersFirstLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            const qulonglong x = a.mid(i, endA - i).toULongLong(), y = b.mid(j, endB - j).toULongLong();
            if (x != y)
                return x < y;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

// A picture becomes the page picture at target: a BMP file as it is, any other picture written as one.
bool importPicture(const QString& picture, const QString& target)
{
    if (!platform::isRegularFile(picture))
        return false;
    if (QFileInfo(picture).suffix().compare(QStringLiteral("bmp"), Qt::CaseInsensitive) == 0)
        return QFile::copy(picture, target);
    return StorePagePicture(target, platform::readImageFile(picture), 24);
}

// The page the board shows is stored before another one replaces it.
bool storeOpenBoardPage(CScreenPenWnd* surface)
{
    const Lesson& lesson = surface->lesson();
    if (!lesson.Pages().pageChanged)
        return true;
    surface->FinishCurrentOperation();
    return SavePage(surface, lesson.OpenBoardPagePath(QDateTime::currentDateTime()));
}

} // namespace

BOOL SavePage(CScreenPenWnd* surface, const QString& path)
{
    if (!surface)
        return 0;
    Lesson& lesson = surface->lesson();
    PageList& list = lesson.Pages();
    const bool board = surface->IsBoardPage();
    QString objectFile = path;
    bool storedBefore = false;
    if (board) {
        if (!list.pageChanged)
            return 1;
        // A page reopened from the list keeps its own files; a new one gets a name of its own.
        storedBefore = lesson.BoardPageStoredBefore();
        objectFile = lesson.BoardObjectFileFor(path);
    } else {
        objectFile = WithExtension(path, QStringLiteral("kw"));
        storedBefore = QFileInfo::exists(objectFile);
    }
    if (!storedBefore && !surface->BackgroundChosen() && !showsWriting(list)) {
        // A snapshot of the desktop or a blank board page that nobody wrote on would only fill the history,
        // the board's pages and the lesson with empty pages.
        list.pageChanged = false;
        return 1;
    }
    const QString pictureFile = WithExtension(objectFile, QStringLiteral("bmp"));

    const QString folder = QFileInfo(objectFile).absolutePath();
    if (!QDir().mkpath(folder)) {
        tellCannotStore(surface, folder);
        return 0;
    }
    const int depth = OWNERBITMAP::BitmapDepthFor(OWNERBITMAP::DisplayBits());
    if (depth == 0)
        platform::MessageBox(surface,
            IsEnglish() ? QStringLiteral("The colour depth of the screen is not known.")
                        : QStringLiteral("无法识别屏幕的颜色深度。"),
            IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示"), platform::MB_OK);
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
    lesson.NoteStored(objectFile, board);
    return 1;
}

bool AskToClearForGood(QWidget* parent)
{
    const bool english = IsEnglish();
    const QString text = english
        ? QStringLiteral("Clearing the screen deletes everything on it,\nand it cannot be undone. Continue?")
        : QStringLiteral("此次清屏操作将删除所有数据 \n 数据不可再恢复,是否继续? ");
    const QString caption = english ? QStringLiteral("Tips") : QStringLiteral("提示");
    return platform::MessageBox(parent, text, caption, platform::MB_YESNO | platform::MB_ICONEXCLAMATION)
        == platform::IDYES;
}

void ReopenPage(CScreenPenWnd* surface, const QString& picturePath)
{
    if (surface)
        surface->ReopenPage(picturePath);
}

void PreviousPage(CScreenPenWnd* surface)
{
    if (!surface)
        return;
    PageFileList& pages = surface->lesson().BoardPages();
    const int n = pages.currentPage;
    if (n < 1 || pages.files.size() < n)
        return;
    if (!storeOpenBoardPage(surface))
        return;
    // The number moves first: the page that opens shows it.
    pages.currentPage = std::max(0, n - 1);
    openBoardPage(surface, n - 1);
    tellTurned(surface->lesson());
}

void NextPage(CScreenPenWnd* surface)
{
    if (!surface || !storeOpenBoardPage(surface))
        return;
    PageFileList& pages = surface->lesson().BoardPages();
    const int n = pages.currentPage;
    pages.currentPage = std::min<int>(n + 1, int(pages.files.size()));
    if (n + 1 >= 0 && n + 1 < pages.files.size())
        openBoardPage(surface, n + 1);
    else
        surface->StartBlankPage();
    tellTurned(surface->lesson());
}

QStringList PagePicturesIn(const QString& folder)
{
    QStringList pictures;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files)) {
        if (file.suffix().compare(QStringLiteral("bmp"), Qt::CaseInsensitive) == 0)
            pictures << file.absoluteFilePath();
    }
    std::sort(pictures.begin(), pictures.end(), numbersFirstLess);
    return pictures;
}

QStringList ImportPages(
    const Lesson& lesson, const QStringList& pictures, const QString& folder, const QDateTime& when)
{
    QStringList imported;
    if (!QDir().mkpath(folder))
        return imported;
    const QString base = QDir(folder).filePath(PageBaseName(when));
    for (const QString& picture : pictures) {
        const QString page = lesson.UnusedPageBase(base);
        if (!importPicture(picture, page + QStringLiteral(".bmp")))
            continue;
        for (const QString& strokes : {QStringLiteral("kw"), QStringLiteral("kwt")}) {
            const QString source = WithExtension(picture, strokes);
            if (platform::isRegularFile(source))
                QFile::copy(source, page + u'.' + strokes);
        }
        imported << page + QStringLiteral(".bmp");
    }
    return imported;
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
