#include "surface/surface_screens.h"

#include <QGuiApplication>
#include <QScreen>

namespace DIALOG {

QRect VirtualScreenRect()
{
    QRect all;
    for (QScreen* s : QGuiApplication::screens())
        all |= s->geometry();
    return all.isEmpty() ? QRect(0, 0, 1920, 1080) : all;
}

double VirtualScreenRatio()
{
    // An X desktop has one scale for all its screens.
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->devicePixelRatio() : 1.0;
}

} // namespace DIALOG
