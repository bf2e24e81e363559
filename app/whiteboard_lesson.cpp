// The main panel's lesson: exporting every page as one PDF, opening a PDF or a slide deck as board pages, and
// keeping the lesson when the program closes.
#include "app/whiteboard_dlg.h"

#include "app/line_style_dlg.h"
#include "app/tool_tip_dlg.h"
#include "app/whiteboard_messages.h"

#include "assist/conversion_progress.h"
#include "assist/ppt_convert.h"
#include "assist/tab_dlg.h"
#include "board3d/board3d_exports.h"
#include "platform/bmp_writer.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "support/language.h"
#include "support/multi_screen.h"
#include "surface/page_format.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QThreadPool>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

CWhiteBoardDlg::LessonFileChooser& lessonFileChooser()
{
    static CWhiteBoardDlg::LessonFileChooser chooser;
    return chooser;
}

void tell(QWidget* owner, const QString& text)
{
    platform::MessageBox(
        owner, text, IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK | platform::MB_ICONWARNING);
}

QString problemText(PdfProblem problem)
{
    switch (problem) {
    case PdfProblem::Encrypted:
        return GetConfigString(u"这个PDF文件已加密，无法打开。"_s);
    case PdfProblem::NoPages:
        return GetConfigString(u"这个PDF文件没有页面。"_s);
    default:
        return GetConfigString(u"这个文件不是PDF，或已损坏，无法打开。"_s);
    }
}

bool isDeck(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"ppt"_s || suffix == u"pptx"_s || suffix == u"odp"_s;
}

} // namespace

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

std::vector<LessonPage> CWhiteBoardDlg::LessonPages() const
{
    std::vector<LessonPage> pages;
    const QString history = ProgramFolder() + u"/Temp/"_s;
    for (const QString& label : tabDlg_->HistoryLabels()) {
        if (QFileInfo::exists(history + label + u".bmp"_s))
            pages.push_back({history + label + u".bmp"_s, history + label + u".kw"_s});
    }
    for (const QString& objects : ThePageFileList().files) {
        const QString picture = WithExtension(objects, u"bmp"_s);
        if (QFileInfo::exists(picture))
            pages.push_back({picture, objects});
    }
    return pages;
}

