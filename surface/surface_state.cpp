#include "surface/surface_state.h"

#include "surface/screen_pen_wnd.h"

#include <QPointer>

namespace DIALOG {

namespace {
QPointer<CScreenPenWnd>& shownSurface()
{
    static QPointer<CScreenPenWnd> surface;
    return surface;
}
} // namespace

CScreenPenWnd* ShownSurface()
{
    return shownSurface().data();
}

void SetShownSurface(CScreenPenWnd* surface)
{
    shownSurface() = surface;
}

} // namespace DIALOG
