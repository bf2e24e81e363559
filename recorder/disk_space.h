#pragma once
// Free space on the file system a recording goes to.
#include "recorder/qmvidio_export.h"

#include <QString>

#include <cstdint>

namespace recorder {

// A recording stops when the file system of its file has less than this left.
constexpr int64_t kMinimumFreeBytes = int64_t(100) * 1024 * 1024;

// Bytes free to the user on the file system holding path (or the nearest existing folder above it); -1 when
// nothing can be asked.
QMVIDIO_EXPORT int64_t freeBytesAt(const QString& path);
// The mount point of the file system holding path: what the messages name in the place of a drive letter.
QMVIDIO_EXPORT QString mountPointOf(const QString& path);
// "The disk <mount point> is full…" in the current language.
QMVIDIO_EXPORT QString diskFullMessage(const QString& mountPoint, bool english);

} // namespace recorder
