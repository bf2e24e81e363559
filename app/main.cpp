// The program's entry: the report of a process that crashed, or the application with its window stack.
#include "app/crash_handler.h"
#include "app/whiteboard_app.h"

#include "platform/desktop_session.h"
#include "platform/display_scale.h"
#include "platform/message_box.h"
#include "platform/pixel_upload.h"
#include "platform/window_stack.h"
#include "platform/work_folder.h"
#include "support/language_reload.h"
#include "support/program_settings.h"

#include <QApplication>

#include <cstdlib>

namespace {

// The crash report of a process that died: shown by this program started again by the crash handler.
int showCrashReport(int argc, char** argv, const char* text)
{
    QApplication app(argc, argv);
    platform::MessageBox(nullptr, QString::fromUtf8(text), QStringLiteral("信息提示"), platform::MB_OK);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // On a Wayland desktop too the program is an X11 program (through XWayland): set before Qt starts.
    platform::ChooseX11Platform();
    if (const char* report = std::getenv(crash::kCrashMessageVariable))
        return showCrashReport(argc, argv, report);

    // An installed program works in the user's own folder, whose language file the reading at load missed.
    if (platform::enterWorkFolder())
        ReadLanguageAgain();
    static CWhiteBoardApp theApp;
    platform::sendPixelsThroughTheConnection();
    // Windows and text scale together on a high-density screen, as the desktop or the teacher asks.
    platform::ChooseDisplayScale(settings::ReadSettings().values.scale);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    CWhiteBoardApp::LoadQtTranslations(app);
    // One owner keeps the order of every window of the program from here on.
    platform::StartWindowStack();
    theApp.InitInstance();
    return theApp.ExitInstance();
}
