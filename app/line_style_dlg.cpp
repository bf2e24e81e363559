#include "app/line_style_dlg.h"

#include "app/my_color_dlg.h"

#include "controls/button_ex.h"
#include "controls/colour_button.h"
#include "platform/window_flags.h"
#include "support/language.h"
#include "surface/page_store.h"
#include "surface/pen_node.h"
#include "surface/screen_pen_wnd.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

constexpr int kWidth = 232;
constexpr int kHeight = 182;
constexpr int kStyleButton = 30;
constexpr const char* kStyleNames[kLineStyleCount] = {"钢笔", "虚线笔", "荧光笔", "速写笔", "文字", "毛笔"};

QColor toQColor(COLORREF c)
{
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// The wave the preview draws a stroke along.
QPainterPath previewWave(const QRect& area)
{
    QPainterPath path;
    const double left = area.left() + 18, right = area.right() - 18;
    const double mid = area.center().y(), amplitude = area.height() / 5.0;
    path.moveTo(left, mid);
    for (int i = 1; i <= 48; ++i) {
        const double t = i / 48.0;
        path.lineTo(left + t * (right - left), mid - amplitude * std::sin(t * 2 * M_PI));
    }
    return path;
}

} // namespace

CLineStyleDlg::CLineStyleDlg(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(u"LineStyle"_s);
    setFixedSize(kWidth, kHeight);

    auto addButton = [this](int id, const QString& picture, const QRect& where) {
        auto* button = new UICONTROL::CButtonEx(id, this);
        button->setGeometry(where);
        button->SetPictures(
            u":/skin/linestyle/%1_normal.png"_s.arg(picture), u":/skin/linestyle/%1_down.png"_s.arg(picture));
        buttons_.insert(id, button);
        return button;
    };
    for (int i = 0; i < kLineStyleCount; ++i) {
        auto* button
            = addButton(kStyleIds[i], QString::number(i), QRect(6 + i * 33, 6, kStyleButton, kStyleButton));
        button->setCheckable(true);
        connect(button, &QAbstractButton::clicked, this, [this, i] { OnStyle(i); });
    }
    connect(addButton(kCloseId, u"close"_s, QRect(kWidth - 26, 6, 20, 20)), &QAbstractButton::clicked, this,
        &QWidget::hide);
    connect(addButton(kMinusId, u"minus"_s, QRect(6, 44, kStyleButton, kStyleButton)),
        &QAbstractButton::clicked, this, &CLineStyleDlg::OnMinus);
    connect(addButton(kPlusId, u"plus"_s, QRect(84, 44, kStyleButton, kStyleButton)),
        &QAbstractButton::clicked, this, &CLineStyleDlg::OnPlus);
    connect(addButton(kExportId, u"export"_s, QRect(kWidth - 36, 44, kStyleButton, kStyleButton)),
        &QAbstractButton::clicked, this, &CLineStyleDlg::OnExport);

    colourButton_ = new UICONTROL::CColourButton(kColourId, this);
    connect(addButton(kExportPdfId, u"export_pdf"_s, QRect(kWidth - 68, 44, kStyleButton, kStyleButton)),
        &QAbstractButton::clicked, this, &CLineStyleDlg::exportPdfRequested);
    colourButton_->setGeometry(120, 44, 42, kStyleButton);
    connect(colourButton_, &UICONTROL::CColourButton::colourChosen, this, &CLineStyleDlg::OnColour);
    SetCustomColourChooser({});
    Refresh();
}

void CLineStyleDlg::SetCustomColourChooser(std::function<bool(COLORREF, COLORREF*)> chooser)
{
    if (!chooser) {
        chooser = [this](COLORREF start, COLORREF* chosen) {
            CMyColorDlg dialog(start, parentWidget() ? parentWidget() : this);
            if (dialog.exec() != QDialog::Accepted)
                return false;
            *chosen = dialog.GetColor();
            return true;
        };
    }
    colourButton_->SetCustomChooser(std::move(chooser));
}

void CLineStyleDlg::Refresh()
{
    const bool english = GetLanguage().compare(u"English"_s, Qt::CaseInsensitive) == 0;
    colourButton_->SetTexts(english ? u"Auto"_s : u"自动"_s, english ? u"Customize"_s : u"自定义"_s);
    for (int i = 0; i < kLineStyleCount; ++i)
        buttons_.value(kStyleIds[i])->setToolTip(GetConfigString(QString::fromUtf8(kStyleNames[i])));
    buttons_.value(kPlusId)->setToolTip(GetConfigString(u"加粗"_s));
    buttons_.value(kMinusId)->setToolTip(GetConfigString(u"变细"_s));
    buttons_.value(kExportId)->setToolTip(GetConfigString(u"导出图片"_s));
    buttons_.value(kExportPdfId)->setToolTip(GetConfigString(u"导出整节课为PDF"_s));
    buttons_.value(kCloseId)->setToolTip(GetConfigString(u"关闭"_s));
    colourButton_->setToolTip(GetConfigString(u"颜色"_s));
    showSelection();
}

