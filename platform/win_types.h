#pragma once
// The integer types of the window-message and drawing interfaces, as the system has always used them.
#include <cstdint>

using UINT = unsigned int;
using BOOL = int;
using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// A colour reference: 0x00BBGGRR.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xff) | (COLORREF(g & 0xff) << 8) | (COLORREF(b & 0xff) << 16);
}
constexpr int GetRValue(COLORREF c)
{
    return int(c & 0xff);
}
constexpr int GetGValue(COLORREF c)
{
    return int((c >> 8) & 0xff);
}
constexpr int GetBValue(COLORREF c)
{
    return int((c >> 16) & 0xff);
}

constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;
