#include "platform/screen_capture.h"

#include "platform/desktop_session.h"
#include "platform/screenshot_portal.h"
#include "platform/window_stack.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cmath>
#include <cstdio>
#include <optional>

namespace platform {

namespace {

QRect desktopRect()
{
    QRect all;
    for (QScreen* s : QGuiApplication::screens())
        all |= s->geometry();
    return all;
}

// Each monitor's part of area, read from the X server.
// A rectangle of the program's pixels in the picture's.
QRect scaled(const QRect& r, double ratio)
{
    return QRect(int(std::lround(r.x() * ratio)), int(std::lround(r.y() * ratio)),
        int(std::lround(r.width() * ratio)), int(std::lround(r.height() * ratio)));
}

QImage grabFromX11(const QRect& area, double ratio)
{
    QImage picture(scaled(QRect(QPoint(0, 0), area.size()), ratio).size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter p(&picture);
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect part = s->geometry() & area;
        if (part.isEmpty())
            continue;
        // A screen's grab takes coordinates relative to that screen.
        const QRect onScreen = part.translated(-s->geometry().topLeft());
        QPixmap shot = s->grabWindow(0, onScreen.x(), onScreen.y(), onScreen.width(), onScreen.height());
        if (shot.isNull())
            continue;
        // The grab holds the screen's own pixels; drawn as they are, none is lost to a scaling.
        if (ratio != 1.0)
            shot.setDevicePixelRatio(1.0);
        p.drawPixmap(scaled(part.translated(-area.topLeft()), ratio), shot);
    }
    return picture;
}

struct PortalForTests {
    QString connectionName;
    int timeoutMs = kPortalTimeoutMs;
};

PortalForTests& portalForTests()
{
    static PortalForTests portal;
    return portal;
}

ScreenPicture grabFromPortal(const QRect& area, double ratio)
{
    PortalPicture taken;
    {
        // Hiding waits for the programs underneath to repaint, more than the one frame the compositor needs.
        const ProgramWindowsHidden hidden;
        const PortalForTests& test = portalForTests();
        ScreenshotPortal portal = test.connectionName.isEmpty()
            ? ScreenshotPortal(QDBusConnection::sessionBus())
            : ScreenshotPortal(QDBusConnection(test.connectionName), test.timeoutMs);
        taken = portal.take();
    }
    if (taken.failure != CaptureFailure::None) {
        std::fprintf(
            stderr, "Screen picture through the portal failed: %s\n", taken.detail.toLocal8Bit().constData());
        return {{}, taken.failure, taken.detail};
    }
    QRect desktop = desktopRect();
    if (desktop.isEmpty())
        desktop = QRect(QPoint(0, 0), taken.image.size());
    if (ratio == 1.0)
        return {CropDesktopPicture(taken.image, desktop, area), CaptureFailure::None, {}};
    return {CropDesktopPicture(taken.image, scaled(desktop, ratio), scaled(area, ratio)),
        CaptureFailure::None, {}};
}

} // namespace

CaptureBackend CaptureBackendFor(bool waylandSession)
{
    return waylandSession ? CaptureBackend::Portal : CaptureBackend::X11;
}

CaptureBackend CaptureBackendInUse()
{
    return CaptureBackendFor(InWaylandSession());
}

ScreenPicture CaptureScreen(const QRect& area, OwnWindows own, double ratio)
{
    if (area.isEmpty())
        return {};
    if (CaptureBackendInUse() == CaptureBackend::Portal)
        return grabFromPortal(area, ratio);
    std::optional<ProgramWindowsHidden> hidden;
    if (own == OwnWindows::Hidden)
        hidden.emplace();
    return {grabFromX11(area, ratio), CaptureFailure::None, {}};
}

QImage CropDesktopPicture(const QImage& whole, const QRect& desktop, const QRect& area)
{
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (whole.isNull() || desktop.isEmpty())
        return picture;
    const QImage fitted = whole.size() == desktop.size()
        ? whole
        : whole.scaled(desktop.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRect part = area & desktop;
    if (part.isEmpty())
        return picture;
    QPainter p(&picture);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(part.topLeft() - area.topLeft(), fitted, part.translated(-desktop.topLeft()));
    return picture;
}

void SetPortalForTests(const QString& connectionName, int timeoutMs)
{
    portalForTests() = {connectionName, timeoutMs};
}

QString PortalConnectionForTests()
{
    return portalForTests().connectionName;
}

} // namespace platform
