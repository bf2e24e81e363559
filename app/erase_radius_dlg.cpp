#include "app/erase_radius_dlg.h"

#include "controls/pro_slider_ctrl.h"
#include "platform/window_flags.h"
#include "support/language.h"
#include "surface/screen_pen_wnd.h"

#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {
constexpr int kWidth = 200;
constexpr int kPreviewSide = 64;
constexpr int kHeight = kPreviewSide + 42;
} // namespace

CEraseRadiusDlg::CEraseRadiusDlg(QWidget* owner, std::function<CScreenPenWnd*()> surface)
    : QWidget(owner, platform::kFloatingToolFlags)
    , surface_(std::move(surface))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(u"EraseRadius"_s);
    setFixedSize(kWidth, kHeight);
    slider_ = new UICONTROL::CProSliderCtrl(kSliderId, this);
    slider_->setGeometry(8, kHeight - 32, kWidth - 16, 26);
    slider_->SetChannelColor(0xE3BB9B);
    slider_->setRange(0, kSliderRange);
    slider_->setValue(size_ - kSmallestSize);
    connect(slider_, &QSlider::valueChanged, this, &CEraseRadiusDlg::OnSliderChanged);
}

void CEraseRadiusDlg::ShowSize(int size)
{
    const QSignalBlocker quiet(slider_);
    size_ = size;
    slider_->setValue(size - kSmallestSize);
    update();
}

void CEraseRadiusDlg::OnSliderChanged(int position)
{
    size_ = SizeAtPosition(position);
    if (CScreenPenWnd* surface = surface_ ? surface_() : nullptr)
        surface->SetPointEraser(size_);
    update();
}

QRect CEraseRadiusDlg::previewRect() const
{
    return {8, 6, kPreviewSide, kPreviewSide};
}

void CEraseRadiusDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0x1B, 0x4C, 0x8C));
    p.setPen(QColor(0x3C, 0x78, 0xC2));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // The square the eraser wipes, at its size on the page (scaled down past the preview's side).
    const QRect area = previewRect();
    p.fillRect(area, Qt::white);
    const int side = std::min(size_, kPreviewSide - 4);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0x10, 0x23, 0x3F), 1));
    p.setBrush(QColor(0xF6, 0xB7, 0x3C));
    p.drawRect(QRect(area.center() - QPoint(side / 2, side / 2), QSize(side, side)));
    QFont font(u"WenQuanYi Micro Hei"_s);
    font.setPixelSize(15);
    p.setFont(font);
    p.setPen(Qt::white);
    const QString label = IsEnglish() ? u"Eraser %1 px"_s : u"橡皮 %1 像素"_s;
    p.drawText(QRect(area.right() + 12, area.top(), width() - area.right() - 16, area.height()),
        Qt::AlignVCenter | Qt::AlignLeft, label.arg(size_));
}

} // namespace DIALOG
