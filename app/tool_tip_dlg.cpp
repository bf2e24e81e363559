#include "app/tool_tip_dlg.h"

#include "platform/dialog_units.h"
#include "platform/window_flags.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace DIALOG {

CToolTipDlg::CToolTipDlg(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("ToolTip"));
    QSize size(platform::dialogUnitsToPixelsX(947), platform::dialogUnitsToPixelsY(45));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size.setWidth(std::min(size.width(), area.width()));
        move(area.left() + (area.width() - size.width()) / 2, area.bottom() - size.height() - 40);
    }
    setFixedSize(size);
}

void CToolTipDlg::SetText(const QString& text)
{
    text_ = text.left(99);
    update();
}

void CToolTipDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x10, 0x23, 0x3f));
    p.setPen(QColor(0xf6, 0xb7, 0x3c));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(height() / 2);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(rect().adjusted(16, 0, -16, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

} // namespace DIALOG
