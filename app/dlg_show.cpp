#include "app/dlg_show.h"

#include "app/whiteboard_messages.h"

#include "platform/dialog_units.h"
#include "platform/image_file.h"
#include "platform/messages.h"
#include "platform/window_flags.h"
#include "platform/window_ops.h"
#include "support/multi_screen.h"

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
    picture_ = platform::ownPixmap(u":/skin/panel/show_tab.png"_s);
    if (picture_.isNull())
        setFixedSize(platform::dialogUnitsToPixelsX(80), platform::dialogUnitsToPixelsY(47));
    else
        setFixedSize(picture_.deviceIndependentSize().toSize());
}

void CDlgShow::Restore()
{
    if (restore_)
        restore_();
}

void CDlgShow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // Picture 210; without it the tab is at least a plain panel-blue tile that can be clicked.
    if (picture_.isNull())
        p.fillRect(rect(), QColor(0x1b, 0x4c, 0x8c));
    else
        p.drawPixmap(0, 0, picture_);
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
    if (pos.x() < kRestoreWidth) {
        // A full-screen presentation under the tab keeps the keys while the panel comes back.
        const QRect screen = CMultiScreen(this).GetScreenRect();
        const int w = screen.width(), h = screen.height();
        const platform::WindowRef a = platform::WindowFromPoint(screen.topLeft() + QPoint(w / 4, h / 4));
        const platform::WindowRef b = platform::WindowFromPoint(screen.topLeft() + QPoint(3 * w / 4, h / 4));
        const platform::WindowRef c = platform::WindowFromPoint(screen.topLeft() + QPoint(w / 2, h / 2));
        if (a && a == b && b == c)
            platform::SetFocus(a);
        Restore();
    }
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
