#include "recorder/screen_grabber.h"

#include <gtest/gtest.h>

using namespace recorder;

namespace {

uint32_t pixelAt(const std::vector<uint8_t>& bgrx, int width, int x, int y)
{
    const uint8_t* p = bgrx.data() + (size_t(y) * width + x) * 4;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// A 3 × 3 cursor: an opaque black centre, half-transparent white corners, clear elsewhere; hot spot in the
// middle.
CursorPicture smallCursor()
{
    CursorPicture cursor;
    cursor.width = 3;
    cursor.height = 3;
    cursor.hotX = 1;
    cursor.hotY = 1;
    cursor.argb.assign(9, 0);
    cursor.argb[4] = 0xff000000;
    for (int i : {0, 2, 6, 8})
        cursor.argb[size_t(i)] = 0x80808080; // premultiplied half white
    return cursor;
}

} // namespace

TEST(CursorDrawing, TheHotSpotLandsOnThePointerAndTheCornersBlend)
{
    const int w = 10;
    const int h = 8;
    std::vector<uint8_t> screen(size_t(w) * h * 4, 0);
    for (size_t i = 0; i < screen.size(); i += 4)
        screen[i] = 0xff; // blue
    drawCursor(screen.data(), w * 4, w, h, smallCursor(), 5, 4);
    EXPECT_EQ(pixelAt(screen, w, 5, 4), 0x000000u);
    EXPECT_EQ(pixelAt(screen, w, 4, 4), 0x0000ffu); // clear parts leave the screen alone
    EXPECT_EQ(pixelAt(screen, w, 4, 3), 0x8080ffu); // half white over blue
    EXPECT_EQ(pixelAt(screen, w, 6, 5), 0x8080ffu);
    EXPECT_EQ(pixelAt(screen, w, 7, 4), 0x0000ffu);
}

TEST(CursorDrawing, ACursorAtTheEdgeIsClippedToTheScreen)
{
    const int w = 4;
    const int h = 4;
    std::vector<uint8_t> screen(size_t(w) * h * 4, 0xff);
    std::vector<uint8_t> guard = screen;
    drawCursor(screen.data(), w * 4, w, h, smallCursor(), 0, 0);
    EXPECT_EQ(pixelAt(screen, w, 0, 0), 0x000000u);
    drawCursor(screen.data(), w * 4, w, h, smallCursor(), 3, 3);
    EXPECT_EQ(pixelAt(screen, w, 3, 3), 0x000000u);
    drawCursor(screen.data(), w * 4, w, h, smallCursor(), -5, 40); // wholly outside: nothing
    EXPECT_EQ(pixelAt(screen, w, 1, 1), 0xffffffu);
}
