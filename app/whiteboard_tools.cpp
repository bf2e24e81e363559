// The main panel's ways to the tools that take a picture of the screen or live in another program: the
// capture, the screen keyboard, the calculator and the touch board's calibration, and the main menu's items
// for the tools page.
// The settings window, from the main menu.
#include "app/whiteboard_dlg.h"

#include "app/calibration_dlg.h"
#include "app/outside_windows.h"
#include "app/settings_dlg.h"
#include "app/tool_dlg.h"
#include "app/tool_tip_dlg.h"
#include "app/whiteboard_messages.h"

#include "assist/assist_exports.h"
#include "platform/message_box.h"
#include "platform/notice.h"
#include "platform/shell.h"
#include "platform/window_ops.h"
#include "platform/window_stack.h"
#include "support/language.h"
#include "support/multi_screen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

// How long an outside program may take to show its window; a Python keyboard on a busy machine is slow.
constexpr int kOutsideProgramMs = 15000;
constexpr int kOutsideProgramPollMs = 50;

// Programs being started now, so that a second press does not start a second copy.
QSet<QString>& startingPrograms()
{
    static QSet<QString> programs;
    return programs;
}

enum class Start {
    Done, // the window was there, or the program could not start: done has been called
    Waiting, // the program runs; done is called when its window shows or it gives up
    AlreadyWaiting, // a press before: done is not called again
};

// Starts program unless a window of windowClass is shown already, then waits for its window without holding
// the panel up. done gets the window, or a null one when the program could not start, ended, or showed no
// window in time.
Start startOutsideProgram(QObject* context, const QString& program, const QString& windowClass,
    std::function<void(platform::WindowRef)> done)
{
    if (startingPrograms().contains(program))
        return Start::AlreadyWaiting;
    if (const platform::WindowRef shown = shownWindowOfClass(windowClass)) {
        done(shown);
        return Start::Done;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {}, QDir::currentPath(), &pid)) {
        done({});
        return Start::Done;
    }
    startingPrograms().insert(program);
    auto* poll = new QTimer(context);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, context, [poll, clock, pid, program, windowClass, done] {
        const platform::WindowRef window = shownWindowOfClass(windowClass);
        if (!window && platform::processRunning(pid) && clock->elapsed() < kOutsideProgramMs)
            return;
        poll->deleteLater();
        startingPrograms().remove(program);
        done(window);
    });
    poll->start(kOutsideProgramPollMs);
    return Start::Waiting;
}

} // namespace

void CWhiteBoardDlg::CaptureScreenRegion()
{
    const bool panelShown = isVisible();
    const bool toolsShown = toolDlg_->isVisible();
    HideAllPopups();
    if (toolTipDlg_)
        toolTipDlg_->hide();
    if (panelShown)
        hide();
    // The desktop under the panel is drawn again before the capture takes its picture.
    QEventLoop wait;
    QTimer::singleShot(150, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    BeginCapSelect();
    if (panelShown)
        show();
    if (toolsShown)
        toolDlg_->show();
}

void CWhiteBoardDlg::HideTipSaying(const QString& text)
{
    if (toolTipDlg_ && toolTipDlg_->Text() == text)
        toolTipDlg_->hide();
}

void CWhiteBoardDlg::ShowScreenKeyboard()
{
    const QString starting = GetConfigString(u"正在启动屏幕键盘…"_s);
    const QPointer<CWhiteBoardDlg> panel(this);
    const Start start = startOutsideProgram(
        this, u"onboard"_s, platform::kScreenKeyboardClass, [panel, starting](platform::WindowRef keyboard) {
            if (!panel)
                return;
            panel->HideTipSaying(starting);
            if (!keyboard) {
                platform::MessageBox(panel, GetConfigString(u"键盘程序启动失败,请手动启动!"_s),
                    GetConfigString(u"屏幕键盘"_s), platform::MB_OK);
                return;
            }
            // Above the page, where the teacher types into a text box, and under the panel.
            platform::AddOutsideAid(keyboard);
            // At the bottom of the panel's monitor, above a panel the desktop keeps there.
            const QRect keyboardRect = platform::GetWindowRect(keyboard);
            const QRect work = CMultiScreen(panel).GetWorkRect();
            platform::MoveWindow(keyboard,
                QPoint(work.left() + (work.width() - keyboardRect.width()) / 2,
                    work.bottom() + 1 - keyboardRect.height()));
        });
    if (start != Start::Done)
        ShowTip(starting);
}

void CWhiteBoardDlg::ShowCalculator()
{
    const QString starting = GetConfigString(u"正在启动计算器…"_s);
    const QPointer<CWhiteBoardDlg> panel(this);
    const Start start = startOutsideProgram(
        this, u"galculator"_s, u"Galculator"_s, [panel, starting](platform::WindowRef calculator) {
            if (!panel)
                return;
            panel->HideTipSaying(starting);
            if (!calculator) {
                panel->ShowTip(GetConfigString(u"计算器未能启动"_s));
                return;
            }
            platform::SetForegroundWindow(calculator);
            // Above the page, so that the teacher sees it over a page being written on, and under the panel.
            platform::AddOutsideAid(calculator);
            const QRect screen = CMultiScreen(panel).GetScreenRect();
            const QRect rect = platform::GetWindowRect(calculator);
            if (!screen.contains(rect.topLeft()))
                platform::MoveWindow(calculator, screen.topLeft() + QPoint(40, 40));
        });
    if (start != Start::Done)
        ShowTip(starting);
}

QPoint CWhiteBoardDlg::besidePanel(const QRect& panel, const QSize& window, const QRect& screen)
{
    constexpr int kGap = 12;
    int x = panel.left() - kGap - window.width();
    if (x < screen.left()) {
        x = panel.right() + 1 + kGap;
        if (x + window.width() > screen.right() + 1)
            // No room on either side: against the screen's edge on the side with more room.
            x = panel.center().x() - screen.left() > screen.right() - panel.center().x()
                ? screen.left()
                : screen.right() + 1 - window.width();
    }
    const int y = std::clamp(
        panel.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - window.height()));
    return {std::max(x, screen.left()), y};
}

void CWhiteBoardDlg::ShowSettings()
{
    CSettingsDlg dialog(DialogOwner());
    dialog.adjustSize();
    // The window manager's title bar is not known before the window is mapped; this allows for one.
    const QSize frame = dialog.size() + QSize(0, 32);
    dialog.move(besidePanel(frameGeometry(), frame, screen()->availableGeometry()));
    dialog.exec();
}

void CWhiteBoardDlg::StartCalibration()
{
    StartTouchCalibration(this);
}

} // namespace DIALOG
