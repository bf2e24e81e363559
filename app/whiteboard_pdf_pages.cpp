// The main panel's opened PDFs and decks: opening one off the UI thread with its progress and Cancel, its
// pages joining the board's, each page made as the teacher comes near it and let go again once the teacher
// has moved on, and every conversion stopped at the close.
#include "app/whiteboard_dlg.h"

#include "app/line_style_dlg.h"
#include "app/opened_pdf.h"
#include "assist/ppt_convert.h"
#include "board3d/board3d_exports.h"
#include "pdf/pdf_reader.h"
#include "platform/bmp_writer.h"
#include "platform/message_box.h"
#include "support/language.h"
#include "support/multi_screen.h"
#include "surface/device_scale.h"
#include "surface/page_format.h"
#include "surface/page_store.h"
#include "surface/surface_state.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

// How long a close waits for the conversions to end: LibreOffice is killed within a tenth of a second, and
// only a thread deep inside the PDF library is left behind after this.
constexpr int kCloseWaitMs = 1000;

QString problemText(PdfProblem problem)
{
    switch (problem) {
    case PdfProblem::Encrypted:
        return GetConfigString(u"这个PDF文件已加密，无法打开。"_s);
    case PdfProblem::NoPages:
        return GetConfigString(u"这个PDF文件没有页面。"_s);
    case PdfProblem::NoReader:
        return pdfreader::MissingText();
    default:
        return GetConfigString(u"这个文件不是PDF，或已损坏，无法打开。"_s);
    }
}

QString comingText(int number)
{
    return GetConfigString(u"正在打开第%1页…"_s).arg(number);
}

// A page with ink (or with anything stored beyond the end mark) is the teacher's and stays on disk.
bool written(const QString& objects)
{
    return QFileInfo(objects).size() > 1;
}

int pictureDepth()
{
    const int depth = OWNERBITMAP::BitmapDepthFor(OWNERBITMAP::DisplayBits());
    return depth == 0 ? 24 : depth;
}

} // namespace

bool CWhiteBoardDlg::OpenPagesOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool deck = suffix == u"ppt"_s || suffix == u"pptx"_s || suffix == u"odp"_s;
    if (deck && UICONTROL::CPptConvert::officeProgram().isEmpty()) {
        platform::MessageBox(DialogOwner(),
            IsEnglish() ? u"Please install LibreOffice Impress first."_s
                        : u"未安装OFFICE库文件,转化失败\r\n请先安装LibreOffice Impress"_s,
            IsEnglish() ? u"Tips"_s : u"提示"_s, platform::MB_OK | platform::MB_ICONWARNING);
        return false;
    }
    auto pdf = std::make_unique<OpenedPdf>();
    const int id = pdf->id = ++nextPdfId_;
    pdf->name = QFileInfo(path).fileName();
    // Pages are made at the screen's own pixels, as the surface they are shown on works in.
    pdf->screen = DeviceScale {devicePixelRatio()}.size(CMultiScreen(this).GetScreenRect().size());
    if (pdf->screen.isEmpty())
        pdf->screen = QSize(1920, 1080);
    pdf->progress = new CConversionProgress(GetConfigString(u"打开PDF或幻灯片"_s), pdf->name, this);
    pdf->progress->SetStage(deck ? qmhelp::ConversionStage::Office : qmhelp::ConversionStage::Pages);
    pdf->progress->onCancel = [this, id] { CancelOpening(id); };

    PdfPageMaker::Prepare prepare;
    if (deck) {
        pdf->work = std::make_unique<QTemporaryDir>();
        prepare = [path, folder = pdf->work->isValid() ? pdf->work->path() : QString()](
                      const std::function<bool()>& stopped, QString* printed, QString* error) {
            if (folder.isEmpty()) {
                *error = u"no scratch folder"_s;
                return false;
            }
            UICONTROL::CPptConvert converter;
            converter.SetCancelCheck(stopped);
            const bool ok = converter.ConvertToPdf(path, folder, printed);
            if (!ok)
                *error = converter.Cancelled() ? QString() : converter.Error();
            // Only the PDF is kept for the pages still to come, not the office suite's profile.
            QDir(folder + u"/profile"_s).removeRecursively();
            QDir(folder + u"/home"_s).removeRecursively();
            return ok;
        };
    }
    // The maker tells from its own thread; the panel stops it before it goes, so it is there to be told.
    PdfPageMaker::Events events;
    events.opened = [this, id](PdfProblem problem, int count, const QString& deckError) {
        QMetaObject::invokeMethod(
            this, [=, this] { PdfOpened(id, problem, count, deckError); }, Qt::QueuedConnection);
    };
    events.made = [this, id](int page, const QImage& image) {
        QMetaObject::invokeMethod(
            this, [=, this] { PdfPageMade(id, page, image); }, Qt::QueuedConnection);
    };
    pdf->maker = std::make_unique<PdfPageMaker>(path, pdf->screen, std::move(events), std::move(prepare));
    openedPdfs_.push_back(std::move(pdf));
    return true;
}

