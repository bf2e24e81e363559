#include "app/tool_dlg.h"

#include "app/erase_radius_dlg.h"
#include "app/line_style_dlg.h"

#include "assist/assist_exports.h"
#include "controls/button_ex.h"
#include "platform/dialog_units.h"
#include "platform/window_flags.h"
#include "support/language.h"
#include "support/multi_screen.h"
#include "surface/pen_node.h"
#include "surface/screen_pen_wnd.h"
#include "surface/surface_state.h"

#include <QEventLoop>
#include <QPainter>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

int spotlightOpen = 0;
int maskOpen = 0;
int alarmOpen = 0;
int zoomOpen = 0;
int magnifierOpen = 0;

namespace {

constexpr int kPanelWidthDu = 32;
constexpr int kButtonWidth = 44;
constexpr int kButtonHeight = 44;
constexpr int kCloseStripHeight = 10;

// The tool tip of each button of a page, translated; the pictures of pages 3 and 11 carry no words.
struct PageButton {
    int id;
    const char* role;
};

constexpr PageButton kWritingButtons[] = {{1054, "钢笔"}, {1055, "荧光笔"}, {1056, "虚线笔"}, {1057, "圆规"},
    {1047, "直尺"}, {1048, "等腰三角板"}, {1049, "直角三角板"}, {1076, "量角器"}, {1077, "风格"}};
constexpr PageButton kDrawingButtons[] = {{1054, "矩形"}, {1055, "椭圆"}, {1056, "直线"}, {1057, "箭头"},
    {1047, "折线"}, {1048, "立方体"}, {1049, "圆柱"}};
constexpr PageButton kToolsButtons[] = {{CToolDlg::kToolSpotlight, "聚光灯"}, {CToolDlg::kToolMask, "幕布"},
    {CToolDlg::kToolCalculator, "计算器"}, {CToolDlg::kToolTimer, "计时器"}, {CToolDlg::kToolZoom, "缩放"},
    {CToolDlg::kToolLaunch, "常用"}, {CToolDlg::kToolCapture, "截图"}, {CToolDlg::kToolPrint, "打印"},
    {CToolDlg::kToolMagnifier, "放大镜"}, {CToolDlg::kToolKeyboard, "键盘"}};

template<size_t N>
const PageButton* findButton(const PageButton (&buttons)[N], int index)
{
    return index < int(N) ? &buttons[index] : nullptr;
}

const PageButton* pageButton(int page, int index)
{
    switch (page) {
    case CToolDlg::kPageWriting:
        return findButton(kWritingButtons, index);
    case CToolDlg::kPageDrawing:
        return findButton(kDrawingButtons, index);
    case CToolDlg::kPageTools:
        return findButton(kToolsButtons, index);
    default:
        return nullptr;
    }
}

} // namespace

CToolDlg::CToolDlg(QWidget* panel, CLineStyleDlg* lineStyle, ToolPanelHost host)
    : QWidget(panel, platform::kFloatingToolFlags)
    , panel_(panel)
    , lineStyle_(lineStyle)
    , host_(std::move(host))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(u"ToolDlg"_s);
    const int width = platform::dialogUnitsToPixelsX(kPanelWidthDu);
    resize(width, ColumnHeight(ButtonCount(kPageWriting), kButtonHeight) + kCloseStripHeight);
    for (int id : kButtonIds) {
        auto* button = new UICONTROL::CButtonEx(id, this);
        button->setCheckable(true);
        button->resize(kButtonWidth, kButtonHeight);
        button->hide();
        // A click never toggles by itself: the selection follows the tool in use.
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            showSelection();
            OnButton(id);
        });
        buttons_.insert(id, button);
    }
    closeStrip_ = new UICONTROL::CButtonEx(kCloseStripId, this);
    closeStrip_->SetPictures(u":/skin/tool/close_strip_521.png"_s, u":/skin/tool/close_strip_522.png"_s);
    closeStrip_->setToolTip(GetConfigString(u"收起工具栏"_s));
    connect(closeStrip_, &QAbstractButton::clicked, this, [this] { OnButton(kCloseStripId); });
    eraseRadius_ = new CEraseRadiusDlg(panel, host_.surface);
    // A pen chosen in the line-style popup is the pen in use: its button here is selected, and the style
    // button stands for the pens that have no button of their own.
    if (lineStyle_)
        connect(lineStyle_, &CLineStyleDlg::styleApplied, this, [this](LineStyle style) {
            SetActiveTool(kPageWriting,
                style == LineStyle::Pen               ? 1054
                    : style == LineStyle::Highlighter ? 1055
                    : style == LineStyle::DashPen     ? 1056
                                                      : 1077);
        });
}

CToolDlg::~CToolDlg() = default;

int CToolDlg::ButtonCount(int page)
{
    switch (page) {
    case kPageDrawing:
        return int(std::size(kDrawingButtons));
    case kPageTools:
        return int(std::size(kToolsButtons));
    case kPageWriting:
        return int(std::size(kWritingButtons));
    default:
        return 0;
    }
}