bool CWhiteBoardDlg::StoreOpenPageKeepingSurface()
{
    if (!surface_ || !ThePageList().pageChanged)
        return true;
    surface_->FinishCurrentOperation();
    if (surface_->IsBoardPage()) {
        const PageFileList& pages = ThePageFileList();
        const QString path = pages.currentPage >= 0 && pages.currentPage < pages.files.size()
            ? pages.files.at(pages.currentPage)
            : BoardPageFolder() + PageBaseName(QDateTime::currentDateTime()) + u".xxx"_s;
        return SavePage(surface_, path);
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
        tell(DialogOwner(), GetConfigString(u"还没有可以导出的页面。"_s));
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
        tell(DialogOwner(),
            GetConfigString(u"PDF无法写入：%1"_s)
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

using qmhelp::ConversionStage;

// One PDF or deck being opened as board pages, as the worker sees it.
struct CWhiteBoardDlg::ImportJob {
    QPointer<CWhiteBoardDlg> panel;
    QPointer<CConversionProgress> progress;
    QString path;
    bool deck = false;
    QSize screen;
    std::shared_ptr<std::atomic<bool>> shutdown; // the program is closing
    std::shared_ptr<std::atomic<bool>> cancel; // the teacher pressed Cancel
    bool stopped() const { return *shutdown || *cancel; }

    void showStage(ConversionStage stage, int k, int n) const;
    // Ends an import that opened no page: the problem, when there is one, is told.
    void endWithoutPages(const QString& problem) const;
    // Off the UI thread: LibreOffice prints a deck to PDF, then each page is rendered and handed to the
    // panel.
    void run() const;
};

void CWhiteBoardDlg::ImportJob::showStage(ConversionStage stage, int k, int n) const
{
    QMetaObject::invokeMethod(
        qApp,
        [progress = progress, stage, k, n] {
            if (progress)
                progress->SetStage(stage, k, n);
        },
        Qt::QueuedConnection);
}

void CWhiteBoardDlg::ImportJob::endWithoutPages(const QString& problem) const
{
    QMetaObject::invokeMethod(
        qApp,
        [panel = panel, progress = progress, problem] {
            if (progress)
                progress->Finish();
            if (!panel)
                return;
            --panel->importsRunning_;
            if (!problem.isEmpty())
                tell(panel->DialogOwner(), problem);
        },
        Qt::QueuedConnection);
}

void CWhiteBoardDlg::ImportJob::run() const
{
    QString pdf = path;
    QTemporaryDir work;
    if (deck) {
        UICONTROL::CPptConvert converter;
        converter.SetCancelCheck([this] { return stopped(); });
        if (!work.isValid() || !converter.ConvertToPdf(path, work.path(), &pdf)) {
            const QString said = work.isValid() ? converter.Error() : u"no scratch folder"_s;
            endWithoutPages(
                converter.Cancelled() ? QString() : GetConfigString(u"幻灯片无法转换：%1"_s).arg(said));
            return;
        }
    }
    PdfPages pages;
    if (const PdfProblem problem = pages.Open(pdf); problem != PdfProblem::None) {
        endWithoutPages(problemText(problem));
        return;
    }
    const int count = pages.Count();
    showStage(ConversionStage::Pages, 0, count);
    QStringList notes;
    int opened = 0;
    for (int i = 0; i < count && !stopped(); ++i) {
        const QImage page = pages.Render(i, screen);
        if (page.isNull()) {
            notes << QString::number(i + 1);
            continue;
        }
        const bool first = opened == 0;
        ++opened;
        QMetaObject::invokeMethod(
            qApp,
            [panel = panel, page, i, first] {
                if (panel)
                    panel->AddImportedPage(page, i + 1, first);
            },
            Qt::QueuedConnection);
        showStage(ConversionStage::Pages, i + 1, count);
    }
    const bool cancelled = *cancel;
    QMetaObject::invokeMethod(
        qApp,
        [panel = panel, progress = progress, opened, count, notes, cancelled] {
            if (progress)
                progress->Finish();
            if (panel)
                panel->FinishImport(opened, count, notes, cancelled);
        },
        Qt::QueuedConnection);
}

bool CWhiteBoardDlg::OpenPagesOf(const QString& path)
{
    const bool deck = isDeck(path);
    if (!deck) {
        // A PDF that cannot open is told at once, and nothing changes on the board.
        PdfPages check;
        if (const PdfProblem problem = check.Open(path); problem != PdfProblem::None) {
            tell(DialogOwner(), problemText(problem));
            return false;
        }
    } else if (UICONTROL::CPptConvert::officeProgram().isEmpty()) {
        tell(DialogOwner(),
            IsEnglish() ? u"Please install LibreOffice Impress first."_s
                        : u"未安装OFFICE库文件,转化失败\r\n请先安装LibreOffice Impress"_s);
        return false;
    }
    // The page open now is stored before the board shows another; one that cannot be stored stays open.
    if (!ReleaseSurface())
        return false;
    if (!importPool_) {
        importPool_ = std::make_unique<QThreadPool>();
        importPool_->setMaxThreadCount(1);
    }
    if (!importCancelled_)
        importCancelled_ = std::make_shared<std::atomic<bool>>(false);
    ImportJob job;
    job.panel = this;
    job.path = path;
    job.deck = deck;
    job.screen = CMultiScreen(this).GetScreenRect().size();
    if (job.screen.isEmpty())
        job.screen = QSize(1920, 1080);
    job.shutdown = importCancelled_;
    job.cancel = std::make_shared<std::atomic<bool>>(false);
    job.progress
        = new CConversionProgress(GetConfigString(u"打开PDF或幻灯片"_s), QFileInfo(path).fileName(), this);
    job.progress->SetStage(deck ? ConversionStage::Office : ConversionStage::Pages);
    job.progress->onCancel = [cancel = job.cancel] { *cancel = true; };
    ++importsRunning_;
    importPool_->start([job] { job.run(); });
    return true;
}

void CWhiteBoardDlg::AddImportedPage(const QImage& page, int number, bool first)
{
    // A page rendered while the program was closing opens nothing.
    if (destroyed_)
        return;
    const QString base = UnusedPageBase(BoardPageFolder() + PageBaseName(QDateTime::currentDateTime()));
    const QString objects = base + u".kw"_s;
    QString failed;
    int depth = OWNERBITMAP::BitmapDepthFor(OWNERBITMAP::DisplayBits());
    if (depth == 0)
        depth = 24;
    if (!QDir().mkpath(QFileInfo(objects).absolutePath())
        || !StorePageFiles(objects, {}, base + u".bmp"_s, &page, depth, &failed)) {
        ShowTip(GetConfigString(u"第%1页无法保存，已略过"_s).arg(number));
        return;
    }
    PageFileList& pages = ThePageFileList();
    pages.files.append(objects);
    if (!first) {
        // The board open meanwhile counts the page that joined it.
        if (surface_)
            surface_->ShowPageNumber();
        return;
    }
    // The first page shows at once; a page the teacher opened meanwhile is stored first.
    if (!ReleaseSurface())
        return;
    pages.currentPage = int(pages.files.size()) - 1;
    boardMode = kBoardWhite;
    surfaceOverWhiteboard_ = true;
    Hide3DWindow();
    surface_ = CreateSurface();
    surface_->ShowSurface();
    lineStyleDlg_->Refresh();
}

void CWhiteBoardDlg::FinishImport(int opened, int count, const QStringList& notes, bool cancelled)
{
    --importsRunning_;
    // A cancel before any page opened leaves the board as it was, and is nothing to report.
    if (destroyed_ || (cancelled && opened == 0))
        return;
    QString text = GetConfigString(u"已打开%1页，共%2页"_s).arg(opened).arg(count);
    if (!notes.isEmpty())
        text += u" "_s + GetConfigString(u"第%1页无法显示，已略过"_s).arg(notes.join(u", "_s));
    ShowTip(text);
}

void CWhiteBoardDlg::OpenKeptLesson()
{
    HideAllPopups();
    const QStringList lessons = KeptLessons(KeptLessonsFolder());
    if (lessons.isEmpty()) {
        tell(DialogOwner(), GetConfigString(u"还没有保存的课。"_s));
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
    const std::vector<LessonPage> pages = LessonPages();
    // Kept when the teacher wrote: a history page, or a board page that holds more than its end mark. Pages
    // only opened from a PDF (a kept lesson among them) are not kept again.
    const bool written = std::any_of(pages.begin(), pages.end(), [&](const LessonPage& page) {
        return !ThePageFileList().files.contains(page.objects) || QFileInfo(page.objects).size() > 1;
    });
    if (pages.empty() || !written)
        return {};
    const QString root = KeptLessonsFolder();
    QString folder = root + u"/"_s + KeptLessonFolderName(QDateTime::currentDateTime());
    for (int n = 2; QFileInfo::exists(folder); ++n)
        folder = root + u"/"_s + KeptLessonFolderName(QDateTime::currentDateTime()) + u"-%1"_s.arg(n);
    LessonExport result;
    if (!platform::makeScratchFolder(folder) || !WriteLessonPdf(KeptLessonPdf(folder), pages, &result)) {
        platform::removeScratchFolder(folder);
        if (failed)
            *failed = true;
        tell(nullptr,
            GetConfigString(u"这节课无法保存到%1，页面仍保留在临时文件夹中。"_s)
                .arg(QDir::toNativeSeparators(folder)));
        return {};
    }
    PruneKeptLessons(root);
    return folder;
}

} // namespace DIALOG
