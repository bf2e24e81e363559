#include "assist/assist_exports.h"

#include "assist/countdown_timer_dlg.h"

#include "platform/messages.h"
#include "platform/notice.h"
#include "support/language.h"
#include "support/screen_picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {
qmhelp::ScreenRect g_screenRect;
} // namespace

void SetScreenRect(int left, int top, int right, int bottom)
{
    g_screenRect = {left, top, right, bottom};
}

qmhelp::ScreenRect qmhelp::screenRect()
{
    return g_screenRect;
}

void CapFullScreen()
{
}

QRect qmhelp::screenQRect()
{
    return QRect(g_screenRect.left, g_screenRect.top, std::max(0, g_screenRect.right - g_screenRect.left),
        std::max(0, g_screenRect.bottom - g_screenRect.top));
}

QImage qmhelp::grabScreen(const QRect& rect)
{
    return TakeScreenPicture(rect, platform::OwnWindows::Shown);
}

namespace {
QPointer<DIALOG::CTimerDlg>& timerWindow()
{
    static QPointer<DIALOG::CTimerDlg> dlg;
    return dlg;
}
} // namespace

QWidget* qmhelp::existingTimerWindow()
{
    return timerWindow();
}

void AlarmClock(int* flag)
{
    QPointer<DIALOG::CTimerDlg>& dlg = timerWindow();
    if (!dlg) {
        dlg = new DIALOG::CTimerDlg(flag);
        dlg->centreOnScreenRect();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, dlg, [] { delete timerWindow(); });
        dlg->show();
        // Placed again once shown: a window manager may put a new window where it likes.
        dlg->centreOnScreenRect();
        return;
    }
    // A caller that hands a new flag gets that one written when the window closes.
    if (flag)
        dlg->setFlag(flag);
    if (flag && *flag)
        dlg->show();
    else
        dlg->hide();
    dlg->centreOnScreenRect();
}

int Find360Process()
{
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (comm.open(QIODevice::ReadOnly)
            && QString::fromLocal8Bit(comm.readAll())
                    .trimmed()
                    .compare(QStringLiteral("AVP.exe"), Qt::CaseInsensitive)
                == 0)
            return 1;
    }
    return 0;
}