int CToolDlg::PlacementX(const QRect& panel, const QRect& screen, int toolWidth, int eraserWidth)
{
    // Measured from the panel's own screen, so the tool panel never opens on the neighbouring monitor.
    if (toolWidth + eraserWidth <= panel.left() - screen.left())
        return panel.left() - toolWidth;
    return panel.left() + panel.width();
}

bool CToolDlg::onLeftOfPanel() const
{
    return panel_ && x() < panel_->x();
}

void CToolDlg::SetPage(int page)
{
    if (page == page_ && isVisible()) {
        hide();
        eraseRadius_->hide();
        return;
    }
    showPageButtons(page);
    page_ = page;
    PlaceBesidePanel();
    show();
    raise();
    if (lineStyle_)
        lineStyle_->hide();
    if (page == kPageDrawing) {
        // The drawing page starts with the rectangle.
        if (lineStyle_)
            lineStyle_->Refresh();
        if (CScreenPenWnd* surface = host_.ensureSurface ? host_.ensureSurface() : nullptr)
            surface->SetShape(Rectangle);
        SetActiveTool(kPageDrawing, 1054);
    }
}

void CToolDlg::showPageButtons(int page)
{
    const bool english = IsEnglish();
    shown_ = ButtonCount(page);
    for (int i = 0; i < 15; ++i) {
        UICONTROL::CButtonEx* button = buttons_.value(kButtonIds[i]);
        const PageButton* entry = pageButton(page, i);
        if (!entry) {
            button->hide();
            continue;
        }
        const QString base = page == kPageTools && english
            ? u":/skin/tool/p%1_%2_en_"_s.arg(page).arg(entry->id)
            : u":/skin/tool/p%1_%2_"_s.arg(page).arg(entry->id);
        button->SetPictures(base + u"normal.png"_s, base + u"down.png"_s);
        const QString role = GetConfigString(QString::fromUtf8(entry->role));
        button->setText(role);
        button->setToolTip(role);
        button->setAccessibleName(QString::fromUtf8(entry->role));
        button->setGeometry(2, 1 + i * (kButtonHeight + 2), kButtonWidth, kButtonHeight);
        button->show();
    }
    page_ = page;
    showSelection();
    update();
}

void CToolDlg::PlaceBesidePanel()
{
    if (!panel_)
        return;
    const QRect panel = panel_->frameGeometry();
    const QRect screen = CMultiScreen(panel_).GetScreenRect();
    const int h = ColumnHeight(shown_, kButtonHeight);
    const int x = PlacementX(panel, screen, width(), eraseRadius_->width());
    const int y = panel.top() + (panel.height() - h) / 2;
    closeStrip_->setGeometry(0, h - kCloseStripHeight, width(), kCloseStripHeight);
    // The strip's top rows are plain panel colour under the last button's foot.
    closeStrip_->lower();
    setFixedHeight(h + kCloseStripHeight);
    move(x, y);
    const int eraserX = x < panel.left() ? x - eraseRadius_->width() : x + width();
    eraseRadius_->move(eraserX, y);
}

void CToolDlg::ShowEraseRadius()
{
    PlaceBesidePanel();
    eraseRadius_->show();
    eraseRadius_->raise();
}

void CToolDlg::ShowLineStyle()
{
    if (!lineStyle_)
        return;
    lineStyle_->Refresh();
    const QRect tool = frameGeometry();
    const int x = onLeftOfPanel() ? tool.left() - lineStyle_->width() : tool.left() + tool.width();
    // Level with the style button, kept on the tool panel's screen.
    const QRect screen = panel_ ? CMultiScreen(panel_).GetScreenRect() : QRect();
    int y = tool.top() + buttons_.value(1077)->y();
    if (screen.isValid())
        y = std::max(screen.top(), std::min(y, screen.bottom() + 1 - lineStyle_->height()));
    lineStyle_->move(x, y);
    lineStyle_->show();
    lineStyle_->raise();
    lineStyle_->ApplyStyle();
}

void CToolDlg::ReceiveState(int state)
{
    state_ = state;
    SetActiveTool(kPageDrawing, 1047);
}

void CToolDlg::SetActiveTool(int page, int id)
{
    activePage_ = page;
    activeTool_ = id;
    showSelection();
}

void CToolDlg::showSelection()
{
    for (int id : kButtonIds) {
        UICONTROL::CButtonEx* button = buttons_.value(id);
        const bool selected = page_ == activePage_ && id == activeTool_;
        if (button->isChecked() != selected)
            button->setChecked(selected);
    }
}

void CToolDlg::OnButton(int id)
{
    if (id == kCloseStripId) {
        hide();
        if (eraseRadius_->isVisible())
            eraseRadius_->hide();
        return;
    }
    switch (page_) {
    case kPageWriting:
        onWriting(id);
        break;
    case kPageDrawing:
        onDrawing(id);
        break;
    case kPageTools:
        onTools(id);
        break;
    default:
        break;
    }
}

