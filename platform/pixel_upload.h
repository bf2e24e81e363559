#pragma once
// How the program's windows hand their pixels to the X server. Qt's X11 backing store shares its image with
// the server through MIT-SHM, and before it paints over a part it sent that way it waits for a round trip to
// the server. Every step of a pen stroke paints over the end of the step before, so every step of the ink
// waited for the server. Sent through the connection instead, a step's few hundred bytes cost far less than
// that wait; a whole page sent once at a page change costs a few milliseconds more.
#include "platform/platform_export.h"

namespace platform {

// Before the application object exists: the windows send their pixels through the connection, unless whoever
// started the program chose otherwise (QT_XCB_NO_MITSHM set, to any value).
QMPLATFORM_EXPORT void sendPixelsThroughTheConnection();

} // namespace platform
