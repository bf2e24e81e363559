#include "platform/pixel_upload.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void sendPixelsThroughTheConnection()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace platform
