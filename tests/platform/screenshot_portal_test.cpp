// The Screenshot portal client against a stand-in portal on a bus of the test's own.
#include "platform/screen_capture.h"
#include "platform/screenshot_portal.h"

#include "support_main/private_bus.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using platform::CaptureFailure;
using qmtest::FakeScreenshotPortal;

namespace {

// A picture no grab of an empty screen could give: four coloured quarters.
QImage knownPicture()
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(0xFF2040C0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x)
            picture.setPixel(x, y, 0xFFE03010);
    return picture;
}

class ScreenshotPortalClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.started()) << "dbus-daemon did not start";
        client = bus.connect(QStringLiteral("client-%1").arg(reinterpret_cast<quintptr>(this)));
        ASSERT_TRUE(client.isConnected());
        fake.setPicture(knownPicture());
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(client.name()); }

    platform::PortalPicture take(
        FakeScreenshotPortal::Answer answer, int timeoutMs = platform::kPortalTimeoutMs)
    {
        fake.setAnswer(answer);
        return platform::ScreenshotPortal(client, timeoutMs).take();
    }

    qmtest::PrivateBus bus;
    FakeScreenshotPortal fake;
    QDBusConnection client {QString()};
};

} // namespace

TEST_F(ScreenshotPortalClient, ReadsThePictureAsksWithoutADialogAndRemovesTheFile)
{
    ASSERT_TRUE(fake.serve(bus));
    const platform::PortalPicture got = take(FakeScreenshotPortal::Answer::Picture);
    ASSERT_EQ(got.failure, CaptureFailure::None) << got.detail.toStdString();
    EXPECT_EQ(got.image.convertToFormat(QImage::Format_RGB32), knownPicture());
    EXPECT_FALSE(QFileInfo::exists(fake.lastFile())) << "the portal's file is left in the teacher's folder";
    EXPECT_EQ(fake.lastOptions().value(QStringLiteral("interactive")), QVariant(false));
    EXPECT_FALSE(fake.lastOptions().value(QStringLiteral("handle_token")).toString().isEmpty());

    // A second picture is a second request with a token of its own.
    const QString firstToken = fake.lastOptions().value(QStringLiteral("handle_token")).toString();
    EXPECT_EQ(take(FakeScreenshotPortal::Answer::Picture).failure, CaptureFailure::None);
    EXPECT_NE(fake.lastOptions().value(QStringLiteral("handle_token")).toString(), firstToken);
}

TEST_F(ScreenshotPortalClient, AnAnswerThatComesBeforeTheCallsReplyIsNotMissed)
{
    ASSERT_TRUE(fake.serve(bus));
    const platform::PortalPicture got = take(FakeScreenshotPortal::Answer::PictureBeforeReply, 5000);
    ASSERT_EQ(got.failure, CaptureFailure::None) << got.detail.toStdString();
    EXPECT_EQ(got.image.convertToFormat(QImage::Format_RGB32), knownPicture());
}

TEST_F(ScreenshotPortalClient, RefusalSilenceAndNoPortalEachSayWhy)
{
    EXPECT_EQ(take(FakeScreenshotPortal::Answer::Picture, 5000).failure, CaptureFailure::NoPortal);
    ASSERT_TRUE(fake.serve(bus));
    const platform::PortalPicture refused = take(FakeScreenshotPortal::Answer::Refuse);
    EXPECT_EQ(refused.failure, CaptureFailure::Refused);
    EXPECT_TRUE(refused.image.isNull());
    const platform::PortalPicture silent = take(FakeScreenshotPortal::Answer::Silent, 300);
    EXPECT_EQ(silent.failure, CaptureFailure::NoAnswer);
    EXPECT_TRUE(silent.image.isNull());
    // After a request given up on, the next one is answered as ever.
    EXPECT_EQ(take(FakeScreenshotPortal::Answer::Picture).failure, CaptureFailure::None);
    EXPECT_EQ(fake.calls(), 3);
}

TEST_F(ScreenshotPortalClient, AnAnswerWithoutAReadableFileIsABadPicture)
{
    ASSERT_TRUE(fake.serve(bus));
    EXPECT_EQ(take(FakeScreenshotPortal::Answer::BadUri).failure, CaptureFailure::BadPicture);
    EXPECT_EQ(take(FakeScreenshotPortal::Answer::MissingFile).failure, CaptureFailure::BadPicture);
}

