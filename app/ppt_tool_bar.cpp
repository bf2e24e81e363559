#include "app/ppt_tool_bar.h"

#include "platform/desktop_probe.h"
#include "platform/window_flags.h"
#include "platform/window_ops.h"

namespace DIALOG {

namespace {

// The presentation program takes its pointer shortcuts only while its show window has the focus.
void sendToShow(const platform::WindowRef& show, const QStringList& chord)
{
    platform::SetForegroundWindow(show);
    platform::desktop::pressChord(chord);
}

} // namespace

CPPTToolBar::CPPTToolBar(QWidget* owner)
    : QWidget(owner, platform::kFloatingToolFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("_KWPPTTOOLBAR"));
}

void CPPTToolBar::ArrowAction()
{
    sendToShow(target_, {QStringLiteral("Control_L"), QStringLiteral("a")});
}

void CPPTToolBar::PenAction()
{
    sendToShow(target_, {QStringLiteral("Control_L"), QStringLiteral("p")});
}

} // namespace DIALOG