OpenedPdf* CWhiteBoardDlg::FindOpenedPdf(int id) const
{
    for (const auto& pdf : openedPdfs_)
        if (pdf->id == id)
            return pdf.get();
    return nullptr;
}

OpenedPdf* CWhiteBoardDlg::OpenedPdfHolding(int index) const
{
    for (const auto& pdf : openedPdfs_)
        if (pdf->Holds(index))
            return pdf.get();
    return nullptr;
}

bool CWhiteBoardDlg::OpeningPages() const
{
    return std::any_of(
        openedPdfs_.begin(), openedPdfs_.end(), [](const auto& pdf) { return pdf->first < 0; });
}

void CWhiteBoardDlg::ForgetOpening(int id)
{
    const auto at = std::find_if(
        openedPdfs_.begin(), openedPdfs_.end(), [id](const auto& pdf) { return pdf->id == id; });
    if (at == openedPdfs_.end())
        return;
    if ((*at)->progress)
        (*at)->progress->Finish();
    openedPdfs_.erase(at);
}

void CWhiteBoardDlg::CancelOpening(int id)
{
    // Cancel stops only an opening: the pages already on the board stay.
    if (const OpenedPdf* pdf = FindOpenedPdf(id); pdf && pdf->first < 0)
        ForgetOpening(id);
}

void CWhiteBoardDlg::PdfOpened(int id, PdfProblem problem, int count, const QString& deckError)
{
    OpenedPdf* pdf = FindOpenedPdf(id);
    if (!pdf || destroyed_)
        return;
    if (problem == PdfProblem::None) {
        pdf->pages.assign(std::size_t(count), OpenedPdf::Page::Waiting);
        if (pdf->progress)
            pdf->progress->SetStage(qmhelp::ConversionStage::Pages, 1, count);
        return;
    }
    // Nothing has changed on the board: the open page stays, and the teacher is told why.
    ForgetOpening(id);
    Tell(
        deckError.isEmpty() ? problemText(problem) : GetConfigString(u"幻灯片无法转换：%1"_s).arg(deckError));
}

