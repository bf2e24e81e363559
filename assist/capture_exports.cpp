// The capture exports: the last capture and the capture window.
#include "assist/assist_exports.h"
#include "assist/bitmap_ex.h"
#include "assist/cap_bitmap_dlg.h"

#include "platform/message_box.h"
#include "support/language.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QTimer>

#include <tuple>

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

QString tipsCaption()
{
    return IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示");
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
    // Without a screen rectangle there is nothing to select from; a window of no size would hold the
    // caller's loop with nothing to click.
    if (screen.isEmpty()) {
        lastCaptureBitmap().Attach(QImage());
        return;
    }
    const QImage snapshot = qmhelp::grabScreen(screen);
    // With no picture from the desktop (the teacher was told why) the last capture stays as it was.
    if (snapshot.isNull())
        return;
    lastCaptureBitmap().Attach(snapshot);
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

void PrintLastCapBmp()
{
    const QImage picture = lastCaptureBitmap().image();
    if (picture.isNull())
        return;
    if (QPrinterInfo::defaultPrinter().isNull() && QPrinterInfo::availablePrinters().isEmpty()) {
        platform::MessageBox(nullptr,
            GetConfigString(QStringLiteral("找不到打印机，请检查已安装的打印机和默认打印机。")),
            tipsCaption(), platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QGuiApplication::applicationDisplayName());

    const QScreen* screen = QGuiApplication::primaryScreen();
    const double screenDpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double screenDpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    const auto layout = [&] {
        const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
        const double scaleX = printer.resolution() / screenDpiX;
        const double scaleY = printer.resolution() / screenDpiY;
        return std::tuple(page.size(), scaleX, scaleY);
    };
    auto [page, scaleX, scaleY] = layout();
    int pages = DIALOG::capture::printPageCount(picture.width(), page.width(), scaleX);
    if (pages <= 0)
        return;

    QPrintDialog dialog(&printer);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, pages);
    dialog.setFromTo(1, pages);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The teacher may have chosen another paper in the dialog.
    std::tie(page, scaleX, scaleY) = layout();
    pages = DIALOG::capture::printPageCount(picture.width(), page.width(), scaleX);
    int first = 1;
    int last = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(pages, printer.toPage() > 0 ? printer.toPage() : pages);
    }

    QPainter painter;
    if (!painter.begin(&printer)) {
        platform::MessageBox(nullptr, GetConfigString(QStringLiteral("打印出错，找不到打印机。")),
            tipsCaption(), platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    QFont font = painter.font();
    font.setPointSizeF(10);
    painter.setFont(font);
    for (int n = first; n <= last; ++n) {
        if (n > first)
            printer.newPage();
        const DIALOG::capture::PrintStrip strip
            = DIALOG::capture::printStrip(n - 1, picture.size(), page.width(), scaleX, scaleY);
        painter.drawImage(strip.target, picture, strip.source);
        // The label ends at 99 % of the page across and down, so that it is printed whole.
        const QRect labelArea(0, 0, int(page.width() * 0.99), int(page.height() * 0.99));
        painter.drawText(
            labelArea, Qt::AlignRight | Qt::AlignBottom, DIALOG::capture::printPageLabel(n, pages));
    }
    painter.end();
}