void CLineStyleDlg::showSelection()
{
    for (int i = 0; i < kLineStyleCount; ++i)
        buttons_.value(kStyleIds[i])->setChecked(i == styles_.Current());
    colourButton_->SetColor(styles_.Colour());
    update();
}

void CLineStyleDlg::ApplyStyle()
{
    CScreenPenWnd* surface = surface_ ? surface_() : nullptr;
    if (!surface)
        return;
    const int width = styles_.Width();
    const COLORREF colour = styles_.Colour();
    switch (styles_.CurrentStyle()) {
    case LineStyle::Pen:
        surface->SetPen(width, colour);
        break;
    case LineStyle::DashPen:
        surface->SetDashPen(width, colour);
        break;
    case LineStyle::Highlighter:
        surface->SetHighlighter(width, colour);
        break;
    case LineStyle::SpeedPen:
        surface->SetSpeedPen(width, colour);
        break;
    case LineStyle::Text:
        surface->SetTextTool(colour, width);
        break;
    case LineStyle::BrushPen:
        surface->SetBrushPen(width, colour);
        break;
    }
    emit styleApplied(styles_.CurrentStyle());
}

void CLineStyleDlg::OnStyle(int style)
{
    styles_.Select(style);
    showSelection();
    ApplyStyle();
}

void CLineStyleDlg::OnPlus()
{
    styles_.Plus();
    update();
    ApplyStyle();
}

void CLineStyleDlg::OnMinus()
{
    styles_.Minus();
    update();
    ApplyStyle();
}

void CLineStyleDlg::OnColour(COLORREF colour)
{
    styles_.SetColour(colour);
    showSelection();
    ApplyStyle();
}

void CLineStyleDlg::OnExport()
{
    if (CScreenPenWnd* surface = surface_ ? surface_() : nullptr)
        ExportPicture(surface);
}

QRect CLineStyleDlg::PreviewRect() const
{
    return {6, 82, kWidth - 12, kHeight - 88};
}

void CLineStyleDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1B, 0x4C, 0x8C));
    p.setPen(QColor(0x3C, 0x78, 0xC2));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // The width (the font size for text) between minus and plus.
    QFont font(u"Liberation Sans"_s);
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(36, 44, 48, kStyleButton), Qt::AlignCenter, QString::number(styles_.Width()));
    paintPreview(p);
}

void CLineStyleDlg::paintPreview(QPainter& p) const
{
    const QRect area = PreviewRect();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(area, 6, 6);
    p.setClipRect(area.adjusted(2, 2, -2, -2));
    const COLORREF colour = styles_.Colour();
    const int width = styles_.Width();
    switch (styles_.CurrentStyle()) {
    case LineStyle::Text: {
        // The sample on a transparent background, in Arial at the size the text will have.
        QFont font(u"Arial"_s);
        font.setPixelSize(width);
        p.setFont(font);
        p.setPen(toQColor(colour));
        p.drawText(area, Qt::AlignCenter, IsEnglish() ? u"Aa"_s : u"文字"_s);
        break;
    }
    case LineStyle::BrushPen: {
        const QImage dot = BrushDot(width, colour);
        if (dot.isNull())
            break;
        const QPainterPath wave = previewWave(area);
        for (int i = 0; i <= 120; ++i) {
            const QPointF at = wave.pointAtPercent(i / 120.0);
            p.drawImage(QPointF(at.x() - dot.width() / 2.0, at.y() - dot.height() / 2.0), dot);
        }
        break;
    }
    default: {
        QColor ink = toQColor(colour);
        if (styles_.CurrentStyle() == LineStyle::Highlighter)
            ink.setAlpha(128);
        QPen pen(ink, width, styles_.CurrentStyle() == LineStyle::DashPen ? Qt::DashLine : Qt::SolidLine,
            Qt::RoundCap, Qt::RoundJoin);
        if (styles_.CurrentStyle() == LineStyle::Highlighter)
            pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(previewWave(area));
        break;
    }
    }
    p.restore();
}

} // namespace DIALOG
