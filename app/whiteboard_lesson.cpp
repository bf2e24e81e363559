// The main panel's lesson: exporting every page as one PDF, asking for a PDF or a slide deck to open as board
// pages, and keeping the lesson when the program closes.
#include "app/whiteboard_dlg.h"

#include "app/opened_pdf.h"
#include "app/whiteboard_messages.h"

#include "assist/tab_dlg.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "support/program_settings.h"
#include "surface/page_format.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

CWhiteBoardDlg::LessonFileChooser& lessonFileChooser()
{
    static CWhiteBoardDlg::LessonFileChooser chooser;
    return chooser;
}

} // namespace

void CWhiteBoardDlg::Tell(const QString& text)
{
    platform::MessageBox(
        DialogOwner(), text, IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK | platform::MB_ICONWARNING);
}

void CWhiteBoardDlg::SetLessonFileChooser(LessonFileChooser chooser)
{
    lessonFileChooser() = std::move(chooser);
}

QString CWhiteBoardDlg::ChooseLessonFile(bool save, const QString& start, const QString& filter)
{
    const QString cwd = QDir::currentPath();
    QString chosen;
    if (lessonFileChooser())
        chosen = lessonFileChooser()(save, start, filter);
    else if (save)
        chosen = QFileDialog::getSaveFileName(DialogOwner(), GetConfigString(u"导出PDF"_s), start, filter);
    else
        chosen = QFileDialog::getOpenFileName(
            DialogOwner(), GetConfigString(u"打开PDF或幻灯片"_s), start, filter);
    QDir::setCurrent(cwd);
    return chosen;
}

std::vector<LessonPage> CWhiteBoardDlg::LessonPages(bool keeping) const
{
    std::vector<LessonPage> pages;
    const LessonFolders folders = Folders();
    for (const QString& label : tabDlg_->HistoryLabels()) {
        if (QFileInfo::exists(folders.HistoryPicture(label)))
            pages.push_back({folders.HistoryPicture(label), folders.HistoryObjects(label)});
    }
    const QStringList& files = lesson_.BoardPages().files;
    for (int i = 0; i < files.size(); ++i) {
        const QString& objects = files.at(i);
        const QString picture = WithExtension(objects, u"bmp"_s);
        const OpenedPdf* pdf = OpenedPdfHolding(i);
        if (pdf && keeping && QFileInfo(objects).size() <= 1)
            continue;
        if (QFileInfo::exists(picture))
            pages.push_back({picture, objects});
        else if (pdf && !keeping && PdfPictureToCome(i))
            pages.push_back({picture, objects, pdf->maker->PdfPath(), i - pdf->first, pdf->screen});
    }
    return pages;
}

bool CWhiteBoardDlg::StoreOpenPageKeepingSurface()
{
    if (!surface_ || !lesson_.Pages().pageChanged)
        return true;
    surface_->FinishCurrentOperation();
    if (surface_->IsBoardPage()) {
        return SavePage(surface_, lesson_.OpenBoardPagePath(QDateTime::currentDateTime()));
    }
    return StorePageToHistory();
}

bool CWhiteBoardDlg::ExportLessonPdf()
{
    HideAllPopups();
    if (!StoreOpenPageKeepingSurface())
        return false;
    const std::vector<LessonPage> pages = LessonPages();
    if (pages.empty()) {
        Tell(GetConfigString(u"还没有可以导出的页面。"_s));
        return false;
    }
    const QString start
        = QDir(platform::documentsFolder()).filePath(LessonPdfFileName(QDateTime::currentDateTime()));
    QString chosen = ChooseLessonFile(true, start, u"PDF (*.pdf)"_s);
    if (chosen.isEmpty())
        return false;
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += u".pdf"_s;
    ShowTip(GetConfigString(u"正在导出PDF…"_s));
    // The tip shows before the pages are drawn.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    LessonExport result;
    if (!WriteLessonPdf(chosen, pages, &result)) {
        Tell(GetConfigString(u"PDF无法写入：%1"_s)
                 .arg(QDir::toNativeSeparators(chosen) + u"\n"_s + result.error));
        return false;
    }
    QString done
        = GetConfigString(u"已导出%1页：%2"_s).arg(result.pagesWritten).arg(QFileInfo(chosen).fileName());
    if (!result.leftOut.isEmpty())
        done += u" "_s + GetConfigString(u"（%1页无法读取，已略过）"_s).arg(result.leftOut.size());
    ShowTip(done);
    return true;
}

void CWhiteBoardDlg::OpenPdfOrSlides()
{
    HideAllPopups();
    const QString file = ChooseLessonFile(false, platform::documentsFolder(),
        GetConfigString(u"PDF或幻灯片"_s) + u" (*.pdf *.ppt *.pptx *.odp)"_s);
    if (!file.isEmpty())
        OpenPagesOf(file);
}

void CWhiteBoardDlg::OpenKeptLesson()
{
    HideAllPopups();
    const QStringList lessons = KeptLessons(KeptLessonsFolder());
    if (lessons.isEmpty()) {
        Tell(GetConfigString(u"还没有保存的课。"_s));
        return;
    }
    QMenu menu(this);
    menu.setStyleSheet(mainMenu_ ? mainMenu_->styleSheet() : QString());
    for (const QString& lesson : lessons) {
        const QDateTime when
            = QDateTime::fromString(QFileInfo(lesson).fileName().left(19), u"yyyy-MM-dd-HH-mm-ss"_s);
        const QString text
            = when.isValid() ? when.toString(u"yyyy-MM-dd HH:mm:ss"_s) : QFileInfo(lesson).fileName();
        menu.addAction(text)->setData(KeptLessonPdf(lesson));
    }
    if (QAction* chosen = menu.exec(QCursor::pos()))
        OpenPagesOf(chosen->data().toString());
}

QString CWhiteBoardDlg::KeepLesson(bool* failed)
{
    if (failed)
        *failed = false;
    const std::vector<LessonPage> pages = LessonPages(true);
    // Kept when the teacher wrote: a history page, or a board page that holds more than its end mark. Pages
    // only opened from a PDF (a kept lesson among them) are not kept again.
    const bool written = std::any_of(pages.begin(), pages.end(), [&](const LessonPage& page) {
        return !lesson_.BoardPages().files.contains(page.objects) || QFileInfo(page.objects).size() > 1;
    });
    if (pages.empty() || !written)
        return {};
    return KeepPages(pages, failed);
}

QString CWhiteBoardDlg::KeepPages(const std::vector<LessonPage>& pages, bool* failed)
{
    if (failed)
        *failed = false;
    const settings::ProgramSettings chosen = settings::ReadSettings().values;
    const QString root = settings::KeptLessonsFolderOf(chosen);
    QString folder = root + u"/"_s + KeptLessonFolderName(QDateTime::currentDateTime());
    for (int n = 2; QFileInfo::exists(folder); ++n)
        folder = root + u"/"_s + KeptLessonFolderName(QDateTime::currentDateTime()) + u"-%1"_s.arg(n);
    LessonExport result;
    if (!platform::makeScratchFolder(folder) || !WriteLessonPdf(KeptLessonPdf(folder), pages, &result)) {
        platform::removeScratchFolder(folder);
        if (failed)
            *failed = true;
        platform::MessageBox(nullptr,
            GetConfigString(u"这节课无法保存到%1，页面仍保留在临时文件夹中。"_s)
                .arg(QDir::toNativeSeparators(folder)),
            IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK | platform::MB_ICONWARNING);
        return {};
    }
    PruneKeptLessons(root, chosen.keptLessons);
    return folder;
}

} // namespace DIALOG
