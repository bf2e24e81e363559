#include "surface/instrument_gesture.h"

namespace DIALOG {

Gesture::Press InstrumentGesture::press(QPoint)
{
    return host_.instrumentMode() ? Press::Captured : Press::Declined;
}

std::optional<QCursor> InstrumentGesture::cursor(QPoint) const
{
    if (host_.instrumentMode())
        return QCursor(Qt::ArrowCursor);
    return std::nullopt;
}

void InstrumentGesture::ClearInstruments()
{
    for (InstrumentEntry& entry : instruments_)
        entry = InstrumentEntry();
}

} // namespace DIALOG
