// The picture zoom exports: one zoom window, and the caller's flag that tells whether it is open.
#include "assist/assist_exports.h"
#include "assist/my_wboard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace {

// How long the window system may take to take a hidden window off the screen.
constexpr int kUnmapMs = 150;

struct Zoom {
    QPointer<DIALOG::CMyWboard> window;
    int* flag = nullptr;
    // Since the last window was hidden; invalid before.
    QElapsedTimer sinceHidden;
    // A press on one of the window's own pictures is being answered.
    bool inWindowEvent = false;
};

Zoom& zoom()
{
    static Zoom instance;
    return instance;
}

void setFlag(int value)
{
    if (zoom().flag)
        *zoom().flag = value;
}

void destroyWindow()
{
    QPointer<DIALOG::CMyWboard> window = zoom().window;
    zoom().window = nullptr;
    if (!window)
        return;
    if (window->isVisible())
        zoom().sinceHidden.start();
    window->hide();
    // A press on the window's own pictures comes from inside its event handler: the window goes once that
    // returns. Otherwise it goes at once, so that the panel's tear-down leaves nothing behind.
    if (zoom().inWindowEvent)
        window->deleteLater();
    else
        delete window;
}

// Lets the window system take the old window off the screen before a new snapshot, without blocking the
// caller's loop.
void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void request(DIALOG::CMyWboard::Request r);

// A new snapshot of the screen rectangle, shown at factor and centred. False when there is no screen
// rectangle to show.
bool open(int factor)
{
    destroyWindow();
    // A window just hidden may still be on the screen: the new snapshot must not show it.
    if (zoom().sinceHidden.isValid() && zoom().sinceHidden.elapsed() < kUnmapMs)
        waitMs(int(kUnmapMs - zoom().sinceHidden.elapsed()));
    const QRect screen = qmhelp::screenQRect();
    if (screen.isEmpty())
        return false;
    const QImage snapshot = qmhelp::grabScreen(screen);
    if (snapshot.isNull())
        return false;
    auto* window = new DIALOG::CMyWboard(snapshot, screen, factor);
    window->setRequestHandler(request);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [] { delete zoom().window; });
    zoom().window = window;
    window->show();
    window->raise();
    return true;
}

void request(DIALOG::CMyWboard::Request r)
{
    zoom().inWindowEvent = true;
    switch (r) {
    case DIALOG::CMyWboard::Request::Close:
        setFlag(0);
        destroyWindow();
        break;
    case DIALOG::CMyWboard::Request::Enlarge:
        PictuerEnlarge();
        break;
    case DIALOG::CMyWboard::Request::Reduce:
        PictuerSmall();
        break;
    }
    zoom().inWindowEvent = false;
}

} // namespace

QWidget* qmhelp::zoomWindow()
{
    return zoom().window;
}

void PictuerZoomOut(int* openFlag)
{
    zoom().flag = openFlag;
    if (openFlag && *openFlag) {
        // Nothing to show yet: the caller's button must not stay on.
        if (!open(DIALOG::zoom::kOpeningFactor))
            setFlag(0);
    } else {
        destroyWindow();
    }
}

void PictuerEnlarge()
{
    if (zoom().window) {
        zoom().window->enlarge();
        return;
    }
    setFlag(open(DIALOG::zoom::kOpeningFactor) ? 1 : 0);
}

void PictuerSmall()
{
    if (zoom().window) {
        if (!zoom().window->reduce()) {
            destroyWindow();
            setFlag(0);
        }
        return;
    }
    setFlag(open(DIALOG::zoom::kMinFactor) ? 1 : 0);
}

void PictuerNoChange()
{
    if (zoom().window) {
        destroyWindow();
        setFlag(0);
        return;
    }
    setFlag(open(DIALOG::zoom::kMinFactor) ? 1 : 0);
}
