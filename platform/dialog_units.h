#pragma once
// Dialog units of the 8-point dialog font at 96 dpi.
#include <cmath>

namespace platform {

inline int dialogUnitsToPixelsX(int x)
{
    return int(std::lround(x * 6 / 4.0));
}
inline int dialogUnitsToPixelsY(int y)
{
    return int(std::lround(y * 13 / 8.0));
}

} // namespace platform