void CWhiteBoardDlg::PdfPageMade(int id, int page, const QImage& image)
{
    OpenedPdf* pdf = FindOpenedPdf(id);
    if (!pdf || destroyed_ || page < 0 || page >= pdf->Count())
        return;
    const bool joining = pdf->first < 0;
    if (joining) {
        // The document's pages join the board's behind those there are, named as one run.
        PageFileList& list = lesson_.BoardPages();
        pdf->first = int(list.files.size());
        const QString base = lesson_.NewPdfBase(QDateTime::currentDateTime());
        list.files.reserve(list.files.size() + pdf->Count());
        for (int k = 1; k <= pdf->Count(); ++k)
            list.files.append(PdfPageObjects(base, k));
    }
    const int index = pdf->first + page;
    const QString objects = lesson_.BoardPages().files.at(index);
    const QString picture = WithExtension(objects, u"bmp"_s);
    OpenedPdf::Page& state = pdf->pages[std::size_t(page)];
    state = OpenedPdf::Page::Failed;
    if (image.isNull()) {
        ShowTip(GetConfigString(u"第%1页无法显示，已略过"_s).arg(page + 1));
    } else {
        // Ink the teacher stored on the page while its picture was coming stays.
        QString failed;
        const bool stored = QDir().mkpath(QFileInfo(objects).absolutePath())
            && (QFileInfo::exists(objects)
                    ? StorePagePicture(picture, image, pictureDepth())
                    : StorePageFiles(objects, {}, picture, &image, pictureDepth(), &failed));
        if (stored)
            state = OpenedPdf::Page::Made;
        else
            ShowTip(GetConfigString(u"第%1页无法保存，已略过"_s).arg(page + 1));
    }
    if (joining) {
        if (pdf->progress)
            pdf->progress->Finish();
        OpenBoardAt(index);
        ShowTip(GetConfigString(u"已打开%1，共%2页"_s).arg(pdf->name).arg(pdf->Count()));
    } else if (state == OpenedPdf::Page::Made && BoardPageOpen()
        && lesson_.BoardPages().currentPage == index) {
        surface_->PlacePagePicture(image);
        HideTipSaying(comingText(page + 1));
    }
    RefreshPdfPages();
}

void CWhiteBoardDlg::OpenBoardAt(int index)
{
    // A page the teacher has open is stored first; one that cannot be stored stays open.
    if (!ReleaseSurface())
        return;
    lesson_.BoardPages().currentPage = index;
    lesson_.SetBoardMode(kBoardWhite);
    surfaceOverWhiteboard_ = true;
    Hide3DWindow();
    surface_ = CreateSurface();
    surface_->ShowSurface();
    lineStyleDlg_->Refresh();
}

bool CWhiteBoardDlg::PdfPictureToCome(int index) const
{
    const OpenedPdf* pdf = OpenedPdfHolding(index);
    return pdf && pdf->pages[std::size_t(index - pdf->first)] == OpenedPdf::Page::Waiting;
}

void CWhiteBoardDlg::PdfPageTurned(int index)
{
    if (PdfPictureToCome(index))
        ShowTip(comingText(index - OpenedPdfHolding(index)->first + 1));
    RefreshPdfPages();
}

void CWhiteBoardDlg::RefreshPdfPages()
{
    const PageFileList& list = lesson_.BoardPages();
    for (const auto& pdf : openedPdfs_) {
        if (pdf->first < 0)
            continue;
        const int shown = list.currentPage - pdf->first;
        std::vector<bool> made(pdf->pages.size()), inked(pdf->pages.size());
        for (std::size_t i = 0; i < pdf->pages.size(); ++i) {
            made[i] = pdf->pages[i] != OpenedPdf::Page::Waiting;
            inked[i] = pdf->pages[i] == OpenedPdf::Page::Made && written(list.files.at(pdf->first + int(i)));
        }
        for (const int page : PdfPagesToLetGo(shown, pdf->Count(), made, inked)) {
            if (pdf->pages[std::size_t(page)] != OpenedPdf::Page::Made)
                continue;
            const QString objects = list.files.at(pdf->first + page);
            QFile::remove(WithExtension(objects, u"bmp"_s));
            QFile::remove(objects);
            pdf->pages[std::size_t(page)] = OpenedPdf::Page::Waiting;
            made[std::size_t(page)] = false;
            pdf->maker->Forget(page);
        }
        pdf->maker->Want(PdfPagesToMake(shown, pdf->Count(), made));
    }
}

void CWhiteBoardDlg::StopOpenedPdfs()
{
    for (const auto& pdf : openedPdfs_)
        pdf->maker->Stop();
}

void CWhiteBoardDlg::CloseOpenedPdfs()
{
    StopOpenedPdfs();
    const QDeadlineTimer deadline(kCloseWaitMs);
    for (const auto& pdf : openedPdfs_) {
        pdf->maker->WaitUntilEnded(int(deadline.remainingTime()));
        if (pdf->progress)
            pdf->progress->Finish();
    }
    openedPdfs_.clear();
}

} // namespace DIALOG
