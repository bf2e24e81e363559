#include "surface/screen_pen_wnd.h"

#include "platform/desktop_probe.h"
#include "platform/gdi.h"
#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "platform/x11_desktop.h"
#include "support/language.h"
#include "surface/page_model.h"
#include "surface/page_store.h"
#include "surface/surface_messages.h"
#include "surface/surface_state.h"
#include "surface/transparent_edit.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace DIALOG {

namespace {

using namespace ScreenPenMsg;

constexpr COLORREF kPointEraserColour = 0xCB5B36;
constexpr COLORREF kLassoColour = 0xEE1C04;
constexpr int kLassoWidth = 5;
constexpr int kNavSize = 48;
constexpr int kNavGap = 8;
constexpr int kToolStripSize = 48;
// A lasso counts as closed when its ends are at most this far apart.
constexpr int kLassoClosing = 100;
// The owner's command that hides its popups, sent when the board turns to another page.
constexpr WPARAM kOwnerHidePopups = 32774;
// The eraser square is restored only while it is a real square, not the start value of a gesture.
constexpr int kEraserRestoreLimit = 300;
const QString kTool = QStringLiteral("TOOL");
const QString kNotTool = QStringLiteral("NOTTOOL");

struct CursorResource {
    int number;
    QPoint hotSpot;
};
constexpr CursorResource kCursorResources[] = {
    {537, {1, 30}},
    {534, {2, 29}},
    {535, {1, 30}},
    {536, {15, 15}},
    {662, {15, 15}},
    {663, {1, 30}},
    {665, {2, 29}},
    {684, {15, 15}},
    {878, {1, 30}},
};

QRect virtualScreenRect()
{
    QRect all;
    for (QScreen* s : QGuiApplication::screens())
        all |= s->geometry();
    return all.isEmpty() ? QRect(0, 0, 1920, 1080) : all;
}

QRect segmentRect(QPoint a, QPoint b, int width)
{
    const int m = std::max(width, 1) / 2 + 2;
    return QRect(a, b).normalized().adjusted(-m, -m, m, m);
}

// Where an object can put ink: its points widened by the pen, the solids' back faces and the arrow head.
QRect objectBounds(const CPenNode& node)
{
    if (node.points.empty())
        return QRect();
    int left = node.points.front().x, right = left, top = node.points.front().y, bottom = top;
    for (const PenPoint& p : node.points) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    const int w = right - left;
    int m = std::max(node.width, 1) + 22;
    for (const PenPoint& p : node.points)
        m = std::max(m, p.segWidth + 2);
    QRect r(QPoint(left, top), QPoint(right, bottom));
    if (node.kind == Cube)
        r.adjust(0, -(w * 3 / 5 + 2), w / 2 + 2, 0);
    if (node.kind == Cylinder)
        r.adjust(0, -(w * 3 / 10 + 2), 0, w * 3 / 10 + 2);
    return r.adjusted(-m, -m, m, m);
}

bool isShapeKind(NodeKind kind)
{
    return kind == Line || kind == GuideLine || kind == Arrow || kind == Rectangle || kind == Ellipse
        || kind == Cube || kind == Cylinder;
}

// Lets a hidden window leave the screen, and what lay beneath it repaint, before the screen is copied.
void settleScreen()
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(15);
    }
}

QImage solidImage(const QSize& size, QRgb colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

} // namespace

