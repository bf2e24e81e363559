#include "surface/surface_state.h"

#include "surface/screen_pen_wnd.h"

#include <QPointer>

namespace DIALOG {

int boardMode = 0;
int sharedPenWidth = kDefaultPenWidth;
COLORREF sharedPenColour = RGB(255, 0, 0);

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

QImage& EraserSourceBitmap()
{
    static QImage bitmap;
    return bitmap;
}

} // namespace DIALOG
