#pragma once
// Pictures of the screen as every feature that freezes or grabs it takes them, with the teacher told what
// happens: through the desktop's portal, once, what its permission question is for, and, when no picture can
// be had, why, in one line. A feature given no picture does not open: it never shows a black page.
#include "platform/screen_capture.h"
#include "support/qmexpand_export.h"

#include <QImage>
#include <QRect>

// The picture of area in the coordinates of the whole desktop; null after the teacher was told why.
QMEXPAND_EXPORT QImage TakeScreenPicture(const QRect& area, platform::OwnWindows own, double ratio = 1.0);

// The one line the teacher reads when no picture came, in the language in force.
QMEXPAND_EXPORT QString CaptureFailureText(platform::CaptureFailure failure);

// The profile that remembers, for this user, that the permission question was explained.
QMEXPAND_EXPORT QString ScreenPictureProfile();
