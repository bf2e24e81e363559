#pragma once
// The ANSI code page of this system is UTF-8. Text read from files that is not valid UTF-8 is read
// as GB18030, so that files written by the Windows build of the suite stay readable.
#include "platform/platform_export.h"

#include <QByteArray>
#include <QString>

namespace platform {

QMPLATFORM_EXPORT bool isValidUtf8(const QByteArray& bytes);
QMPLATFORM_EXPORT QString fromGb18030(const QByteArray& bytes);
// Text in GB18030, for files that were GB18030 when read; a lone surrogate, which has no code, becomes '?'.
QMPLATFORM_EXPORT QByteArray toGb18030(const QString& text);
QMPLATFORM_EXPORT QString fromAnsi(const QByteArray& bytes);
QMPLATFORM_EXPORT QByteArray toAnsi(const QString& text);

} // namespace platform
