// The picture wall's and the 3D board's entries, bound at first use.
#include "board3d/board3d_exports.h"
#include "deferred/deferred_library.h"
#include "wall/wall_exports.h"

using deferred::kBoard3D;
using deferred::kWall;

extern "C" {
QM_DEFERRED_OPEN(kWall, void, ShowMainFrame, (), (), void())
QM_DEFERRED_OPEN(kWall, void, SetShowPath, (const char* path), (path), void())
QM_DEFERRED_OPEN(kBoard3D, bool, Create3DScreenPen, (), (), false)
QM_DEFERRED_ASK(kBoard3D, bool, Hide3DWindow, (), (), false)
QM_DEFERRED_ASK(kBoard3D, void, Destroy3DScreen, (), (), void())
}