TEST_F(ScreenshotPortalClient, AFileMadeBeforeTheRequestIsReadButNeverRemoved)
{
    ASSERT_TRUE(fake.serve(bus));
    const platform::PortalPicture got = take(FakeScreenshotPortal::Answer::OldFile);
    EXPECT_EQ(got.failure, CaptureFailure::None);
    EXPECT_TRUE(QFileInfo::exists(fake.lastFile())) << "a portal that names an old file gets it deleted";
}

TEST(ScreenshotPortalRequest, ThePathFollowsTheConnectionsNameAndTheToken)
{
    EXPECT_EQ(platform::ScreenshotPortal::requestPath(QStringLiteral(":1.42"), QStringLiteral("quillmark7")),
        QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/quillmark7"));
}

TEST(DesktopPicture, TheAreaIsCutFromTheWholeDesktopAndScaledWhenTheDesktopIs)
{
    QImage whole(200, 100, QImage::Format_RGB32);
    whole.fill(0xFF000080);
    for (int y = 20; y < 50; ++y)
        for (int x = 50; x < 90; ++x)
            whole.setPixel(x, y, 0xFFFFFF00);
    const QRect desktop(0, 0, 200, 100);
    const QImage cut = platform::CropDesktopPicture(whole, desktop, QRect(50, 20, 40, 30));
    ASSERT_EQ(cut.size(), QSize(40, 30));
    EXPECT_EQ(cut.pixel(0, 0), 0xFFFFFF00u);
    EXPECT_EQ(cut.pixel(39, 29), 0xFFFFFF00u);

    // A desktop scaled by two gives a picture twice the size: the same place is cut.
    const QImage twice = platform::CropDesktopPicture(whole.scaled(400, 200), desktop, QRect(50, 20, 40, 30));
    EXPECT_EQ(twice.pixel(20, 15), 0xFFFFFF00u);
    // A monitor right of the first (desktop origin not at 0,0) and an area reaching past the desktop.
    const QImage shifted
        = platform::CropDesktopPicture(whole, QRect(1920, 0, 200, 100), QRect(2070, 80, 100, 40));
    EXPECT_EQ(shifted.pixel(0, 0), 0xFF000080u);
    EXPECT_EQ(shifted.pixel(60, 10), 0xFF000000u) << "outside the desktop is black";
    EXPECT_EQ(shifted.pixel(10, 30), 0xFF000000u);
}

TEST_F(ScreenshotPortalClient, InAWaylandSessionTheCaptureServiceCutsTheAreaFromThePortalsPicture)
{
    ASSERT_TRUE(fake.serve(bus));
    const QByteArray session = qgetenv("XDG_SESSION_TYPE");
    qputenv("XDG_SESSION_TYPE", "wayland");
    platform::SetPortalForTests(client.name(), 5000);
    // The desktop here is the one screen of the test platform; the portal's picture is scaled onto it.
    const QRect desktop = QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->geometry().size());
    const QRect leftHalf(0, 0, desktop.width() / 2, desktop.height());
    const platform::ScreenPicture got = platform::CaptureScreen(leftHalf, platform::OwnWindows::Shown);
    fake.setAnswer(FakeScreenshotPortal::Answer::Refuse);
    const platform::ScreenPicture refused = platform::CaptureScreen(leftHalf, platform::OwnWindows::Shown);
    platform::SetPortalForTests(QString(), platform::kPortalTimeoutMs);
    qputenv("XDG_SESSION_TYPE", session);

    ASSERT_EQ(got.failure, CaptureFailure::None) << got.detail.toStdString();
    ASSERT_EQ(got.image.size(), leftHalf.size());
    EXPECT_EQ(got.image.pixel(10, 10), 0xFFE03010u) << "the top left quarter of the portal's picture";
    EXPECT_EQ(got.image.pixel(10, leftHalf.height() - 10), 0xFF2040C0u);
    EXPECT_EQ(refused.failure, CaptureFailure::Refused);
    EXPECT_TRUE(refused.image.isNull()) << "a refusal must not give a black picture";
}
