#include "player/player_rules.h"

#include <algorithm>
#include <cmath>

namespace player {

QString SecondsAsClock(int seconds)
{
    if (seconds <= 0)
        return QStringLiteral("00:00:00");
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

double VolumeGain(int volume)
{
    if (volume <= kVolumeSilent)
        return 0.0;
    return std::pow(10.0, std::min(volume, kVolumeFull) / 2000.0);
}

int ClampVolume(int volume)
{
    return std::clamp(volume, kVolumeSilent, kVolumeFull);
}

} // namespace player
