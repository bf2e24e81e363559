#pragma once
// Starting with the desktop session: an XDG autostart entry (~/.config/autostart/quillmark.desktop) that the
// session starts at login. The entry itself is the setting: it is on while the file is there and not hidden.
#include "platform/platform_export.h"

#include <QString>

namespace platform {

// The program's autostart entry.
QMPLATFORM_EXPORT QString autostartFile();

// True when the session will start the program: the entry is there and neither hidden nor disabled.
QMPLATFORM_EXPORT bool autostartOn();

// Writes the entry that starts program in its own folder, or removes it; false when that failed.
QMPLATFORM_EXPORT bool setAutostart(bool on, const QString& program);

// The entry's text for program: started in its folder, which it expects as its current directory.
QMPLATFORM_EXPORT QString autostartEntry(const QString& program);

// program quoted for an Exec line of a desktop entry: in double quotes, with '"', '`', '$' and '\' escaped.
QMPLATFORM_EXPORT QString desktopExecQuoted(const QString& program);

} // namespace platform
