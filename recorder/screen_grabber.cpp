#include "recorder/screen_grabber.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xfixes.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

namespace recorder {

void drawCursor(uint8_t* bgrx, int stride, int width, int height, const CursorPicture& cursor, int x, int y)
{
    const int left = x - cursor.hotX;
    const int top = y - cursor.hotY;
    for (int row = std::max(0, -top); row < cursor.height && top + row < height; ++row) {
        uint8_t* line = bgrx + size_t(top + row) * stride;
        for (int col = std::max(0, -left); col < cursor.width && left + col < width; ++col) {
            const uint32_t pixel = cursor.argb[size_t(row) * cursor.width + col];
            const uint32_t alpha = pixel >> 24;
            if (alpha == 0)
                continue;
            uint8_t* p = line + size_t(left + col) * 4;
            // Premultiplied: colour + background × (1 − alpha).
            p[0] = uint8_t(std::min<uint32_t>(255, (pixel & 0xff) + p[0] * (255 - alpha) / 255));
            p[1] = uint8_t(std::min<uint32_t>(255, ((pixel >> 8) & 0xff) + p[1] * (255 - alpha) / 255));
            p[2] = uint8_t(std::min<uint32_t>(255, ((pixel >> 16) & 0xff) + p[2] * (255 - alpha) / 255));
        }
    }
}

struct ScreenGrabber::Impl {
    Display* display = nullptr;
    Window root = 0;
    XImage* image = nullptr;
    XShmSegmentInfo shm {};
    bool attached = false;
    int width = 0;
    int height = 0;
    int fixesEvents = -1;
    CursorPicture cursor;
    bool cursorKnown = false;
    int cursorChanges = 0;

    void fetchCursor()
    {
        XFixesCursorImage* picture = XFixesGetCursorImage(display);
        if (!picture)
            return;
        cursor.width = picture->width;
        cursor.height = picture->height;
        cursor.hotX = picture->xhot;
        cursor.hotY = picture->yhot;
        cursor.argb.resize(size_t(picture->width) * picture->height);
        // XFixes hands each pixel in an unsigned long.
        for (size_t i = 0; i < cursor.argb.size(); ++i)
            cursor.argb[i] = uint32_t(picture->pixels[i]);
        XFree(picture);
        cursorKnown = true;
    }

    void close()
    {
        if (attached)
            XShmDetach(display, &shm);
        if (image)
            XDestroyImage(image);
        if (shm.shmaddr && shm.shmaddr != reinterpret_cast<char*>(-1))
            shmdt(shm.shmaddr);
        if (display)
            XCloseDisplay(display);
        display = nullptr;
        image = nullptr;
        attached = false;
        shm = {};
    }
};

ScreenGrabber::ScreenGrabber()
    : d(std::make_unique<Impl>())
{
}

ScreenGrabber::~ScreenGrabber()
{
    d->close();
}

bool ScreenGrabber::open()
{
    d->close();
    d->display = XOpenDisplay(nullptr);
    if (!d->display)
        return false;
    const int screen = DefaultScreen(d->display);
    d->root = RootWindow(d->display, screen);
    d->width = DisplayWidth(d->display, screen);
    d->height = DisplayHeight(d->display, screen);
    if (XShmQueryExtension(d->display)) {
        d->image = XShmCreateImage(d->display, DefaultVisual(d->display, screen),
            unsigned(DefaultDepth(d->display, screen)), ZPixmap, nullptr, &d->shm, unsigned(d->width),
            unsigned(d->height));
        if (d->image && d->image->bits_per_pixel == 32) {
            d->shm.shmid
                = shmget(IPC_PRIVATE, size_t(d->image->bytes_per_line) * d->image->height, IPC_CREAT | 0600);
            if (d->shm.shmid >= 0) {
                d->shm.shmaddr = d->image->data = static_cast<char*>(shmat(d->shm.shmid, nullptr, 0));
                d->shm.readOnly = False;
                d->attached
                    = d->shm.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(d->display, &d->shm);
                XSync(d->display, False);
                // Marked for removal now: the segment goes with the last detach, even after a crash.
                shmctl(d->shm.shmid, IPC_RMID, nullptr);
            }
        }
        if (!d->attached && d->image) {
            if (d->shm.shmaddr && d->shm.shmaddr != reinterpret_cast<char*>(-1))
                shmdt(d->shm.shmaddr);
            d->image->data = nullptr;
            XDestroyImage(d->image);
            d->image = nullptr;
            d->shm = {};
        }
    }
    int error = 0;
    if (XFixesQueryExtension(d->display, &d->fixesEvents, &error)) {
        XFixesSelectCursorInput(d->display, d->root, XFixesDisplayCursorNotifyMask);
        d->fetchCursor();
    }
    return true;
}

FrameSize ScreenGrabber::screenSize() const
{
    return {d->width, d->height};
}

platform::CaptureFailure ScreenGrabber::failure() const
{
    // No display, or a server that gives no pixels (XWayland): the recording cannot show the screen.
    return platform::CaptureFailure::NoFrames;
}

int ScreenGrabber::cursorChanges() const
{
    return d->cursorChanges;
}

bool ScreenGrabber::grab(std::vector<uint8_t>& bgrx)
{
    if (!d->display)
        return false;
    const size_t rowBytes = size_t(d->width) * 4;
    bgrx.resize(rowBytes * d->height);
    XImage* image = d->image;
    XImage* single = nullptr;
    if (d->attached) {
        if (!XShmGetImage(d->display, d->root, d->image, 0, 0, AllPlanes))
            return false;
    } else {
        single = XGetImage(
            d->display, d->root, 0, 0, unsigned(d->width), unsigned(d->height), AllPlanes, ZPixmap);
        if (!single || single->bits_per_pixel != 32) {
            if (single)
                XDestroyImage(single);
            return false;
        }
        image = single;
    }
    for (int y = 0; y < d->height; ++y)
        std::memcpy(bgrx.data() + rowBytes * y, image->data + size_t(image->bytes_per_line) * y, rowBytes);
    if (single)
        XDestroyImage(single);

    // Cursor changes arrive as XFixes events: the picture is fetched only when it changed.
    while (XPending(d->display)) {
        XEvent event;
        XNextEvent(d->display, &event);
        if (d->fixesEvents >= 0 && event.type == d->fixesEvents + XFixesCursorNotify) {
            ++d->cursorChanges;
            d->fetchCursor();
        }
    }
    if (d->cursorKnown) {
        Window rootReturn = 0;
        Window child = 0;
        int x = 0;
        int y = 0;
        int winX = 0;
        int winY = 0;
        unsigned mask = 0;
        if (XQueryPointer(d->display, d->root, &rootReturn, &child, &x, &y, &winX, &winY, &mask))
            drawCursor(bgrx.data(), int(rowBytes), d->width, d->height, d->cursor, x, y);
    }
    return true;
}

} // namespace recorder
