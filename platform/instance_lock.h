#pragma once
// One running copy of the program per user and display. The first copy holds a lock file in the user's
// runtime folder for as long as it runs; the kernel lets go of it when the process ends, however it ends.
#include "platform/platform_export.h"

#include <QString>

namespace platform {

// The lock file of this user on this display: $XDG_RUNTIME_DIR (or a private folder in /tmp) +
// "quillmark-<display>.lock".
QMPLATFORM_EXPORT QString instanceLockPath();

// Takes the lock for the rest of the process's life. False when another process holds it. A lock that
// cannot be made at all (no writable runtime folder) does not stop the program: true.
QMPLATFORM_EXPORT bool acquireInstanceLock(const QString& path = instanceLockPath());

// Lets go of the lock this process holds (tests).
QMPLATFORM_EXPORT void releaseInstanceLock();

} // namespace platform
