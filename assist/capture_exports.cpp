// The capture exports: the last capture and the capture window.
#include "assist/assist_exports.h"
#include "assist/bitmap_ex.h"
#include "assist/cap_bitmap_dlg.h"

#include <QPointer>
#include <QTimer>

namespace {

UICONTROL::CBitmapEx& lastCaptureBitmap()
{
    static UICONTROL::CBitmapEx bitmap;
    return bitmap;
}

QPointer<DIALOG::CCapBitmapDlg>& openCaptureWindow()
{
    static QPointer<DIALOG::CCapBitmapDlg> dlg;
    return dlg;
}

} // namespace

QImage qmhelp::lastCapture()
{
    return lastCaptureBitmap().image();
}

QWidget* qmhelp::captureWindow()
{
    return openCaptureWindow();
}

void BeginCapSelect()
{
    if (openCaptureWindow())
        return;
    const QRect screen = qmhelp::screenQRect();
    const QImage snapshot = qmhelp::grabScreen(screen);
    lastCaptureBitmap().Attach(snapshot);
    // Without a screen rectangle there is nothing to select from; a window of no size would hold the
    // caller's loop with nothing to click.
    if (screen.isEmpty())
        return;
    DIALOG::CCapBitmapDlg dlg(&lastCaptureBitmap(), snapshot, screen);
    openCaptureWindow() = &dlg;
    // The teacher's Enter and Escape go to this window.
    QTimer::singleShot(0, &dlg, [&dlg] {
        dlg.raise();
        dlg.activateWindow();
    });
    dlg.exec();
    openCaptureWindow() = nullptr;
}
