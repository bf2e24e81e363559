// Window placement on a desktop whose taskbar stands on the left: rectangles relative to the work area land
// right of the taskbar, and windows made through CreateEx appear there.
#include "support/multi_screen.h"
#include "support_main/test_util.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// A panel down the left edge of the screen, reserved as a taskbar reserves its place.
class LeftTaskbar : public QWidget {
public:
    static constexpr int kWidth = 64;
    LeftTaskbar()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        setGeometry(screen.left(), screen.top(), kWidth, screen.height());
        show();
        qmtest::waitFor([this] { return isVisible() && windowHandle() && windowHandle()->isExposed(); }, 5000);
        const QString strut = QStringLiteral("%1,0,0,0,%2,%3,0,0,0,0,0,0")
                                  .arg(kWidth)
                                  .arg(screen.top())
                                  .arg(screen.bottom());
        reserved = QProcess::execute(QStringLiteral("xprop"),
                       {QStringLiteral("-id"), QString::number(winId()), QStringLiteral("-f"),
                           QStringLiteral("_NET_WM_STRUT_PARTIAL"), QStringLiteral("32c"), QStringLiteral("-set"),
                           QStringLiteral("_NET_WM_STRUT_PARTIAL"), strut})
            == 0;
    }
    bool reserved = false;
};

} // namespace

TEST(MultiScreen, WithTheTaskbarOnTheLeftRectanglesAndCreatedWindowsStartRightOfIt)
{
    LeftTaskbar taskbar;
    ASSERT_TRUE(taskbar.reserved) << "xprop is needed";
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(qmtest::waitFor([&] { return screen->availableGeometry().left() == LeftTaskbar::kWidth; }, 10000))
        << "the window manager did not reserve the taskbar's place: work area "
        << screen->availableGeometry().left();

    QWidget reference;
    reference.setGeometry(400, 300, 100, 100);
    const CMultiScreen monitor(&reference);
    EXPECT_EQ(monitor.GetScreenRect(), screen->geometry());
    EXPECT_EQ(monitor.GetWorkRect(), screen->availableGeometry());
    EXPECT_EQ(monitor.GetTrueRect(QRect(10, 20, 100, 50)), QRect(10 + LeftTaskbar::kWidth, 20, 100, 50))
        << "shifted by the work area's origin, its size unchanged";

    QWidget created;
    created.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    ASSERT_TRUE(monitor.CreateEx(&created, QRect(0, 0, 120, 80)));
    EXPECT_TRUE(created.testAttribute(Qt::WA_WState_Created));
    created.show();
    EXPECT_TRUE(qmtest::waitFor([&] { return created.geometry() == QRect(LeftTaskbar::kWidth, 0, 120, 80); }, 5000))
        << created.geometry().x();
    EXPECT_FALSE(monitor.CreateEx(nullptr, QRect(0, 0, 10, 10)));
}
