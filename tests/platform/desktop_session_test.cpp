#include "platform/desktop_session.h"

#include <gtest/gtest.h>

using platform::SessionVariables;

TEST(DesktopSession, TheSessionTypeDecidesAndAWaylandDisplayOnlyWhenItNamesNone)
{
    EXPECT_TRUE(platform::IsWaylandSession({"", "wayland", "wayland-0", ":0"}));
    EXPECT_TRUE(platform::IsWaylandSession({"", "Wayland", "", ":0"}));
    // GNOME on Xorg still leaves a Wayland display around in some setups: the session's word holds.
    EXPECT_FALSE(platform::IsWaylandSession({"", "x11", "wayland-0", ":0"}));
    EXPECT_TRUE(platform::IsWaylandSession({"", "", "wayland-1", ":1"}));
    EXPECT_TRUE(platform::IsWaylandSession({"", "tty", "wayland-1", ":1"}));
    EXPECT_FALSE(platform::IsWaylandSession({"", "tty", "", ":1"}));
    EXPECT_FALSE(platform::IsWaylandSession({"", "", "  ", ":0"}));
}

TEST(DesktopSession, XcbIsSetUnlessTheUserChoseAPlatform)
{
    EXPECT_EQ(platform::PlatformToSet({"", "wayland", "wayland-0", ":0"}), "xcb");
    EXPECT_EQ(platform::PlatformToSet({"", "x11", "", ":0"}), "xcb");
    EXPECT_EQ(platform::PlatformToSet({"wayland", "wayland", "wayland-0", ":0"}), "");
    EXPECT_EQ(platform::PlatformToSet({"offscreen", "", "", ""}), "");
}

TEST(DesktopSession, TheLogSaysWhenTheProgramRunsThroughXWaylandAndWhenItCannot)
{
    EXPECT_TRUE(platform::SessionLogLine({"", "x11", "", ":0"}).isEmpty());
    const QString through = platform::SessionLogLine({"", "wayland", "wayland-0", ":1"});
    EXPECT_TRUE(through.contains(QStringLiteral("Wayland session"))) << through.toStdString();
    EXPECT_TRUE(through.contains(QStringLiteral("XWayland on DISPLAY=:1"))) << through.toStdString();
    EXPECT_TRUE(platform::SessionLogLine({"", "wayland", "wayland-0", ""})
                    .contains(QStringLiteral("needs XWayland")));
    EXPECT_TRUE(platform::SessionLogLine({"wayland", "wayland", "wayland-0", ":1"})
                    .contains(QStringLiteral("platform wayland set by the user")));
}

TEST(DesktopSession, ChoosingSetsXcbBeforeQtStartsAndKeepsTheUsersChoice)
{
    const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
    qunsetenv("QT_QPA_PLATFORM");
    platform::ChooseX11Platform();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::ChooseX11Platform();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "offscreen");
    qputenv("QT_QPA_PLATFORM", saved);
}