CScreenPenWnd::CScreenPenWnd(QWidget* owner, const QString& pagePicture)
    : QWidget(
        nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , owner_(owner)
{
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    // Every pointer move is a point of the stroke: moves must not be merged into one.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    clock_.start();

    const QRect screen = virtualScreenRect();
    setGeometry(screen);
    backgroundBitmap_ = solidImage(screen.size(), 0xFFFFFFFF);

    messages_ = std::make_unique<platform::MessageTable>(this, kClassName);
    messages_->on(kTextChanged, [this](WPARAM, LPARAM) -> LRESULT {
        OnTextChanged();
        return 0;
    });
    messages_->on(kFlashClicked, [](WPARAM, LPARAM) -> LRESULT {
        // No Flash player window can be opened yet, so there is no window to put the tracker around.
        return 0;
    });
    messages_->on(kMediaWindow, [this](WPARAM wParam, LPARAM) -> LRESULT {
        if (pictureSelected_) {
            pictureSelected_ = false;
            return 1;
        }
        if (wParam == 2) {
            std::lock_guard guard(ThePageList().Lock());
            for (CPenNode& node : ThePageList().nodes) {
                if (node.kind == Video) {
                    node.mediaShown = false;
                    break;
                }
            }
        }
        return 1;
    });

    textEdit_ = new CTransparentEdit(this);
    textEdit_->hide();
    loadCursors();
    initialise(pagePicture);
}

CScreenPenWnd::~CScreenPenWnd()
{
    if (windowExists_) {
        windowExists_ = false;
        platform::SendMessage(platform::WindowRef(owner_), kClosed, 0, 0);
    }
}

void CScreenPenWnd::loadCursors()
{
    for (const CursorResource& c : kCursorResources) {
        const QPixmap picture(QStringLiteral(":/skin/cursors/%1.png").arg(c.number));
        cursors_[c.number]
            = picture.isNull() ? QCursor(Qt::CrossCursor) : QCursor(picture, c.hotSpot.x(), c.hotSpot.y());
    }
}

QCursor CScreenPenWnd::cursorFor(int resource) const
{
    const auto it = cursors_.find(resource);
    return it != cursors_.end() ? it->second : QCursor(Qt::CrossCursor);
}

void CScreenPenWnd::initialise(const QString& pagePicture)
{
    for (InstrumentEntry& entry : instruments_)
        entry = InstrumentEntry();
    modeWord_.clear();
    eraserSize_ = 16;
    eraseMode_ = 0;
    textTracker_.MoveOffScreen();
    const QSize size = backgroundBitmap_.size();

    boardPage_ = pagePicture.isEmpty() && boardMode != 0;
    if (!pagePicture.isEmpty()) {
        loadPageFiles(pagePicture);
    } else {
        // A new surface opens a new page: the objects of the page stored before it are not carried over.
        ThePageList().Clear();
        ThePageList().pageChanged = false;
        if (boardMode == 0) {
            takeScreenPicture();
        } else {
            backgroundBitmap_ = solidImage(size, 0xFFFFFFFF);
            if (const QString stored = CurrentPageFile(); !stored.isEmpty())
                loadPageFiles(WithExtension(stored, QStringLiteral("bmp")));
        }
    }
    if (boardMode != 0)
        placeNavButtons();

    EraserSourceBitmap() = backgroundBitmap_;
    resetCurrentObject();
    windowImage_ = solidImage(size, 0xFFFFFFFF);
    fullRedraw();
}

void CScreenPenWnd::takeScreenPicture()
{
    platform::SendMessage(platform::WindowRef(owner_), kCapturing, 0, 0);
    const bool ownerShown = owner_ && owner_->isVisible();
    if (ownerShown) {
        owner_->hide();
        settleScreen();
    }
    const QPoint origin = geometry().topLeft();
    QPainter p(&backgroundBitmap_);
    for (QScreen* s : QGuiApplication::screens()) {
        const QPixmap shot = s->grabWindow(0);
        if (!shot.isNull())
            p.drawPixmap(s->geometry().translated(-origin), shot);
    }
    p.end();
    if (ownerShown)
        owner_->show();
}

void CScreenPenWnd::placeNavButtons()
{
    const QString bin = platform::programFolder() + QStringLiteral("/Bin/");
    const QString names[kNavButtonCount] = {QStringLiteral("exit.png"), QStringLiteral("left.png"),
        QStringLiteral("right.png"), QStringLiteral("color.png")};
    // A row in the bottom-right corner of the primary screen, left of the removal square, in the order
    // previous, next, colour, exit.
    const int order[kNavButtonCount] = {3, 0, 1, 2};
    const QRect primary = QGuiApplication::primaryScreen()
        ? QGuiApplication::primaryScreen()->geometry().translated(-geometry().topLeft())
        : rect();
    const int y = primary.bottom() + 1 - kNavSize - kNavGap;
    const int rowRight = primary.right() + 1 - kToolStripSize - 2 * kNavGap;
    for (int b = 0; b < kNavButtonCount; ++b) {
        navButtons_[b].picture = platform::readImageFile(bin + names[b]);
        const int x = rowRight - (kNavButtonCount - order[b]) * (kNavSize + kNavGap) + kNavGap;
        navButtons_[b].rect = QRect(x, y, kNavSize, kNavSize);
    }
    homePicture_ = platform::readImageFile(bin + QStringLiteral("home.png"));
}

void CScreenPenWnd::createWindow()
{
    show();
    raise();
    windowExists_ = true;
}

// ---- tool operations ----

void CScreenPenWnd::finishPendingPolyline()
{
    if (!windowExists_ || currentObject_.kind != Polyline || CurrentPenState().kind != Polyline
        || currentObject_.points.empty())
        return;
    removeBand();
    drawing_ = false;
    commitCurrentObject(QRect());
    platform::SendMessage(platform::WindowRef(owner_), kPolyline, 0, 0);
}

void CScreenPenWnd::beginToolChange()
{
    finishPendingPolyline();
    commitTextBox();
    modeWord_ = kNotTool;
    eraseMode_ = 0;
    compose(toolStripRect_);
}

void CScreenPenWnd::resetCurrentObject()
{
    const PenState& s = CurrentPenState();
    removeBand();
    drawing_ = false;
    currentObject_ = CPenNode(s.colour, s.width, s.highlight, s.kind);
    EraserSourceBitmap() = backgroundBitmap_;
    brushDot_ = s.kind == BrushPen ? BrushDot(s.width, s.colour) : QImage();
    stamped_ = false;
}

void CScreenPenWnd::endToolChange()
{
    ShowSurface();
    updateCursor(mapFromGlobal(QCursor::pos()));
}

void CScreenPenWnd::SetPen(int width, COLORREF colour)
{
    beginToolChange();
    CurrentPenState() = PenState {Pen, 0, colour, width};
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetHighlighter(int width, COLORREF colour)
{
    beginToolChange();
    CurrentPenState() = PenState {Pen, 1, colour, width};
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetDashPen(int width, COLORREF colour)
{
    beginToolChange();
    CurrentPenState() = PenState {DashPen, 0, colour, width};
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::ApplyPenAttributes(int width, COLORREF colour)
{
    PenState& s = CurrentPenState();
    if (!PenAttributesApply(s.kind))
        return;
    // A text's size is its font size, which the line-style popup sets.
    if (s.kind != Text)
        s.width = width;
    s.colour = colour;
    // An object being drawn keeps its look; one not begun yet takes the new width and colour.
    if (!drawing_ && currentObject_.points.empty()) {
        currentObject_.width = s.width;
        currentObject_.colour = s.colour;
        brushDot_ = s.kind == BrushPen ? BrushDot(s.width, s.colour) : QImage();
    }
}

bool CScreenPenWnd::PenAttributesApply(NodeKind kind)
{
    switch (kind) {
    case EraseTrail:
    case EraseLasso:
    case Picture:
    case Flash:
    case Video:
        return false;
    default:
        return true;
    }
}

void CScreenPenWnd::SetBrushPen(int width, COLORREF colour)
{
    beginToolChange();
    CurrentPenState() = PenState {BrushPen, 0, colour, width};
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetPolyline()
{
    beginToolChange();
    PenState& s = CurrentPenState();
    s.kind = Polyline;
    s.highlight = 0;
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetSpeedPen(int width, COLORREF colour)
{
    beginToolChange();
    const int w = std::max(width, 8);
    speedMaxWidth_ = w;
    speedMinWidth_ = w - (w - 8) / 3 - 5;
    speedWidth_ = speedMaxWidth_;
    CurrentPenState() = PenState {SpeedPen, 0, colour, w};
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetShape(NodeKind kind)
{
    if (!isShapeKind(kind))
        return;
    beginToolChange();
    PenState& s = CurrentPenState();
    s.kind = kind;
    s.highlight = 0;
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetTextTool(COLORREF colour, int fontSize)
{
    beginToolChange();
    PenState& s = CurrentPenState();
    s.kind = Text;
    s.highlight = 0;
    textColour_ = colour;
    textSize_ = fontSize;
    textEdit_->SetFontHeight(fontSize);
    textEdit_->SetTextColour(colour);
    resetCurrentObject();
    endToolChange();
}

void CScreenPenWnd::SetPointEraser(int size)
{
    beginToolChange();
    if (!windowExists_)
        return;
    eraserSize_ = size;
    eraseMode_ = 2;
    CurrentPenState() = PenState {EraseTrail, 0, kPointEraserColour, size};
    resetCurrentObject();
    updateCursor(mapFromGlobal(QCursor::pos()));
}

void CScreenPenWnd::SetLassoEraser()
{
    beginToolChange();
    if (!windowExists_)
        return;
    CurrentPenState() = PenState {EraseLasso, 0, kLassoColour, kLassoWidth};
    resetCurrentObject();
    updateCursor(mapFromGlobal(QCursor::pos()));
}

void CScreenPenWnd::ClearScreen()
{
    if (!windowExists_)
        return;
    finishPendingPolyline();
    commitTextBox();
    PageList& list = ThePageList();
    bool removed = false;
    if (list.nodes.size() > 100) {
        const bool english = GetLanguage().compare(QStringLiteral("English"), Qt::CaseInsensitive) == 0;
        const QString text = english
            ? QStringLiteral("Current clear screen will delete all data \n and can't be recoverd,continue? ")
            : QStringLiteral("此次清屏操作将删除所有数据 \n 数据不可再恢复,是否继续? ");
        const QString caption = english ? QStringLiteral("Tips") : QStringLiteral("信息提示");
        if (platform::MessageBox(this, text, caption, platform::MB_YESNO | platform::MB_ICONEXCLAMATION)
            != platform::IDYES)
            return;
        std::lock_guard guard(list.Lock());
        list.ClearUndo();
        list.nodes.clear();
        removed = true;
    }
    {
        std::lock_guard guard(list.Lock());
        if (removed)
            list.ClearRedo();
        else
            list.ClearShown();
        // Cleared from the panel, not by a press on the page: the store must still see the change.
        list.pageChanged = true;
    }
    fullRedraw();
}

void CScreenPenWnd::UndoStep()
{
    beginToolChange();
    {
        std::lock_guard guard(ThePageList().Lock());
        ThePageList().Undo();
        ThePageList().pageChanged = true;
    }
    resetCurrentObject();
    fullRedraw();
    endToolChange();
}

void CScreenPenWnd::RedoStep()
{
    beginToolChange();
    {
        std::lock_guard guard(ThePageList().Lock());
        ThePageList().Redo();
        ThePageList().pageChanged = true;
    }
    resetCurrentObject();
    fullRedraw();
    endToolChange();
}

void CScreenPenWnd::InsertPicture(const QString&)
{
    // Pictures on the page come with the picture frame; until then nothing is inserted.
}

void CScreenPenWnd::InsertMedia(const QString&)
{
    // Media windows come with the picture frame; until then nothing is inserted.
}

void CScreenPenWnd::FinishCurrentOperation()
{
    finishPendingPolyline();
    commitTextBox();
}

void CScreenPenWnd::SetToolMode()
{
    modeWord_ = kTool;
    if (windowExists_)
        compose(rect());
}

void CScreenPenWnd::SelectInstrumentByNumber(int n)
{
    beginToolChange();
    Q_UNUSED(n);
    // The instrument itself is chosen by the instrument framework; the surface only changes its mode.
    CurrentPenState().kind = CompassArc;
    CurrentPenState().highlight = 0;
    resetCurrentObject();
    modeWord_ = kTool;
    ShowSurface();
    compose(rect());
    updateCursor(mapFromGlobal(QCursor::pos()));
}

void CScreenPenWnd::ShowSurface()
{
    if (!windowExists_)
        createWindow();
    else
        commitTextBox();
    SetShownSurface(this);
}

void CScreenPenWnd::HideSurface()
{
    finishPendingPolyline();
    commitTextBox();
    if (!windowExists_)
        return;
    capturing_ = false;
    drawing_ = false;
    hide();
    windowExists_ = false;
    platform::SendMessage(platform::WindowRef(owner_), kClosed, 0, 0);
    if (const unsigned long show = platform::presentation::findSlideShow())
        platform::desktop::activate(show);
}

void CScreenPenWnd::RedrawPage()
{
    fullRedraw();
}

void CScreenPenWnd::SetBackground(const QImage& picture)
{
    if (!picture.isNull())
        backgroundBitmap_ = picture.convertToFormat(QImage::Format_RGB32).scaled(backgroundBitmap_.size());
    EraserSourceBitmap() = backgroundBitmap_;
    fullRedraw();
}

// ---- pages ----

void CScreenPenWnd::loadPageFiles(const QString& picturePath)
{
    const QImage picture = platform::readImageFile(picturePath);
    if (!picture.isNull()) {
        // The picture keeps its pixel positions, which the page's objects refer to, whatever its size.
        QImage background = solidImage(backgroundBitmap_.size(), 0xFFFFFFFF);
        QPainter p(&background);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, picture.convertToFormat(QImage::Format_RGB32));
        p.end();
        backgroundBitmap_ = background;
    }
    ThePageList().Clear();
    std::size_t picturesLeftOut = 0;
    LoadPage(WithExtension(picturePath, QStringLiteral("kw")), &picturesLeftOut);
    ThePageList().pageChanged = false;
    if (picturesLeftOut > 0) {
        // Queued, so that a page opened by the constructor reaches the panel that connects right after it.
        const QString text = GetConfigString(QStringLiteral("页面中的图片太多太大，部分图片未能显示"));
        QMetaObject::invokeMethod(
            this, [this, text] { emit pageNotice(text); }, Qt::QueuedConnection);
    }
}

void CScreenPenWnd::dropPendingWork()
{
    if (textBoxOpen())
        closeTextBox();
    removeBand();
    capturing_ = false;
    drawing_ = false;
    textGesture_ = false;
    currentObject_.points.clear();
}

void CScreenPenWnd::ReopenPage(const QString& picturePath)
{
    dropPendingWork();
    loadPageFiles(picturePath);
    resetCurrentObject();
    fullRedraw();
}

void CScreenPenWnd::StartBlankPage()
{
    dropPendingWork();
    backgroundBitmap_ = solidImage(backgroundBitmap_.size(), 0xFFFFFFFF);
    boardMode = 1;
    boardPage_ = true;
    ThePageList().Clear();
    ThePageList().pageChanged = false;
    resetCurrentObject();
    fullRedraw();
}

QImage CScreenPenWnd::ComposedPage() const
{
    QImage page = backgroundBitmap_.copy();
    std::lock_guard guard(ThePageList().Lock());
    QPainter p(&page);
    for (const CPenNode& node : ThePageList().nodes)
        node.Draw(p, &EraserSourceBitmap());
    return page;
}

// ---- committing and painting ----

void CScreenPenWnd::commitObject(const CPenNode& node, const QRect& extra)
{
    PageList& list = ThePageList();
    QRect dirty = extra;
    {
        std::lock_guard guard(list.Lock());
        const int index = list.AddObject(node);
        list.PushUndo(index, UndoAdd);
        list.ClearRedo();
        const CPenNode& added = list.nodes[std::size_t(index)];
        QPainter p(&pageBitmap_);
        added.Draw(p, &EraserSourceBitmap());
        dirty |= objectBounds(added);
    }
    compose(dirty);
}

void CScreenPenWnd::commitCurrentObject(const QRect& extra)
{
    if (currentObject_.points.empty())
        return;
    const CPenNode committed = currentObject_;
    // Emptied before the repaint, so that the preview does not draw the stroke a second time.
    currentObject_.points.clear();
    stamped_ = false;
    commitObject(committed, extra);
}

void CScreenPenWnd::fullRedraw()
{
    pageBitmap_ = backgroundBitmap_.copy();
    {
        std::lock_guard guard(ThePageList().Lock());
        QPainter p(&pageBitmap_);
        for (const CPenNode& node : ThePageList().nodes)
            node.Draw(p, &EraserSourceBitmap());
    }
    compose(rect());
}

void CScreenPenWnd::compose(const QRect& area)
{
    const QRect r = area & windowImage_.rect();
    if (r.isEmpty())
        return;
    QPainter p(&windowImage_);
    p.setClipRect(r);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(r.topLeft(), pageBitmap_, r);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    drawToolStrip(p);
    drawLivePreview(p);
    paintInstruments(p);
    if (isShapeKind(currentObject_.kind) && drawing_ && currentObject_.points.size() >= 2)
        currentObject_.Draw(p, &EraserSourceBitmap());
    drawBand(p, band_);
    if (textTracker_.Tracking()) {
        if (textTracker_.RubberBanding())
            TextTracker::DrawRubberBand(p, textTracker_.TrackedRect());
        else
            TextTracker::DrawFrame(p, textTracker_.TrackedRect());
    } else if (textBoxOpen()) {
        TextTracker::DrawFrame(p, textTracker_.rect());
    }
    drawNavButtons(p);
    p.end();
    update(r);
}

void CScreenPenWnd::drawLivePreview(QPainter& p) const
{
    const CPenNode& o = currentObject_;
    if (o.points.empty())
        return;
    p.save();
    platform::beginGdi(p);
    const auto at = [&](std::size_t i) { return QPoint(o.points[i].x, o.points[i].y); };
    switch (o.kind) {
    case Pen:
    case Polyline:
    case EraseLasso:
        if (o.highlight)
            platform::setRop2(p, platform::R2_MASKPEN);
        p.setPen(platform::gdiPen(o.colour, o.width));
        for (std::size_t i = 1; i < o.points.size(); ++i)
            p.drawLine(at(i - 1), at(i));
        break;
    case DashPen:
        p.setPen(platform::gdiPen(o.colour, o.width));
        for (std::size_t i = 1; i < o.points.size(); ++i) {
            if (o.points[i].linked)
                p.drawLine(at(i - 1), at(i));
        }
        break;
    case SpeedPen:
        for (std::size_t i = 1; i < o.points.size(); ++i) {
            p.setPen(platform::gdiPen(o.colour, o.points[i].segWidth));
            p.drawLine(at(i - 1), at(i));
        }
        break;
    case BrushPen:
        if (o.points.size() > 1)
            o.Draw(p, nullptr);
        break;
    case EraseTrail:
        if (eraseMode_ == 2)
            o.Draw(p, &EraserSourceBitmap());
        break;
    default:
        break;
    }
    p.restore();
}

void CScreenPenWnd::paintInstruments(QPainter&) const
{
    // The visible instruments are drawn here in table order, the active one last; until the instrument
    // framework fills the table there is nothing to draw.
}

void CScreenPenWnd::drawBand(QPainter& p, const Band& band) const
{
    if (!band.shown)
        return;
    p.save();
    platform::beginGdi(p);
    platform::setRop2(p, platform::R2_NOT);
    p.setPen(platform::gdiPen(0, band.width));
    p.setBrush(Qt::NoBrush);
    switch (band.kind) {
    case Rectangle:
        p.drawPolygon(QPolygon(
            {band.from, QPoint(band.to.x(), band.from.y()), band.to, QPoint(band.from.x(), band.to.y())}));
        break;
    case Ellipse:
        p.drawEllipse(QRect(band.from, band.to).normalized());
        break;
    case Cube: {
        CubeShape cube;
        cube.ptFirst = band.from;
        cube.ptSecond = band.to;
        cube.Draw(p);
        break;
    }
    case Cylinder: {
        ColumnShape column;
        column.ptFirst = band.from;
        column.ptSecond = band.to;
        column.Draw(p);
        break;
    }
    default:
        p.drawLine(band.from, band.to);
        break;
    }
    p.restore();
}

QRect CScreenPenWnd::bandBounds(const Band& band) const
{
    CPenNode outline(0, band.width, 0, band.kind == Polyline ? Line : band.kind);
    outline.AddPoint(band.from.x(), band.from.y());
    outline.AddPoint(band.to.x(), band.to.y());
    return objectBounds(outline);
}

void CScreenPenWnd::moveBand(QPoint to)
{
    QRect dirty;
    QPainter p(&windowImage_);
    if (band_.shown) {
        drawBand(p, band_);
        dirty = bandBounds(band_);
    }
    band_.shown = true;
    band_.kind = currentObject_.kind;
    band_.from = dragStart_;
    band_.to = to;
    band_.width = std::max(currentObject_.width, 1);
    dragEnd_ = to;
    drawBand(p, band_);
    p.end();
    update(dirty | bandBounds(band_));
}

void CScreenPenWnd::removeBand()
{
    if (!band_.shown)
        return;
    QPainter p(&windowImage_);
    drawBand(p, band_);
    p.end();
    band_.shown = false;
    update(bandBounds(band_));
}

void CScreenPenWnd::drawToolStrip(QPainter& p) const
{
    if (toolStripRect_.width() < kToolStripSize)
        return;
    // The removal square: an instrument or picture dropped here is taken off the page.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF tile = QRectF(toolStripRect_).adjusted(3, 3, -3, -3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1B, 0x4C, 0x8C, 200));
    p.drawRoundedRect(tile, 8, 8);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = tile.center();
    p.drawLine(QPointF(c.x() - 12, c.y() - 9), QPointF(c.x() + 12, c.y() - 9));
    p.drawLine(QPointF(c.x() - 4, c.y() - 13), QPointF(c.x() + 4, c.y() - 13));
    p.drawPolyline(QPolygonF({QPointF(c.x() - 9, c.y() - 6), QPointF(c.x() - 7, c.y() + 13),
        QPointF(c.x() + 7, c.y() + 13), QPointF(c.x() + 9, c.y() - 6)}));
    p.drawLine(QPointF(c.x() - 3, c.y() - 2), QPointF(c.x() - 3, c.y() + 9));
    p.drawLine(QPointF(c.x() + 3, c.y() - 2), QPointF(c.x() + 3, c.y() + 9));
    p.restore();
}

void CScreenPenWnd::drawNavButtons(QPainter& p) const
{
    if (boardMode == 0)
        return;
    for (const PictureButton& b : navButtons_) {
        if (!b.picture.isNull()) {
            p.drawImage(b.rect, b.picture);
        } else {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x27, 0x61, 0xA9));
            p.drawRoundedRect(QRectF(b.rect).adjusted(2, 2, -2, -2), 8, 8);
            p.restore();
        }
    }
}

void CScreenPenWnd::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : event->region())
        p.drawImage(r.topLeft(), windowImage_, r);
}

// ---- live ink ----

void CScreenPenWnd::liveSegment(QPoint from, QPoint to, int width, int rop2)
{
    QPainter p(&windowImage_);
    platform::beginGdi(p);
    platform::setRop2(p, rop2);
    p.setPen(platform::gdiPen(currentObject_.colour, width));
    p.drawLine(from, to);
    p.end();
    update(segmentRect(from, to, width));
}

void CScreenPenWnd::liveBrush(QPoint from, QPoint to)
{
    if (brushDot_.isNull())
        return;
    const int w = brushDot_.width();
    const int half = w / 2;
    QPainter p(&windowImage_);
    QRect dirty;
    platform::lineDda(from.x(), from.y(), to.x(), to.y(), [&](int x, int y) {
        if (stamped_ && lastStamp_ == QPoint(x, y))
            return;
        p.drawImage(x - half, y - half, brushDot_);
        dirty |= QRect(x - half, y - half, w, w);
        lastStamp_ = QPoint(x, y);
        stamped_ = true;
    });
    p.end();
    update(dirty);
}

void CScreenPenWnd::liveDash(QPoint to)
{
    dashDistance_ += std::hypot(double(to.x() - lastPoint_.x()), double(to.y() - lastPoint_.y()));
    if (dashDistance_ >= 30.0) {
        dashDistance_ -= 30.0;
        dashGap_ = !dashGap_;
    }
    if (!dashGap_)
        liveSegment(lastPoint_, to, currentObject_.width, platform::R2_COPYPEN);
    currentObject_.AddPoint(to.x(), to.y(), dashGap_ ? 0 : 1, 0);
    lastPoint_ = to;
}

void CScreenPenWnd::liveSpeed(QPoint to)
{
    speedDistance_ += std::hypot(double(to.x() - speedLastPoint_.x()), double(to.y() - speedLastPoint_.y()));
    if (speedDistance_ >= 10.0) {
        const qint64 now = clock_.elapsed();
        // Two moves within one millisecond are as fast as the clock can tell, not infinitely fast.
        const double t = double(std::max<qint64>(now - speedClock_, 1));
        const double v = speedDistance_ / t;
        if (speedPrev_ != 0.0 && v >= 0.05) {
            if (v > speedPrev_) {
                if (speedWidth_ > speedMinWidth_)
                    --speedWidth_;
            } else if (speedWidth_ < speedMinWidth_ + 2) {
                ++speedWidth_;
            }
        }
        speedPrev_ = v;
        speedDistance_ = 0.0;
        speedClock_ = now;
    }
    currentObject_.AddPoint(to.x(), to.y(), 1, speedWidth_);
    liveSegment(speedLastPoint_, to, speedWidth_, platform::R2_COPYPEN);
    speedLastPoint_ = to;
}

void CScreenPenWnd::liveEraser(QPoint to)
{
    ThePageList().ClearRedo();
    // A fast sweep moves the pointer many pixels between two events. The eraser goes the whole way, a point
    // for every pixel step, so that no ink is left between its squares, on the screen or in the record.
    std::vector<QPoint> path;
    platform::lineDda(lastPoint_.x(), lastPoint_.y(), to.x(), to.y(), [&](int x, int y) {
        if (QPoint(x, y) != lastPoint_)
            path.emplace_back(x, y);
    });
    path.push_back(to);

    QPainter p(&windowImage_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    QRect dirty;
    if (eraserRect_.width() < kEraserRestoreLimit) {
        p.drawImage(eraserRect_.topLeft(), backgroundBitmap_, eraserRect_);
        dirty = eraserRect_;
    }
    platform::copySquares(p, backgroundBitmap_, path.data(), path.size(), eraserSize_);
    const QRect square(to.x() - eraserSize_, to.y() - eraserSize_, 2 * eraserSize_, 2 * eraserSize_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    platform::beginGdi(p);
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(Qt::white);
    p.drawRect(square.adjusted(0, 0, -1, -1));
    p.end();
    eraserRect_ = square;
    for (const QPoint& point : path)
        currentObject_.AddPoint(point.x(), point.y(), 1, 0);
    const QRect swept
        = QRect(lastPoint_, to).normalized().adjusted(-eraserSize_, -eraserSize_, eraserSize_, eraserSize_);
    lastPoint_ = to;
    update(dirty | swept | square);
}

// ---- mouse ----

bool CScreenPenWnd::instrumentMode() const
{
    return modeWord_ == kTool;
}

void CScreenPenWnd::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    lastMousePoint_ = p;
    if (event->button() != Qt::LeftButton)
        return;
    capturing_ = true;
    if (instrumentMode()) {
        instrumentPress(p);
        return;
    }
    const bool changedBefore = ThePageList().pageChanged;
    ThePageList().pageChanged = true;
    if (boardMode != 0) {
        // The exit button hands the page to the owner, which may delete this surface before it returns.
        const QPointer<CScreenPenWnd> self(this);
        if (navButtonPressed(p, changedBefore)) {
            if (self)
                capturing_ = false;
            return;
        }
    }
    if (currentObject_.kind == Text) {
        textPress(p);
        return;
    }
    drawing_ = true;
    if (currentObject_.kind == Polyline) {
        if (currentObject_.points.empty()) {
            dragStart_ = dragEnd_ = p;
            currentObject_.AddPoint(p.x(), p.y(), 1, 0);
        } else {
            dragEnd_ = dragStart_;
        }
        lastPoint_ = p;
        return;
    }
    lastPoint_ = dragStart_ = dragEnd_ = p;
    if (currentObject_.kind == SpeedPen && eraseMode_ == 0) {
        speedPrev_ = 0.0;
        speedDistance_ = 0.0;
        speedClock_ = clock_.elapsed();
        speedWidth_ = speedMaxWidth_;
        speedLastPoint_ = p;
        // The stroke starts where the pen went down, so that the first segment is kept with it.
        currentObject_.AddPoint(p.x(), p.y(), 1, speedWidth_);
        return;
    }
    if (eraseMode_ == 2)
        eraserRect_ = QRect(0, 0, 400, 400);
    currentObject_.AddPoint(p.x(), p.y(), 1, 0);
}

void CScreenPenWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void CScreenPenWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (!capturing_ || !(event->buttons() & Qt::LeftButton)) {
        lastMousePoint_ = p;
        updateCursor(p);
        return;
    }
    if (instrumentMode()) {
        instrumentMove(p);
    } else if (textGesture_) {
        textMove(p);
    } else if (drawing_) {
        if (eraseMode_ != 2)
            eraserRect_ = QRect(0, 0, 400, 400);
        switch (currentObject_.kind) {
        case Pen:
            liveSegment(lastPoint_, p, currentObject_.width,
                currentObject_.highlight ? platform::R2_MASKPEN : platform::R2_COPYPEN);
            currentObject_.AddPoint(p.x(), p.y(), 1, 0);
            lastPoint_ = p;
            break;
        case BrushPen:
            liveBrush(lastPoint_, p);
            currentObject_.AddPoint(p.x(), p.y(), 1, 0);
            lastPoint_ = p;
            break;
        case Polyline:
            moveBand(p);
            platform::SendMessage(platform::WindowRef(owner_), kPolyline, 1, 0);
            break;
        case DashPen:
            liveDash(p);
            break;
        case SpeedPen:
            liveSpeed(p);
            break;
        case EraseTrail:
            if (eraseMode_ == 2)
                liveEraser(p);
            break;
        case EraseLasso:
            liveSegment(lastPoint_, p, kLassoWidth, platform::R2_COPYPEN);
            currentObject_.AddPoint(p.x(), p.y(), 1, 0);
            lastPoint_ = p;
            break;
        default:
            if (isShapeKind(currentObject_.kind))
                moveBand(p);
            break;
        }
    }
    lastMousePoint_ = p;
}

void CScreenPenWnd::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !capturing_) {
        lastMousePoint_ = p;
        return;
    }
    capturing_ = false;
    if (instrumentMode()) {
        instrumentRelease(p);
    } else if (textGesture_) {
        textRelease();
    } else if (drawing_) {
        drawing_ = false;
        const NodeKind kind = currentObject_.kind;
        // A click of a freehand pen stays the single point the pen touched: one pixel, one dot.
        const bool click = currentObject_.points.size() == 1 && !isShapeKind(kind) && kind != Polyline
            && QPoint(currentObject_.points[0].x, currentObject_.points[0].y) == p;
        if (!click) {
            // The eraser also goes the way from the last move to the release.
            if (eraseMode_ == 2 && kind == EraseTrail && p != lastPoint_)
                liveEraser(p);
            else
                currentObject_.AddPoint(p.x(), p.y(), 1, kind == SpeedPen ? speedWidth_ : 0);
        }
        dashDistance_ = 0.0;
        dashGap_ = 0;
        const QRect pressToRelease = QRect(dragStart_, p).normalized();
        if (kind == Polyline) {
            removeBand();
            liveSegment(dragStart_, p, currentObject_.width,
                currentObject_.highlight ? platform::R2_MASKPEN : platform::R2_COPYPEN);
            dragStart_ = dragEnd_ = p;
        } else if (eraseMode_ == 2) {
            eraserRelease(p);
        } else if (kind == EraseLasso) {
            lassoRelease(p);
        } else if (kind != Picture) {
            const QRect band = band_.shown ? bandBounds(band_) : QRect();
            removeBand();
            commitCurrentObject(pressToRelease | band);
        }
    }
    setToolStripRect();
    lastMousePoint_ = p;
    updateCursor(p);
}

void CScreenPenWnd::eraserRelease(QPoint)
{
    const QRect last = eraserRect_.width() < kEraserRestoreLimit ? eraserRect_ : QRect();
    commitCurrentObject(last);
}

void CScreenPenWnd::lassoRelease(QPoint point)
{
    std::vector<PenPoint>& points = currentObject_.points;
    const PenPoint first = points.front();
    const PenPoint last = points.back();
    const int distance = int(std::hypot(double(first.x - last.x), double(first.y - last.y)));
    if (distance > kLassoClosing) {
        points.clear();
        compose(rect());
        return;
    }
    QPolygon outline;
    for (const PenPoint& pt : points)
        outline << QPoint(pt.x, pt.y);
    const QRect bounds
        = outline.boundingRect().adjusted(-kLassoWidth, -kLassoWidth, kLassoWidth, kLassoWidth);
    if (points.size() > std::size_t(kMaxLassoPoints)) {
        // A lasso is drawn from its first points only: a long loop keeps evenly spaced points of the whole
        // way round, both ends among them, so that it erases all it encloses and not a slice of it.
        std::vector<PenPoint> kept;
        kept.reserve(kMaxLassoPoints);
        for (std::size_t i = 0; i < std::size_t(kMaxLassoPoints); ++i)
            kept.push_back(points[i * (points.size() - 1) / (kMaxLassoPoints - 1)]);
        points = std::move(kept);
    }
    commitCurrentObject(bounds | QRect(point.x() - 5, point.y() - 5, 10, 10));
}

void CScreenPenWnd::setToolStripRect()
{
    const QRect primary = QGuiApplication::primaryScreen()
        ? QGuiApplication::primaryScreen()->geometry().translated(-geometry().topLeft())
        : rect();
    toolStripRect_ = QRect(primary.right() + 1 - kToolStripSize, primary.bottom() + 1 - kToolStripSize,
        kToolStripSize, kToolStripSize);
    compose(toolStripRect_);
}

void CScreenPenWnd::instrumentPress(QPoint)
{
    // The instruments take the press once the instrument framework places them on the surface.
}

void CScreenPenWnd::instrumentMove(QPoint)
{
}

void CScreenPenWnd::instrumentRelease(QPoint)
{
}

// ---- board navigation ----

bool CScreenPenWnd::navButtonPressed(QPoint point, bool changedBefore)
{
    const bool previous = navButtons_[NavPrevious].rect.contains(point);
    if (previous || navButtons_[NavNext].rect.contains(point)) {
        // The press on the button is no change of the page. A changed page is stored before the other one
        // opens, and stays open, still changed, when it cannot be stored.
        ThePageList().pageChanged = changedBefore;
        if (previous)
            PreviousPage(this);
        else
            NextPage(this);
        platform::SendMessage(platform::WindowRef(owner_), platform::WM_COMMAND, kOwnerHidePopups, 0);
        return true;
    }
    if (navButtons_[NavColour].rect.contains(point)) {
        OnBackgroundColour();
        return true;
    }
    if (navButtons_[NavExit].rect.contains(point)) {
        OnExitBoard();
        return true;
    }
    return false;
}

void CScreenPenWnd::OnExitBoard()
{
    if (const unsigned long keyboard = platform::desktop::findWindow(QString(), QStringLiteral("Onboard")))
        platform::desktop::requestClose(keyboard);
    boardMode = 0;
    const QPointer<CScreenPenWnd> self(this);
    platform::SendMessage(platform::WindowRef(owner_), kExitBoard, 0, 0);
    if (self)
        HideSurface();
}

void CScreenPenWnd::OnBackgroundColour()
{
    const QColor initial
        = backgroundBitmap_.isNull() ? QColor(Qt::white) : QColor(backgroundBitmap_.pixel(0, 0));
    const QColor chosen = QColorDialog::getColor(initial, this, QString(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return;
    ThePageList().pageChanged = false;
    boardMode = 2;
    backgroundBitmap_.fill(chosen.rgb());
    EraserSourceBitmap() = backgroundBitmap_;
    fullRedraw();
}

// ---- the text tool ----

bool CScreenPenWnd::textBoxOpen() const
{
    return textEdit_ && !textEdit_->isHidden();
}

void CScreenPenWnd::textPress(QPoint point)
{
    textGesture_ = true;
    if (textBoxOpen()) {
        const TextTracker::Hit hit = textTracker_.HitTest(point);
        if (hit != TextTracker::HitNothing) {
            textTracker_.BeginTrack(point, hit);
            return;
        }
        commitTextBox();
    }
    textTracker_.BeginRubberBand(point);
}

void CScreenPenWnd::textMove(QPoint point)
{
    const QRect before = TextTracker::FrameBounds(textTracker_.TrackedRect());
    textTracker_.TrackTo(point);
    compose(before | TextTracker::FrameBounds(textTracker_.TrackedRect()));
}

void CScreenPenWnd::textRelease()
{
    textGesture_ = false;
    const bool wasOpen = !textTracker_.RubberBanding() && textBoxOpen();
    const QRect previous = textTracker_.rect();
    const QRect before = TextTracker::FrameBounds(textTracker_.TrackedRect());
    const QRect box = textTracker_.End();
    compose(before);
    placeTextBox(box, wasOpen, previous);
}

void CScreenPenWnd::placeTextBox(const QRect& box, bool wasOpen, const QRect& previous)
{
    if (IsTextBoxTooSmall(box)) {
        // An open box keeps its text and its last good size; a new one is dropped.
        if (wasOpen)
            textTracker_.SetRect(previous);
        else
            textTracker_.MoveOffScreen();
        compose(TextTracker::FrameBounds(box) | TextTracker::FrameBounds(previous));
        return;
    }
    // The on-screen keyboard steps aside while the box is placed when it covers one of the box's lower
    // corners.
    const unsigned long keyboard = platform::desktop::findWindow(QString(), QStringLiteral("Onboard"));
    const QRect keyboardRect = keyboard ? platform::desktop::windowGeometry(keyboard) : QRect();
    const bool keyboardInTheWay = keyboardRect.contains(mapToGlobal(box.bottomLeft()))
        || keyboardRect.contains(mapToGlobal(box.bottomRight()));
    if (keyboardInTheWay)
        platform::desktop::hideWindow(keyboard);
    textEdit_->setGeometry(box);
    compose(TextTracker::FrameBounds(box) | TextTracker::FrameBounds(previous));
    if (!wasOpen) {
        textEdit_->SetFontHeight(textSize_);
        textEdit_->SetTextColour(textColour_);
        textEdit_->show();
        textEdit_->raise();
    }
    textEdit_->BeginTyping();
    if (keyboardInTheWay)
        platform::desktop::showWindow(keyboard);
}

void CScreenPenWnd::closeTextBox()
{
    const QRect frame = TextTracker::FrameBounds(textTracker_.rect());
    textEdit_->EndTyping();
    textEdit_->hide();
    textEdit_->clear();
    textTracker_.MoveOffScreen();
    compose(frame);
}

void CScreenPenWnd::commitTextBox()
{
    if (!textBoxOpen())
        return;
    const QString text = textEdit_->toPlainText();
    const QRect box = textTracker_.rect();
    const int height = textEdit_->FontHeight();
    closeTextBox();
    if (text.isEmpty())
        return;
    CPenNode node(textColour_, height, 0, Text);
    node.AddPoint(box.left(), box.top());
    node.AddPoint(box.left() + box.width(), box.top() + box.height());
    node.SetEditText(text);
    commitObject(node, TextTracker::FrameBounds(box));
}

void CScreenPenWnd::OnTextChanged()
{
    if (!textBoxOpen())
        return;
    const QRect before = TextTracker::FrameBounds(textTracker_.rect());
    textTracker_.SetRect(textEdit_->geometry());
    compose(before | TextTracker::FrameBounds(textTracker_.rect()));
}

// ---- cursor ----

void CScreenPenWnd::updateCursor(QPoint point)
{
    if (boardMode != 0) {
        for (const PictureButton& b : navButtons_) {
            if (b.rect.contains(point)) {
                setCursor(Qt::ArrowCursor);
                return;
            }
        }
    }
    if (instrumentMode()) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    if (textBoxOpen()) {
        const TextTracker::Hit hit = textTracker_.HitTest(point);
        if (hit != TextTracker::HitNothing) {
            setCursor(TextTracker::CursorFor(hit));
            return;
        }
    }
    const NodeKind kind = currentObject_.kind;
    int resource = 537;
    if (!currentObject_.highlight && eraseMode_ != 2) {
        resource = kind == SpeedPen ? 663
            : kind == EraseLasso    ? 665
            : kind == Text          ? 662
            : kind == BrushPen      ? 878
            : kind == DashPen       ? 535
                                    : 537;
    } else if (eraseMode_ == 2) {
        resource = 684;
    } else {
        resource = 534;
    }
    setCursor(cursorFor(resource));
}

} // namespace DIALOG
