#pragma once
// The one owner of the stacking order of every window of the program; the rule it keeps is in
// stacking_rule.h. It puts the order right after every show and hide of a window of the process and whenever
// the X server reports that the stack changed, so that neither a window manager nor a dialog that closes nor
// another program leaves the panel under the page. Windows of the program do not raise or lower themselves
// for stacking.
#include "platform/messages.h"
#include "platform/platform_export.h"
#include "platform/stacking_rule.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace platform {

using StackLayer = stacking::Layer;

// Where a window of this process belongs. Without it: a dialog is a dialog, a menu or tool tip a menu, a
// floating tool window (kFloatingToolFlags) belongs to the panel, and any other window is left where the
// window manager puts it.
QMPLATFORM_EXPORT void SetStackLayer(QWidget* window, StackLayer layer);
QMPLATFORM_EXPORT StackLayer StackLayerOf(const QWidget* window);

// Another program's window that the teacher opened from the panel (the calculator, the screen keyboard): it
// stacks as an aid, above the page and under the panel, for as long as it exists.
QMPLATFORM_EXPORT void AddOutsideAid(const WindowRef& window);

// Starts looking after the order. Needs a QApplication on X11; does nothing elsewhere.
QMPLATFORM_EXPORT void StartWindowStack();

// Puts the order right at once (it is put right by itself soon after every change anyway).
QMPLATFORM_EXPORT void RestackWindows();

// While it lives, none of the program's own windows is on the screen, so that a screen picture holds only
// what the teacher sees of other programs. They come back, in order, when it goes.
class QMPLATFORM_EXPORT ProgramWindowsHidden {
public:
    ProgramWindowsHidden();
    ~ProgramWindowsHidden();
    ProgramWindowsHidden(const ProgramWindowsHidden&) = delete;
    ProgramWindowsHidden& operator=(const ProgramWindowsHidden&) = delete;

private:
    QList<unsigned long> hidden_;
    QList<QPointer<QWidget>> withdrawn_;
};

// The property (CARDINAL, the layer's number) that every window of the program carries, so that the order can
// be checked from outside the process.
inline constexpr char kStackLayerProperty[] = "_QM_STACK_LAYER";

} // namespace platform
