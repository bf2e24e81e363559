#include "surface/surface_screens.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace DIALOG {

QRect VirtualScreenRect()
{
    QRect all;
    for (QScreen* s : QGuiApplication::screens())
        all |= s->geometry();
    return all.isEmpty() ? QRect(0, 0, 1920, 1080) : all;
}

void CopyScreens(QImage& picture, QPoint origin)
{
    QPainter p(&picture);
    for (QScreen* s : QGuiApplication::screens()) {
        const QPixmap shot = s->grabWindow(0);
        if (!shot.isNull())
            p.drawPixmap(s->geometry().translated(-origin), shot);
    }
}

} // namespace DIALOG
