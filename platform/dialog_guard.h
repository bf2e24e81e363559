#pragma once
// Dialogs and message boxes above the program's floating windows. The panel and its popups bypass the
// window manager so that they stay above a full-screen page; a dialog is an ordinary managed window, which the
// window manager stacks only among its own windows, so it would open under them. Every dialog of the process
// is therefore brought inside the screen it opens on, and the floating windows are stacked under it while it is
// shown.
#include "platform/platform_export.h"

namespace platform {

// Watches every dialog the application shows from now on. Needs a QApplication.
QMPLATFORM_EXPORT void keepDialogsAboveFloatingWindows();

// Stacks the floating windows under every dialog that is shown now; to be called after raising them.
QMPLATFORM_EXPORT void restackUnderOpenDialogs();

} // namespace platform
