#include "surface/screen_pen_wnd.h"

#include "platform/image_file.h"
#include "platform/messages.h"
#include "platform/window_ops.h"
#include "platform/window_stack.h"
#include "recorder/recorder_exports.h"
#include "support/language.h"
#include "support/multi_screen.h"
#include "support/screen_picture.h"
#include "surface/image_review_dlg.h"
#include "surface/page_format.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/surface_messages.h"
#include "surface/surface_screens.h"
#include "surface/surface_state.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QThreadPool>
#include <QTimer>

#include <mutex>
#include <utility>

namespace DIALOG {

namespace {

using namespace ScreenPenMsg;

} // namespace

CScreenPenWnd::CScreenPenWnd(QWidget* owner, Lesson& lesson, const QString& pagePicture)
    // Outside the window manager's reach, like the panel: the window stack puts it above a running slide show
    // and under the panel, whatever the window manager thinks of a window that covers the screen.
    : QWidget(nullptr,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
            | Qt::X11BypassWindowManagerHint)
    , owner_(owner)
    , lesson_(lesson)
    , scale_ {VirtualScreenRatio()}
    , canvas_(scale_.size(VirtualScreenRect().size()))
    , picture_(*this)
    , instrument_(*this)
    , buttons_(*this, [this](NavButton button) { OnNavButton(button); })
    , text_(*this, this)
    , shapes_(*this)
    , erasers_(*this)
    , freehand_(*this)
    , chain_ {&buttons_, &picture_, &instrument_, &text_, &shapes_, &erasers_, &freehand_}
    , hands_(*this, *this)
{
    setWindowTitle(kTitle);
    platform::SetStackLayer(this, platform::StackLayer::Page);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setAttribute(Qt::WA_AcceptTouchEvents);
    setFocusPolicy(Qt::NoFocus);
    // Every pointer move is a point of the stroke: moves must not be merged into one.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    clock_.start();
    setGeometry(VirtualScreenRect());

    // What shows over the page, bottom to top; the canvas puts the rubber band above them all.
    for (const Overlay* overlay : std::initializer_list<const Overlay*> {&toolStrip_, &freehand_, &hands_,
             &erasers_, &shapes_, &instrument_, &picture_, &text_, &buttons_})
        canvas_.AddOverlay(overlay);
    canvas_.SetRepaint([this](const QRect& area) { update(scale_.toLogical(area)); });

    messages_ = std::make_unique<platform::MessageTable>(this, kClassName);
    messages_->on(kTextChanged, [this](WPARAM, LPARAM) -> LRESULT {
        text_.OnTextChanged();
        return 0;
    });
    messages_->on(kFlashClicked, [this](WPARAM, LPARAM) -> LRESULT { return picture_.OnFlashClicked(); });
    messages_->on(
        kMediaWindow, [this](WPARAM wParam, LPARAM) -> LRESULT { return picture_.OnMediaWindow(wParam); });
    initialise(pagePicture);
    // What changed outside a press or a redraw (a text committed by a tool change, a media window moved or
    // closed) reaches the journal within a second.
    auto* journalTimer = new QTimer(this);
    connect(journalTimer, &QTimer::timeout, this, [this] {
        if (!capturing_ && !hands_.busy())
            lesson_.JournalChanges();
    });
    journalTimer->start(1000);
}

CScreenPenWnd::~CScreenPenWnd()
{
    review_.reset();
    if (windowExists_) {
        windowExists_ = false;
        notifyOwner(kClosed, 0);
    }
}

void CScreenPenWnd::initialise(const QString& pagePicture)
{
    instrument_.ClearInstruments();
    modeWord_.clear();
    erasers_.SetEraserSize(scale_.length(EraserGesture::kDefaultSize));
    eraseMode_ = kEraseModeNone;
    text_.Reset();

    boardPage_ = pagePicture.isEmpty() && lesson_.OnBoard();
    backgroundChosen_ = !pagePicture.isEmpty();
    if (!pagePicture.isEmpty()) {
        loadPageFiles(pagePicture);
    } else {
        // A new surface opens a new page: the objects of the page stored before it are not carried over.
        lesson_.Pages().Clear();
        lesson_.Pages().pageChanged = false;
        if (!lesson_.OnBoard()) {
            takeScreenPicture();
            lesson_.JournalBegin(QString(), keepDesktopPicture());
        } else {
            canvas_.background().fill(0xFFFFFFFF);
            if (const QString stored = lesson_.CurrentPageFile(); !stored.isEmpty())
                loadPageFiles(WithExtension(stored, QStringLiteral("bmp")));
            else
                lesson_.JournalBegin(QString(), QString());
        }
    }
    if (lesson_.OnBoard())
        buttons_.Place(panelScreenRect());

    eraserSource_ = canvas_.backgroundBitmap();
    resetCurrentObject();
    fullRedraw();
}

void CScreenPenWnd::takeScreenPicture()
{
    // A record window the teacher left open stays out of the way of the writing.
    if (IsRecordVisible())
        HideRecordWindow();
    notifyOwner(kCapturing, 0);
    // The picture holds what the teacher sees of other programs: none of the program's windows or notices.
    const QImage shot = TakeScreenPicture(geometry(), platform::OwnWindows::Hidden, scale_.ratio);
    // Without a picture (the teacher was told why) the page is white: writing goes on, on no black page.
    if (shot.isNull())
        canvas_.background().fill(0xFFFFFFFF);
    else
        QPainter(&canvas_.background()).drawImage(0, 0, shot);
}

QRect CScreenPenWnd::panelScreenRect() const
{
    // The board's buttons and the tool strip go where the teacher stands: on the panel's monitor.
    const QRect screen = CMultiScreen(owner_).GetScreenRect();
    return screen.isEmpty() ? canvas_.rect() : scale_.toDevice(screen.translated(-geometry().topLeft()));
}

void CScreenPenWnd::notifyOwner(UINT message, WPARAM wParam)
{
    platform::SendMessage(platform::WindowRef(owner_), message, wParam, 0);
}

// ---- pictures and media ----

void CScreenPenWnd::InsertPicture(const QString& path)
{
    finishGestures();
    commitCurrentObject(QRect());
    modeWord_ = kTool;
    eraseMode_ = kEraseModeNone;
    currentObject_.Reset();
    currentObject_.kind = Picture;
    currentObject_.SetPicturePath(path);
    ShowSurface();
    setCursor(Qt::CrossCursor);
}

void CScreenPenWnd::InsertMedia(const QString& path)
{
    QString file = path;
    if (file.isEmpty()) {
        file = QFileDialog::getOpenFileName(this, QString(), QDir::currentPath(),
            QStringLiteral("Media file(*.swf ; *.png ; *.bmp ; *.jpg)"), nullptr,
            QFileDialog::DontUseNativeDialog);
        if (file.isEmpty())
            return;
    }
    if (file.endsWith(QLatin1String(".swf"), Qt::CaseInsensitive)) {
        finishGestures();
        modeWord_ = kTool;
        ShowSurface();
        picture_.InsertFlash(file, panelScreenRect().center());
        return;
    }
    InsertPicture(file);
}

void CScreenPenWnd::InsertVideo(const QString& path)
{
    finishGestures();
    modeWord_ = kTool;
    ShowSurface();
    picture_.InsertVideo(path, panelScreenRect().center());
}

void CScreenPenWnd::OpenMaterial(const QString& folder, bool videos)
{
    SetToolMode();
    ShowSurface();
    if (!review_) {
        review_ = std::make_unique<CImageReviewDlg>(this);
        review_->chosen = [this](const QString& file, bool video) {
            if (video)
                InsertVideo(file);
            else
                InsertPicture(file);
            if (review_)
                review_->raise();
        };
    }
    review_->OpenFolder(folder, videos, CMultiScreen(owner_).GetScreenRect());
}

bool CScreenPenWnd::instrumentMode() const
{
    return modeWord_ == kTool;
}

void CScreenPenWnd::SelectInstrumentByNumber(int n)
{
    beginToolChange();
    if (const QString kind = InstrumentTable::KindOfNumber(n); !kind.isEmpty())
        instrument_.SelectInstrument(kind);
    // The drawing mode of the instruments: what the compass draws is an arc in the pen's width and colour.
    enterInstrumentMode(true);
}

void CScreenPenWnd::SelectInstrument(const QString& name)
{
    beginToolChange();
    instrument_.SelectInstrument(name);
    enterInstrumentMode(name == QLatin1String("Compass"));
}

void CScreenPenWnd::enterInstrumentMode(bool compassArcs)
{
    if (compassArcs) {
        lesson_.Pen().kind = CompassArc;
        lesson_.Pen().highlight = 0;
    }
    resetCurrentObject();
    modeWord_ = kTool;
    ShowSurface();
    canvas_.Compose(canvas_.rect());
    updateCursor(cursorPoint());
}

void CScreenPenWnd::ShowSurface()
{
    if (!windowExists_) {
        show();
        windowExists_ = true;
    } else {
        text_.finish();
    }
    SetShownSurface(this);
}

void CScreenPenWnd::HideSurface()
{
    finishGestures();
    if (!windowExists_)
        return;
    hands_.finishAll();
    capturing_ = false;
    active_ = nullptr;
    hide();
    windowExists_ = false;
    notifyOwner(kClosed, 0);
    if (const platform::WindowRef show = platform::FindSlideShow())
        platform::SetForegroundWindow(show);
}

void CScreenPenWnd::RedrawPage()
{
    fullRedraw();
}

void CScreenPenWnd::SetBackground(const QImage& picture)
{
    QImage& background = canvas_.background();
    if (!picture.isNull()) {
        background = picture.convertToFormat(QImage::Format_RGB32).scaled(background.size());
        backgroundChosen_ = true;
    }
    eraserSource_ = background;
    fullRedraw();
}

// ---- pages ----

QString CScreenPenWnd::keepDesktopPicture()
{
    const PageJournal* journal = lesson_.Journal();
    if (!journal)
        return QString();
    // Written off the UI thread: the journal names it at once, and a lesson brought back after a crash finds
    // the desktop it was written on unless the crash came within the second it takes.
    const QString path = QFileInfo(journal->Path()).absolutePath() + QStringLiteral("/desktop.bmp");
    QThreadPool::globalInstance()->start(
        [picture = canvas_.backgroundBitmap(), path] { StorePagePicture(path, picture, 24); });
    return path;
}

void CScreenPenWnd::loadPageFiles(const QString& picturePath)
{
    if (const QImage picture = platform::readImageFile(picturePath); !picture.isNull())
        canvas_.PlacePagePicture(picture);
    lesson_.Pages().Clear();
    std::size_t picturesLeftOut = 0;
    LoadPage(lesson_.Pages(), WithExtension(picturePath, QStringLiteral("kw")), &picturesLeftOut);
    lesson_.Pages().pageChanged = false;
    lesson_.JournalBegin(WithExtension(picturePath, QStringLiteral("kw")), picturePath);
    if (picturesLeftOut > 0) {
        // Queued, so that a page opened by the constructor reaches the panel that connects right after it.
        const QString text = GetConfigString(QStringLiteral("页面中的图片太多太大，部分图片未能显示"));
        QMetaObject::invokeMethod(
            this, [this, text] { emit pageNotice(text); }, Qt::QueuedConnection);
    }
}

void CScreenPenWnd::dropPendingWork()
{
    hands_.dropAll();
    for (Gesture* gesture : chain_)
        gesture->drop();
    canvas_.RemoveBand();
    capturing_ = false;
    active_ = nullptr;
    currentObject_.points.clear();
}

void CScreenPenWnd::ReopenPage(const QString& picturePath, bool pictureToCome)
{
    dropPendingWork();
    if (pictureToCome)
        canvas_.background().fill(0xFFFFFFFF);
    loadPageFiles(picturePath);
    resetCurrentObject();
    fullRedraw();
}

void CScreenPenWnd::PlacePagePicture(const QImage& picture)
{
    canvas_.PlacePagePicture(picture);
    eraserSource_ = canvas_.backgroundBitmap();
    fullRedraw();
}

void CScreenPenWnd::StartBlankPage()
{
    dropPendingWork();
    canvas_.background().fill(0xFFFFFFFF);
    lesson_.SetBoardMode(kBoardWhite);
    boardPage_ = true;
    backgroundChosen_ = false;
    lesson_.Pages().Clear();
    lesson_.Pages().pageChanged = false;
    lesson_.JournalBegin(QString(), QString());
    resetCurrentObject();
    fullRedraw();
}

void CScreenPenWnd::ShowPageNumber()
{
    canvas_.Compose(buttons_.pageNumberRect());
}

QImage CScreenPenWnd::ComposedPage() const
{
    std::lock_guard guard(lesson_.Pages().Lock());
    return canvas_.PageWith(lesson_.Pages().nodes, &eraserSource_);
}

// ---- committing and painting ----

void CScreenPenWnd::commitObject(const CPenNode& node, const QRect& extra)
{
    PageList& list = lesson_.Pages();
    QRect dirty = extra;
    {
        std::lock_guard guard(list.Lock());
        const int index = list.CommitObject(node);
        // Whatever the press was (a compass arc is drawn in instrument mode), the page now holds more.
        list.pageChanged = true;
        dirty |= canvas_.DrawOnPage(list.nodes[std::size_t(index)], &eraserSource_);
    }
    canvas_.Compose(dirty);
}

void CScreenPenWnd::commitCurrentObject(const QRect& extra)
{
    if (currentObject_.points.empty())
        return;
    const CPenNode committed = currentObject_;
    // Emptied before the repaint, so that the preview does not draw the stroke a second time.
    currentObject_.points.clear();
    // A width or colour the panel chose while the stroke was held is the next stroke's.
    const PenState& s = lesson_.Pen();
    if (currentObject_.kind == s.kind && s.kind != Text && PenState::AttributesApply(s.kind)) {
        currentObject_.width = s.width;
        currentObject_.colour = s.colour;
    }
    commitObject(committed, extra);
}

void CScreenPenWnd::fullRedraw()
{
    {
        std::lock_guard guard(lesson_.Pages().Lock());
        canvas_.RedrawPage(lesson_.Pages().nodes, &eraserSource_);
    }
    canvas_.Compose(canvas_.rect());
    picture_.SyncMedia();
    // Every change of the page as a whole (a clear, an undo, a page opened) ends in a full redraw.
    lesson_.JournalChanges();
}

// ---- board navigation ----

void CScreenPenWnd::OnNavButton(NavButton button)
{
    switch (button) {
    case NavPrevious:
    case NavNext:
        // The press on the button is no change of the page. A changed page is stored before the other one
        // opens, and stays open, still changed, when it cannot be stored.
        lesson_.Pages().pageChanged = changedBeforePress_;
        if (button == NavPrevious)
            PreviousPage(this);
        else
            NextPage(this);
        platform::SendMessage(platform::WindowRef(owner_), platform::WM_COMMAND, kOwnerHidePopups, 0);
        break;
    case NavColour:
        OnBackgroundColour();
        break;
    case NavExit:
        OnExitBoard();
        break;
    default:
        break;
    }
}

void CScreenPenWnd::OnExitBoard()
{
    if (const platform::WindowRef keyboard = platform::FindWindow(platform::kScreenKeyboardClass, QString());
        platform::IsWindowVisible(keyboard))
        platform::RequestClose(keyboard);
    lesson_.SetBoardMode(kBoardDesktop);
    const QPointer<CScreenPenWnd> self(this);
    notifyOwner(kExitBoard, 0);
    if (self)
        HideSurface();
}

void CScreenPenWnd::OnBackgroundColour()
{
    QImage& background = canvas_.background();
    const QColor initial = background.isNull() ? QColor(Qt::white) : QColor(background.pixel(0, 0));
    const QColor chosen = QColorDialog::getColor(initial, this, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return;
    // A new colour is a change of the page: the next page button must store it with its ink.
    lesson_.Pages().pageChanged = true;
    backgroundChosen_ = true;
    lesson_.SetBoardMode(kBoardColour);
    canvas_.background().fill(chosen.rgb());
    lesson_.JournalBackground(QString(), chosen.rgb());
    eraserSource_ = canvas_.backgroundBitmap();
    fullRedraw();
}

} // namespace DIALOG
