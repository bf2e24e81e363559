// The view that plays a movie: a web view on the loopback server's page.
#include "player/flash/flash_exports.h"
#include "player/flash/movie_server.h"

#include <QFileInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

namespace {

class FlashView : public QWebEngineView {
public:
    FlashView(QWidget* parent, const QString& movie, const QString& ruffle)
        : QWebEngineView(parent)
        , server_(movie, ruffle, this)
    {
        settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
        page()->setBackgroundColor(Qt::black);
        if (server_.Start())
            load(QUrl(server_.PageUrl()));
        else
            setHtml(
                QStringLiteral("<body style='color:#fff;background:#000'>The Flash player cannot start: no "
                               "loopback port is free.</body>"));
    }

private:
    flash::MovieServer server_;
};

} // namespace

QWidget* QMFlashCreateView(QWidget* parent, const QString* path, const QString* rufflePath)
{
    if (!path || !rufflePath || !QFileInfo::exists(*rufflePath + QStringLiteral("/ruffle.js")))
        return nullptr;
    // The web engine's sandbox refuses to run as root, as a classroom machine's session may.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Its GPU process fails to make a command buffer without a GPU and the view stays black; Ruffle draws
    // with its canvas renderer anyway, so the engine draws in software unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    return new FlashView(parent, *path, *rufflePath);
}
