#pragma once
// Windows of outside programs (the screen keyboard, the guard program, a slide show) that the main panel looks for.
#include "platform/messages.h"

#include <QString>

namespace DIALOG {

// A shown window of an outside program, by its class; null when there is none.
inline platform::WindowRef shownWindowOfClass(const QString& windowClass)
{
    const platform::WindowRef window = platform::FindWindow(windowClass, QString());
    return platform::IsWindowVisible(window) ? window : platform::WindowRef();
}

} // namespace DIALOG
