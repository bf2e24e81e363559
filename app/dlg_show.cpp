#include "app/dlg_show.h"

#include "app/whiteboard_messages.h"

#include "platform/dialog_units.h"
#include "platform/messages.h"
#include "platform/window_flags.h"

#include <QMouseEvent>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {
// Above this line a click restores the panel; below it the tab is dragged.
constexpr int kDragAreaTop = 40;
constexpr int kRestoreWidth = 80;
} // namespace

CDlgShow::CDlgShow(QWidget* owner, std::function<void()> restore)
    : QWidget(owner, platform::kFloatingToolFlags)
    , restore_(std::move(restore))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(u"HideDlg"_s);
    reloadPicture();
    messages_ = std::make_unique<platform::MessageTable>(this, u"#32770"_s);
    messages_->on(kMsgRestorePanel, [this](WPARAM, LPARAM) {
        Restore();
        reloadPicture();
        update();
        return LRESULT(0);
    });
}

CDlgShow::~CDlgShow() = default;

void CDlgShow::reloadPicture()
{
    picture_.load(u":/skin/panel/show_tab.png"_s);
    if (picture_.isNull())
        setFixedSize(platform::dialogUnitsToPixelsX(80), platform::dialogUnitsToPixelsY(47));
    else
        setFixedSize(picture_.size());
}

void CDlgShow::Restore()
{
    if (restore_)
        restore_();
}

void CDlgShow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!picture_.isNull()) {
        p.drawPixmap(0, 0, picture_);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1b, 0x4c, 0x8c));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(rect(), 6, 6);
    p.setPen(QPen(Qt::white, 2));
    const QRect top(0, 0, width(), kDragAreaTop);
    const QPoint c = top.center();
    p.drawLine(c + QPoint(-8, 4), c + QPoint(0, -4));
    p.drawLine(c + QPoint(0, -4), c + QPoint(8, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 120));
    for (int i = -2; i <= 2; ++i)
        p.drawEllipse(QPoint(width() / 2 + i * 6, kDragAreaTop + (height() - kDragAreaTop) / 2), 1, 1);
}

void CDlgShow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    if (pos.y() >= kDragAreaTop) {
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        setCursor(Qt::SizeAllCursor);
        return;
    }
    if (pos.x() < kRestoreWidth)
        Restore();
}

void CDlgShow::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        move(event->globalPosition().toPoint() - dragOffset_);
    else
        setCursor(event->position().y() >= kDragAreaTop ? Qt::SizeAllCursor : Qt::ArrowCursor);
}

void CDlgShow::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
}

} // namespace DIALOG