void CToolDlg::onWriting(int id)
{
    if (id == 1077) {
        ShowLineStyle();
        return;
    }
    CScreenPenWnd* surface = host_.ensureSurface ? host_.ensureSurface() : nullptr;
    if (!surface)
        return;
    switch (id) {
    case 1054:
        surface->SetPen(kDefaultPenWidth, RGB(255, 0, 0));
        break;
    case 1055:
        surface->SetHighlighter(3, RGB(0, 255, 0));
        break;
    case 1056:
        surface->SetDashPen(kDefaultPenWidth, RGB(0, 0, 255));
        if (host_.setPanelPen)
            host_.setPanelPen(kDefaultPenWidth, RGB(0, 0, 255), 1);
        break;
    case 1057:
        selectInstrument(u"Compass"_s);
        break;
    case 1047:
        selectInstrument(u"Ruler"_s);
        break;
    case 1048:
        selectInstrument(u"ISOTriangular"_s);
        break;
    case 1049:
        selectInstrument(u"Triangular"_s);
        break;
    case 1076:
        selectInstrument(u"Protractor"_s);
        break;
    default:
        return;
    }
    SetActiveTool(kPageWriting, id);
}

void CToolDlg::selectInstrument(const QString& kind)
{
    CScreenPenWnd* surface = host_.ensureSurface ? host_.ensureSurface() : nullptr;
    if (!surface)
        return;
    // The instruments draw with the line-style popup's width and colour.
    if (lineStyle_) {
        surface->lesson().SharedPen() = {lineStyle_->Width(), lineStyle_->Colour()};
    }
    surface->SelectInstrument(kind);
    surface->update();
}

void CToolDlg::onDrawing(int id)
{
    if (lineStyle_)
        lineStyle_->Refresh();
    CScreenPenWnd* surface = host_.ensureSurface ? host_.ensureSurface() : nullptr;
    if (!surface)
        return;
    switch (id) {
    case 1054:
        surface->SetShape(Rectangle);
        break;
    case 1055:
        surface->SetShape(Ellipse);
        break;
    case 1056:
        surface->SetShape(Line);
        break;
    case 1057:
        surface->SetShape(Arrow);
        break;
    case 1047:
        surface->SetPolyline();
        break;
    case 1048:
        surface->SetShape(Cube);
        break;
    case 1049:
        surface->SetShape(Cylinder);
        break;
    default:
        return;
    }
    SetActiveTool(kPageDrawing, id);
}

void CToolDlg::notAvailable(const char* what)
{
    if (host_.tip)
        host_.tip(GetConfigString(QString::fromUtf8(what)));
}

void CToolDlg::RunTool(int id)
{
    onTools(id);
}

void CToolDlg::outOfThePicture(const std::function<void()>& f)
{
    const bool shown = isVisible();
    if (shown) {
        hide();
        // The desktop under the panel is drawn again before the tool takes its picture.
        QEventLoop wait;
        QTimer::singleShot(100, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    f();
    if (shown)
        show();
}

void CToolDlg::onTools(int id)
{
    switch (id) {
    case kToolSpotlight:
        outOfThePicture([] {
            spotlightOpen = !spotlightOpen;
            StartSpoltLight(&spotlightOpen, 300);
        });
        break;
    case kToolMask:
        hide();
        maskOpen = !maskOpen;
        MaskEffect(&maskOpen);
        break;
    case kToolCalculator:
        if (host_.showCalculator)
            host_.showCalculator();
        break;
    case kToolTimer:
        alarmOpen = !alarmOpen;
        AlarmClock(&alarmOpen);
        break;
    case kToolZoom: {
        zoomOpen = !zoomOpen;
        const bool opening = zoomOpen != 0;
        outOfThePicture([] { PictuerZoomOut(&zoomOpen); });
        if (host_.focusPanel)
            host_.focusPanel();
        // The library answers a window it cannot open (no screen to zoom) by clearing the flag at once.
        if (opening && !zoomOpen)
            notAvailable("缩放未能打开");
        break;
    }
    case kToolLaunch:
        if (host_.showUserPanel)
            host_.showUserPanel();
        break;
    case kToolCapture:
        if (host_.capture)
            host_.capture();
        break;
    case kToolPrint:
        printLastCapture();
        break;
    case kToolMagnifier:
        toggleMagnifier();
        break;
    case kToolKeyboard:
        if (host_.showScreenKeyboard)
            host_.showScreenKeyboard();
        break;
    default:
        break;
    }
}

void CToolDlg::toggleMagnifier()
{
    magnifierOpen = !magnifierOpen;
    const bool opening = magnifierOpen != 0;
    outOfThePicture([] { StartMagnifier(&magnifierOpen, 0, 0); });
    // The magnifier hid the spotlight and the mask, and cleared their flags.
    if (opening && !magnifierOpen)
        notAvailable("放大镜未能打开");
}

void CToolDlg::printLastCapture()
{
    // Printing nothing would be a button that does nothing.
    if (qmhelp::lastCapture().isNull()) {
        notAvailable("还没有截图，请先截图再打印");
        return;
    }
    PrintLastCapBmp();
}

void CToolDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1B, 0x4C, 0x8C));
    p.setPen(QColor(0x3C, 0x78, 0xC2));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace DIALOG
