#include "player/player_exports.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget> g_owner;
} // namespace

void vpAttach(QWidget* owner)
{
    g_owner = owner;
}

// Playback is not available yet: nothing is loaded, so there is no time and nothing plays.
void vpLoad(const QString& /*path*/)
{
}
int vpGetTotalTime()
{
    return 0;
}

QString vpSecondToLoalTime(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

bool vpIsFileCanBeDecoded(const QString& /*path*/)
{
    return false;
}
int vpGetPlayState()
{
    return 0;
}
