// The main panel's side of a lesson that did not end: finding it at the start, asking the teacher once the
// panel shows, and bringing it back or keeping it as a kept lesson; and the journal of the open page begun.
#include "app/whiteboard_dlg.h"

#include "assist/tab_dlg.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "surface/page_format.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace DIALOG {

using namespace Qt::Literals::StringLiterals;

namespace {

void removePageFiles(const QString& picture)
{
    for (const QString& extension : PageFileExtensions())
        QFile::remove(WithExtension(picture, extension));
    QFile::remove(picture);
}

} // namespace

void CWhiteBoardDlg::StartLessonFolders()
{
    const LessonFolders& folders = Folders();
    if (offerRecovery_ && LessonSession::Interrupted(folders)) {
        auto found = std::make_unique<InterruptedLesson>(ReadInterruptedLesson(folders));
        // The open page is stored before the journal starts again over it: a second crash before the
        // teacher answers finds it among the pages.
        const QString stored = StoreRecoveredPage(*found, lesson_, QDateTime::currentDateTime());
        if (!stored.isEmpty() && found->pageFile.isEmpty()) {
            if (found->boardMode == kBoardDesktop)
                found->historyPictures << stored;
            else
                found->boardObjects << WithExtension(stored, u"kw"_s);
        }
        found->pageFile = stored.isEmpty() ? found->pageFile : WithExtension(stored, u"kw"_s);
        if (!found->Empty())
            found_ = std::move(found);
    }
    platform::makeScratchFolder(folders.HistoryFolder());
    session_.Begin(folders);
    QDir().mkpath(QFileInfo(folders.JournalFile()).absolutePath());
    lesson_.StartJournal(folders.JournalFile(), [this](bool trouble) {
        ShowTip(trouble ? GetConfigString(u"磁盘已满，书写只保存在内存中，腾出空间后会自动补存。"_s)
                        : GetConfigString(u"磁盘又有空间了，书写已补存。"_s));
    });
    if (found_)
        QTimer::singleShot(0, this, [this] { OfferRecovery(); });
}

void CWhiteBoardDlg::OfferRecovery()
{
    if (!found_)
        return;
    const int answer = platform::MessageBox(DialogOwner(),
        IsEnglish()
            ? u"The last lesson did not end normally. Bring it back?\nWith No it is kept among the kept lessons."_s
            : u"上一节课没有正常结束。要恢复它吗？\n选择“否”会把它留在保存的课中。"_s,
        IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_YESNO | platform::MB_ICONQUESTION);
    RecoverLesson(answer == platform::IDYES);
}

void CWhiteBoardDlg::RecoverLesson(bool bringBack)
{
    const std::unique_ptr<InterruptedLesson> found = std::move(found_);
    if (!found)
        return;
    if (!bringBack) {
        std::vector<LessonPage> pages;
        for (const QString& picture : found->historyPictures)
            pages.push_back({picture, WithExtension(picture, u"kw"_s)});
        for (const QString& objects : found->boardObjects)
            pages.push_back({WithExtension(objects, u"bmp"_s), objects});
        bool failed = false;
        KeepPages(pages, &failed);
        if (failed)
            return;
        for (const LessonPage& page : pages)
            removePageFiles(page.picture);
        return;
    }
    for (const QString& picture : found->historyPictures)
        tabDlg_->AddBitmap(picture, WithExtension(picture, u"kw"_s));
    lesson_.BoardPages().files = found->boardObjects;
    lesson_.MoveToNewPage();
    const int boardIndex = lesson_.BoardPages().IndexOf(found->pageFile);
    if (boardIndex >= 0)
        OpenBoardAt(boardIndex);
    else if (found->historyPictures.contains(WithExtension(found->pageFile, u"bmp"_s)))
        OpenBackground(WithExtension(found->pageFile, u"bmp"_s));
}

} // namespace DIALOG
