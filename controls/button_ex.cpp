#include "controls/button_ex.h"
#include "platform/image_file.h"

#include <QPainter>

namespace UICONTROL {

CButtonEx::CButtonEx(int id, QWidget* parent)
    : QAbstractButton(parent)
    , id_(id)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void CButtonEx::SetPictures(const QPixmap& normal, const QPixmap& pressed)
{
    normal_ = normal;
    pressed_ = pressed.isNull() ? normal : pressed;
    update();
}

void CButtonEx::SetPictures(const QString& normalPath, const QString& pressedPath)
{
    SetPictures(platform::ownPixmap(normalPath), platform::ownPixmap(pressedPath));
}

QSize CButtonEx::sizeHint() const
{
    return normal_.isNull() ? QSize(23, 24) : normal_.size();
}

void CButtonEx::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool down = isDown() || isChecked();
    const QPixmap& picture = down ? pressed_ : normal_;
    if (!picture.isNull()) {
        p.drawPixmap(rect(), picture);
    } else {
        p.fillRect(rect(), down ? QColor(0x12, 0xa3, 0x9a) : QColor(0x27, 0x61, 0xa9));
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter, text());
    }
    if (hover_ && !down) {
        // A light wash shows which button the pen is over on a board without hover feedback.
        p.fillRect(rect().adjusted(1, 1, -1, -1), QColor(255, 255, 255, 28));
    }
}

void CButtonEx::enterEvent(QEnterEvent* event)
{
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CButtonEx::leaveEvent(QEvent* event)
{
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace UICONTROL
