#pragma once
// A one-line notice near the bottom of the screen that goes by itself after a few seconds: how a feature
// that is not there yet, or something left out of a page, is told without stopping the teacher.
#include "platform/platform_export.h"

#include <QString>

namespace platform {

// The notice window's title, by which tests find it.
inline const QString kNoticeTitle = QStringLiteral("QMNotice");

// Shows text (one line) for milliseconds on the screen under the pointer; a new notice replaces the one
// shown. Without a GUI application the text goes to standard error.
QMPLATFORM_EXPORT void ShowNotice(const QString& text, int milliseconds = 4000);

// The text of the notice shown now; empty when none is shown.
QMPLATFORM_EXPORT QString CurrentNotice();

} // namespace platform
