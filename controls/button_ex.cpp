#include "controls/button_ex.h"
#include "platform/image_file.h"

#include <QPainter>

#include <utility>

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
    normalPath_.clear();
    pressedPath_.clear();
    normal_ = normal;
    pressed_ = pressed.isNull() ? normal : pressed;
    update();
}

void CButtonEx::SetPictures(const QString& normalPath, const QString& pressedPath)
{
    normal_ = QPixmap();
    pressed_ = QPixmap();
    normalPath_ = normalPath;
    pressedPath_ = pressedPath;
    update();
}

const QPixmap& CButtonEx::picture(bool down) const
{
    if (!normalPath_.isEmpty())
        normal_ = platform::ownPixmap(std::exchange(normalPath_, QString()));
    if (down && !pressedPath_.isEmpty()) {
        pressed_ = platform::ownPixmap(std::exchange(pressedPath_, QString()));
        if (pressed_.isNull())
            pressed_ = normal_;
    }
    return down && !pressed_.isNull() ? pressed_ : normal_;
}

QSize CButtonEx::sizeHint() const
{
    const QPixmap& normal = picture(false);
    return normal.isNull() ? QSize(23, 24) : normal.deviceIndependentSize().toSize();
}

void CButtonEx::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool down = isDown() || isChecked();
    const QPixmap& shown = picture(down);
    if (!shown.isNull()) {
        p.drawPixmap(rect(), shown);
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
