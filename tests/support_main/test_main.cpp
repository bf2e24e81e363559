// Test main shared by every test program: a QApplication exists for the whole run, so that
// painting text into a QImage, QPixmap and real windows all work. Each run gets a home folder of its own,
// so that nothing a test does touches the user's Templates or settings, and a program folder of its own, so
// that runs side by side never store pages into the same folder.
#include "platform/desktop_session.h"
#include "platform/shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does it to discover them) needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/qm-test-home-XXXXXX"));
    if (home.isValid()) {
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }
    // As the program does: on the Wayland test desktop the windows are X11 windows through XWayland.
    platform::ChooseX11Platform();
    QApplication app(argc, argv);
    if (home.isValid() && QDir().mkpath(home.filePath(QStringLiteral("program"))))
        platform::setProgramFilePath(home.filePath(QStringLiteral("program/"))
            + QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    return RUN_ALL_TESTS();
}
