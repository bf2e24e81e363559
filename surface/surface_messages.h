#pragma once
// Messages of the pen surface: what it sends its owner (the main panel, which answers them by these names)
// and what its own child windows send it.
#include "platform/win_types.h"

#include <QString>

namespace DIALOG::ScreenPenMsg {

// Sent to the owner.
constexpr UINT kCapturing
    = 0x0779; // the surface is about to take its screen picture; the owner is hidden next
constexpr UINT kExitBoard = 0x0491; // the board-mode exit button was clicked
constexpr UINT kClosed = 0x0493; // the surface window was destroyed
constexpr UINT kPolyline
    = 0x0496; // wParam 0: a pending polyline was finished; 1: a polyline segment is dragged
constexpr UINT kOwnerHidePopups
    = 32774; // the owner's WM_COMMAND that hides its popups: the board turned a page

// Sent to the surface by its children.
constexpr UINT kTextChanged = 0x09AA; // the text edit box's content changed
constexpr UINT kFlashClicked = 0x0709; // the Flash player window was clicked
constexpr UINT kMediaWindow = 0x113D; // a media window reports; wParam 2: the video window was closed

// The surface registers its messages under this class; its title is kTitle.
inline const QString kClassName = QStringLiteral("ScreenPenWnd");
inline const QString kTitle = QStringLiteral("ScreenPen");

} // namespace DIALOG::ScreenPenMsg
