#include "platform/desktop_session.h"

#include <cstdio>

namespace platform {

SessionVariables CurrentSessionVariables()
{
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("XDG_SESSION_TYPE"), qgetenv("WAYLAND_DISPLAY"),
        qgetenv("DISPLAY")};
}

bool IsWaylandSession(const SessionVariables& session)
{
    const QByteArray type = session.sessionType.trimmed().toLower();
    if (type == "wayland")
        return true;
    if (type == "x11")
        return false;
    // "tty", "unspecified" or nothing: a login manager that did not say; a Wayland display decides.
    return !session.waylandDisplay.trimmed().isEmpty();
}

QByteArray PlatformToSet(const SessionVariables& session)
{
    if (!session.qpaPlatform.trimmed().isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

QString SessionLogLine(const SessionVariables& session)
{
    if (!IsWaylandSession(session))
        return {};
    const QString wayland = session.waylandDisplay.isEmpty() ? QStringLiteral("-")
                                                             : QString::fromLocal8Bit(session.waylandDisplay);
    const QByteArray chosen
        = session.qpaPlatform.trimmed().isEmpty() ? QByteArrayLiteral("xcb") : session.qpaPlatform.trimmed();
    QString line = QStringLiteral("Wayland session (WAYLAND_DISPLAY=%1): ").arg(wayland);
    if (chosen != "xcb")
        return line
            + QStringLiteral("platform %1 set by the user, not XWayland; windows may not stay above others")
                  .arg(QString::fromLocal8Bit(chosen));
    if (session.display.trimmed().isEmpty())
        return line + QStringLiteral("no X display (DISPLAY is not set): the program needs XWayland");
    return line
        + QStringLiteral(
            "running through XWayland on DISPLAY=%1; screen pictures come through the desktop portal")
              .arg(QString::fromLocal8Bit(session.display));
}

void ChooseX11Platform()
{
    const SessionVariables session = CurrentSessionVariables();
    if (const QByteArray platform = PlatformToSet(session); !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    if (const QString line = SessionLogLine(session); !line.isEmpty())
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

bool InWaylandSession()
{
    return IsWaylandSession(CurrentSessionVariables());
}

} // namespace platform
