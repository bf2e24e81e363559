#pragma once
// The one surface the panel shows, for the parts of the program that reach it without a panel at hand.
#include "platform/win_types.h"
#include "surface/lesson.h"

namespace DIALOG {

class CScreenPenWnd;

// The one surface, set whenever it is shown; null once it is destroyed.
CScreenPenWnd* ShownSurface();
void SetShownSurface(CScreenPenWnd* surface);

} // namespace DIALOG
