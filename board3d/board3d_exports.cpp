#include "board3d/board3d_exports.h"

// The 3D board is not available yet: there is no board window to show, hide or destroy.
bool Create3DScreenPen()
{
    return false;
}
bool Hide3DWindow()
{
    return false;
}
void Destroy3DScreen()
{
}
