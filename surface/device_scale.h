#pragma once
// The pen surface works in the screen's own pixels (device pixels), so that the frozen desktop, the ink and
// the stored page keep the screen's full resolution on a scaled desktop; Qt hands the window logical
// pixels. DeviceScale is the one mapping between the two, used at the window's edge, and the rule by which
// sizes the teacher chose in physical terms (a pen's width, the eraser, a font) become device pixels.
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <algorithm>
#include <cmath>

namespace DIALOG {

struct DeviceScale {
    // Device pixels per logical pixel: the window's device pixel ratio.
    double ratio = 1.0;

    // An event's logical position as the device pixel it lies in. Positions come as fractions of a logical
    // pixel on a scaled desktop; the small slack keeps a device pixel's own position from rounding down.
    QPoint toDevice(QPointF logical) const
    {
        return QPoint(
            int(std::floor(logical.x() * ratio + 1e-6)), int(std::floor(logical.y() * ratio + 1e-6)));
    }
    // A device point in a frame kept in logical pixels (the instruments, the board's buttons).
    QPoint toLogical(QPoint device) const
    {
        return QPoint(int(std::floor(device.x() / ratio + 1e-6)), int(std::floor(device.y() / ratio + 1e-6)));
    }
    QPointF toLogical(QPointF device) const { return device / ratio; }
    // The logical rectangle that covers every device pixel of device: what a window repaints.
    QRect toLogical(const QRect& device) const
    {
        if (device.isEmpty())
            return QRect();
        const int left = int(std::floor(device.left() / ratio));
        const int top = int(std::floor(device.top() / ratio));
        const int right = int(std::ceil((device.right() + 1) / ratio));
        const int bottom = int(std::ceil((device.bottom() + 1) / ratio));
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    // The device rectangle of a logical one (a child window's geometry, a screen's area).
    QRect toDevice(const QRect& logical) const
    {
        return QRect(
            QPoint(int(std::lround(logical.left() * ratio)), int(std::lround(logical.top() * ratio))),
            size(logical.size()));
    }
    // A device rectangle as the logical one a child window is placed at.
    QRect toLogicalGeometry(const QRect& device) const
    {
        return QRect(int(std::lround(device.left() / ratio)), int(std::lround(device.top() / ratio)),
            std::max(1, int(std::lround(device.width() / ratio))),
            std::max(1, int(std::lround(device.height() / ratio))));
    }
    QSize size(QSize logical) const
    {
        return QSize(int(std::lround(logical.width() * ratio)), int(std::lround(logical.height() * ratio)));
    }
    // A physical length (a width, a size) in device pixels: never zero where it was not.
    int length(int logical) const
    {
        if (logical <= 0)
            return logical;
        return std::max(1, int(std::lround(logical * ratio)));
    }
    // A device length as the teacher's physical unit again (the panel shows the pen's width in it).
    int physical(int device) const
    {
        if (device <= 0)
            return device;
        return std::max(1, int(std::lround(device / ratio)));
    }
};

} // namespace DIALOG
