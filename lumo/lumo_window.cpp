#include "lumo/lumo_window.h"

#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/window_ops.h"
#include "platform/window_stack.h"
#include "support/language.h"

#include <QDir>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>

namespace lumo {

using wall::PointerEvent;

namespace {

// The engine draws into this window from its own thread; Qt never paints it. Its pointer goes to the window's
// rules.
class RenderTarget : public QWidget {
public:
    explicit RenderTarget(LumoWindow* owner)
        : QWidget(owner)
        , owner_(owner)
    {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent*) override { }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            Send(PointerEvent::LeftDown, e->position());
        else if (e->button() == Qt::RightButton)
            Send(PointerEvent::RightDown, e->position());
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            Send(PointerEvent::LeftUp, e->position());
    }
    void mouseMoveEvent(QMouseEvent* e) override { Send(PointerEvent::Move, e->position()); }
    void wheelEvent(QWheelEvent* e) override
    {
        Send(PointerEvent::Wheel, e->position(), float(e->angleDelta().y()) / 120.0f);
    }

private:
    void Send(PointerEvent::Kind kind, QPointF at, float wheel = 0)
    {
        PointerEvent p;
        p.kind = kind;
        p.x = int(at.x());
        p.y = int(at.y());
        p.wheel = wheel;
        owner_->Pointer(p);
    }
    LumoWindow* owner_;
};

} // namespace

wall::WallSettings ProgramWallSettings()
{
    wall::WallSettings settings;
    const QString cwd = QDir::currentPath();
    settings.backgroundPicture = cwd + QStringLiteral("/background.jpg");
    settings.fontPicture = cwd + QStringLiteral("/Bin/bigfont.png");
    settings.loadingFrames
        = {cwd + QStringLiteral("/Bin/loading1.png"), cwd + QStringLiteral("/Bin/loading2.png")};
    bool ok = false;
    if (const QByteArray pause = qgetenv("QM_WALL_LOAD_PAUSE_MS"); !pause.isEmpty()) {
        const int ms = pause.toInt(&ok);
        if (ok)
            settings.loadPauseMs = ms;
    }
    return settings;
}

LumoWindow::LumoWindow(const QString& title, const QString& windowClass)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(title);
    // A 3D window takes the page's place: the panel's tab and the aids stay above it.
    platform::SetStackLayer(this, platform::StackLayer::Page);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setStyleSheet(QStringLiteral("lumo--LumoWindow { background: black; }"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(screen ? screen->geometry() : QRect(0, 0, 1024, 768));
    renderTarget_ = new RenderTarget(this);
    renderTarget_->setGeometry(rect());

    messages_ = std::make_unique<platform::MessageTable>(this, windowClass);
    messages_->on(platform::WM_COMMAND, [this](WPARAM wParam, LPARAM) {
        OnCommand(int(wParam & 0xffff));
        return LRESULT(0);
    });
    follow_ = new QTimer(this);
    follow_->setInterval(50);
    connect(follow_, &QTimer::timeout, this, &LumoWindow::Follow);
}

LumoWindow::~LumoWindow()
{
    // The render thread lets go of the render target before the target's window goes.
    engine_.Stop();
}

void LumoWindow::Pointer(const PointerEvent& event)
{
    engine_.Pointer(event);
}

bool LumoWindow::StartEngine(const wall::WallSettings& settings)
{
    const WId window = renderTarget_->winId();
    QGuiApplication::sync();
    engine_.SetScale(renderTarget_->devicePixelRatio());
    if (!engine_.Start(window, renderTarget_->size(), settings)) {
        platform::MessageBox(nullptr, GetConfigString(QStringLiteral("未检测到3D支持,请检查显卡驱动等信息!")),
            TipsTitle(), platform::MB_OK | platform::MB_ICONWARNING);
        return false;
    }
    started_ = true;
    follow_->start();
    return true;
}

void LumoWindow::StopFollowing()
{
    follow_->stop();
}

bool LumoWindow::AskTheTabForThePanel()
{
    const platform::WindowRef tab = platform::FindWindow(QString(), QStringLiteral("HideDlg"));
    if (tab)
        platform::SendMessage(tab, kMsgRestorePanel, 0, 0);
    return bool(tab);
}

void LumoWindow::GiveThePanelBack()
{
    if (AskTheTabForThePanel())
        return;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (const platform::WindowRef panel = FindPanel()) {
            platform::ShowWindow(panel, true);
            return;
        }
        QThread::msleep(40);
    }
}

QString LumoWindow::TipsTitle()
{
    return IsEnglish() ? QStringLiteral("Tips") : QStringLiteral("提示");
}

void LumoWindow::showEvent(QShowEvent*)
{
    engine_.SetVisible(true);
    // The panel floats above every window: it folds away while a 3D window is up, and 0x70A brings it back.
    if (const platform::WindowRef panel = FindPanel())
        platform::SendMessage(panel, kMsgCollapsePanel, 0, 0);
}

void LumoWindow::hideEvent(QHideEvent*)
{
    engine_.SetVisible(false);
}

void LumoWindow::resizeEvent(QResizeEvent*)
{
    renderTarget_->setGeometry(rect());
    if (started_)
        engine_.Resize(size());
}

} // namespace lumo
