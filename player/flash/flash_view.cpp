// The view that plays a movie: a web view on the loopback server's page.
#include "player/flash/flash_exports.h"
#include "player/flash/movie_server.h"
#include "support/language.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

// Qt's own modules set the context every OpenGL context of the application shares with through this.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

// The web engine draws through a context shared with the application. It is made with the first movie rather
// than when the program starts, since making it maps the whole OpenGL stack.
void ensureSharedContext()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create();
    qt_gl_set_global_share_context(context);
}

QString problemText(flash::FileProblem problem)
{
    if (problem == flash::FileProblem::TooLarge)
        return GetConfigString(QStringLiteral("这个Flash动画超过256MB，太大，无法播放。"));
    return GetConfigString(QStringLiteral("无法打开这个Flash动画文件。"));
}

class FlashView : public QWebEngineView {
public:
    FlashView(QWidget* parent, const QString& movie, const QString& ruffle)
        : QWebEngineView(parent)
        , server_(movie, ruffle, this)
    {
        settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
        page()->setBackgroundColor(Qt::black);
        // The page is loaded once the movie has been read, or the frame says why it will not play.
        server_.movieRead = [this](flash::FileProblem problem) {
            if (problem == flash::FileProblem::None)
                load(QUrl(server_.PageUrl()));
            else
                showMessage(problemText(problem));
        };
        if (!server_.Start())
            showMessage(GetConfigString(QStringLiteral("Flash播放器无法启动：本机没有空闲的端口。")));
    }

private:
    void showMessage(const QString& text)
    {
        setHtml(QStringLiteral(
            "<body style='margin:16px;color:#fff;background:#000;font:16px sans-serif'>%1</body>")
                    .arg(text.toHtmlEscaped()));
    }

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
    ensureSharedContext();
    return new FlashView(parent, *path, *rufflePath);
}
