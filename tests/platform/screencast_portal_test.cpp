// The ScreenCast portal client against a stand-in portal on a bus of the test's own.
#include "platform/screencast_portal.h"

#include "support_main/fake_screencast_portal.h"
#include "support_main/test_util.h"

#include <gtest/gtest.h>

#include <unistd.h>

using platform::CaptureFailure;
using platform::ScreenCastStream;
using qmtest::FakeScreenCastPortal;

namespace {

class ScreenCastPortalClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.started()) << "dbus-daemon did not start";
        client = bus.connect(QStringLiteral("cast-client-%1").arg(reinterpret_cast<quintptr>(this)));
        ASSERT_TRUE(client.isConnected());
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(client.name()); }

    qmtest::PrivateBus bus;
    FakeScreenCastPortal fake;
    QDBusConnection client {QString()};
};

} // namespace

TEST_F(ScreenCastPortalClient, SharesTheMonitorWithItsCursorAndPassesTheKeptTokenNextTime)
{
    ASSERT_TRUE(fake.serve(bus));
    ScreenCastStream first;
    {
        platform::ScreenCastPortal portal(client);
        first = portal.start(QString());
    }
    ASSERT_EQ(first.failure, CaptureFailure::None) << first.detail.toStdString();
    EXPECT_EQ(first.node, FakeScreenCastPortal::kNode);
    EXPECT_EQ(first.size, QSize(FakeScreenCastPortal::kWidth, FakeScreenCastPortal::kHeight));
    EXPECT_GE(first.fd, 0) << "no PipeWire connection";
    EXPECT_EQ(first.restoreToken, fake.lastTokenGiven());
    const QVariantMap asked = fake.lastSourceOptions();
    EXPECT_EQ(asked.value(QStringLiteral("types")).toUInt(), 1u) << "the monitor, not a window";
    EXPECT_EQ(asked.value(QStringLiteral("cursor_mode")).toUInt(), 2u)
        << "the cursor drawn into the pictures";
    EXPECT_EQ(asked.value(QStringLiteral("persist_mode")).toUInt(), 2u) << "the answer kept until revoked";
    EXPECT_FALSE(asked.contains(QStringLiteral("restore_token")));
    if (first.fd >= 0)
        ::close(first.fd);
    EXPECT_TRUE(qmtest::waitFor([&] { return fake.closes() == 1; }))
        << "the session was left open on the desktop";

    platform::ScreenCastPortal again(client);
    const ScreenCastStream second = again.start(first.restoreToken);
    ASSERT_EQ(second.failure, CaptureFailure::None) << second.detail.toStdString();
    EXPECT_EQ(fake.lastSourceOptions().value(QStringLiteral("restore_token")).toString(), first.restoreToken);
    if (second.fd >= 0)
        ::close(second.fd);
}

TEST_F(ScreenCastPortalClient, RefusalSilenceAndNoPortalEachSayWhy)
{
    platform::ScreenCastPortal nobody(client, 5000, 5000);
    EXPECT_EQ(nobody.start(QString()).failure, CaptureFailure::NoPortal);

    ASSERT_TRUE(fake.serve(bus));
    fake.setAnswer(FakeScreenCastPortal::Answer::Refuse);
    platform::ScreenCastPortal refused(client);
    const ScreenCastStream no = refused.start(QString());
    EXPECT_EQ(no.failure, CaptureFailure::Refused) << no.detail.toStdString();
    EXPECT_LT(no.fd, 0);

    fake.setAnswer(FakeScreenCastPortal::Answer::Silent);
    platform::ScreenCastPortal silent(client, 5000, 300);
    EXPECT_EQ(silent.start(QString()).failure, CaptureFailure::NoAnswer);
}

TEST_F(ScreenCastPortalClient, AStopWhileTheDesktopAsksEndsTheWait)
{
    ASSERT_TRUE(fake.serve(bus));
    fake.setAnswer(FakeScreenCastPortal::Answer::Silent);
    // The share question waits a minute for the teacher; a stop must not wait with it.
    platform::ScreenCastPortal portal(client);
    int asked = 0;
    const ScreenCastStream stream = portal.start(QString(), [&] { return ++asked >= 3; });
    EXPECT_NE(stream.failure, CaptureFailure::None);
    EXPECT_GE(asked, 3);
}

TEST_F(ScreenCastPortalClient, ASessionTheDesktopClosesIsNoticed)
{
    ASSERT_TRUE(fake.serve(bus));
    platform::ScreenCastPortal portal(client);
    const ScreenCastStream stream = portal.start(QString());
    ASSERT_EQ(stream.failure, CaptureFailure::None) << stream.detail.toStdString();
    EXPECT_FALSE(portal.closedByDesktop());
    fake.closeSession();
    EXPECT_TRUE(qmtest::waitFor([&] { return portal.closedByDesktop(); }));
    portal.close();
    EXPECT_EQ(fake.closes(), 0) << "a session the desktop closed is not closed again";
    if (stream.fd >= 0)
        ::close(stream.fd);
}
