#pragma once
// Messages the resource and history panel sends to its owner, and the ids of its controls.
#include "platform/win_types.h"

namespace DIALOG::tab {

constexpr UINT kMsgDeleteSurface = 0x0494; // before every history or background action: drop the surface
constexpr UINT kMsgOpenBackground = 0x0495; // wParam: const QString* picture path to open as the background
constexpr UINT kMsgOpenPageSet = 0x0497; // wParam: const QString* picture chosen to join the history
constexpr UINT kMsgOpenPageFolder = 0x0498; // wParam: const QString* folder of saved history to import
constexpr UINT kMsgInsertPicture = 0x059C; // wParam: kind below; lParam: const QString* folder or 0
constexpr UINT kMsgInsertChosenMedia = 0x059D; // the insert command: the owner asks for a media file
constexpr UINT kMsgInsertMedia = 0x059E; // lParam: const QString* Flash file to insert

// wParam of kMsgInsertPicture.
constexpr WPARAM kResourcePictures = 6; // a resource folder holding pictures
constexpr WPARAM kResourceVideo = 19; // a folder at or below a folder named "视频"
constexpr WPARAM kResourceMissed = 99999; // the click hit no item of the tree

// Item data of every folder and file item of the resource tree.
constexpr int kResourceItemData = 6;

// Pages.
constexpr int kPageHistory = 0;
constexpr int kPageBackground = 1;
constexpr int kPageResource = 2;

// Controls and commands.
constexpr int kIdHideBar = 1049; // hides the panel
constexpr int kIdPageHistory = 3017;
constexpr int kIdPageBackground = 3019;
constexpr int kIdPageResource = 3020;
constexpr int kIdResourceTree = 3021;
constexpr int kIdBackgroundList = 3022;
constexpr int kIdPageFrame = 3023; // the area the pages fill
constexpr int kIdHistoryList = 3024;
constexpr int kIdInsert = 3028;

} // namespace DIALOG::tab
