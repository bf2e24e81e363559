#include "platform/screen_capture.h"

#include "platform/desktop_session.h"
#include "platform/screenshot_portal.h"
#include "platform/window_stack.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

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
QImage grabFromX11(const QRect& area)
{
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter p(&picture);
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect part = s->geometry() & area;
        if (part.isEmpty())
            continue;
        // A screen's grab takes coordinates relative to that screen.
        const QRect onScreen = part.translated(-s->geometry().topLeft());
        const QPixmap shot
            = s->grabWindow(0, onScreen.x(), onScreen.y(), onScreen.width(), onScreen.height());
        if (!shot.isNull())
            p.drawPixmap(part.translated(-area.topLeft()).topLeft(), shot);
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

ScreenPicture grabFromPortal(const QRect& area)
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
    return {CropDesktopPicture(taken.image, desktop, area), CaptureFailure::None, {}};
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

ScreenPicture CaptureScreen(const QRect& area, OwnWindows own)
{
    if (area.isEmpty())
        return {};
    if (CaptureBackendInUse() == CaptureBackend::Portal)
        return grabFromPortal(area);
    std::optional<ProgramWindowsHidden> hidden;
    if (own == OwnWindows::Hidden)
        hidden.emplace();
    return {grabFromX11(area), CaptureFailure::None, {}};
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
