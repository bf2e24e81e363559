#include "assist/assist_exports.h"

#include <QDir>
#include <QFile>

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

void PictuerZoomOut(int* openFlag)
{
    // The zoom window is not available yet: a request to open it is answered as closed.
    if (openFlag)
        *openFlag = 0;
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

void ConvertPPTToFolder()
{
}
