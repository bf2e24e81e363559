#pragma once
// Windows of outside programs (the screen keyboard, the guard program, a slide show) that the main panel looks for.
#include "platform/messages.h"

#include <QString>
#include <QThread>

namespace DIALOG {

// A shown window of an outside program, by its class; null when there is none.
inline platform::WindowRef shownWindowOfClass(const QString& windowClass)
{
    const platform::WindowRef window = platform::FindWindow(windowClass, QString());
    return platform::IsWindowVisible(window) ? window : platform::WindowRef();
}

// Polls for a window of an outside program for up to two seconds, as the program may take a moment to map it.
inline platform::WindowRef waitForWindowOfClass(const QString& windowClass)
{
    for (int i = 0; i < 200; ++i) {
        if (const platform::WindowRef w = shownWindowOfClass(windowClass))
            return w;
        QThread::msleep(10);
    }
    return {};
}

} // namespace DIALOG
