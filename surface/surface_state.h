#pragma once
// Process-wide values of the drawing surface that the main panel, the page store and the surface share.
#include "platform/win_types.h"

#include <QImage>

namespace DIALOG {

class CScreenPenWnd;

// The pen writes over a picture of the desktop (kBoardDesktop), on a board page on white (kBoardWhite) or on
// a board page in a colour the user chose (kBoardColour). The main panel sets the first two, the surface the
// third.
constexpr int kBoardDesktop = 0;
constexpr int kBoardWhite = 1;
constexpr int kBoardColour = 2;
extern int boardMode;

// The width of the pen a teacher gets without choosing one (the writing, whiteboard, next-page and annotate
// buttons, the pen buttons of the tool panel): a line the back row reads on a projected picture.
constexpr int kDefaultPenWidth = 4;

// The main panel's pen width and colour, copied here for the instruments and tools that draw with them.
extern int sharedPenWidth;
extern COLORREF sharedPenColour;

// The one surface, set whenever it is shown; null once it is destroyed.
CScreenPenWnd* ShownSurface();
void SetShownSurface(CScreenPenWnd* surface);

// What EraseTrail and EraseLasso objects restore from: a copy of the surface's background bitmap, taken
// whenever the current object is reset to a new pen state.
QImage& EraserSourceBitmap();

} // namespace DIALOG
