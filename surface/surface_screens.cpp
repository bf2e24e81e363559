#include "surface/surface_screens.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>

namespace DIALOG {

QRect VirtualScreenRect()
{
    QRect all;
    for (QScreen* s : QGuiApplication::screens())
        all |= s->geometry();
    return all.isEmpty() ? QRect(0, 0, 1920, 1080) : all;
}

void CopyScreens(QImage& picture, QPoint origin, bool afterHiding)
{
    for (int i = 0; afterHiding && i < 4; ++i) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(15);
    }
    QPainter p(&picture);
    for (QScreen* s : QGuiApplication::screens()) {
        const QPixmap shot = s->grabWindow(0);
        if (!shot.isNull())
            p.drawPixmap(s->geometry().translated(-origin), shot);
    }
}

} // namespace DIALOG
