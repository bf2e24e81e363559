#include "app/ppt_tool_bar.h"

#include "controls/button_ex.h"
#include "platform/desktop_probe.h"
#include "platform/dialog_units.h"
#include "platform/image_file.h"
#include "platform/window_flags.h"
#include "platform/window_ops.h"
#include "support/multi_screen.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

constexpr int kWidthDu = 182;
constexpr int kHeightDu = 20;
constexpr int kButtonWidthDu = 23;
constexpr int kButtonHeightDu = 17;
constexpr int kWatchMs = 3000;

} // namespace

const std::array<CPPTToolBar::Button, 7>& CPPTToolBar::Buttons()
{
    static const std::array<Button, 7> buttons = {{
        {kUp, "Up", 0, {u"Prior"_s}},
        {kDown, "down", 23, {u"Next"_s}},
        {kArrow, "Arrow", 46, {u"Control_L"_s, u"a"_s}},
        {kPen, "Pen", 69, {u"Control_L"_s, u"p"_s}},
        {kEraser, "Eraser", 92, {u"Control_L"_s, u"e"_s}},
        {kWhiteboard, "VorivOrazu", 115, {}},
        {kExit, "exit", 138, {}},
    }};
    return buttons;
}

CPPTToolBar::CPPTToolBar(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(u"_KWPPTTOOLBAR"_s);
    setFixedSize(platform::dialogUnitsToPixelsX(kWidthDu), platform::dialogUnitsToPixelsY(kHeightDu));
    background_ = platform::ownPixmap(u":/skin/pptbar/background_635.png"_s);

    const int buttonWidth = platform::dialogUnitsToPixelsX(kButtonWidthDu) - 1;
    const int buttonHeight = platform::dialogUnitsToPixelsY(kButtonHeightDu);
    for (size_t i = 0; i < Buttons().size(); ++i) {
        const Button& b = Buttons()[i];
        auto* button = new UICONTROL::CButtonEx(b.id, this);
        button->setText(QString::fromLatin1(b.caption));
        button->setCheckable(true);
        button->SetPictures(
            u":/skin/pptbar/%1_normal.png"_s.arg(b.id), u":/skin/pptbar/%1_down.png"_s.arg(b.id));
        button->setGeometry(platform::dialogUnitsToPixelsX(b.x) + 1, (height() - buttonHeight) / 2,
            buttonWidth, buttonHeight);
        connect(button, &QAbstractButton::clicked, this, [this, id = b.id] { OnButton(id); });
        buttons_[i] = button;
    }

    watch_ = new QTimer(this);
    watch_->setInterval(kWatchMs);
    connect(watch_, &QTimer::timeout, this, &CPPTToolBar::OnWatchTimer);

    // Placed once on the panel's monitor, at the bottom centre where it hides the least of a slide.
    const CMultiScreen monitor(owner);
    const QScreen* screen = QGuiApplication::screenAt(monitor.GetScreenRect().center());
    const QSize work = screen ? screen->availableGeometry().size() : monitor.GetScreenRect().size();
    move(monitor
             .GetTrueRect(QRect(QPoint((work.width() - width()) / 2, work.height() - height() - 12), size()))
             .topLeft());
}

void CPPTToolBar::Select(int id)
{
    selected_ = id;
    for (UICONTROL::CButtonEx* button : buttons_)
        button->setChecked(button->id() == id);
}

bool CPPTToolBar::ActivateShow()
{
    // The show window may still be coming up when a button is pressed right after the play command.
    QThread::msleep(100);
    const platform::WindowRef show = platform::FindSlideShow();
    if (!show)
        return false;
    target_ = show;
    platform::SetForegroundWindow(show);
    // The window manager makes it active a moment later.
    for (int i = 0; i < 20 && !platform::IsSlideShowInFront(); ++i)
        QThread::msleep(10);
    return platform::IsSlideShowInFront();
}

bool CPPTToolBar::PressOnShow(int id, const QStringList& keys)
{
    Select(id);
    if (!ActivateShow())
        return false;
    if (!keys.isEmpty())
        platform::desktop::pressChord(keys);
    return true;
}

void CPPTToolBar::OnButton(int id)
{
    for (const Button& b : Buttons()) {
        if (b.id != id)
            continue;
        if (id == kWhiteboard) {
            Select(id);
            hide();
            emit whiteboardRequested();
            return;
        }
        const bool inFront = PressOnShow(id, b.keys);
        if (id == kExit) {
            if (inFront) {
                // The show's pointer goes back to the arrow before the show ends.
                QThread::msleep(50);
                platform::desktop::pressChord({u"Control_L"_s, u"a"_s});
                platform::desktop::pressChord({u"Escape"_s});
            }
            hide();
            emit restorePanel();
        }
        return;
    }
}

void CPPTToolBar::ArrowAction()
{
    OnButton(kArrow);
}

void CPPTToolBar::PenAction()
{
    OnButton(kPen);
}

void CPPTToolBar::OnWatchTimer()
{
    const bool keyboard = bool(platform::FindWindow(platform::kScreenKeyboardClass, QString()));
    if (keyboard) {
        keyboardSeen_ = true;
    } else if (keyboardSeen_) {
        keyboardSeen_ = false;
        emit raisePanel();
        raise();
    }
    if (!platform::FindSlideShow()) {
        watch_->stop();
        hide();
    }
}

void CPPTToolBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!background_.isNull())
        p.drawPixmap(rect(), background_);
    else
        p.fillRect(rect(), QColor(0x1b, 0x4c, 0x8c));
}

void CPPTToolBar::mousePressEvent(QMouseEvent* event)
{
    // Any spot that is not a button moves the toolbar; it is above the window manager's reach.
    if (event->button() != Qt::LeftButton)
        return;
    background_ = platform::ownPixmap(u":/skin/pptbar/background_635.png"_s);
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void CPPTToolBar::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_)
        move(event->globalPosition().toPoint() - dragOffset_);
}

void CPPTToolBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void CPPTToolBar::showEvent(QShowEvent* event)
{
    watch_->start();
    QWidget::showEvent(event);
}

void CPPTToolBar::hideEvent(QHideEvent* event)
{
    watch_->stop();
    dragging_ = false;
    QWidget::hideEvent(event);
}

} // namespace DIALOG
